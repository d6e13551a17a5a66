#include "StyleTool.h"

#include "CSSText_p.h"

QString StyleTool::makeObject(const QString &property, const QString &value)
{
    QString text = property + u':' + value;
    if (!value.endsWith(u';'))
        text += u';';
    return text;
}

QString StyleTool::generateJSStringForGet(const QString &selector, const QString &property)
{
    return u'$' + parenthese(singeQute(selector)) + QStringLiteral(".css")
           + parenthese(singeQute(property)) + u';';
}

QString StyleTool::generateJSStringForApply(const QString &selector, const QString &property,
                                            const QString &value)
{
    const QString bare = value.endsWith(u';') ? value.chopped(1) : value;
    return u'$' + parenthese(singeQute(selector)) + QStringLiteral(".css")
           + parenteseTwoWord(singeQute(property), singeQute(bare)) + u';';
}

QString StyleTool::generateJSStringForDelete(const QString &selector, const QString &property)
{
    return u'$' + parenthese(singeQute(selector)) + QStringLiteral(".css")
           + parenteseTwoWord(singeQute(property), emptysingeQute()) + u';';
}

std::optional<RGBAColor> StyleTool::getColorFormRGBString(const QString &text)
{
    const qsizetype open = text.indexOf(u'(');
    const qsizetype close = text.indexOf(u')');
    if (open < 0 || close < open)
        return std::nullopt;
    const std::optional<QList<double>> numbers
        = agbStringValuesToNumber(text.mid(open + 1, close - open - 1).split(u','));
    if (!numbers || numbers->size() < 3)
        return std::nullopt;
    const double alpha = numbers->size() == 4 ? numbers->at(3) : 1.0;
    return RGBAColor{numbers->at(0) / 255.0, numbers->at(1) / 255.0, numbers->at(2) / 255.0, alpha};
}

std::optional<QList<double>> StyleTool::agbStringValuesToNumber(const QStringList &texts)
{
    QList<double> numbers;
    for (const QString &text : texts) {
        bool ok = false;
        // QString::toDouble reads the C locale, whatever the desktop's is.
        const double number = CSSText::trimmedBlanks(text).toDouble(&ok);
        if (!ok)
            return std::nullopt;
        numbers.append(number);
    }
    return numbers;
}
