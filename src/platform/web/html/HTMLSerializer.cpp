#include "HTMLSerializer.h"

#include "foundation/CharacterScan.h"

#include "platform/web/dom/DOMCharacterData.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMDocumentType.h"
#include "platform/web/dom/DOMElement.h"
#include "stylesheet/WebCoreObjects.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace {

// Appends to a QString through its buffer, growing it by doubling: the
// serialiser writes many short pieces, and each QString::append() checks
// and may reallocate on its own.
class Writer
{
public:
    Writer(QString &out, qsizetype expected)
        : m_out(out)
        , m_size(out.size())
    {
        reserve(m_size + std::max<qsizetype>(16, expected));
    }
    ~Writer() { m_out.resize(m_size); }
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    void put(char16_t c)
    {
        if (m_size == m_capacity)
            reserve(m_capacity * 2);
        m_data[m_size++] = QChar(c);
    }
    void put(QStringView text)
    {
        const qsizetype length = text.size();
        // An empty text may have no data at all, which memcpy must not be given.
        if (length == 0)
            return;
        if (m_size + length > m_capacity)
            reserve(std::max(m_capacity * 2, m_size + length));
        std::memcpy(m_data + m_size, text.data(), size_t(length) * sizeof(QChar));
        m_size += length;
    }
    // ASCII text.
    template<size_t N>
    void put(const char16_t (&text)[N])
    {
        put(QStringView(text, qsizetype(N - 1)));
    }

private:
    void reserve(qsizetype capacity)
    {
        m_out.resize(capacity);
        m_data = m_out.data();
        m_capacity = capacity;
    }

    QString &m_out;
    QChar *m_data = nullptr;
    qsizetype m_size = 0;
    qsizetype m_capacity = 0;
};

enum class EscapeMode { Text, Attribute };

void appendEscaped(Writer &out, QStringView text, EscapeMode mode)
{
    const QChar *data = text.data();
    const QChar *end = data + text.size();
    const QChar *start = data;
    for (const QChar *p = data;; ++p) {
        p = mode == EscapeMode::Text ? CharacterScan::findFirstOf<u'&', u'<', u'>', 0xA0>(p, end)
                                     : CharacterScan::findFirstOf<u'&', u'"', 0xA0>(p, end);
        if (p == end)
            break;
        out.put(QStringView(start, p - start));
        switch (p->unicode()) {
        case u'&':
            out.put(u"&amp;");
            break;
        case u'<':
            out.put(u"&lt;");
            break;
        case u'>':
            out.put(u"&gt;");
            break;
        case u'"':
            out.put(u"&quot;");
            break;
        default:
            out.put(u"&nbsp;");
            break;
        }
        start = p + 1;
    }
    out.put(QStringView(start, end - start));
}

// Compares without the library's out-of-line string comparison: these run
// for every element and text node.
bool isOneOf(QStringView name, std::initializer_list<std::u16string_view> names)
{
    const char16_t *text = reinterpret_cast<const char16_t *>(name.data());
    for (const std::u16string_view candidate : names) {
        if (candidate[0] != text[0])
            continue;
        bool same = true;
        for (size_t i = 1; i < candidate.size() && same; ++i)
            same = candidate[i] == text[i];
        if (same)
            return true;
    }
    return false;
}


