#include "GradientColorParser.h"

#include "ColorUtil.h"

#include <QSet>

namespace {

using Kind = CSSStructure::Kind;

const QSet<QString> &sides()
{
    static const QSet<QString> words
        = {u"left"_qs, u"center"_qs, u"right"_qs, u"top"_qs, u"bottom"_qs};
    return words;
}

const QSet<QString> &shapes()
{
    static const QSet<QString> words = {u"circle"_qs, u"ellipse"_qs};
    return words;
}

const QSet<QString> &sizes()
{
    static const QSet<QString> words
        = {u"closest-side"_qs,    u"farthest-side"_qs, u"closest-corner"_qs,
           u"farthest-corner"_qs, u"cover"_qs,         u"contain"_qs};
    return words;
}

const QSet<QString> &positions()
{
    static const QSet<QString> words
        = {u"at"_qs, u"left"_qs, u"center"_qs, u"right"_qs, u"top"_qs, u"bottom"_qs};
    return words;
}

bool isColorNode(const CSSStructure &item)
{
    return item.isFunction()
           && (item.text == u"rgba" || item.text == u"hsla" || item.text == u"rgb");
}

bool isColorItem(const CSSStructure &item)
{
    return item.isWord() && ColorUtil::createNSColorWithString(item.text).has_value();
}

bool isWordIn(const CSSStructure &item, const QSet<QString> &table)
{
    return item.isWord() && table.contains(item.text);
}

// Splits a value at the commas that stand outside parentheses and quotes.
QStringList layers(const QString &value)
{
    QStringList parts;
    int depth = 0;
    QChar quote;
    qsizetype start = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (!quote.isNull()) {
            if (c == u'\\')
                ++i;
            else if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')') {
            if (depth > 0)
                --depth;
        } else if (c == u',' && depth == 0) {
            parts.append(value.mid(start, i - start).trimmed());
            start = i + 1;
        }
    }
    parts.append(value.mid(start).trimmed());
    return parts;
}

// Converts each layer of a value, lower-cased; a url() keeps the case it was
// written in, as file names on this system depend on it.
template<typename Convert>
QString convertLayers(const QString &value, Convert convert)
{
    const QString lower = value.toLower();
    if (!lower.contains(u'('))
        return lower;
    QStringList parts = layers(value);
    for (QString &part : parts) {
        const QString lowerPart = part.toLower();
        if (!lowerPart.startsWith(QLatin1String("url(")))
            part = convert(lowerPart);
    }
    return parts.join(u", "_qs);
}

QString convertLayerToFormal(const QString &layer)
{
    CSSStructure node = NSScannerUtil::cssFunctionStructure(layer);
    if (!node.isFunction() || node.text == u"url")
        return layer;
    if (!node.text.startsWith(u'-'))
        return NSScannerUtil::cssStructureToString(node);

    const QString prefixedName = node.text;
    node.text = prefixedName.split(u'-').mid(2).join(u'-');
    QList<CSSStructure> &arguments = node.items;

    if (prefixedName.contains(QLatin1String("linear"))) {
        if (!arguments.isEmpty()) {
            CSSStructure &first = arguments.first();
            if (first.isList()) {
                QList<CSSStructure> words{CSSStructure::word(u"to"_qs)};
                for (const CSSStructure &word : std::as_const(first.items)) {
                    if (word.isWord() && !isColorItem(word))
                        words.append(
                            CSSStructure::word(GradientColorParser::invertDirection(word.text)));
                    else
                        words.append(word);
                }
                first = CSSStructure::list(words);
            } else if (isWordIn(first, sides())) {
                first = CSSStructure::list(
                    {CSSStructure::word(u"to"_qs),
                     CSSStructure::word(GradientColorParser::invertDirection(first.text))});
            }
        }
    } else if (prefixedName.contains(QLatin1String("radial"))) {
        QList<CSSStructure> stops;
        QList<CSSStructure> shapePart;
        QList<CSSStructure> positionPart;
        auto addPosition = [&positionPart](const CSSStructure &word) {
            // "at" goes once before the first side word of the whole value.
            if (positionPart.isEmpty())
                positionPart.append(CSSStructure::word(u"at"_qs));
            positionPart.append(word);
        };
        for (const CSSStructure &argument : std::as_const(arguments)) {
            if (GradientColorParser::isColor(argument)) {
                stops.append(argument);
            } else if (argument.isList()) {
                const bool hasSide
                    = std::any_of(argument.items.cbegin(), argument.items.cend(),
                                  [](const CSSStructure &w) { return isWordIn(w, sides()); });
                if (!hasSide) {
                    shapePart += argument.items;
                } else {
                    for (const CSSStructure &word : argument.items) {
                        if (isWordIn(word, sides()))
                            addPosition(word);
                    }
                }
            } else if (isWordIn(argument, sides())) {
                addPosition(argument);
            } else {
                shapePart.append(argument);
            }
        }
        arguments.clear();
        const QList<CSSStructure> head = shapePart + positionPart;
        if (!head.isEmpty())
            arguments.append(CSSStructure::list(head));
        arguments += stops;
    }
    return NSScannerUtil::cssStructureToString(node);
}

