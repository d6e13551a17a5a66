#include "ValueFunctionList.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

QList<ValueFunctionList::Item> ValueFunctionList::split(const QString &text)
{
    QList<Item> items;
    const qsizetype size = text.size();
    qsizetype i = 0;
    while (i < size) {
        if (text.at(i).isSpace() || text.at(i) == u',') {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < size && !text.at(i).isSpace() && text.at(i) != u'(' && text.at(i) != u',')
            ++i;
        Item item;
        item.location = start;
        if (i < size && text.at(i) == u'(' && i > start) {
            item.name = text.mid(start, i - start).toLower();
            const qsizetype open = i;
            int depth = 0;
            for (; i < size; ++i) {
                if (text.at(i) == u'(')
                    ++depth;
                else if (text.at(i) == u')' && --depth == 0)
                    break;
            }
            item.closed = i < size;
            item.arguments = text.mid(open + 1, (item.closed ? i : size) - open - 1);
            if (item.closed)
                ++i;
        } else if (i < size && text.at(i) == u'(') {
            // A parenthesis without a name: keep the group as one word.
            int depth = 0;
            for (; i < size; ++i) {
                if (text.at(i) == u'(')
                    ++depth;
                else if (text.at(i) == u')' && --depth == 0) {
                    ++i;
                    break;
                }
            }
        }
        item.text = text.mid(start, i - start);
        if (!item.closed) {
            while (!item.text.isEmpty() && item.text.back().isSpace())
                item.text.chop(1);
        }
        items.append(item);
    }
    return items;
}

bool ValueFunctionList::readNumber(const QString &piece, Number *out)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*([-+]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][-+]?[0-9]+)?)([a-zA-Z%]*)\\s*$"));
    const QRegularExpressionMatch match = re.match(piece);
    if (!match.hasMatch())
        return false;
    // "1e3" is a number in CSS, but "1em" is one em: an exponent needs digits.
    out->number = match.captured(1);
    out->unit = match.captured(2).toLower();
    return true;
}

double ValueFunctionList::leadingNumber(const QString &text, bool *ok)
{
    static const QRegularExpression re(QStringLiteral("^\\s*([-+]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][-+]?[0-9]+)?)"));
    const QRegularExpressionMatch match = re.match(text);
    bool read = false;
    double value = match.hasMatch() ? match.captured(1).toDouble(&read) : 0;
    if (!read || !std::isfinite(value))
        value = 0;
    if (ok)
        *ok = read;
    return value;
}

QString ValueFunctionList::formatShortest(double value)
{
    if (!std::isfinite(value))
        value = 0;
    if (value == 0)
        value = 0; // no "-0"
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

QString ValueFunctionList::formatDecimal(double value)
{
    QString text = formatShortest(value);
    if (!text.contains(u'.'))
        text += QStringLiteral(".0");
    return text;
}
