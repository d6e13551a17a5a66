// DOMRowCell: the colours of a row's text.

#include "DOMRowCell.h"

#include "DOMAttrString.h"
#include "DOMNodeEx.h"

#include "platform/kit/DesktopColors.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// What a character of the row's text is drawn as; later passes overwrite
// earlier ones, as the colours do.
enum class Style : quint8 {
    Plain,
    Tag,
    Attribute,
    QuotedValue,
    Link,
    UnderlinedLink,
    Reference,
    Comment,
    Ignored,
};

QColor lightColorOf(Style style)
{
    switch (style) {
    case Style::Plain:
        return {};
    case Style::Tag:
        return QColor(185, 2, 143);
    case Style::Attribute:
    case Style::Ignored:
        return QColor(80, 80, 80);
    case Style::QuotedValue:
        return QColor(56, 107, 218);
    case Style::Link:
    case Style::UnderlinedLink:
        return QColor(0, 0, 255);
    case Style::Reference:
        return QColor(120, 120, 120);
    case Style::Comment:
        return QColor(0, 141, 0);
    }
    return {};
}

// One attribute of a start tag: [start, end) from its name to the end of
// its value, and the quoted value, quotes included, when it has one.
struct AttributeRange
{
    qsizetype start = 0;
    qsizetype end = 0;
    qsizetype quoteStart = -1;
    qsizetype quoteEnd = -1;
};

bool isSpace(QChar c)
{
    return c.isSpace();
}

// The attributes of the text: a name (no blanks, no "=") right after a blank,
// "=", and a value: quoted up to its closing quote, or bare up to a blank or
// ">". One pass over the text, so that a start tag of any length (a data
// URL in "src") is scanned in linear time; a value's own blanks and "="
// stay inside it.
QList<AttributeRange> attributesOf(const QString &text)
{
    QList<AttributeRange> attributes;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && isSpace(text.at(i)))
            ++i;
        const qsizetype start = i;
        while (i < n && !isSpace(text.at(i)) && text.at(i) != QLatin1Char('='))
            ++i;
        if (i >= n || text.at(i) != QLatin1Char('=') || i == start) {
            // A word without a value (a tag name, a bare attribute): skip it.
            while (i < n && !isSpace(text.at(i)))
                ++i;
            continue;
        }
        const qsizetype valueStart = i + 1;
        if (valueStart < n && (text.at(valueStart) == QLatin1Char('"') || text.at(valueStart) == QLatin1Char('\''))) {
            const qsizetype close = text.indexOf(text.at(valueStart), valueStart + 1);
            if (close < 0) {
                // An unclosed quote runs to the end of the tag.
                const qsizetype tagEnd = text.lastIndexOf(QLatin1Char('>'));
                attributes.append({start, tagEnd > valueStart ? tagEnd : n});
                break;
            }
            attributes.append({start, close + 1, valueStart, close + 1});
            i = close + 1;
            continue;
        }
        qsizetype end = valueStart;
        while (end < n && !isSpace(text.at(end)) && text.at(end) != QLatin1Char('>'))
            ++end;
        if (end > valueStart)
            attributes.append({start, end});
        i = std::max(end, valueStart);
        // The rest of a word that ends in ">" belongs to no attribute.
        while (i < n && !isSpace(text.at(i)))
            ++i;
    }
    return attributes;
}

void fill(QList<Style> &styles, qsizetype start, qsizetype end, Style style)
{
    std::fill(styles.begin() + start, styles.begin() + end, style);
}

