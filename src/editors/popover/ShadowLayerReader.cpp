#include "ShadowLayerReader.h"

#include "StyleEditorView.h"

#include "stylesheet/CSSValueKeywords.h"
#include "stylesheet/ColorUtil.h"

#include <QRegularExpression>
#include <QSet>

#include <cmath>

namespace {

bool isColorText(const QString &token)
{
    static const QSet<QString> names = [] {
        const QStringList words = CSSValueKeywords::getValueKeywords(QStringLiteral("color"));
        return QSet<QString>(words.begin(), words.end());
    }();
    static const QRegularExpression function(QStringLiteral("^(rgba?|hsla?)\\("));
    return token.startsWith(QLatin1Char('#')) || function.match(token).hasMatch() || names.contains(token);
}

std::optional<RGBAColor> colorOf(const QString &text)
{
    static const QRegularExpression hexDigits(QStringLiteral("^#([0-9a-fA-F]{3}){1,2}$"));
    // A "#" without its digits is no colour (it would read as black).
    if (text.startsWith(QLatin1Char('#')) && !hexDigits.match(text).hasMatch())
        return std::nullopt;
    const std::optional<RGBAColor> color = ColorUtil::createNSColorWithString(text);
    // Channels past their range ("rgb(300, 0, 0)") would be written as other
    // numbers each time: such a colour is kept as read.
    const auto inRange = [](double component) { return component >= 0 && component <= 1; };
    if (color && !(inRange(color->red) && inRange(color->green) && inRange(color->blue) && inRange(color->alpha)))
        return std::nullopt;
    return color;
}

DropShadowPropPtr readLayer(const QString &text)
{
    auto layer = std::make_shared<DropShadowProp>();
    QList<float> numbers;
    QStringList units;
    DropShadowProp::Read read;
    QString colorText;
    bool lengthsTogether = true;
    for (const QString &token : ShadowLayerReader::splitTopLevel(text, QLatin1Char(' '))) {
        const QString word = token.trimmed();
        if (word.isEmpty())
            continue;
        if (word.compare(QLatin1String("inset"), Qt::CaseInsensitive) == 0) {
            layer->setInset(true);
            read.insetWord = int(read.words.size());
        } else if (colorText.isEmpty() && isColorText(word.toLower())) {
            colorText = word;
            read.colorWord = int(read.words.size());
        } else {
            static const QRegularExpression unitText(QStringLiteral("^([a-zA-Z]+|%)?$"));
            qsizetype length = 0;
            const std::optional<double> number = StyleEditorView::leadingNumber(word, &length);
            const QString wordUnit = word.mid(length);
            // A word the layer does not know keeps it as read.
            if (!number || !std::isfinite(float(*number)) || !unitText.match(wordUnit).hasMatch()) {
                read.words.append(word);
                continue;
            }
            if (read.lengthsAt < 0)
                read.lengthsAt = int(read.words.size());
            else if (read.lengthsAt != read.words.size())
                lengthsTogether = false;
            numbers.append(float(*number));
            units.append(wordUnit);
            read.lengthTexts.append(word);
            continue;
        }
        read.words.append(word);
    }
    if (numbers.size() >= 2 && numbers.size() <= 4) {
        for (int k = 0; k < numbers.size(); ++k)
            layer->setLength(DropShadowProp::Length(k), numbers.at(k), units.at(k));
    }
    if (const std::optional<RGBAColor> color = colorOf(colorText)) {
        layer->setColor(color);
        layer->setUnit(ColorUtil::getUnitWithString(colorText.toLower()));
    } else if (!colorText.isEmpty()) {
        layer->setColorText(colorText);
    }
    // A layer whose lengths do not stand together is written whole once changed.
    if (lengthsTogether && numbers.size() <= 4)
        layer->setRead(read);
    layer->setStringValue(text);
    return layer;
}

} // namespace

QStringList ShadowLayerReader::splitTopLevel(const QString &text, QChar separator)
{
    QStringList parts;
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'(')
            ++depth;
        else if (c == u')' && depth > 0)
            --depth;
        else if (c == separator && depth == 0) {
            parts.append(text.mid(start, i - start));
            start = i + 1;
        }
    }
    parts.append(text.mid(start));
    return parts;
}

QList<DropShadowPropPtr> ShadowLayerReader::read(const QString &value)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    QString text = value;
    text.replace(space, QStringLiteral(" "));
    QList<DropShadowPropPtr> layers;
    for (const QString &part : splitTopLevel(text, QLatin1Char(','))) {
        const QString layer = part.trimmed();
        if (!layer.isEmpty() && layer.compare(QLatin1String("none"), Qt::CaseInsensitive) != 0)
            layers.append(readLayer(layer));
    }
    return layers;
}