QString convertLayerToPrefixed(const QString &layer, const QString &prefix)
{
    CSSStructure node = NSScannerUtil::cssFunctionStructure(layer);
    if (!node.isFunction() || node.text == u"url")
        return layer;
    QList<CSSStructure> &arguments = node.items;

    if (node.text.contains(QLatin1String("linear"))) {
        if (!arguments.isEmpty() && arguments.first().isList()) {
            CSSStructure &first = arguments.first();
            QList<CSSStructure> words;
            for (const CSSStructure &word : std::as_const(first.items)) {
                if (word.isWord() && word.text == u"to")
                    continue;
                if (word.isWord() && !isColorItem(word))
                    words.append(
                        CSSStructure::word(GradientColorParser::invertDirection(word.text)));
                else
                    words.append(word);
            }
            first = CSSStructure::list(words);
        }
    } else if (node.text.contains(QLatin1String("radial"))) {
        QList<CSSStructure> stops;
        QList<CSSStructure> shapeWords;
        QList<CSSStructure> sizeWords;
        QList<CSSStructure> positionWords;
        for (const CSSStructure &argument : std::as_const(arguments)) {
            if (GradientColorParser::isColor(argument)) {
                stops.append(argument);
            } else if (argument.isList()) {
                // Lengths and percentages have no place in the old syntax.
                for (const CSSStructure &word : argument.items) {
                    if (isWordIn(word, shapes()))
                        shapeWords.append(word);
                    else if (isWordIn(word, positions()) && word.text != u"at")
                        positionWords.append(word);
                    else if (isWordIn(word, sizes()))
                        sizeWords.append(word);
                }
            } else {
                shapeWords.append(argument);
            }
        }
        arguments.clear();
        if (positionWords.size() == 1)
            arguments.append(positionWords.first());
        else if (!positionWords.isEmpty())
            arguments.append(CSSStructure::list(positionWords));
        if (!shapeWords.isEmpty() || !sizeWords.isEmpty())
            arguments.append(CSSStructure::list(shapeWords + sizeWords));
        arguments += stops;
    }
    return prefix + NSScannerUtil::cssStructureToString(node);
}

// The number at the start of a word ("50%" gives 50), as a single-precision value.
float leadingFloat(const QString &text)
{
    qsizetype end = 0;
    while (end < text.size()
           && (text[end].isDigit() || text[end] == u'.' || text[end] == u'-' || text[end] == u'+'))
        ++end;
    return QStringView(text).left(end).toFloat();
}

