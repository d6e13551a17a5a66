// The DOM tree utilities of DOMDocument (declared in platform/web/dom/DOMDocument.h).

#include "AttributeParser.h"

#include "platform/web/dom/DOMAttr.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/html/HTMLParser.h"
#include "platform/web/html/StringDOM.h"
#include "stylesheet/WebCoreObjects.h"

#include <QHash>
#include <QSet>

namespace {

// The leading number of a value ("1.5px" gives 1.5), in the C locale; 0 when
// the value does not start with one ("auto").
double leadingNumber(const QString &value)
{
    const QString text = value.trimmed();
    qsizetype end = 0;
    if (end < text.size() && (text.at(end) == QLatin1Char('-') || text.at(end) == QLatin1Char('+')))
        ++end;
    bool digits = false;
    while (end < text.size() && text.at(end).isDigit()) {
        ++end;
        digits = true;
    }
    if (end < text.size() && text.at(end) == QLatin1Char('.')) {
        ++end;
        while (end < text.size() && text.at(end).isDigit()) {
            ++end;
            digits = true;
        }
    }
    if (!digits)
        return 0;
    return text.left(end).toDouble();
}

// Spreads one to four values over top, right, bottom and left as CSS does.
void spreadSides(const QString &value, QString sides[4])
{
    const QStringList parts = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    switch (parts.size()) {
    case 1:
        sides[0] = sides[1] = sides[2] = sides[3] = parts.at(0);
        break;
    case 2:
        sides[0] = sides[2] = parts.at(0);
        sides[1] = sides[3] = parts.at(1);
        break;
    case 3:
        sides[0] = parts.at(0);
        sides[1] = sides[3] = parts.at(1);
        sides[2] = parts.at(2);
        break;
    case 4:
        for (int i = 0; i < 4; ++i)
            sides[i] = parts.at(i);
        break;
    default:
        break;
    }
}

} // namespace

std::optional<DOMNodeList> DOMDocument::nodeArrayFromSelector(const QString &selector) const
{
    if (selector.isNull() || selector == QLatin1String("*"))
        return std::nullopt;
    return querySelectorAll(selector);
}

int DOMDocument::numberOfNodesFromSelector(const QString &selector) const
{
    if (selector.isNull() || selector == QLatin1String("*"))
        return 0;
    return querySelectorAll(selector).length();
}

QList<DOMMatchedRule> DOMDocument::getNonAuthorMatchedCSSRules(DOMNode *node, const QString &pseudoElement) const
{
    if (node && (node->isText() || node->isComment()))
        node = node->parentNode();
    if (!node || !node->isElement())
        return {};
    const auto *element = static_cast<const DOMElement *>(node);
    QList<DOMMatchedRule> rules = getMatchedCSSRules(element, pseudoElement, false);
    const QList<DOMMatchedRule> authorRules = getMatchedCSSRules(element, QString(), true);
    for (const DOMMatchedRule &author : authorRules) {
        const auto same = std::find_if(rules.begin(), rules.end(), [&author](const DOMMatchedRule &rule) {
            return rule.cssText == author.cssText;
        });
        if (same != rules.end())
            rules.erase(same);
    }
    return rules;
}

DOMDocumentFragmentPtr DOMDocument::createSVGElementFromSource(const QString &source, HTMLSourceMap *sourceMap)
{
    return HTMLParser::parseFragment(*this, source, QStringLiteral("svg"), DOMNamespace::SVG, sourceMap);
}

DOMDocumentFragmentPtr DOMDocument::createHTMLElementFromSource(const QString &source, HTMLSourceMap *sourceMap)
{
    const QString first = StringDOM::firstNodeName(source);
    if (first == QLatin1String("svg"))
        return HTMLParser::parseFragment(*this, source, QStringLiteral("div"), DOMNamespace::HTML, sourceMap);
    DOMDocumentFragmentPtr parsed = HTMLParser::parseFragment(
        *this, source, WebCoreObjects::getContainableParentWithTagName(first), DOMNamespace::HTML, sourceMap);
    if (first != QLatin1String("body"))
        return parsed;
    // Parsed in "html", a body comes second, after the head the parser adds.
    DOMDocumentFragmentPtr fragment = createDocumentFragment();
    if (DOMNode *body = parsed->childAt(1))
        fragment->appendChild(body);
    return fragment;
}