// noscript is raw text only where scripting is on: see isRawTextParent().
// The names passed to isOneOf() below have the length of the case they sit in.
bool isRawTextName(QStringView name)
{
    switch (name.size()) {
    case 3:
        return isOneOf(name, {u"xmp"});
    case 5:
        return isOneOf(name, {u"style"});
    case 6:
        return isOneOf(name, {u"script", u"iframe"});
    case 7:
        return isOneOf(name, {u"noembed"});
    case 8:
        return isOneOf(name, {u"noframes", u"noscript"});
    case 9:
        return isOneOf(name, {u"plaintext"});
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

void appendElementName(Writer &out, const DOMElement &element)
{
    switch (element.namespaceId()) {
    case DOMNamespace::HTML:
    case DOMNamespace::SVG:
    case DOMNamespace::MathML:
        break;
    default:
        if (!element.prefix().isEmpty()) {
            out.put(element.prefix());
            out.put(u':');
        }
        break;
    }
    out.put(element.localName());
}

void appendAttributeName(Writer &out, const DOMAttr &attribute)
{
    switch (attribute.namespaceId()) {
    case DOMNamespace::None:
        break;
    case DOMNamespace::XML:
        out.put(u"xml:");
        break;
    case DOMNamespace::XMLNS:
        if (attribute.localName() != QLatin1String("xmlns"))
            out.put(u"xmlns:");
        break;
    case DOMNamespace::XLink:
        out.put(u"xlink:");
        break;
    default:
        out.put(attribute.name());
        return;
    }
    out.put(attribute.localName());
}

void appendStartTag(Writer &out, const DOMElement &element)
{
    out.put(u'<');
    appendElementName(out, element);
    const int attributes = element.attributeCount();
    for (int i = 0; i < attributes; ++i) {
        const DOMAttr *attribute = element.attributeAt(i);
        out.put(u' ');
        appendAttributeName(out, *attribute);
        out.put(u"=\"");
        appendEscaped(out, attribute->value(), EscapeMode::Attribute);
        out.put(u'"');
    }
    out.put(u'>');
}

void appendEndTag(Writer &out, const DOMElement &element)
{
    out.put(u"</");
    appendElementName(out, element);
    out.put(u'>');
}

bool isVoid(const DOMElement &element)
{
    return element.isHTMLElement() && WebCoreObjects::isVoidElement(element.localName());
}

const DOMNode &childrenHolder(const DOMNode &node)
{
    if (node.isElement()) {
        if (const DOMDocumentFragment *content = static_cast<const DOMElement &>(node).templateContent())
            return *content;
    }
    return node;
}

void serializeInto(QString &text, const DOMNode &root, bool includeRoot)
{
    Writer out(text, 4096);
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
                appendEndTag(out, element);
                break;
            }
            appendStartTag(out, element);
            if (isVoid(element))
                break;
            pending.push_back({&node, true});
            pushChildren(node);
            break;
        }
        case DOMNode::TEXT_NODE:
            if (isRawTextParent(node.parentElement()))
                out.put(static_cast<const DOMCharacterData &>(node).data());
            else
                appendEscaped(out, static_cast<const DOMCharacterData &>(node).data(), EscapeMode::Text);
            break;
        case DOMNode::COMMENT_NODE:
            out.put(u"<!--");
            out.put(static_cast<const DOMCharacterData &>(node).data());
            out.put(u"-->");
            break;
        case DOMNode::DOCUMENT_TYPE_NODE:
            out.put(u"<!DOCTYPE ");
            out.put(static_cast<const DOMDocumentType &>(node).name());
            out.put(u'>');
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

QString HTMLSerializer::startTag(const DOMElement &element)
{
    QString out;
    {
        Writer writer(out, 64);
        appendStartTag(writer, element);
    }
    return out;
}

QString HTMLSerializer::endTag(const DOMElement &element)
{
    QString out;
    if (!isVoid(element)) {
        Writer writer(out, 16);
        appendEndTag(writer, element);
    }
    return out;
}

bool HTMLSerializer::takesRawText(const DOMElement &parent)
{
    return isRawTextParent(&parent);
}

QString HTMLSerializer::escapeText(const QString &text)
{
    QString out;
    {
        Writer writer(out, text.size() + 16);
        appendEscaped(writer, text, EscapeMode::Text);
    }
    return out;
}

QString HTMLSerializer::escapeAttributeValue(const QString &value)
{
    QString out;
    {
        Writer writer(out, value.size() + 16);
        appendEscaped(writer, value, EscapeMode::Attribute);
    }
    return out;
}

bool HTMLSerializer::isVoidElement(const QString &localName)
{
    return WebCoreObjects::isVoidElement(localName);
}

bool HTMLSerializer::isRawTextElement(const QString &localName)
{
    return isRawTextName(localName);
}