QList<float> numberArguments(const CSSStructure &node)
{
    QList<float> numbers;
    for (const CSSStructure &argument : node.items)
        numbers.append(leadingFloat(NSScannerUtil::cssStructureToString(argument)));
    return numbers;
}

enum class GradientKind { Linear, Radial };

// Reads the colour of a stop and its notation.
GradientColorStop readStop(const CSSStructure &colorItem, const QString &ratio, GradientKind kind)
{
    GradientColorStop stop;
    stop.ratio = ratio;
    if (colorItem.isWord()) {
        stop.color = ColorUtil::createNSColorWithString(colorItem.text);
        if (colorItem.text.startsWith(u'#'))
            stop.unit = 0;
        else if (colorItem.text == u"transparent")
            stop.unit = 2;
        else
            stop.unit = kind == GradientKind::Linear ? -1 : 3;
    } else if (colorItem.isFunction()) {
        if (colorItem.text == u"rgba") {
            stop.color = ColorUtil::colorWithAlphaFromArray(numberArguments(colorItem));
            stop.unit = 2;
        } else if (colorItem.text == u"hsla") {
            stop.color = ColorUtil::colorWithHSLAFromArray(numberArguments(colorItem));
            stop.unit = 2;
        } else if (colorItem.text == u"rgb") {
            stop.color = ColorUtil::colorFromArray(numberArguments(colorItem));
            stop.unit = 1;
        }
    }
    return stop;
}

// Arguments after the first: a colour with its position, a colour alone, or a
// colour call.
void readStops(const QList<CSSStructure> &arguments, qsizetype from, GradientKind kind,
               GradientRecord &record)
{
    for (qsizetype i = from; i < arguments.size(); ++i) {
        const CSSStructure &argument = arguments[i];
        if (argument.isList()) {
            if (argument.items.size() == 2)
                record.colorRatios.append(
                    readStop(argument.items[0],
                             NSScannerUtil::cssStructureToString(argument.items[1]), kind));
        } else {
            record.colorRatios.append(readStop(argument, u"none"_qs, kind));
        }
    }
}

QString stopsText(const GradientRecord &record)
{
    QStringList stops;
    for (const GradientColorStop &stop : record.colorRatios) {
        if (!stop.color)
            continue;
        QString text = ColorUtil::cssColorValueRGBA(*stop.color);
        if (stop.ratio != u"none")
            text += u' ' + stop.ratio;
        stops.append(text);
    }
    return stops.join(u", "_qs);
}

} // namespace

bool GradientColorParser::isColor(const CSSStructure &item)
{
    if (isColorItem(item) || isColorNode(item))
        return true;
    return item.isList() && item.items.size() == 2
           && (isColorItem(item.items[0]) || isColorNode(item.items[0]));
}

QString GradientColorParser::invertDirection(const QString &word)
{
    if (word == u"top")
        return u"bottom"_qs;
    if (word == u"bottom")
        return u"top"_qs;
    if (word == u"left")
        return u"right"_qs;
    if (word == u"right")
        return u"left"_qs;
    return word;
}

QString GradientColorParser::convertVendarPrefixToFormal(const QString &value)
{
    return convertLayers(value, [](const QString &layer) { return convertLayerToFormal(layer); });
}

QString GradientColorParser::convertFormalToVendarPrefix(const QString &value,
                                                         const QString &prefix)
{
    return convertLayers(
        value, [&prefix](const QString &layer) { return convertLayerToPrefixed(layer, prefix); });
}

std::optional<GradientRecord> GradientColorParser::decode(const QString &value) const
{
    const QString lower = value.toLower();
    const qsizetype paren = lower.indexOf(u'(');
    if (paren < 0)
        return std::nullopt;
    const QString name = lower.left(paren).trimmed();
    if (name == u"linear-gradient" || name == u"repeating-linear-gradient")
        return parseLinearGradient(lower);
    if (name == u"radial-gradient" || name == u"repeating-radial-gradient")
        return parseRadialGradient(lower);
    return std::nullopt;
}

