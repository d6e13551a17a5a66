#include "EditorNumber.h"

#include <QLocale>
#include <QStringList>

#include <cmath>

namespace EditorNumber {

QString cssNumber(double value)
{
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

std::optional<Scanned> scanNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    const qsizetype digitsStart = i;
    while (i < text.size() && text[i].isDigit() && text[i].unicode() < 128)
        ++i;
    qsizetype digits = i - digitsStart;
    if (i < text.size() && text[i] == u'.') {
        const qsizetype fractionStart = i + 1;
        qsizetype j = fractionStart;
        while (j < text.size() && text[j].isDigit() && text[j].unicode() < 128)
            ++j;
        if (j > fractionStart) {
            digits += j - fractionStart;
            i = j;
        }
    }
    if (digits == 0)
        return std::nullopt;
    bool ok = false;
    const double value = text.mid(start, i - start).toString().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return Scanned{value, text.mid(i).toString()};
}

const QStringList &lengthUnits()
{
    static const QStringList units = {QStringLiteral("px"), QStringLiteral("em"), QStringLiteral("rem"),
                                      QStringLiteral("%"),  QStringLiteral("vw"), QStringLiteral("vh"),
                                      QStringLiteral("pt"), QStringLiteral("none")};
    return units;
}

QString unitTitle(const QString &unit)
{
    return unit.isEmpty() ? QStringLiteral("none") : unit;
}

QString unitFromTitle(const QString &title)
{
    return title == u"none" ? QString() : title;
}

bool isKnownUnit(const QString &unit)
{
    return unit.isEmpty() || (unit != u"none" && lengthUnits().contains(unit));
}

double stepped(double value)
{
    return std::round(value * 1e6) / 1e6;
}

} // namespace EditorNumber
