// The DOM tree utilities of DOMNode (declared in platform/web/dom/DOMNode.h).

#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNode.h"
#include "platform/web/html/HTMLSerializer.h"

#include <QStringList>

namespace {

// An identifier as CSS writes it, escaped where a selector needs it
// ("main" stays, "1st" becomes "\31 st").
QString serializeIdentifier(const QString &identifier)
{
    QString out;
    for (qsizetype i = 0; i < identifier.size(); ++i) {
        const QChar c = identifier.at(i);
        const char16_t u = c.unicode();
        const bool digit = u >= u'0' && u <= u'9';
        if (u == 0) {
            out += QChar(0xFFFD);
        } else if ((u >= 0x01 && u <= 0x1F) || u == 0x7F || (digit && i == 0)
                   || (digit && i == 1 && identifier.at(0) == QLatin1Char('-'))) {
            out += QLatin1Char('\\') + QString::number(u, 16) + QLatin1Char(' ');
        } else if (i == 0 && u == u'-' && identifier.size() == 1) {
            out += QLatin1String("\\-");
        } else if (u >= 0x80 || u == u'-' || u == u'_' || digit || (u >= u'a' && u <= u'z')
                   || (u >= u'A' && u <= u'Z')) {
            out += c;
        } else {
            out += QLatin1Char('\\') + c;
        }
    }
    return out;
}

// White space as the tree counts it: tab, line feed, form feed, carriage
// return and the Unicode separators, but not the no-break spaces, which
// HTML never collapses and which would be lost from the written page.
bool isTreeWhiteSpace(QChar c)
{
    const char16_t u = c.unicode();
    if (u == u'\t' || u == u'\n' || u == u'\f' || u == u'\r')
        return true;
    if (u == 0xA0 || u == 0x2007 || u == 0x202F)
        return false;
    const QChar::Category category = c.category();
    return category == QChar::Separator_Space || category == QChar::Separator_Line
        || category == QChar::Separator_Paragraph;
}

} // namespace

bool DOMNode::selectorIsMatched(const QString &selector) const
{
    if (selector.startsWith(QLatin1Char('@')) || !isElement())
        return false;
    return static_cast<const DOMElement *>(this)->webkitMatchesSelector(selector);
}

QList<QVariantMap> DOMNode::attributeList() const
{
    QList<QVariantMap> list;
    if (!isElement())
        return list;
    const auto *element = static_cast<const DOMElement *>(this);
    for (int i = 0; i < element->attributeCount(); ++i) {
        const DOMAttr *attribute = element->attributeAt(i);
        list.append(QVariantMap{{QStringLiteral("name"), attribute->name()},
                                {QStringLiteral("value"), attribute->value()}});
    }
    return list;
}

QString DOMNode::nodeAttributeValue(const QString &name) const
{
    if (!isElement())
        return {};
    return static_cast<const DOMElement *>(this)->getAttribute(name);
}

QString DOMNode::generateSelector() const
{
    QStringList parts;
    for (const DOMNode *node = this; node && node->isElement(); node = node->parentNode()) {
        const QString elementId = node->nodeAttributeValue(QStringLiteral("id"));
        // An empty id would give "#", which no selector engine accepts.
        if (!elementId.isEmpty()) {
            parts.prepend(QLatin1Char('#') + serializeIdentifier(elementId));
            break;
        }
        parts.prepend(node->nodeName().toLower());
    }
    return parts.join(QLatin1String(" > "));
}

QString DOMNode::escapedTextContent() const
{
    // textContent holds decoded text already; decoding it once more would turn
    // a written "&amp;lt;" into "<" on the next save.
    return HTMLSerializer::escapeText(textContent());
}

bool DOMNode::isWhiteSpaceTextNode() const
{
    if (!isText())
        return false;
    const QString text = nodeValue();
    return std::all_of(text.cbegin(), text.cend(), isTreeWhiteSpace);
}
