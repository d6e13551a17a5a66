#include "HTMLDepthLimiter.h"

#include <QList>
#include <QSet>

#include <algorithm>
#include <cstring>

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

const QSet<QByteArray> &voidElements()
{
    static const QSet<QByteArray> names = {"area", "base", "basefont", "bgsound", "br", "col", "embed", "frame",
                                           "hr", "img", "image", "input", "keygen", "link", "meta", "param",
                                           "source", "track", "wbr"};
    return names;
}

const QSet<QByteArray> &rawTextElements()
{
    static const QSet<QByteArray> names = {"script", "style", "textarea", "title", "xmp", "iframe",
                                           "noembed", "noframes", "noscript", "plaintext"};
    return names;
}

const QSet<QByteArray> &scopeBoundaries()
{
    static const QSet<QByteArray> names = {"html", "table", "td", "th", "caption", "template", "applet",
                                           "marquee", "object", "button"};
    return names;
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

class Limiter
{
public:
    Limiter(const QByteArray &input, int maxDepth) : m_in(input), m_maxDepth(maxDepth) {}

    QByteArray run()
    {
        const char *data = m_in.constData();
        const qsizetype size = m_in.size();
        qsizetype i = 0;
        while (i < size) {
            const char *lt = static_cast<const char *>(std::memchr(data + i, '<', size_t(size - i)));
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
            return m_in;
        m_out.append(data + m_copied, size - m_copied);
        return m_out;
    }

private:
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

    // Reads a tag name at from; answers its end.
    qsizetype readName(qsizetype from, QByteArray &name) const
    {
        qsizetype i = from;
        while (i < m_in.size() && !isSpace(m_in.at(i)) && m_in.at(i) != '/' && m_in.at(i) != '>')
            ++i;
        name = m_in.mid(from, i - from);
        for (char &c : name)
            c = lower(c);
        return i;
    }

    // Passes over the attributes up to and including '>'; notes "/>".
    qsizetype skipAttributes(qsizetype i, bool &selfClosing) const
    {
        const qsizetype size = m_in.size();
        selfClosing = false;
        while (i < size) {
            const char c = m_in.at(i);
            if (c == '>')
                return i + 1;
            if (c == '/') {
                if (i + 1 < size && m_in.at(i + 1) == '>') {
                    selfClosing = true;
                    return i + 2;
                }
                ++i;
                continue;
            }
            if (c == '"' || c == '\'') {
                // A quote at the start of a value; elsewhere it belongs to a name.
                qsizetype back = i - 1;
                while (back >= 0 && isSpace(m_in.at(back)))
                    --back;
                if (back >= 0 && m_in.at(back) == '=') {
                    const qsizetype close = m_in.indexOf(c, i + 1);
                    if (close < 0)
                        return size;
                    i = close + 1;
                    continue;
                }
            }
            ++i;
        }
        return size;
    }

    qsizetype endTag(qsizetype at)
    {
        if (at + 2 >= m_in.size() || !isAsciiAlpha(m_in.at(at + 2)))
            return skipTo(at, '>');
        QByteArray name;
        qsizetype i = readName(at + 2, name);
        bool selfClosing = false;
        i = skipAttributes(i, selfClosing);
        popTo(name, {});
        return i;
    }

    qsizetype startTag(qsizetype at)
    {
        QByteArray name;
        qsizetype i = readName(at + 1, name);
        bool selfClosing = false;
        i = skipAttributes(i, selfClosing);
        closeImplied(name);
        if (voidElements().contains(name) || (selfClosing && m_foreign > 0))
            return i;
        if (int(m_stack.size()) >= m_maxDepth) {
            // The browser's parser would close the current node first.
            const QByteArray top = m_stack.takeLast();
            if (top == "svg" || top == "math")
                --m_foreign;
            insertBefore(at, "</" + top + ">");
        }
        m_stack.append(name);
        if (name == "svg" || name == "math")
            ++m_foreign;
        if (m_foreign == 0 && rawTextElements().contains(name)) {
            if (name == "plaintext")
                return m_in.size();
            return skipRawText(i, name);
        }
        return i;
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

    // Pops up to and including the nearest element of names, unless one of
    // boundaries comes first; empty names: the name itself (an end tag).
    void popTo(const QByteArray &name, const QSet<QByteArray> &boundaries)
    {
        for (qsizetype k = m_stack.size() - 1; k >= 0; --k) {
            const QByteArray &open = m_stack.at(k);
            if (open == name) {
                while (m_stack.size() > k) {
                    const QByteArray top = m_stack.takeLast();
                    if (top == "svg" || top == "math")
                        --m_foreign;
                }
                return;
            }
            if (boundaries.contains(open))
                return;
        }
    }

    void popToAnyOf(const QSet<QByteArray> &names, const QSet<QByteArray> &boundaries)
    {
        for (qsizetype k = m_stack.size() - 1; k >= 0; --k) {
            if (names.contains(m_stack.at(k))) {
                popTo(m_stack.at(k), {});
                return;
            }
            if (boundaries.contains(m_stack.at(k)))
                return;
        }
    }

    // The end tags the HTML parser implies before some start tags.
    void closeImplied(const QByteArray &name)
    {
        static const QSet<QByteArray> listBoundaries = scopeBoundaries() + QSet<QByteArray>{"ul", "ol"};
        static const QSet<QByteArray> tableBoundaries = {"table", "html", "template"};
        if (closesParagraph().contains(name))
            popToAnyOf({"p"}, scopeBoundaries());
        if (name == "li")
            popToAnyOf({"li"}, listBoundaries);
        else if (name == "dd" || name == "dt")
            popToAnyOf({"dd", "dt"}, scopeBoundaries() + QSet<QByteArray>{"dl"});
        else if (name == "td" || name == "th")
            popToAnyOf({"td", "th"}, tableBoundaries + QSet<QByteArray>{"tr"});
        else if (name == "tr")
            popToAnyOf({"tr", "td", "th"}, tableBoundaries + QSet<QByteArray>{"tbody", "thead", "tfoot"});
        else if (name == "tbody" || name == "thead" || name == "tfoot")
            popToAnyOf({"tbody", "thead", "tfoot", "tr", "td", "th"}, tableBoundaries);
        else if (name == "option" || name == "optgroup") {
            if (!m_stack.isEmpty() && m_stack.constLast() == "option")
                m_stack.removeLast();
            if (name == "optgroup" && !m_stack.isEmpty() && m_stack.constLast() == "optgroup")
                m_stack.removeLast();
        } else if (name.size() == 2 && name.at(0) == 'h' && name.at(1) >= '1' && name.at(1) <= '6') {
            const QByteArray top = m_stack.isEmpty() ? QByteArray() : m_stack.constLast();
            if (top.size() == 2 && top.at(0) == 'h' && top.at(1) >= '1' && top.at(1) <= '6')
                m_stack.removeLast();
        }
    }

    void insertBefore(qsizetype at, const QByteArray &text)
    {
        if (m_out.isNull())
            m_out.reserve(m_in.size() + 1024);
        m_out.append(m_in.constData() + m_copied, at - m_copied);
        m_out.append(text);
        m_copied = at;
    }

    const QByteArray &m_in;
    const int m_maxDepth;
    QList<QByteArray> m_stack;
    int m_foreign = 0;
    QByteArray m_out;
    qsizetype m_copied = 0;
};

} // namespace

QByteArray HTMLDepthLimiter::limit(const QByteArray &utf8, int maxDepth)
{
    return Limiter(utf8, std::max(1, maxDepth)).run();
}
