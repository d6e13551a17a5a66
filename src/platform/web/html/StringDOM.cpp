#include "StringDOM.h"

#include <QRegularExpression>

QString StringDOM::firstNodeName(const QString &text)
{
    QString flat = text;
    flat.remove(QLatin1Char('\n'));
    flat.remove(QLatin1Char('\r'));
    static const QRegularExpression firstTag(QStringLiteral("<.*?>"),
                                             QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = firstTag.match(flat);
    if (!match.hasMatch())
        return {};
    QString tag = match.captured(0);
    tag.remove(QLatin1Char('<'));
    tag.remove(QLatin1Char('>'));
    // The name ends at white space, or at a slash that does not open an end
    // tag ("<br/>", "<circle/>").
    qsizetype end = 0;
    while (end < tag.size() && !tag.at(end).isSpace() && !(tag.at(end) == QLatin1Char('/') && end > 0))
        ++end;
    return tag.left(end).toLower();
}
