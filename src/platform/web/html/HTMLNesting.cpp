#include "HTMLNesting.h"

#include "HTMLParser.h"
#include "HTMLSerializer.h"

#include "platform/web/dom/DOMCharacterData.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMElement.h"

#include <QSet>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

QString keyOf(DOMNamespace ns, const QString &localName)
{
    return QString::number(int(ns)) + u':' + localName.toLower();
}

QString keyOf(const DOMElement &element)
{
    return keyOf(element.namespaceId(), element.localName());
}

bool isHTML(const DOMElement &element, QLatin1StringView name)
{
    return element.isHTMLElement() && element.localName() == name;
}

// A tree's shape as a text: "(" key ... ")" for an element, "t" for a run
// of text that is not all blank (adjacent texts are one run, as the parser
// makes them), "c" for a comment. Blank text is layout, which the parser
// may drop or move (before a head), and is left out.
class Shape
{
public:
    void open(const QString &key)
    {
        flushText();
        m_text += u'(' + key;
    }
    void close()
    {
        flushText();
        m_text += u')';
    }
    void text(const QString &data)
    {
        if (!std::all_of(data.cbegin(), data.cend(), [](QChar c) { return c.isSpace(); }))
            m_pendingText = true;
    }
    void comment()
    {
        flushText();
        m_text += u'c';
    }
    // The node with its subtree, a template's content as its children.
    void addTree(const DOMNode &root)
    {
        struct Frame
        {
            const DOMNode *node;
            bool closing;
        };
        std::vector<Frame> pending{{&root, false}};
        while (!pending.empty()) {
            const Frame frame = pending.back();
            pending.pop_back();
            const DOMNode &node = *frame.node;
            if (frame.closing) {
                close();
                continue;
            }
            if (node.isText()) {
                text(static_cast<const DOMCharacterData &>(node).data());
            } else if (node.isComment()) {
                comment();
            } else if (node.isElement()) {
                const auto &element = static_cast<const DOMElement &>(node);
                open(keyOf(element));
                pending.push_back({&node, true});
                const DOMNode *holder = element.templateContent() ? static_cast<const DOMNode *>(element.templateContent()) : &node;
                for (int i = holder->childCount() - 1; i >= 0; --i)
                    pending.push_back({holder->childAt(i), false});
            }
        }
    }
    QString result()
    {
        flushText();
        return m_text;
    }

private:
    void flushText()
    {
        if (std::exchange(m_pendingText, false))
            m_text += u't';
    }

    QString m_text;
    bool m_pendingText = false;
};

// The children written into parent: those in whole with their subtrees,
// the others by their tags alone (what they hold was parsed there already).
void writeChild(QString &markup, Shape &shape, const DOMElement &parent, const DOMNode &child, bool whole)
{
    if (child.isText()) {
        const QString &data = static_cast<const DOMCharacterData &>(child).data();
        markup += HTMLSerializer::takesRawText(parent) ? data : HTMLSerializer::escapeText(data);
        shape.text(data);
    } else if (child.isComment()) {
        markup += QStringLiteral("<!--") + static_cast<const DOMCharacterData &>(child).data() + QStringLiteral("-->");
        shape.comment();
    } else if (child.isElement() && whole) {
        markup += HTMLSerializer::serialize(child);
        shape.addTree(child);
    } else if (child.isElement()) {
        const auto &element = static_cast<const DOMElement &>(child);
        markup += HTMLSerializer::startTag(element) + HTMLSerializer::endTag(element);
        shape.open(keyOf(element));
        shape.close();
    }
}

// Whether the page's markup with these children in the last element of
// chain (the root element first) parses into that very tree.
bool parsesAsItStands(const DOMDocument &document, const QList<const DOMElement *> &chain,
                      const QList<const DOMNode *> &children, const QSet<const DOMNode *> &whole)
{
    QString markup = document.isQuirksMode() ? QString() : QStringLiteral("<!DOCTYPE html>");
    Shape expected;
    const QString head = keyOf(DOMNamespace::HTML, QStringLiteral("head"));
    const QString body = keyOf(DOMNamespace::HTML, QStringLiteral("body"));
    for (qsizetype i = 0; i < chain.size(); ++i) {
        markup += HTMLSerializer::startTag(*chain.at(i));
        expected.open(keyOf(*chain.at(i)));
        // The parser gives the root element a head and a body whatever the text says.
        if (i == 0 && chain.size() > 1 && isHTML(*chain.at(1), QLatin1StringView("body"))) {
            markup += QStringLiteral("<head></head>");
            expected.open(head);
            expected.close();
        }
    }
    for (const DOMNode *child : children)
        writeChild(markup, expected, *chain.constLast(), *child, whole.contains(child));
    for (qsizetype i = chain.size() - 1; i >= 0; --i) {
        markup += HTMLSerializer::endTag(*chain.at(i));
        expected.close();
        if (i == 1 && isHTML(*chain.at(1), QLatin1StringView("head"))) {
            markup += QStringLiteral("<body></body>");
            expected.open(body);
            expected.close();
        }
    }
    const std::shared_ptr<DOMDocument> parsed = HTMLParser::parseDocument(markup, document.scripting());
    Shape actual;
    if (const DOMElement *root = parsed ? parsed->documentElement() : nullptr)
        actual.addTree(*root);
    return actual.result() == expected.result();
}

} // namespace

bool HTMLNesting::keepsInsertion(const DOMNode &parent, const QList<const DOMNode *> &nodes, const DOMNode *ref)
{
    if (!parent.isElement() || nodes.isEmpty())
        return true;
    QList<const DOMElement *> chain;
    const DOMNode *up = &parent;
    for (; up && up->isElement(); up = up->parentNode()) {
        const auto *element = static_cast<const DOMElement *>(up);
        if (element->templateContent())
            return true;
        chain.prepend(element);
    }
    if (!up || !up->isDocument() || !isHTML(*chain.constFirst(), QLatin1StringView("html")))
        return true;
    const auto &document = static_cast<const DOMDocument &>(*up);

    // The children before and after the edit, and where the nodes go.
    const QSet<const DOMNode *> moved(nodes.cbegin(), nodes.cend());
    QList<const DOMNode *> before;
    QList<const DOMNode *> after;
    qsizetype at = -1;
    qsizetype place = -1;
    for (int i = 0; i < parent.childCount(); ++i) {
        const DOMNode *child = parent.childAt(i);
        if (child == ref) {
            place = before.size();
            at = after.size();
        }
        before.append(child);
        if (!moved.contains(child))
            after.append(child);
    }
    if (at < 0) {
        place = before.size();
        at = after.size();
    }
    for (qsizetype i = 0; i < nodes.size(); ++i)
        after.insert(at + i, nodes.at(i));
    // Of the children around, the parser's reading of the nodes depends on
    // their next neighbours alone (their texts join); the root element's
    // few children are read together (a head after a body is not kept).
    const bool root = chain.size() == 1;
    const auto around = [root](const QList<const DOMNode *> &children, qsizetype first, qsizetype count) {
        if (root)
            return children;
        const qsizetype start = std::max<qsizetype>(0, first - 1);
        return children.mid(start, first + count + 1 - start);
    };
    if (parsesAsItStands(document, chain, around(after, at, nodes.size()), moved))
        return true;
    if (parsesAsItStands(document, chain, around(before, place, 0), {}))
        return false;
    // The place is already not what the parser builds (a script made it so):
    // the nodes are judged there alone.
    return parsesAsItStands(document, chain, nodes, moved);
}
