#include "CSSValueParser.h"

#include "ColorUtil.h"
#include "FourSides.h"
#include "StringCSSValue.h"

#include <QRegularExpression>
#include <QSet>

namespace {

// The value without a final "!important".
QString withoutPriority(const QString &value)
{
    static const QRegularExpression important(QStringLiteral("\\s*!\\s*important\\s*$"),
                                              QRegularExpression::CaseInsensitiveOption);
    QString plain = value;
    return plain.remove(important);
}

// The components of a value that splits over longhands; nothing for one
// holding a substitution (var()), which may stand for any number of them.
std::optional<QStringList> kindWords(const QString &value)
{
    const QString plain = withoutPriority(value);
    if (StringCSSValue::hasSubstitution(plain))
        return std::nullopt;
    return StringCSSValue::components(plain);
}

// The values of the four sides onto the longhand names, top, right, bottom, left.
std::optional<CSSValueMap> boxMap(const std::optional<QStringList> &sides, const QStringList &keys)
{
    if (!sides)
        return std::nullopt;
    CSSValueMap map;
    for (int side = 0; side < 4; ++side)
        map.insert(keys[side], sides->at(side));
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
    const std::optional<QStringList> words = kindWords(value);
    if (!words || words->contains(QStringLiteral("/")))
        return std::nullopt;
    // A fifth word is ignored here (and only here).
    return boxMap(fourSides(words->size() == 5 ? words->first(4) : *words), keys);
}

std::optional<CSSValueMap> CSSPaddingParser::parse(const QString &value) const
{
    static const QStringList keys
        = {QStringLiteral("padding-top"), QStringLiteral("padding-right"),
           QStringLiteral("padding-bottom"), QStringLiteral("padding-left")};
    return boxMap(fourSideValues(withoutPriority(value)), keys);
}

std::optional<CSSValueMap> CSSBorderRadiusParser::parse(const QString &value) const
{
    static const QStringList keys = {
        QStringLiteral("border-top-left-radius"), QStringLiteral("border-top-right-radius"),
        QStringLiteral("border-bottom-right-radius"), QStringLiteral("border-bottom-left-radius")};
    return boxMap(fourSideValues(withoutPriority(value)), keys);
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
    const std::optional<QStringList> read = kindWords(value);
    if (!read || read->isEmpty() || read->size() > 3)
        return std::nullopt;
    const QStringList &words = *read;

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
    const std::optional<QStringList> read = kindWords(value);
    if (!read || read->isEmpty() || read->size() > 3)
        return std::nullopt;
    const QStringList &words = *read;

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
    // Words at single blanks, as the keys are filled by count only.
    QStringList words = value.split(u' ');
    if (!words.isEmpty() && words.last() == u"!important")
        words.removeLast();
    std::optional<CSSValueMap> map = boxMap(fourSides(words), keys);
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
    QStringList words = StringCSSValue::getValues(value);
    if (!words.isEmpty() && words.last() == u"!important")
        words.removeLast();
    if (words.isEmpty() || words.size() > 4)
        return std::nullopt;
    CSSValueMap map;
    for (const QString &key : keys)
        map.insert(key, words[0]);
    return map;
}