QList<DOMNodePtr> DOMDocument::createNodesFromString(const QString &source, HTMLSourceMap *sourceMap)
{
    const QString text = source.trimmed();
    const DOMDocumentFragmentPtr fragment = WebCoreObjects::isSVGTag(StringDOM::firstNodeName(text))
        ? createSVGElementFromSource(text, sourceMap)
        : createHTMLElementFromSource(text, sourceMap);
    return fragment->childNodes().toList();
}

DOMNodePtr DOMDocument::createNodeFromString(const QString &source)
{
    const QList<DOMNodePtr> nodes = createNodesFromString(source);
    return nodes.isEmpty() ? nullptr : nodes.constFirst();
}

QVariantMap DOMDocument::dimensionWithElement(DOMNode *node) const
{
    static const QStringList keys = {
        QStringLiteral("padding-top"),         QStringLiteral("padding-right"),
        QStringLiteral("padding-bottom"),      QStringLiteral("padding-left"),
        QStringLiteral("border-top-width"),    QStringLiteral("border-right-width"),
        QStringLiteral("border-bottom-width"), QStringLiteral("border-left-width"),
    };
    QVariantMap dimension;
    for (const QString &key : keys)
        dimension.insert(key, 0.0);
    if (!node || !node->isElement())
        return dimension;
    const DOMComputedStyle style = getComputedStyle(static_cast<const DOMElement *>(node), QString());
    if (style.isEmpty())
        return dimension;

    static const QSet<QString> wanted = {
        QStringLiteral("padding"),          QStringLiteral("padding-top"),       QStringLiteral("padding-left"),
        QStringLiteral("padding-bottom"),   QStringLiteral("padding-right"),     QStringLiteral("border-width"),
        QStringLiteral("border-right-width"), QStringLiteral("border-left-width"), QStringLiteral("border-top-width"),
        QStringLiteral("border-bottom-width"), QStringLiteral("border-style"),
    };
    QHash<QString, QString> read;
    for (const auto &[property, value] : style) {
        if (wanted.contains(property))
            read.insert(property, QString(value).remove(QLatin1Char(';')));
    }
    // Sides in the order top, right, bottom, left.
    QString padding[4] = {read.value(keys[0]), read.value(keys[1]), read.value(keys[2]), read.value(keys[3])};
    QString border[4] = {read.value(keys[4]), read.value(keys[5]), read.value(keys[6]), read.value(keys[7])};
    if (read.contains(QStringLiteral("padding"))) {
        spreadSides(read.value(QStringLiteral("padding")), padding);
    } else {
        for (int i = 0; i < 4; ++i) {
            if (!read.contains(keys[i]))
                padding[i] = QStringLiteral("0");
        }
    }
    if (read.contains(QStringLiteral("border-width"))) {
        spreadSides(read.value(QStringLiteral("border-width")), border);
    } else {
        const QString unread = read.contains(QStringLiteral("border-style")) ? QStringLiteral("3") : QStringLiteral("0");
        for (int i = 0; i < 4; ++i) {
            if (!read.contains(keys[4 + i]))
                border[i] = unread;
        }
    }
    for (int i = 0; i < 4; ++i) {
        dimension.insert(keys[i], leadingNumber(padding[i]));
        dimension.insert(keys[4 + i], leadingNumber(border[i]));
    }
    return dimension;
}

std::optional<DOMAttributeError> DOMDocument::validateAttribute(const QString &attributeText) const
{
    auto *document = const_cast<DOMDocument *>(this);
    for (const QVariantMap &pair : AttributeParser::parseAttributes(attributeText)) {
        const QString name = pair.value(QStringLiteral("name")).toString();
        const QString value = pair.value(QStringLiteral("value")).toString();
        const DOMAttrPtr attribute = document->createAttribute(name);
        if (!attribute) {
            DOMAttributeError error;
            error.attributeName = name;
            error.attributeValue = value;
            return error;
        }
        attribute->setValue(value);
    }
    return std::nullopt;
}
