#include "HTMLParser.h"

#include "HTMLPreflight.h"
#include "HTMLSourceMap.h"

#include "platform/web/dom/DOMComment.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMDocumentType.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMLog.h"
#include "platform/web/dom/DOMStrings.h"
#include "platform/web/dom/DOMText.h"
#include "platform/web/dom/DOMTreeBuilder.h"

#include <QScopeGuard>

#include <gumbo.h>

#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <setjmp.h>
#include <signal.h>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

QString fromUtf8(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

QString fromGumboString(const GumboStringPiece &text)
{
    return QString::fromUtf8(text.data, qsizetype(text.length));
}

DOMNamespace namespaceOf(GumboNamespaceEnum ns)
{
    switch (ns) {
    case GUMBO_NAMESPACE_SVG:
        return DOMNamespace::SVG;
    case GUMBO_NAMESPACE_MATHML:
        return DOMNamespace::MathML;
    case GUMBO_NAMESPACE_HTML:
        break;
    }
    return DOMNamespace::HTML;
}

// The names of the elements the library knows, made once.
const QString &knownTagName(GumboTag tag)
{
    static const std::vector<QString> names = [] {
        std::vector<QString> list(GUMBO_TAG_LAST);
        for (int t = 0; t < GUMBO_TAG_LAST; ++t)
            list[size_t(t)] = QString::fromUtf8(gumbo_normalized_tagname(GumboTag(t)));
        return list;
    }();
    return names[size_t(tag)];
}

// The offsets of the noscript start tags that the preflight renamed, so that
// their content parses as raw text.
using RenamedNoscripts = QList<qsizetype>;

QString elementName(const GumboElement &element, const RenamedNoscripts &noscripts)
{
    if (element.tag_namespace == GUMBO_NAMESPACE_SVG && element.original_tag.length > 0) {
        // SVG names keep their mixed case ("foreignObject", "linearGradient").
        GumboStringPiece original = element.original_tag;
        gumbo_tag_from_original_text(&original);
        if (const char *adjusted = gumbo_normalize_svg_tagname(&original))
            return QString::fromUtf8(adjusted);
    }
    if ((element.tag == GUMBO_TAG_NOFRAMES || element.tag == GUMBO_TAG_NOEMBED) && !noscripts.isEmpty()
        && std::binary_search(noscripts.cbegin(), noscripts.cend(), qsizetype(element.start_pos.offset))) {
        static const QString noscript = QStringLiteral("noscript");
        return noscript;
    }
    if (element.tag != GUMBO_TAG_UNKNOWN)
        return knownTagName(element.tag);
    GumboStringPiece original = element.original_tag;
    if (original.length > 0)
        gumbo_tag_from_original_text(&original);
    return DOMStrings::asciiLower(fromGumboString(original));
}

// Attribute names come from a small vocabulary: one shared copy of each.
QString attributeName(const char *name)
{
    struct Hash
    {
        using is_transparent = void;
        size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    thread_local std::unordered_map<std::string, QString, Hash, std::equal_to<>> names;
    const std::string_view key(name);
    if (key.size() > 32)
        return QString::fromUtf8(key.data(), qsizetype(key.size()));
    if (const auto it = names.find(key); it != names.end())
        return it->second;
    QString converted = QString::fromUtf8(key.data(), qsizetype(key.size()));
    // Hostile text could invent names without end.
    if (names.size() < 1024)
        names.emplace(std::string(key), converted);
    return converted;
}

void addAttributes(DOMElement &element, const GumboVector &attributes)
{
    for (unsigned i = 0; i < attributes.length; ++i) {
        const auto *attribute = static_cast<const GumboAttribute *>(attributes.data[i]);
        const QString name = attributeName(attribute->name);
        const QString value = fromUtf8(attribute->value);
        switch (attribute->attr_namespace) {
        case GUMBO_ATTR_NAMESPACE_XLINK:
            DOMTreeBuilder::appendAttribute(element, DOMNamespace::XLink, QString(), QStringLiteral("xlink"), name,
                                            value);
            break;
        case GUMBO_ATTR_NAMESPACE_XML:
            DOMTreeBuilder::appendAttribute(element, DOMNamespace::XML, QString(), QStringLiteral("xml"), name, value);
            break;
        case GUMBO_ATTR_NAMESPACE_XMLNS:
            DOMTreeBuilder::appendAttribute(element, DOMNamespace::XMLNS, QString(),
                                            name == QLatin1String("xmlns") ? QString() : QStringLiteral("xmlns"),
                                            name, value);
            break;
        case GUMBO_ATTR_NAMESPACE_NONE:
            DOMTreeBuilder::appendAttribute(element, DOMNamespace::None, QString(), QString(), name, value);
            break;
        }
    }
}

const GumboVector &childrenOf(const GumboNode &node)
{
    return node.type == GUMBO_NODE_DOCUMENT ? node.v.document.children : node.v.element.children;
}

// Records where the parsed nodes stand in the text: gumbo's byte positions
// in the prepared text, taken back through the preflight's edits to the
// input and turned into UTF-16 positions.
class RangeRecorder
{
public:
    RangeRecorder(HTMLSourceMap &map, const HTMLPreflight::Prepared &prepared, const QByteArray &input)
        : m_map(map)
        , m_prepared(prepared)
        , m_base(prepared.text.constData())
    {
        m_map.reserve(2 * prepared.startTags + 16);
        // Most pages are ASCII, where a byte is a UTF-16 unit.
        bool ascii = true;
        for (const char c : input) {
            if (uchar(c) >= 0x80) {
                ascii = false;
                break;
            }
        }
        if (ascii)
            return;
        m_units.resize(size_t(input.size()) + 1);
        int unit = 0;
        for (qsizetype i = 0; i < input.size(); ++i) {
            m_units[size_t(i)] = unit;
            const uchar c = uchar(input.at(i));
            if ((c & 0xC0) != 0x80)
                unit += c >= 0xF0 ? 2 : 1;
        }
        m_units[size_t(input.size())] = unit;
    }

    qsizetype position(qsizetype preparedByte) const
    {
        const qsizetype input = m_prepared.inputPosition(preparedByte);
        if (m_units.empty())
            return input;
        return m_units[size_t(std::clamp<qsizetype>(input, 0, qsizetype(m_units.size()) - 1))];
    }
    qsizetype position(const char *at) const { return position(qsizetype(at - m_base)); }

    void text(const DOMNode &node, const GumboText &text)
    {
        const qsizetype from = position(text.original_text.data);
        const qsizetype to = position(text.original_text.data + text.original_text.length);
        HTMLSourceRange &range = m_map[&node];
        // A text node the builder merged with the one before it grows.
        if (range.isValid() && range.end <= from) {
            range.end = to;
        } else {
            range.start = from;
            range.end = to;
        }
        range.startTagEnd = range.start;
        range.endTagStart = range.end;
    }

    void element(const DOMNode &node, const GumboNode &source, const DOMNode &holder)
    {
        const GumboElement &element = source.v.element;
        HTMLSourceRange range;
        if (element.original_tag.length > 0) {
            range.start = position(element.original_tag.data);
            range.startTagEnd = position(element.original_tag.data + element.original_tag.length);
        }
        // The parser notes the end tag that closed an element, also when
        // the tag was another's ("</ul>" closing an open "li"): only an end
        // tag of the element's own name is its own.
        if (element.original_end_tag.length > 0 && endTagNames(element, node)) {
            range.endTagStart = position(element.original_end_tag.data);
            range.end = position(element.original_end_tag.data + element.original_end_tag.length);
        }
        m_map[&node] = range;
        if (range.start < 0 || range.end < 0)
            m_implied.push_back({&node, &holder, &source});
    }

    void comment(const DOMNode &node, const GumboText &text) { this->text(node, text); }

    // A text's or an end tag's place given by its bytes [from, to).
    void textSpan(const DOMNode &node, const char *from, const char *to)
    {
        HTMLSourceRange &range = m_map[&node];
        range.start = range.startTagEnd = position(from);
        range.end = range.endTagStart = position(to);
    }
    void endTag(const DOMNode &element, const char *from, const char *to)
    {
        HTMLSourceRange &range = m_map[&element];
        range.endTagStart = position(from);
        range.end = position(to);
    }
    // A form's end tag right after its last child, which the parser
    // library does not note.
    void formEndTag(const DOMNode &form, const GumboNode &source)
    {
        const GumboElement &element = source.v.element;
        if (element.original_end_tag.length > 0 || element.original_tag.length == 0)
            return;
        const char *at = element.original_tag.data + element.original_tag.length;
        if (element.children.length > 0) {
            const auto *last = static_cast<const GumboNode *>(element.children.data[element.children.length - 1]);
            if (last->type == GUMBO_NODE_ELEMENT || last->type == GUMBO_NODE_TEMPLATE) {
                if (last->v.element.original_end_tag.length == 0)
                    return;
                at = last->v.element.original_end_tag.data + last->v.element.original_end_tag.length;
            } else {
                at = last->v.text.original_text.data + last->v.text.original_text.length;
            }
        }
        const char *end = m_prepared.text.constData() + m_prepared.text.size();
        if (at < m_base || end - at < 7 || qstrnicmp(at, "</form", 6) != 0)
            return;
        const auto *close = static_cast<const char *>(std::memchr(at, '>', size_t(end - at)));
        if (close)
            endTag(form, at, close + 1);
    }

    // Gives the elements with an implied tag their place from their
    // children, innermost first.
    void finish()
    {
        for (auto it = m_implied.crbegin(); it != m_implied.crend(); ++it) {
            HTMLSourceRange &range = m_map[it->node];
            qsizetype first = -1;
            qsizetype last = -1;
            for (const DOMNode *child = it->holder->firstChild(); child; child = child->nextSibling()) {
                const HTMLSourceRange *childRange = m_map.rangeOf(child);
                if (!childRange || !childRange->isValid())
                    continue;
                if (first < 0)
                    first = childRange->start;
                last = std::max(last, childRange->end);
            }
            if (range.start < 0) {
                qsizetype at = first >= 0 ? first : (range.endTagStart >= 0 ? range.endTagStart : -1);
                if (at < 0)
                    at = position(qsizetype(it->source->v.element.start_pos.offset));
                range.start = range.startTagEnd = at;
            }
            if (range.end < 0) {
                const qsizetype at = std::max(range.startTagEnd, last);
                range.end = range.endTagStart = at;
            }
        }
    }

private:
    // The name in a tag's text ("div" of "<DIV class=a>" or "</div>").
    static std::string_view nameInTag(const GumboStringPiece &tag)
    {
        std::string_view text(tag.data, tag.length);
        size_t begin = text.substr(0, 2) == "</" ? 2 : 1;
        size_t end = begin;
        while (end < text.size() && text[end] != '>' && text[end] != '/' && text[end] != ' ' && text[end] != '\t'
               && text[end] != '\n' && text[end] != '\r' && text[end] != '\f')
            ++end;
        return begin < text.size() ? text.substr(begin, end - begin) : std::string_view();
    }

    static bool endTagNames(const GumboElement &element, const DOMNode &node)
    {
        const std::string_view closing = nameInTag(element.original_end_tag);
        // The start tag as the parser library read it: the preflight may
        // have renamed it, and its end tag with it.
        const QString name = element.original_tag.length > 0 ? QString::fromUtf8(nameInTag(element.original_tag))
                                                             : static_cast<const DOMElement &>(node).localName();
        return QString::fromUtf8(closing).compare(name, Qt::CaseInsensitive) == 0;
    }

    struct Implied
    {
        const DOMNode *node;
        const DOMNode *holder;
        const GumboNode *source;
    };

    HTMLSourceMap &m_map;
    const HTMLPreflight::Prepared &m_prepared;
    const char *m_base;
    std::vector<int> m_units;
    std::vector<Implied> m_implied;
};

// The parser library closes a form without taking the text before its end
// tag into it, and without noting the end tag: "<form><p>x</p>a</form>b"
// leaves "ab" after the form, where a browser has "a" as the form's last
// child. Such a text after a form is split where the end tag stands; the
// text before it goes into the form once the form's children are in.
struct FormTail
{
    DOMNode *form = nullptr; // Not owned.
    QString inside;
    const char *insideFrom = nullptr;
    const char *endTagFrom = nullptr;
    const char *endTagTo = nullptr;
};

// The form's end tag in a text the parser put after it, and the text on
// either side; false when the text holds none or its decoded form cannot be
// split there (an entity before the tag).
bool splitAtFormEnd(const GumboNode &text, QString &inside, QString &after, qsizetype &tagFrom, qsizetype &tagTo)
{
    const GumboStringPiece &original = text.v.text.original_text;
    const QByteArray bytes(original.data, qsizetype(original.length));
    tagFrom = bytes.toLower().indexOf("</form");
    if (tagFrom < 0)
        return false;
    tagTo = bytes.indexOf('>', tagFrom);
    if (tagTo < 0)
        return false;
    ++tagTo;
    QByteArray before = bytes.left(tagFrom);
    if (before.contains('&'))
        return false;
    before.replace("\r\n", "\n").replace('\r', '\n');
    const QByteArray decoded(text.v.text.text);
    if (!decoded.startsWith(before))
        return false;
    inside = QString::fromUtf8(before);
    after = QString::fromUtf8(decoded.mid(before.size()));
    return true;
}

// Turns the children of gumboParent into mirror nodes under parent, walking
// with an explicit stack; with a recorder, notes where each node stands.
void convertChildren(DOMDocument &document, const GumboNode &gumboParent, DOMNode &parent,
                     const RenamedNoscripts &noscripts, RangeRecorder *ranges = nullptr)
{
    std::vector<FormTail> formTails;
    std::vector<std::pair<DOMNode *, const GumboNode *>> forms;
    std::vector<std::pair<const GumboNode *, DOMNode *>> pending{{&gumboParent, &parent}};
    while (!pending.empty()) {
        const auto [source, target] = pending.back();
        pending.pop_back();
        const GumboVector &children = childrenOf(*source);
        for (unsigned i = 0; i < children.length; ++i) {
            const auto *child = static_cast<const GumboNode *>(children.data[i]);
            switch (child->type) {
            case GUMBO_NODE_ELEMENT:
            case GUMBO_NODE_TEMPLATE: {
                const GumboElement &source = child->v.element;
                const DOMNamespace ns = namespaceOf(source.tag_namespace);
                DOMElementPtr element = DOMTreeBuilder::element(document, 0, ns, QString(), QString(),
                                                                elementName(source, noscripts));
                addAttributes(*element, source.attributes);
                DOMNode *holder = element.get();
                if (DOMTreeBuilder::isTemplate(ns, element->localName()))
                    holder = &DOMTreeBuilder::templateContent(*element);
                DOMTreeBuilder::append(*target, element);
                if (ranges)
                    ranges->element(*element, *child, *holder);
                if (ranges && source.tag == GUMBO_TAG_FORM)
                    forms.emplace_back(element.get(), child);
                pending.emplace_back(child, holder);
                break;
            }
            case GUMBO_NODE_TEXT:
            case GUMBO_NODE_WHITESPACE:
            case GUMBO_NODE_CDATA: {
                const auto *before = i > 0 ? static_cast<const GumboNode *>(children.data[i - 1]) : nullptr;
                QString inside;
                QString after;
                qsizetype tagFrom = 0;
                qsizetype tagTo = 0;
                if (before && before->type == GUMBO_NODE_ELEMENT && before->v.element.tag == GUMBO_TAG_FORM
                    && before->v.element.original_end_tag.length == 0 && target->lastChild()
                    && splitAtFormEnd(*child, inside, after, tagFrom, tagTo)) {
                    const char *from = child->v.text.original_text.data;
                    formTails.push_back({target->lastChild(), inside, from, from + tagFrom, from + tagTo});
                    if (!after.isEmpty()) {
                        DOMTreeBuilder::appendText(*target, after);
                        if (ranges)
                            ranges->textSpan(*target->lastChild(), from + tagTo, from + child->v.text.original_text.length);
                    }
                    break;
                }
                DOMTreeBuilder::appendText(*target, fromUtf8(child->v.text.text));
                if (ranges)
                    ranges->text(*target->lastChild(), child->v.text);
                break;
            }
            case GUMBO_NODE_COMMENT: {
                DOMNodePtr comment = DOMTreeBuilder::comment(document, 0, fromUtf8(child->v.text.text));
                DOMTreeBuilder::append(*target, comment);
                if (ranges)
                    ranges->comment(*comment, child->v.text);
                break;
            }
            case GUMBO_NODE_DOCUMENT:
                break;
            }
        }
    }
    for (const auto &[form, source] : forms) {
        const bool split = std::any_of(formTails.cbegin(), formTails.cend(), [form = form](const FormTail &tail) { return tail.form == form; });
        if (!split)
            ranges->formEndTag(*form, *source);
    }
    for (const FormTail &tail : formTails) {
        if (!tail.inside.isEmpty()) {
            DOMTreeBuilder::appendText(*tail.form, tail.inside);
            if (ranges)
                ranges->textSpan(*tail.form->lastChild(), tail.insideFrom, tail.endTagFrom);
        }
        if (ranges)
            ranges->endTag(*tail.form, tail.endTagFrom, tail.endTagTo);
    }
}

// The memory of one parse: the library's many small blocks are cut from
// large chunks and all freed at once when the parse is done, also when the
// library gave up on it. Blocks the library frees during the parse stay until
// then.
class ParseArena
{
public:
    ParseArena() = default;
    ~ParseArena() { freeAll(); }
    ParseArena(const ParseArena &) = delete;
    ParseArena &operator=(const ParseArena &) = delete;

    static void *allocate(void *userdata, size_t size)
    {
        return static_cast<ParseArena *>(userdata)->take(size);
    }
    static void deallocate(void *, void *) {}

    void freeAll()
    {
        for (void *block : m_blocks)
            std::free(block);
        m_blocks.clear();
        m_cursor = m_end = nullptr;
    }

private:
    static constexpr size_t s_chunkSize = 256 * 1024;
    static constexpr size_t s_alignment = alignof(std::max_align_t);

    void *take(size_t size)
    {
        size = (size + s_alignment - 1) & ~(s_alignment - 1);
        if (size > size_t(m_end - m_cursor)) {
            // A large block gets its own allocation; a small one a new chunk.
            const bool ownBlock = size > s_chunkSize / 4;
            void *block = std::malloc(ownBlock ? size : s_chunkSize);
            if (!block)
                return nullptr;
            m_blocks.push_back(block);
            if (ownBlock)
                return block;
            m_cursor = static_cast<char *>(block);
            m_end = m_cursor + s_chunkSize;
        }
        void *taken = m_cursor;
        m_cursor += size;
        return taken;
    }

    std::vector<void *> m_blocks;
    char *m_cursor = nullptr;
    char *m_end = nullptr;
};

thread_local sigjmp_buf *t_parserAbort = nullptr;

extern "C" void onParserAbort(int signal)
{
    if (sigjmp_buf *jump = t_parserAbort) {
        t_parserAbort = nullptr;
        siglongjmp(*jump, 1);
    }
    // Not from a parse on this thread: abort as intended.
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// One run of the parser library. The library checks its own invariants with
// assertions that abort the process, and some rare texts trip them; such a
// parse is abandoned instead (the abort is caught while the library runs,
// the parse's memory is freed) and answers no output.
struct GumboParse
{
    GumboOptions options = kGumboDefaultOptions;
    GumboOutput *output = nullptr;
    ParseArena arena;

    GumboParse()
    {
        options.max_errors = 0;
        options.allocator = &ParseArena::allocate;
        options.deallocator = &ParseArena::deallocate;
        options.userdata = &arena;
    }
    // The output lives in the arena, which frees it whole.
    ~GumboParse() = default;
    GumboParse(const GumboParse &) = delete;
    GumboParse &operator=(const GumboParse &) = delete;

    void run(const QByteArray &utf8) { output = runGuarded(&options, utf8.constData(), size_t(utf8.size())); }

private:
    // Only plain values live in this frame, since leaving it by the jump
    // skips destructors.
    static GumboOutput *runGuarded(const GumboOptions *options, const char *data, size_t size)
    {
        struct sigaction previous = {};
        struct sigaction guard = {};
        guard.sa_handler = &onParserAbort;
        sigemptyset(&guard.sa_mask);
        sigaction(SIGABRT, &guard, &previous);
        sigjmp_buf jump;
        GumboOutput *volatile output = nullptr;
        if (sigsetjmp(jump, 1) == 0) {
            t_parserAbort = &jump;
            output = gumbo_parse_with_options(options, data, size);
        }
        t_parserAbort = nullptr;
        sigaction(SIGABRT, &previous, nullptr);
        return output;
    }
};

qsizetype doctypeOffset(const QByteArray &utf8)
{
    for (qsizetype at = utf8.indexOf("<!"); at >= 0; at = utf8.indexOf("<!", at + 2)) {
        if (utf8.mid(at + 2, 7).toLower() == "doctype")
            return at;
    }
    return -1;
}

} // namespace

void DOMTreeBuilder::appendText(DOMNode &parent, const QString &data)
{
    if (DOMNode *last = parent.lastChild(); last && last->isText()) {
        static_cast<DOMCharacterData *>(last)->m_data += data;
        return;
    }
    DOMDocument *document = parent.document();
    Q_ASSERT(document);
    append(parent, text(*document, 0, data));
}

std::shared_ptr<DOMDocument> HTMLParser::parseDocument(const QString &html, Scripting scripting)
{
    return parseDocument(html, scripting, nullptr);
}

std::shared_ptr<DOMDocument> HTMLParser::parseDocument(const QString &html, Scripting scripting,
                                                       HTMLSourceMap *sourceMap)
{
    const QByteArray input = html.toUtf8();
    const HTMLPreflight::Prepared prepared
        = HTMLPreflight::prepare(input, HTMLPreflight::Input::Document, scripting);
    const QByteArray &utf8 = prepared.text;
    GumboParse parse;
    parse.run(utf8);
    DOMDocumentPtr document = DOMTreeBuilder::document();
    document->setScripting(scripting);
    // About one text node comes with each element.
    DOMTreeBuilder::reserveNodes(*document, 2 * prepared.startTags + 16);
    if (!parse.output) {
        qCWarning(lcWeb) << "the HTML parser gave up on a text of" << utf8.size() << "bytes; the mirror stays empty";
        return document;
    }
    const GumboDocument &source = parse.output->document->v.document;
    document->setQuirksMode(source.doc_type_quirks_mode == GUMBO_DOCTYPE_QUIRKS);
    std::optional<RangeRecorder> recorder;
    if (sourceMap)
        recorder.emplace(*sourceMap, prepared, input);
    RangeRecorder *ranges = recorder ? &*recorder : nullptr;

    // The doctype is not among gumbo's children: it goes after the comments
    // that come before it in the text.
    const qsizetype doctypeAt = source.has_doctype ? doctypeOffset(utf8) : -1;
    bool doctypeDone = !source.has_doctype;
    const auto addDoctype = [&] {
        DOMNodePtr doctype = DOMTreeBuilder::doctype(*document, 0, fromUtf8(source.name),
                                                     fromUtf8(source.public_identifier),
                                                     fromUtf8(source.system_identifier));
        DOMTreeBuilder::append(*document, doctype);
        if (ranges && doctypeAt >= 0) {
            const qsizetype close = utf8.indexOf('>', doctypeAt);
            HTMLSourceRange &range = (*sourceMap)[doctype.get()];
            range.start = range.startTagEnd = ranges->position(doctypeAt);
            range.end = range.endTagStart = ranges->position(close < 0 ? utf8.size() : close + 1);
        }
        doctypeDone = true;
    };
    for (unsigned i = 0; i < source.children.length; ++i) {
        const auto *child = static_cast<const GumboNode *>(source.children.data[i]);
        if (!doctypeDone
            && !(child->type == GUMBO_NODE_COMMENT && qsizetype(child->v.text.start_pos.offset) < doctypeAt))
            addDoctype();
        if (child->type == GUMBO_NODE_COMMENT) {
            DOMNodePtr comment = DOMTreeBuilder::comment(*document, 0, fromUtf8(child->v.text.text));
            DOMTreeBuilder::append(*document, comment);
            if (ranges)
                ranges->comment(*comment, child->v.text);
        } else if (child->type == GUMBO_NODE_ELEMENT || child->type == GUMBO_NODE_TEMPLATE) {
            const GumboElement &root = child->v.element;
            DOMElementPtr element = DOMTreeBuilder::element(*document, 0, namespaceOf(root.tag_namespace), QString(),
                                                            QString(), elementName(root, prepared.rawTextNoscripts));
            addAttributes(*element, root.attributes);
            DOMTreeBuilder::append(*document, element);
            if (ranges)
                ranges->element(*element, *child, *element);
            convertChildren(*document, *child, *element, prepared.rawTextNoscripts, ranges);
        }
    }
    if (!doctypeDone)
        addDoctype();
    if (ranges)
        ranges->finish();
    return document;
}

std::shared_ptr<DOMDocumentFragment> HTMLParser::parseFragment(DOMDocument &document, const QString &markup,
                                                               const QString &contextLocalName,
                                                               DOMNamespace contextNamespace)
{
    return parseFragment(document, markup, contextLocalName, contextNamespace, nullptr);
}

std::shared_ptr<DOMDocumentFragment> HTMLParser::parseFragment(DOMDocument &document, const QString &markup,
                                                               const QString &contextLocalName,
                                                               DOMNamespace contextNamespace,
                                                               HTMLSourceMap *sourceMap)
{
    const bool html = contextNamespace == DOMNamespace::HTML;
    if (html && contextLocalName == QLatin1String("noscript") && document.scripting() == Scripting::Enabled) {
        // With scripting on, all of it is the element's raw text.
        DOMDocumentFragmentPtr fragment = DOMTreeBuilder::fragment(document, 0);
        QString text = markup;
        text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n').replace(QChar(0), QChar(0xFFFD));
        if (!text.isEmpty()) {
            DOMTreeBuilder::appendText(*fragment, text);
            if (sourceMap) {
                HTMLSourceRange &range = (*sourceMap)[fragment->lastChild()];
                range.start = range.startTagEnd = 0;
                range.end = range.endTagStart = markup.size();
            }
        }
        document.recordNewSubtree(fragment.get());
        return fragment;
    }
    const bool inHead = html && (contextLocalName == QLatin1String("head") || contextLocalName == QLatin1String("html"));
    const HTMLPreflight::Prepared prepared = HTMLPreflight::prepare(
        markup.toUtf8(), inHead ? HTMLPreflight::Input::FragmentInHead : HTMLPreflight::Input::Fragment,
        document.scripting());
    const QByteArray &utf8 = prepared.text;
    GumboParse parse;
    const QByteArray contextName = contextLocalName.toUtf8();
    switch (contextNamespace) {
    case DOMNamespace::SVG:
        parse.options.fragment_namespace = GUMBO_NAMESPACE_SVG;
        parse.options.fragment_context = gumbo_tagn_enum(contextName.constData(), unsigned(contextName.size()));
        break;
    case DOMNamespace::MathML:
        parse.options.fragment_namespace = GUMBO_NAMESPACE_MATHML;
        parse.options.fragment_context = gumbo_tagn_enum(contextName.constData(), unsigned(contextName.size()));
        break;
    case DOMNamespace::HTML:
        parse.options.fragment_namespace = GUMBO_NAMESPACE_HTML;
        parse.options.fragment_context = gumbo_tagn_enum(contextName.constData(), unsigned(contextName.size()));
        break;
    default:
        parse.options.fragment_namespace = GUMBO_NAMESPACE_HTML;
        parse.options.fragment_context = GUMBO_TAG_DIV;
        break;
    }
    if (parse.options.fragment_context == GUMBO_TAG_LAST)
        parse.options.fragment_context = GUMBO_TAG_UNKNOWN;
    parse.run(utf8);

    DOMDocumentFragmentPtr fragment = DOMTreeBuilder::fragment(document, 0);
    if (!parse.output || !parse.output->root) {
        qCWarning(lcWeb) << "the HTML parser gave up on a fragment of" << utf8.size() << "bytes for"
                         << contextLocalName << "; it stays empty";
    } else {
        // The fragment's nodes are the children of the parser's root element.
        std::optional<RangeRecorder> recorder;
        if (sourceMap)
            recorder.emplace(*sourceMap, prepared, markup.toUtf8());
        convertChildren(document, *parse.output->root, *fragment, prepared.rawTextNoscripts,
                        recorder ? &*recorder : nullptr);
        if (recorder)
            recorder->finish();
    }
    document.recordNewSubtree(fragment.get());
    return fragment;
}
