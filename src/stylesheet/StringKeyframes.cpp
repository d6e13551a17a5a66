#include "StringKeyframes.h"

#include <QStringList>

namespace StringKeyframes {

std::optional<QString> animationName(const QString &selector)
{
    const QStringList parts = selector.split(u' ');
    if (parts.size() != 2)
        return std::nullopt;
    return parts.at(1);
}

} // namespace StringKeyframes
