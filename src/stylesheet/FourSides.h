#pragma once

#include "StringCSSValue.h"

#include <QStringList>

#include <optional>

// The top, right, bottom and left values of a shorthand written with one to
// four parts ("1px 2px" is 1px 2px 1px 2px); nothing for any other count.
inline std::optional<QStringList> fourSides(const QStringList &parts)
{
    switch (parts.size()) {
    case 1:
        return QStringList{parts[0], parts[0], parts[0], parts[0]};
    case 2:
        return QStringList{parts[0], parts[1], parts[0], parts[1]};
    case 3:
        return QStringList{parts[0], parts[1], parts[2], parts[1]};
    case 4:
        return parts;
    default:
        return std::nullopt;
    }
}

// The four sides of a box shorthand's value (margin, padding, border-radius,
// border-width) as CSS splits it; nothing when it does not split into one to
// four components, holds a substitution (var(), which may stand for several)
// or a "/" (elliptical corners).
inline std::optional<QStringList> fourSideValues(const QString &value)
{
    if (StringCSSValue::hasSubstitution(value))
        return std::nullopt;
    const QStringList parts = StringCSSValue::components(value);
    if (parts.contains(QStringLiteral("/")))
        return std::nullopt;
    return fourSides(parts);
}
