#pragma once

#include <QAnyStringView>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// The program's fixed knowledge of HTML, SVG and CSS names: tag and attribute
// lists, the element rules the DOM tree and the HTML writer follow, the
// pseudo-classes offered when a selector is built, the properties taken
// without a vendor prefix, a test for selectors the preview's engine refuses,
// and the CSS definition (every CSS property the program knows, read once from
// the resource "CSSDefinition"). Lists are built on first use and kept; later
// calls answer the same object. Tests are exact and case-sensitive except
// shouldClose() and isUnique(), which lower-case their argument.
class WebCoreObjects
{
public:
    WebCoreObjects() = delete;

    // Property name -> {"vendarPrefixes": {prefix name -> support value}},
    // "W3C" standing for the unprefixed form. Empty when the resource cannot
    // be read (logged); the next call reads it again.
    static const QVariantMap &cssDefinition();
    // The definition's property names, sorted.
    static const QStringList &getStyleNames();

    static const QStringList &getPopulerTagNames();
    // HTML and SVG tag names, sorted ("image" is both, so it occurs twice).
    static const QStringList &getTagNames();
    static const QStringList &getAttrNames();

    // The void elements ("br", "wbr", "track" ...), whatever the case of
    // the name: the one list the DOM tree, the HTML parser's preflight and
    // writer, the palette and the code view's assist follow.
    static bool isVoidElement(QAnyStringView tagName);
    // NO for a void element.
    static bool shouldClose(const QString &tagName);
    static bool canHaveChildren(const QString &tagName);
    static bool canContainInlineElementTag(const QString &tagName);
    static bool canContainBlockElementTag(const QString &tagName);
    // "html", "head" and "body".
    static bool isUnique(const QString &tagName);
    // The 24 pseudo-classes and pseudo-elements, in the order offered.
    static const QStringList &pseudos();
    static bool isVendarPrefixUnnecessaryProperty(const QString &property);
    // A boolean attribute written without a value.
    static bool isNoValueAttribute(const QString &attribute);
    // The element that must contain the tag, else "div".
    static QString getContainableParentWithTagName(const QString &tagName);
    static bool isHeaderTagGroup(const QString &tagName);
    static bool isSVGTag(const QString &tagName);
    // "-moz", "-ms", "-o".
    static const QStringList &ignoreVendorPrefixes();
    // A selector with vendor-prefixed pseudo-classes or pseudo-elements that
    // the preview's engine drops: a single-colon prefixed pseudo-class right
    // after a letter, or a list whose every part has a prefixed
    // pseudo-element of an engine other than WebKit.
    static bool isInvalidSelector(const QString &selector);
};
