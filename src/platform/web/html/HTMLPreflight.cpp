#include "HTMLPreflight.h"

#include "platform/web/dom/DOMLog.h"
#include "stylesheet/WebCoreObjects.h"

#include <QHash>
#include <QList>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

bool isAsciiAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + 32) : c;
}

// A start tag the parser closes at once: a void element, or "image", which
// it reads as "img".
bool isVoidTag(const QByteArray &name)
{
    return name == "image" || WebCoreObjects::isVoidElement(QLatin1StringView(name));
}

const QSet<QByteArray> &rawTextElements()
{
    static const QSet<QByteArray> names = {"script", "style", "textarea", "title", "xmp", "iframe",
                                           "noembed", "noframes", "plaintext"};
    return names;
}

// The start tags that the head takes in without closing.
const QSet<QByteArray> &headElements()
{
    static const QSet<QByteArray> names = {"html",     "head",  "base",   "basefont", "bgsound",
                                           "link",     "meta",  "title",  "noscript", "noframes",
                                           "style",    "script", "template"};
    return names;
}

// What the limiter needs to know of an open element, as bits.
enum Kind : quint32 {
    Paragraph = 1u << 0,
    ListItem = 1u << 1,
    DefinitionItem = 1u << 2, // dd, dt
    Cell = 1u << 3,           // td, th
    Row = 1u << 4,
    Section = 1u << 5,        // tbody, thead, tfoot
    Option = 1u << 6,
    Optgroup = 1u << 7,
    Heading = 1u << 8,
    Foreign = 1u << 9,        // svg, math
    Scope = 1u << 10,         // where a search for an open p, li or dd stops
    List = 1u << 11,          // ul, ol
    DefinitionList = 1u << 12,
    TableScope = 1u << 13,    // table, html, template
};
constexpr int s_countedKinds = 10; // the kinds up to Foreign are counted

quint32 kindOf(const QByteArray &name)
{
    static const QHash<QByteArray, quint32> kinds = {
        {"p", Paragraph},
        {"li", ListItem},
        {"dd", DefinitionItem},
        {"dt", DefinitionItem},
        {"td", Cell | Scope},
        {"th", Cell | Scope},
        {"tr", Row},
        {"tbody", Section},
        {"thead", Section},
        {"tfoot", Section},
        {"option", Option},
        {"optgroup", Optgroup},
        {"h1", Heading},
        {"h2", Heading},
        {"h3", Heading},
        {"h4", Heading},
        {"h5", Heading},
        {"h6", Heading},
        {"svg", Foreign},
        {"math", Foreign},
        {"html", Scope | TableScope},
        {"table", Scope | TableScope},
        {"template", Scope | TableScope},
        {"caption", Scope},
        {"applet", Scope},
        {"marquee", Scope},
        {"object", Scope},
        {"button", Scope},
        // Points where foreign content holds HTML again.
        {"foreignobject", Scope},
        {"desc", Scope},
        {"title", Scope},
        {"mi", Scope},
        {"mo", Scope},
        {"mn", Scope},
        {"ms", Scope},
        {"mtext", Scope},
        {"annotation-xml", Scope},
        {"ul", List},
        {"ol", List},
        {"dl", DefinitionList},
    };
    return kinds.value(name, 0);
}

const QSet<QByteArray> &closesParagraph()
{
    static const QSet<QByteArray> names = {
        "address", "article", "aside",  "blockquote", "center", "details", "dialog", "dir",
        "div",     "dl",      "fieldset", "figcaption", "figure", "footer", "form",  "h1",
        "h2",      "h3",      "h4",     "h5",         "h6",     "header",  "hgroup", "hr",
        "main",    "menu",    "nav",    "ol",         "p",      "pre",     "section", "summary",
        "table",   "ul",      "li",     "dd",         "dt",     "listing", "plaintext", "xmp"};
    return names;
}

// What the scanner needs to know of a tag name, looked up once per name.
struct TagInfo
{
    QByteArray name; // lower case
    quint32 kind = 0;
    bool isVoid = false;
    bool isRawText = false;
    bool isHead = false;
    bool closesParagraph = false;
};

TagInfo makeTagInfo(const QByteArray &name)
{
    return TagInfo{name,
                   kindOf(name),
                   isVoidTag(name),
                   rawTextElements().contains(name),
                   headElements().contains(name),
                   closesParagraph().contains(name)};
}

class Scanner
{
public:
    Scanner(const QByteArray &input, HTMLPreflight::Input kind, Scripting scripting, int maxDepth)
        : m_in(input)
        , m_dropDocumentEndTags(kind != HTMLPreflight::Input::Document)
        , m_scripting(scripting)
        , m_maxDepth(maxDepth)
        , m_headOpen(kind != HTMLPreflight::Input::Fragment)
    {
    }

