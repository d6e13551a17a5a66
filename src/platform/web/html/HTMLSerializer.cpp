#include "HTMLSerializer.h"

#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMDocumentType.h"
#include "platform/web/dom/DOMElement.h"

#include <QSet>

#include <vector>

namespace {

enum class EscapeMode { Text, Attribute };

void appendEscaped(QString &out, const QString &text, EscapeMode mode)
{
    qsizetype start = 0;
    const qsizetype size = text.size();
    const QChar *data = text.constData();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        const char *replacement = nullptr;
        switch (c) {
        case u'&':
            replacement = "&amp;";
            break;
        case 0xA0:
            replacement = "&nbsp;";
            break;
        case u'<':
            replacement = mode == EscapeMode::Text ? "&lt;" : nullptr;
            break;
        case u'>':
            replacement = mode == EscapeMode::Text ? "&gt;" : nullptr;
            break;
        case u'"':
            replacement = mode == EscapeMode::Attribute ? "&quot;" : nullptr;
            break;
        default:
            break;
        }
        if (!replacement)
            continue;
        out.append(data + start, i - start);
        out.append(QLatin1String(replacement));
        start = i + 1;
    }
    out.append(data + start, size - start);
}

QString elementName(const DOMElement &element)
{
    switch (element.namespaceId()) {
    case DOMNamespace::HTML:
    case DOMNamespace::SVG:
    case DOMNamespace::MathML:
        return element.localName();
    default:
        return element.prefix().isEmpty() ? element.localName()
                                          : element.prefix() + QLatin1Char(':') + element.localName();
    }
}

void appendAttributeName(QString &out, const DOMAttr &attribute)
{
    switch (attribute.namespaceId()) {
    case DOMNamespace::None:
        out += attribute.localName();
        return;
    case DOMNamespace::XML:
        out += QLatin1String("xml:") + attribute.localName();
        return;
    case DOMNamespace::XMLNS:
        out += attribute.localName() == QLatin1String("xmlns") ? attribute.localName()
                                                               : QLatin1String("xmlns:") + attribute.localName();
        return;
    case DOMNamespace::XLink:
        out += QLatin1String("xlink:") + attribute.localName();
        return;
    default:
        out += attribute.name();
        return;
    }
}

const DOMNode &childrenHolder(const DOMNode &node)
{
    if (node.isElement()) {
        if (const DOMDocumentFragment *content = static_cast<const DOMElement &>(node).templateContent())
            return *content;
    }
    return node;
}

void serializeInto(QString &out, const DOMNode &root, bool includeRoot)
{
    struct Frame
    {
        const DOMNode *node;
        bool closing;
    };
    std::vector<Frame> pending;
    const auto pushChildren = [&pending](const DOMNode &node) {
        const DOMNode &holder = childrenHolder(node);
        for (int i = holder.childCount() - 1; i >= 0; --i)
            pending.push_back({holder.childAt(i), false});
    };
    if (includeRoot && !root.isDocument() && !root.isDocumentFragment())
        pending.push_back({&root, false});
    else
        pushChildren(root);

    while (!pending.empty()) {
        const Frame frame = pending.back();
        pending.pop_back();
        const DOMNode &node = *frame.node;
        switch (node.nodeType()) {
        case DOMNode::ELEMENT_NODE: {
            const auto &element = static_cast<const DOMElement &>(node);
            const QString name = elementName(element);
            if (frame.closing) {
                out += QLatin1String("</") + name + QLatin1Char('>');
                break;
            }
            out += QLatin1Char('<') + name;
            for (int i = 0; i < element.attributeCount(); ++i) {
                const DOMAttr *attribute = element.attributeAt(i);
                out += QLatin1Char(' ');
                appendAttributeName(out, *attribute);
                out += QLatin1String("=\"");
                appendEscaped(out, attribute->value(), EscapeMode::Attribute);
                out += QLatin1Char('"');
            }
            out += QLatin1Char('>');
            if (element.isHTMLElement() && HTMLSerializer::isVoidElement(element.localName()))
                break;
            pending.push_back({&node, true});
            pushChildren(node);
            break;
        }
        case DOMNode::TEXT_NODE: {
            const DOMElement *parent = node.parentElement();
            if (parent && parent->isHTMLElement() && HTMLSerializer::isRawTextElement(parent->localName()))
                out += node.nodeValue();
            else
                appendEscaped(out, node.nodeValue(), EscapeMode::Text);
            break;
        }
        case DOMNode::COMMENT_NODE:
            out += QLatin1String("<!--") + node.nodeValue() + QLatin1String("-->");
            break;
        case DOMNode::DOCUMENT_TYPE_NODE:
            out += QLatin1String("<!DOCTYPE ") + static_cast<const DOMDocumentType &>(node).name()
                + QLatin1Char('>');
            break;
        case DOMNode::DOCUMENT_NODE:
        case DOMNode::DOCUMENT_FRAGMENT_NODE:
            pushChildren(node);
            break;
        }
    }
}

} // namespace

QString HTMLSerializer::serialize(const DOMNode &node)
{
    QString out;
    serializeInto(out, node, true);
    return out;
}

QString HTMLSerializer::serializeChildren(const DOMNode &node)
{
    QString out;
    serializeInto(out, node, false);
    return out;
}

QString HTMLSerializer::escapeText(const QString &text)
{
    QString out;
    appendEscaped(out, text, EscapeMode::Text);
    return out;
}

QString HTMLSerializer::escapeAttributeValue(const QString &value)
{
    QString out;
    appendEscaped(out, value, EscapeMode::Attribute);
    return out;
}

bool HTMLSerializer::isVoidElement(const QString &localName)
{
    static const QSet<QString> names = {
        QStringLiteral("area"),  QStringLiteral("base"),   QStringLiteral("basefont"), QStringLiteral("bgsound"),
        QStringLiteral("br"),    QStringLiteral("col"),    QStringLiteral("embed"),    QStringLiteral("frame"),
        QStringLiteral("hr"),    QStringLiteral("img"),    QStringLiteral("input"),    QStringLiteral("keygen"),
        QStringLiteral("link"),  QStringLiteral("meta"),   QStringLiteral("param"),    QStringLiteral("source"),
        QStringLiteral("track"), QStringLiteral("wbr"),
    };
    return names.contains(localName);
}

bool HTMLSerializer::isRawTextElement(const QString &localName)
{
    static const QSet<QString> names = {
        QStringLiteral("style"),   QStringLiteral("script"),   QStringLiteral("xmp"),
        QStringLiteral("iframe"),  QStringLiteral("noembed"),  QStringLiteral("noframes"),
        QStringLiteral("plaintext"), QStringLiteral("noscript"),
    };
    return names.contains(localName);
}
