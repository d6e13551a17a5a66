#include "StyleComment.h"

QString StyleComment::description() const
{
    if (isRemoved())
        return QString();
    return QStringLiteral("comment range:(%1,%2) %3")
        .arg(range().location)
        .arg(range().length)
        .arg(m_commentBody);
}