    HTMLPreflight::Prepared run()
    {
        const char *data = m_in.constData();
        const qsizetype size = m_in.size();
        qsizetype i = 0;
        while (i < size) {
            const char *lt = static_cast<const char *>(std::memchr(data + i, '<', size_t(size - i)));
            if (m_headOpen)
                noteText(i, lt ? lt - data : size);
            if (!lt)
                break;
            const qsizetype at = lt - data;
            const char next = at + 1 < size ? data[at + 1] : 0;
            if (next == '!') {
                i = skipMarkupDeclaration(at);
            } else if (next == '?') {
                i = skipTo(at, '>');
            } else if (next == '/') {
                i = endTag(at);
            } else if (isAsciiAlpha(next)) {
                i = startTag(at);
            } else {
                i = at + 1;
            }
        }
        if (m_out.isNull())
            return {m_in, {}, m_startTags, {}};
        m_out.append(data + m_copied, size - m_copied);
        return {m_out, m_rawTextNoscripts, m_startTags, m_edits};
    }

private:
    // Text other than white space in the head closes it.
    void noteText(qsizetype from, qsizetype to)
    {
        if (m_templateDepth > 0)
            return;
        for (qsizetype i = from; i < to; ++i) {
            if (!isSpace(m_in.at(i))) {
                m_headOpen = false;
                return;
            }
        }
    }

    qsizetype skipTo(qsizetype from, char c) const
    {
        const qsizetype found = m_in.indexOf(c, from);
        return found < 0 ? m_in.size() : found + 1;
    }

    qsizetype skipMarkupDeclaration(qsizetype at)
    {
        if (m_in.mid(at, 4) == "<!--") {
            // "<!-->" and "<!--->" close at once.
            if (m_in.mid(at + 4, 1) == ">")
                return at + 5;
            if (m_in.mid(at + 4, 2) == "->")
                return at + 6;
            const qsizetype end = m_in.indexOf("-->", at + 4);
            return end < 0 ? m_in.size() : end + 3;
        }
        return skipTo(at, '>');
    }

    // Reads a tag name at from into tag; answers its end. Names are looked
    // up in a table of those seen, so that a tag costs no allocation.
    qsizetype readName(qsizetype from, const TagInfo *&tag)
    {
        const char *data = m_in.constData();
        const qsizetype size = m_in.size();
        qsizetype i = from;
        m_nameBuffer.clear();
        while (i < size && !isSpace(data[i]) && data[i] != '/' && data[i] != '>')
            m_nameBuffer.push_back(lower(data[i++]));
        if (const auto it = m_tags.find(m_nameBuffer); it != m_tags.end()) {
            tag = &it->second;
            return i;
        }
        const QByteArray name(m_nameBuffer.data(), qsizetype(m_nameBuffer.size()));
        // Hostile text could invent names without end.
        if (m_tags.size() >= 4096) {
            m_spareTag = makeTagInfo(name);
            tag = &m_spareTag;
            return i;
        }
        tag = &m_tags.emplace(m_nameBuffer, makeTagInfo(name)).first->second;
        return i;
    }

    // Passes over the attributes up to and including '>'; notes "/>".
    qsizetype skipAttributes(qsizetype i, bool &selfClosing) const
    {
        const char *data = m_in.constData();
        const qsizetype size = m_in.size();
        selfClosing = false;
        while (i < size) {
            const char c = data[i];
            if (c != '>' && c != '/' && c != '"' && c != '\'') {
                ++i;
                continue;
            }
            if (c == '>')
                return i + 1;
            if (c == '/') {
                if (i + 1 < size && data[i + 1] == '>') {
                    selfClosing = true;
                    return i + 2;
                }
                ++i;
                continue;
            }
            // A quote at the start of a value; elsewhere it belongs to a name.
            qsizetype back = i - 1;
            while (back >= 0 && isSpace(data[back]))
                --back;
            if (back >= 0 && data[back] == '=') {
                const void *close = std::memchr(data + i + 1, c, size_t(size - i - 1));
                if (!close)
                    return size;
                i = static_cast<const char *>(close) - data + 1;
                continue;
            }
            ++i;
        }
        return size;
    }

