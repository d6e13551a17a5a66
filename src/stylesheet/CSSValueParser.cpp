#include "CSSValueParser.h"

#include "ColorUtil.h"
#include "StringCSSValue.h"

#include <QRegularExpression>
#include <QSet>

namespace {

const QString kImportant = QStringLiteral("!important");

// Words split at every single blank; a final "!important" is dropped.
QStringList blankWords(const QString &value)
{
    QStringList words = value.split(u' ');
    if (!words.isEmpty() && words.last() == kImportant)
        words.removeLast();
    return words;
}

QStringList groupedWords(const QString &value)
{
    QStringList words = StringCSSValue::getValues(value);
    if (!words.isEmpty() && words.last() == kImportant)
        words.removeLast();
    return words;
}

// Grouped words without the empty words of repeated blanks.
QStringList kindWords(const QString &value)
{
    QStringList words = groupedWords(value);
    words.removeAll(QString());
    return words;
}

// One to four words onto top, right, bottom, left as CSS assigns them.
std::optional<CSSValueMap> boxMap(const QStringList &words, const QStringList &keys)
{
    const qsizetype n = words.size();
    if (n < 1 || n > 4)
        return std::nullopt;
    const QString &w1 = words[0];
    const QString &w2 = n >= 2 ? words[1] : w1;
    const QString &w3 = n >= 3 ? words[2] : w1;
    const QString &w4 = n >= 4 ? words[3] : w2;
    CSSValueMap map;
    map.insert(keys[0], w1);
    map.insert(keys[1], w2);
    map.insert(keys[2], w3);
    map.insert(keys[3], w4);
    return map;
}

bool isCSSWideKeyword(const QString &lowerWord)
{
    static const QSet<QString> words
        = {QStringLiteral("inherit"), QStringLiteral("initial"), QStringLiteral("unset"),
           QStringLiteral("revert"), QStringLiteral("revert-layer")};
    return words.contains(lowerWord);
}

bool isWidthWord(const QString &lowerWord)
{
    static const QSet<QString> keywords
        = {QStringLiteral("thin"), QStringLiteral("medium"), QStringLiteral("thick")};
    static const QRegularExpression length(
        QStringLiteral("^[+-]?(\\d+(\\.\\d*)?|\\.\\d+)(e[+-]?\\d+)?[a-z%]*$"));
    if (keywords.contains(lowerWord))
        return true;
    for (const char *function : {"calc(", "min(", "max(", "clamp("}) {
        if (lowerWord.startsWith(QLatin1String(function)))
            return true;
    }
    return length.match(lowerWord).hasMatch();
}

bool isColorWord(const QString &lowerWord)
{
    for (const char *function : {"#", "rgb(", "rgba(", "hsl(", "hsla(", "hwb(", "lab(", "lch(",
                                 "oklab(", "oklch(", "color("}) {
        if (lowerWord.startsWith(QLatin1String(function)))
            return true;
    }
    return ColorUtil::createNSColorWithString(lowerWord).has_value();
}

bool isImageWord(const QString &lowerWord)
{
    for (const char *function :
         {"url(", "linear-gradient(", "radial-gradient(", "repeating-linear-gradient(",
          "repeating-radial-gradient(", "conic-gradient(", "repeating-conic-gradient(",
          "image-set(", "image(", "cross-fade(", "element(", "-webkit-", "-moz-", "-o-", "-ms-"}) {
        if (lowerWord.startsWith(QLatin1String(function)))
            return lowerWord.contains(u'(');
    }
    return false;
}

} // namespace

std::optional<CSSValueMap> CSSMarginParser::parse(const QString &value) const
{
    static const QStringList keys
        = {QStringLiteral("margin-top"), QStringLiteral("margin-right"),
           QStringLiteral("margin-bottom"), QStringLiteral("margin-left")};
    QStringList words = blankWords(value);
    // A fifth word is ignored here (and only here).
    if (words.size() == 5)
        words.removeLast();
    return boxMap(words, keys);
}

std::optional<CSSValueMap> CSSPaddingParser::parse(const QString &value) const
{
    static const QStringList keys
        = {QStringLiteral("padding-top"), QStringLiteral("padding-right"),
           QStringLiteral("padding-bottom"), QStringLiteral("padding-left")};
    return boxMap(blankWords(value), keys);
}

std::optional<CSSValueMap> CSSBorderRadiusParser::parse(const QString &value) const
{
    static const QStringList keys = {
        QStringLiteral("border-top-left-radius"), QStringLiteral("border-top-right-radius"),
        QStringLiteral("border-bottom-right-radius"), QStringLiteral("border-bottom-left-radius")};
    return boxMap(blankWords(value), keys);
}

bool CSSBorderSideParser::isStyleWord(const QString &lowerWord) const
{
    static const QSet<QString> styles
        = {QStringLiteral("none"),   QStringLiteral("hidden"), QStringLiteral("dotted"),
           QStringLiteral("dashed"), QStringLiteral("solid"),  QStringLiteral("double"),
           QStringLiteral("groove"), QStringLiteral("ridge"),  QStringLiteral("inset"),
           QStringLiteral("outset")};
    return styles.contains(lowerWord);
}

bool CSSOutlineStyleParser::isStyleWord(const QString &lowerWord) const
{
    return lowerWord == u"auto" || CSSBorderSideParser::isStyleWord(lowerWord);
}