// The styles of an unselected row that is not left out of the page.
QList<Style> stylesOf(const QString &text, const DOMNodeEx &row)
{
    QList<Style> styles(text.size(), Style::Plain);
    const DOMNode *node = row.node();
    if (node && node->isComment()) {
        fill(styles, 0, text.size(), Style::Comment);
        return styles;
    }
    // A tag cannot hold "<" or ">", so each match is found in one pass.
    static const QRegularExpression tags(QStringLiteral("</?[a-z][a-z0-9]*[^<>]*>"));
    for (auto it = tags.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        fill(styles, match.capturedStart(), match.capturedEnd(), Style::Tag);
    }
    for (const AttributeRange &attribute : attributesOf(text)) {
        fill(styles, attribute.start, attribute.end, Style::Attribute);
        if (attribute.quoteStart < 0)
            continue;
        const QStringView whole = QStringView(text).mid(attribute.start, attribute.end - attribute.start);
        const QStringView inner = QStringView(text).mid(attribute.quoteStart + 1, attribute.quoteEnd - attribute.quoteStart - 2);
        Style value = Style::QuotedValue;
        if (whole.startsWith(QLatin1String("href")) || whole.startsWith(QLatin1String("src")))
            value = Style::UnderlinedLink;
        else if (inner.size() >= 8
                 && (inner.startsWith(QLatin1String("http://")) || inner.startsWith(QLatin1Char('/'))
                     || inner.startsWith(QLatin1Char('.'))))
            value = Style::Link;
        fill(styles, attribute.quoteStart, attribute.quoteEnd, value);
    }
    // The rows shown for what a "use" points to are never written: grey,
    // with all they hold.
    if (row.isInReference())
        fill(styles, 0, text.size(), Style::Reference);
    return styles;
}

QTextCharFormat formatOf(Style style, const QPalette &palette)
{
    QTextCharFormat format;
    const QColor light = lightColorOf(style);
    if (light.isValid())
        format.setForeground(DOMRowCell::rowColor(light, palette));
    format.setFontUnderline(style == Style::UnderlinedLink);
    return format;
}

// The runs of equal styles as formats; plain runs are left to the view.
QList<QTextLayout::FormatRange> formatsOf(const QList<Style> &styles, const QPalette &palette)
{
    QList<QTextLayout::FormatRange> formats;
    qsizetype start = 0;
    while (start < styles.size()) {
        qsizetype end = start + 1;
        while (end < styles.size() && styles.at(end) == styles.at(start))
            ++end;
        if (styles.at(start) != Style::Plain)
            formats.append({int(start), int(end - start), formatOf(styles.at(start), palette)});
        start = end;
    }
    return formats;
}

} // namespace

QColor DOMRowCell::rowColor(const QColor &lightColor, const QPalette &palette)
{
    if (!DesktopColors::isDark(palette) || !lightColor.isValid())
        return lightColor;
    // The same hue, lighter: the darker a colour is on a light palette, the
    // lighter it is on a dark one, and none falls below the middle.
    float h = 0, s = 0, l = 0, a = 0;
    lightColor.getHslF(&h, &s, &l, &a);
    return QColor::fromHslF(h, s, 0.55f + 0.35f * (1.0f - l), a);
}

std::shared_ptr<const DOMAttrString> DOMRowCell::setTagColor(DOMNodeEx &row, bool selected, const QPalette &palette)
{
    auto coloured = std::make_shared<DOMAttrString>();
    coloured->text = textOf(row);
    coloured->dark = DesktopColors::isDark(palette);
    coloured->ignore = row.ignore();
    const DOMNode *node = row.node();
    // Text rows are drawn plain.
    if (!node || node->isText() || coloured->text.isEmpty())
        return coloured;

    if (selected) {
        // The selection's own text colour, which reads on its background.
        QTextCharFormat format;
        format.setForeground(palette.color(QPalette::HighlightedText));
        format.setFontStrikeOut(row.ignore());
        coloured->formats.append({0, int(coloured->text.size()), format});
        return coloured;
    }
    if (const std::shared_ptr<const DOMAttrString> &cached = row.attrString()) {
        if (cached->text == coloured->text && cached->dark == coloured->dark && cached->ignore == coloured->ignore)
            return cached;
    }
    const QList<Style> styles = row.ignore() ? QList<Style>(coloured->text.size(), Style::Ignored)
                                             : stylesOf(coloured->text, row);
    coloured->formats = formatsOf(styles, palette);
    row.setAttrString(coloured);
    return coloured;
}