    qsizetype endTag(qsizetype at)
    {
        if (at + 2 >= m_in.size() || !isAsciiAlpha(m_in.at(at + 2)))
            return skipTo(at, '>');
        const TagInfo *tag = nullptr;
        const qsizetype nameEnd = readName(at + 2, tag);
        const QByteArray &name = tag->name;
        bool selfClosing = false;
        const qsizetype i = skipAttributes(nameEnd, selfClosing);
        // In svg and math the parser library closes an element only on an
        // end tag of its name alone: "</svg\n  >" would leave it open.
        const bool dropped = m_dropDocumentEndTags && (name == "body" || name == "html");
        if (!dropped && m_counts[9] > 0 && i <= m_in.size() && i - 1 > nameEnd && m_in.at(i - 1) == '>')
            replace(at, i, "</" + m_in.mid(at + 2, nameEnd - at - 2) + ">");
        if (m_headOpen && m_templateDepth == 0
            && (name == "head" || name == "body" || name == "html" || name == "br"))
            m_headOpen = false;
        if (name == "template" && m_templateDepth > 0)
            --m_templateDepth;
        if (dropped) {
            replace(at, i, QByteArray());
            return i;
        }
        popTo(name);
        return i;
    }

    qsizetype startTag(qsizetype at)
    {
        ++m_startTags;
        const TagInfo *tag = nullptr;
        qsizetype i = readName(at + 1, tag);
        const QByteArray &name = tag->name;
        bool selfClosing = false;
        i = skipAttributes(i, selfClosing);
        closeImplied(*tag);
        const bool foreign = m_counts[9] > 0;
        if (m_headOpen && m_templateDepth == 0 && !tag->isHead)
            m_headOpen = false;
        if (name == "template" && !foreign)
            ++m_templateDepth;
        if (tag->isVoid || (selfClosing && foreign))
            return i;
        if (int(m_stack.size()) >= m_maxDepth) {
            // The browser's parser would close the current node first.
            const QByteArray top = m_stack.constLast().name;
            pop();
            replace(at, at, "</" + top + ">");
        }
        push(*tag);
        if (!foreign && name == "noscript" && m_scripting == Scripting::Enabled)
            return rawTextNoscript(at, i);
        if (!foreign && tag->isRawText) {
            if (name == "plaintext")
                return m_in.size();
            return skipRawText(i, name);
        }
        return i;
    }

    // A noscript start tag at `at`, whose content begins at contentStart, with
    // scripting on: its content is raw text up to "</noscript".
    qsizetype rawTextNoscript(qsizetype at, qsizetype contentStart)
    {
        const qsizetype end = skipRawText(contentStart, "noscript");
        // The element the parser library reads as raw text in its place: the
        // head keeps noframes, the body makes noembed where it stands.
        const QByteArray stand = m_headOpen ? "noframes" : "noembed";
        if (indexOfIgnoringCase("</" + stand, contentStart) >= 0
            && indexOfIgnoringCase("</" + stand, contentStart) < end) {
            qCWarning(lcWeb) << "a noscript element holds \"</" << stand
                             << "\"; its content is read as markup";
            return end;
        }
        constexpr qsizetype nameLength = 8; // "noscript"
        m_rawTextNoscripts.append(replace(at + 1, at + 1 + nameLength, stand) - 1);
        if (end < m_in.size())
            replace(end + 2, end + 2 + nameLength, stand);
        return end;
    }

    qsizetype skipRawText(qsizetype from, const QByteArray &name)
    {
        const QByteArray closing = "</" + name;
        qsizetype i = from;
        while (true) {
            const qsizetype found = indexOfIgnoringCase(closing, i);
            if (found < 0)
                return m_in.size();
            const qsizetype after = found + closing.size();
            if (after >= m_in.size() || isSpace(m_in.at(after)) || m_in.at(after) == '/' || m_in.at(after) == '>')
                return found; // The end tag is read by the main loop.
            i = after;
        }
    }

    qsizetype indexOfIgnoringCase(const QByteArray &needle, qsizetype from) const
    {
        const qsizetype last = m_in.size() - needle.size();
        for (qsizetype i = from; i <= last; ++i) {
            const qsizetype lt = m_in.indexOf('<', i);
            if (lt < 0 || lt > last)
                return -1;
            bool same = true;
            for (qsizetype k = 0; k < needle.size() && same; ++k)
                same = lower(m_in.at(lt + k)) == needle.at(k);
            if (same)
                return lt;
            i = lt;
        }
        return -1;
    }

    struct Open
    {
        QByteArray name;
        quint32 kind;
    };

    void push(const TagInfo &tag)
    {
        m_stack.append({tag.name, tag.kind});
        count(tag.kind, +1);
    }

    void pop()
    {
        count(m_stack.constLast().kind, -1);
        m_stack.removeLast();
    }

    void count(quint32 kind, int delta)
    {
        if (kind == 0)
            return;
        for (int bit = 0; bit < s_countedKinds; ++bit) {
            if (kind & (1u << bit))
                m_counts[bit] += delta;
        }
    }