std::optional<CSSValueMap> CSSBorderSideParser::parse(const QString &value) const
{
    const QString styleKey = m_side + QStringLiteral("-style");
    const QString widthKey = m_side + QStringLiteral("-width");
    const QString colorKey = m_side + QStringLiteral("-color");
    const QStringList words = kindWords(value);
    if (words.isEmpty() || words.size() > 3)
        return std::nullopt;

    CSSValueMap map;
    if (words.size() == 1 && isCSSWideKeyword(words[0].toLower())) {
        map.insert(styleKey, words[0]);
        map.insert(widthKey, words[0]);
        map.insert(colorKey, words[0]);
        return map;
    }
    for (const QString &word : words) {
        const QString lower = word.toLower();
        // The order of the tests matters: "medium" is a width, not a colour,
        // and no style keyword is a colour name.
        QString key;
        if (isStyleWord(lower))
            key = styleKey;
        else if (isWidthWord(lower))
            key = widthKey;
        else if (isColorWord(lower))
            key = colorKey;
        if (key.isEmpty() || map.contains(key))
            return std::nullopt;
        map.insert(key, word);
    }
    if (!map.contains(styleKey))
        map.insert(styleKey, QStringLiteral("none"));
    if (!map.contains(widthKey))
        map.insert(widthKey, QStringLiteral("medium"));
    if (!map.contains(colorKey))
        map.insert(colorKey, QStringLiteral("currentcolor"));
    return map;
}

std::optional<CSSValueMap> CSSBorderParser::parse(const QString &value) const
{
    const std::optional<CSSValueMap> top = CSSBorderTopParser().parse(value);
    if (!top)
        return std::nullopt;
    CSSValueMap map;
    for (const char *side : {"top", "right", "bottom", "left"}) {
        const QString name = QStringLiteral("border-") + QLatin1String(side);
        for (const char *part : {"-style", "-width", "-color"})
            map.insert(name + QLatin1String(part), top->value(QStringLiteral("border-top") + QLatin1String(part)));
    }
    return map;
}

std::optional<CSSValueMap> CSSListStyleParser::parse(const QString &value) const
{
    const QString typeKey = QStringLiteral("list-style-type");
    const QString positionKey = QStringLiteral("list-style-position");
    const QString imageKey = QStringLiteral("list-style-image");
    const QStringList words = kindWords(value);
    if (words.isEmpty() || words.size() > 3)
        return std::nullopt;

    CSSValueMap map;
    if (words.size() == 1 && isCSSWideKeyword(words[0].toLower())) {
        map.insert(typeKey, words[0]);
        map.insert(positionKey, words[0]);
        map.insert(imageKey, words[0]);
        return map;
    }
    QStringList nones;
    for (const QString &word : words) {
        const QString lower = word.toLower();
        if (lower == u"none") {
            nones.append(word);
            continue;
        }
        QString key;
        if (lower == u"inside" || lower == u"outside")
            key = positionKey;
        else if (isImageWord(lower))
            key = imageKey;
        else if (!isCSSWideKeyword(lower))
            key = typeKey; // a keyword, a custom counter style or a string
        if (key.isEmpty() || map.contains(key))
            return std::nullopt;
        map.insert(key, word);
    }
    // "none" fills the type and the image that no other word took.
    const bool typeFree = !map.contains(typeKey);
    const bool imageFree = !map.contains(imageKey);
    const int freeSlots = int(typeFree) + int(imageFree);
    if (nones.size() > freeSlots)
        return std::nullopt;
    if (!nones.isEmpty()) {
        if (typeFree)
            map.insert(typeKey, nones.first());
        if (imageFree)
            map.insert(imageKey, nones.last());
    }
    if (!map.contains(typeKey))
        map.insert(typeKey, QStringLiteral("disc"));
    if (!map.contains(positionKey))
        map.insert(positionKey, QStringLiteral("outside"));
    if (!map.contains(imageKey))
        map.insert(imageKey, QStringLiteral("none"));
    return map;
}

std::optional<CSSValueMap> FontParser::parse(const QString &value) const
{
    static const QStringList keys = {QStringLiteral("font-style"), QStringLiteral("font-valiant"),
                                     QStringLiteral("font-weight"), QStringLiteral("font-size")};
    const QStringList words = blankWords(value);
    std::optional<CSSValueMap> map = boxMap(words, keys);
    if (map) {
        map->insert(QStringLiteral("line-height"), words[0]);
        map->insert(QStringLiteral("font-family"), words[0]);
    }
    return map;
}

std::optional<CSSValueMap> CSSBackgroundParser::parse(const QString &value) const
{
    static const QStringList keys
        = {QStringLiteral("background-color"),      QStringLiteral("background-image"),
           QStringLiteral("background-repeatX"),    QStringLiteral("background-repeatY"),
           QStringLiteral("background-attachment"), QStringLiteral("background-positionX"),
           QStringLiteral("background-positionY"),  QStringLiteral("background-size"),
           QStringLiteral("background-origin"),     QStringLiteral("background-clip")};
    const QStringList words = groupedWords(value);
    if (words.isEmpty() || words.size() > 4)
        return std::nullopt;
    CSSValueMap map;
    for (const QString &key : keys)
        map.insert(key, words[0]);
    return map;
}
