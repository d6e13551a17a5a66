#include "HTMLParser.h"

#include "HTMLPreflight.h"

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
#include <setjmp.h>
#include <signal.h>

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

QString elementName(const GumboElement &element)
{
    GumboStringPiece original = element.original_tag;
    if (original.length > 0)
        gumbo_tag_from_original_text(&original);
    if (element.tag_namespace == GUMBO_NAMESPACE_SVG && original.length > 0) {
        // SVG names keep their mixed case ("foreignObject", "linearGradient").
        if (const char *adjusted = gumbo_normalize_svg_tagname(&original))
            return QString::fromUtf8(adjusted);
    }
    if (element.tag != GUMBO_TAG_UNKNOWN)
        return QString::fromUtf8(gumbo_normalized_tagname(element.tag));
    return DOMStrings::asciiLower(fromGumboString(original));
}

void addAttributes(DOMElement &element, const GumboVector &attributes)
{
    for (unsigned i = 0; i < attributes.length; ++i) {
        const auto *attribute = static_cast<const GumboAttribute *>(attributes.data[i]);
        const QString name = fromUtf8(attribute->name);
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

// Turns the children of gumboParent into mirror nodes under parent, walking
// with an explicit stack.
void convertChildren(DOMDocument &document, const GumboNode &gumboParent, DOMNode &parent)
{
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
                DOMElementPtr element =
                    DOMTreeBuilder::element(document, 0, ns, QString(), QString(), elementName(source));
                addAttributes(*element, source.attributes);
                DOMNode *holder = element.get();
                if (DOMTreeBuilder::isTemplate(ns, element->localName()))
                    holder = &DOMTreeBuilder::templateContent(*element);
                DOMTreeBuilder::append(*target, element);
                pending.emplace_back(child, holder);
                break;
            }
            case GUMBO_NODE_TEXT:
            case GUMBO_NODE_WHITESPACE:
            case GUMBO_NODE_CDATA:
                DOMTreeBuilder::appendText(*target, fromUtf8(child->v.text.text));
                break;
            case GUMBO_NODE_COMMENT:
                DOMTreeBuilder::append(*target, DOMTreeBuilder::comment(document, 0, fromUtf8(child->v.text.text)));
                break;
            case GUMBO_NODE_DOCUMENT:
                break;
            }
        }
    }
}

// The memory of one parse, every block linked into a ring, so that a parse
// the library gave up on can still be freed.
struct ParseArena
{
    struct alignas(std::max_align_t) Block
    {
        Block *previous;
        Block *next;
    };
    Block ring{&ring, &ring};

    static void *allocate(void *userdata, size_t size)
    {
        auto *arena = static_cast<ParseArena *>(userdata);
        auto *block = static_cast<Block *>(std::malloc(sizeof(Block) + size));
        if (!block)
            return nullptr;
        block->previous = &arena->ring;
        block->next = arena->ring.next;
        arena->ring.next->previous = block;
        arena->ring.next = block;
        return block + 1;
    }
    static void deallocate(void *, void *pointer)
    {
        if (!pointer)
            return;
        Block *block = static_cast<Block *>(pointer) - 1;
        block->previous->next = block->next;
        block->next->previous = block->previous;
        std::free(block);
    }
    void freeAll()
    {
        while (ring.next != &ring)
            deallocate(nullptr, ring.next + 1);
    }
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
    ~GumboParse()
    {
        if (output)
            gumbo_destroy_output(&options, output);
        arena.freeAll();
    }
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

std::shared_ptr<DOMDocument> HTMLParser::parseDocument(const QString &html)
{
    const QByteArray utf8 = HTMLPreflight::prepare(html.toUtf8(), HTMLPreflight::Input::Document);
    GumboParse parse;
    parse.run(utf8);
    DOMDocumentPtr document = DOMTreeBuilder::document();
    if (!parse.output) {
        qCWarning(lcWeb) << "the HTML parser gave up on a text of" << utf8.size() << "bytes; the mirror stays empty";
        return document;
    }
    const GumboDocument &source = parse.output->document->v.document;
    document->setQuirksMode(source.doc_type_quirks_mode == GUMBO_DOCTYPE_QUIRKS);

    // The doctype is not among gumbo's children: it goes after the comments
    // that come before it in the text.
    const qsizetype doctypeAt = source.has_doctype ? doctypeOffset(utf8) : -1;
    bool doctypeDone = !source.has_doctype;
    const auto addDoctype = [&] {
        DOMTreeBuilder::append(*document, DOMTreeBuilder::doctype(*document, 0, fromUtf8(source.name),
                                                                  fromUtf8(source.public_identifier),
                                                                  fromUtf8(source.system_identifier)));
        doctypeDone = true;
    };
    for (unsigned i = 0; i < source.children.length; ++i) {
        const auto *child = static_cast<const GumboNode *>(source.children.data[i]);
        if (!doctypeDone
            && !(child->type == GUMBO_NODE_COMMENT && qsizetype(child->v.text.start_pos.offset) < doctypeAt))
            addDoctype();
        if (child->type == GUMBO_NODE_COMMENT) {
            DOMTreeBuilder::append(*document, DOMTreeBuilder::comment(*document, 0, fromUtf8(child->v.text.text)));
        } else if (child->type == GUMBO_NODE_ELEMENT || child->type == GUMBO_NODE_TEMPLATE) {
            const GumboElement &root = child->v.element;
            DOMElementPtr element = DOMTreeBuilder::element(*document, 0, namespaceOf(root.tag_namespace), QString(),
                                                            QString(), elementName(root));
            addAttributes(*element, root.attributes);
            DOMTreeBuilder::append(*document, element);
            convertChildren(*document, *child, *element);
        }
    }
    if (!doctypeDone)
        addDoctype();
    return document;
}

std::shared_ptr<DOMDocumentFragment> HTMLParser::parseFragment(DOMDocument &document, const QString &markup,
                                                               const QString &contextLocalName,
                                                               DOMNamespace contextNamespace)
{
    const QByteArray utf8 = HTMLPreflight::prepare(markup.toUtf8(), HTMLPreflight::Input::Fragment);
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
        convertChildren(document, *parse.output->root, *fragment);
    }
    document.recordNewSubtree(fragment.get());
    return fragment;
}
