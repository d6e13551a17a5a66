#include "StringVendarPrefix.h"

#include "VendarPrefixSettings.h"

namespace StringVendarPrefix {

bool hasVendarPrefix(QStringView text)
{
    return text.size() >= 2 && text.at(0) == u'-' && text.at(1).isLetter();
}

QString formalPropertyName(const QString &text)
{
    if (!hasVendarPrefix(text))
        return text;
    // Drop the empty piece before the leading dash and the vendor word; a
    // dash and one word alone leave nothing.
    const qsizetype secondDash = text.indexOf(u'-', 1);
    if (secondDash < 0)
        return QString();
    return text.mid(secondDash + 1);
}

QString prefix(const QString &text)
{
    if (!hasVendarPrefix(text))
        return QString();
    const qsizetype secondDash = text.indexOf(u'-', 1);
    const QStringView vendor
        = secondDash < 0 ? QStringView(text).mid(1) : QStringView(text).mid(1, secondDash - 1);
    return u'-' + vendor.toString() + u'-';
}

bool isVenderPrefixOfProject(const QString &formalName)
{
    return VendarPrefixSettings::current().isPrefixed(formalName);
}

} // namespace StringVendarPrefix
