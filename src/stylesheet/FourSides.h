#pragma once

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
