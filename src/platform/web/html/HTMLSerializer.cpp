#include "HTMLSerializer.h"

#include "platform/web/dom/DOMCharacterData.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMDocumentType.h"
#include "platform/web/dom/DOMElement.h"

#include <vector>

namespace {

enum class EscapeMode { Text, Attribute };

// The characters each mode escapes, below U+00A1.
struct EscapeTable
{
    bool text[0xA1] = {};
    bool attribute[0xA1] = {};
    constexpr EscapeTable()
    {
        text[u'&'] = text[u'<'] = text[u'>'] = text[0xA0] = true;
        attribute[u'&'] = attribute[u'"'] = attribute[0xA0] = true;
    }
};
constexpr EscapeTable s_escapes;

void appendEscaped(QString &out, QStringView text, EscapeMode mode)
{
    const bool *escaped = mode == EscapeMode::Text ? s_escapes.text : s_escapes.attribute;
    const qsizetype size = text.size();
    const QChar *data = text.data();
    qsizetype start = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t c = data[i].unicode();
        if (c > 0xA0 || !escaped[c])
            continue;
        out.append(data + start, i - start);
        switch (c) {
        case u'&':
            out.append(QLatin1String("&amp;"));
            break;
        case u'<':
            out.append(QLatin1String("&lt;"));
            break;
        case u'>':
            out.append(QLatin1String("&gt;"));
            break;
        case u'"':
            out.append(QLatin1String("&quot;"));
            break;
        default:
            out.append(QLatin1String("&nbsp;"));
            break;
        }
        start = i + 1;
    }
    out.append(data + start, size - start);
}

bool isVoidName(QStringView name)
{
    switch (name.size()) {
    case 2:
        return name == u"br" || name == u"hr";
    case 3:
        return name == u"img" || name == u"col" || name == u"wbr";
    case 4:
        return name == u"meta" || name == u"link" || name == u"area" || name == u"base";
    case 5:
        return name == u"input" || name == u"embed" || name == u"param" || name == u"track" || name == u"frame";
    case 6:
        return name == u"source" || name == u"keygen";
    case 7:
        return name == u"bgsound";
    case 8:
        return name == u"basefont";
    default:
        return false;
    }
}

// noscript is raw text only where scripting is on: see rawTextParent().
bool isRawTextName(QStringView name)
{
    switch (name.size()) {
    case 3:
        return name == u"xmp";
    case 5:
        return name == u"style";
    case 6:
        return name == u"script" || name == u"iframe";
    case 7:
        return name == u"noembed";
    case 8:
        return name == u"noframes" || name == u"noscript";
    case 9:
        return name == u"plaintext";
    default:
        return false;
    }
}

// Whether the text children of parent are written as they stand: those of
// raw-text elements, of noscript only in a document whose scripts run.
bool isRawTextParent(const DOMElement *parent)
{
    if (!parent || !parent->isHTMLElement() || !isRawTextName(parent->localName()))
        return false;
    if (parent->localName() != QLatin1String("noscript"))
        return true;
    const DOMDocument *document = parent->ownerDocument();
    return !document || document->scripting() == Scripting::Enabled;
}

void appendElementName(QString &out, const DOMElement &element)
{
    switch (element.namespaceId()) {
    case DOMNamespace::HTML:
    case DOMNamespace::SVG:
    case DOMNamespace::MathML:
        out += element.localName();
        return;
    default:
        if (!element.prefix().isEmpty()) {
            out += element.prefix();
            out += u':';
        }
        out += element.localName();
        return;
    }
}

void appendAttributeName(QString &out, const DOMAttr &attribute)
{
    switch (attribute.namespaceId()) {
    case DOMNamespace::None:
        break;
    case DOMNamespace::XML:
        out += QLatin1String("xml:");
        break;
    case DOMNamespace::XMLNS:
        if (attribute.localName() != QLatin1String("xmlns"))
            out += QLatin1String("xmlns:");
        break;
    case DOMNamespace::XLink:
        out += QLatin1String("xlink:");
        break;
    default:
        out += attribute.name();
        return;
    }
    out += attribute.localName();
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
    pending.reserve(64);
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
            if (frame.closing) {
                out += QLatin1String("</");
                appendElementName(out, element);
                out += u'>';
                break;
            }
            out += u'<';
            appendElementName(out, element);
            const int attributes = element.attributeCount();
            for (int i = 0; i < attributes; ++i) {
                const DOMAttr *attribute = element.attributeAt(i);
                out += u' ';
                appendAttributeName(out, *attribute);
                out += QLatin1String("=\"");
                appendEscaped(out, attribute->value(), EscapeMode::Attribute);
                out += u'"';
            }
            out += u'>';
            if (element.isHTMLElement() && isVoidName(element.localName()))
                break;
            pending.push_back({&node, true});
            pushChildren(node);
            break;
        }
        case DOMNode::TEXT_NODE:
            if (isRawTextParent(node.parentElement()))
                out += static_cast<const DOMCharacterData &>(node).data();
            else
                appendEscaped(out, static_cast<const DOMCharacterData &>(node).data(), EscapeMode::Text);
            break;
        case DOMNode::COMMENT_NODE:
            out += QLatin1String("<!--");
            out += static_cast<const DOMCharacterData &>(node).data();
            out += QLatin1String("-->");
            break;
        case DOMNode::DOCUMENT_TYPE_NODE:
            out += QLatin1String("<!DOCTYPE ");
            out += static_cast<const DOMDocumentType &>(node).name();
            out += u'>';
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
    return isVoidName(localName);
}

bool HTMLSerializer::isRawTextElement(const QString &localName)
{
    return isRawTextName(localName);
}