    bool anyOpen(quint32 kinds) const
    {
        for (int bit = 0; bit < s_countedKinds; ++bit) {
            if ((kinds & (1u << bit)) && m_counts[bit] > 0)
                return true;
        }
        return false;
    }

    // An end tag: pops up to and including the nearest element of that name.
    void popTo(const QByteArray &name)
    {
        for (qsizetype k = m_stack.size() - 1; k >= 0; --k) {
            if (m_stack.at(k).name == name) {
                while (m_stack.size() > k)
                    pop();
                return;
            }
        }
    }

    // Pops up to and including the nearest element of one of kinds, unless an
    // element of boundaries comes first.
    void popToKind(quint32 kinds, quint32 boundaries)
    {
        if (!anyOpen(kinds))
            return;
        for (qsizetype k = m_stack.size() - 1; k >= 0; --k) {
            const quint32 kind = m_stack.at(k).kind;
            if (kind & kinds) {
                while (m_stack.size() > k)
                    pop();
                return;
            }
            if (kind & boundaries)
                return;
        }
    }

    // The end tags the HTML parser implies before some start tags.
    void closeImplied(const TagInfo &tag)
    {
        const quint32 kind = tag.kind;
        if (kind & (ListItem | DefinitionItem | Heading) || tag.closesParagraph)
            popToKind(Paragraph, Scope);
        if (kind & ListItem)
            popToKind(ListItem, Scope | List);
        else if (kind & DefinitionItem)
            popToKind(DefinitionItem, Scope | DefinitionList);
        else if (kind & Cell)
            popToKind(Cell, TableScope | Row);
        else if (kind & Row)
            popToKind(Row | Cell, TableScope | Section);
        else if (kind & Section)
            popToKind(Section | Row | Cell, TableScope);
        else if (kind & (Option | Optgroup)) {
            if (!m_stack.isEmpty() && (m_stack.constLast().kind & Option))
                pop();
            if ((kind & Optgroup) && !m_stack.isEmpty() && (m_stack.constLast().kind & Optgroup))
                pop();
        } else if (kind & Heading) {
            if (!m_stack.isEmpty() && (m_stack.constLast().kind & Heading))
                pop();
        }
    }

    // Puts text in place of the input's [from, to); answers where the text
    // begins in the output.
    qsizetype replace(qsizetype from, qsizetype to, const QByteArray &text)
    {
        if (m_out.isNull())
            m_out.reserve(m_in.size() + 1024);
        m_out.append(m_in.constData() + m_copied, from - m_copied);
        const qsizetype offset = m_out.size();
        m_out.append(text);
        m_edits.append({offset, text.size(), from, to});
        m_copied = to;
        return offset;
    }

    const QByteArray &m_in;
    const bool m_dropDocumentEndTags;
    const Scripting m_scripting;
    const int m_maxDepth;
    // The parser is still in the head (or before it): no start tag, end
    // tag or text has closed it.
    bool m_headOpen;
    int m_templateDepth = 0;
    QList<qsizetype> m_rawTextNoscripts;
    QList<HTMLPreflight::Prepared::Edit> m_edits;
    qsizetype m_startTags = 0;
    std::string m_nameBuffer;
    struct NameHash
    {
        using is_transparent = void;
        size_t operator()(std::string_view name) const { return std::hash<std::string_view>()(name); }
    };
    std::unordered_map<std::string, TagInfo, NameHash, std::equal_to<>> m_tags;
    TagInfo m_spareTag;
    QList<Open> m_stack;
    int m_counts[s_countedKinds] = {};
    QByteArray m_out;
    qsizetype m_copied = 0;
};

} // namespace

HTMLPreflight::Prepared HTMLPreflight::prepare(const QByteArray &utf8, Input input, Scripting scripting,
                                               int maxDepth)
{
    return Scanner(utf8, input, scripting, std::max(1, maxDepth)).run();
}

QByteArray HTMLPreflight::prepare(const QByteArray &utf8, Input input, int maxDepth)
{
    return prepare(utf8, input, Scripting::Disabled, maxDepth).text;
}

qsizetype HTMLPreflight::Prepared::inputPosition(qsizetype output) const
{
    // The last edit that starts at or before the position.
    const auto after = std::upper_bound(edits.cbegin(), edits.cend(), output,
                                        [](qsizetype position, const Edit &edit) { return position < edit.output; });
    if (after == edits.cbegin())
        return output;
    const Edit &edit = *(after - 1);
    if (output < edit.output + edit.length)
        return edit.inputFrom;
    return output - edit.output - edit.length + edit.inputTo;
}