GradientRecord GradientColorParser::parseLinearGradient(const QString &value) const
{
    GradientRecord record;
    record.type = u"linear"_qs;
    const CSSStructure node = NSScannerUtil::cssFunctionStructure(value);
    if (!node.isFunction())
        return record;
    record.name = node.text;
    const QList<CSSStructure> &arguments = node.items;
    qsizetype firstStop = 0;
    if (!arguments.isEmpty()) {
        const CSSStructure &first = arguments.first();
        if (!isColor(first)) {
            if (first.isList()) {
                for (const CSSStructure &word : first.items)
                    record.degree.append(NSScannerUtil::cssStructureToString(word));
            } else {
                record.degree.append(NSScannerUtil::cssStructureToString(first));
            }
            firstStop = 1;
        } else {
            record.degree = QStringList{u"to"_qs, u"bottom"_qs};
        }
    }
    readStops(arguments, firstStop, GradientKind::Linear, record);
    return record;
}

GradientRecord GradientColorParser::parseRadialGradient(const QString &value) const
{
    GradientRecord record;
    record.type = u"radial"_qs;
    const CSSStructure node = NSScannerUtil::cssFunctionStructure(value);
    if (!node.isFunction())
        return record;
    record.name = node.text;
    const QList<CSSStructure> &arguments = node.items;
    if (arguments.isEmpty())
        return record;

    const CSSStructure &first = arguments.first();
    if (first.isWord()) {
        const QString &word = first.text;
        if (word.startsWith(u'#')) {
            record.colorRatios.append(
                GradientColorStop{ColorUtil::colorFromHexadecimalValue(word), u"none"_qs, 0});
        } else if (positions().contains(word)) {
            record.degree.append(word);
        } else if (shapes().contains(word)) {
            record.shape = word;
        } else {
            GradientColorStop stop;
            stop.ratio = u"none"_qs;
            stop.unit = word == u"transparent" ? 2 : 3;
            stop.color = ColorUtil::createNSColorWithString(word);
            record.colorRatios.append(stop);
        }
    } else if (first.isFunction()) {
        record.colorRatios.append(readStop(first, u"none"_qs, GradientKind::Radial));
    } else {
        QStringList shapeWords;
        QStringList sizeWords;
        bool hasOtherWord = false;
        for (const CSSStructure &item : first.items) {
            const QString word = NSScannerUtil::cssStructureToString(item);
            if (isWordIn(item, shapes()))
                shapeWords.append(word);
            else if (isWordIn(item, sizes()))
                sizeWords.append(word);
            else if (isWordIn(item, positions()))
                record.degree.append(word);
            else
                hasOtherWord = true;
        }
        if (first.items.size() == 2 && hasOtherWord)
            record.colorRatios.append(readStop(first.items[0],
                                               NSScannerUtil::cssStructureToString(first.items[1]),
                                               GradientKind::Radial));
        record.shape = shapeWords.join(u' ');
        record.size = sizeWords.join(u' ');
    }
    readStops(arguments, 1, GradientKind::Radial, record);
    return record;
}

QString GradientColorParser::encode(const GradientRecord &record) const
{
    if (record.type == u"linear")
        return generateLinearValue(record);
    if (record.type == u"radial")
        return generateRadialValue(record);
    return QString();
}

QString GradientColorParser::generateLinearValue(const GradientRecord &record) const
{
    return record.name + u'(' + record.degree.join(u' ') + u", "_qs + stopsText(record) + u");"_qs;
}

QString GradientColorParser::generateRadialValue(const GradientRecord &record) const
{
    QString head;
    for (const QString &part :
         {record.position, record.shape.value_or(QString()), record.size.value_or(QString())}) {
        if (!part.isEmpty())
            head += part + u", "_qs;
    }
    return record.name + u'(' + head + stopsText(record) + u");"_qs;
}
