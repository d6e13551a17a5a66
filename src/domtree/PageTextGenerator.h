#pragma once

#include "DOMNodeEx.h"

#include "workspace/IgnoreOptionValue.h"

#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class DOMDocument;

// Turns rows of the DOM tree into page text in one of two layouts: indented
// (each block-capable element, the head's children, scripts and styles on a
// line of their own, one tab per level) or minified (a line break only where
// the page had one between two nodes). It applies the ignore rules it holds:
// ignored rows are left out, attribute conditions change the written
// attributes, and a "contentName" condition puts the named snippet in place
// of an element's content. Walks without recursion.
class PageTextGenerator
{
public:
    const QList<IgnoreOptionValue> &ignoreOptions() const { return m_ignoreOptions; }
    void setIgnoreOptions(const QList<IgnoreOptionValue> &rules) { m_ignoreOptions = rules; }

    // The encoding the text will be saved in: characters it cannot hold are
    // written as character references outside raw text. 0 writes every
    // character as it is.
    quint32 textEncoding() const { return m_encoding; }
    void setTextEncoding(quint32 encoding);

    // Where named snippets come from: the "content" of the snippet with
    // that title, or nullopt when there is none. Without one no snippet is
    // found.
    static void setSnippetProvider(std::function<std::optional<QString>(const QString &title)> provider);

    // The whole page: its document type, then the comments and the rows of
    // the document's top level in document order (the tree's root row for
    // the root element). No line break ends it.
    QString generateContentWithFormat(const DOMDocument *document, const QList<DOMNodeExPtr> &domNodeList, bool format,
                                      bool minify) const;
    // The text of one row and everything below it. With ignore, the rows
    // write their write-back text (ignore marks and rules honoured), else
    // their plain text.
    QString concatNodeTree(const DOMNodeEx *row, bool format, bool minify, bool ignore) const;
    // The same, with a text that stands for a row's node and everything in
    // it (laid out like the node's own) wherever substitute answers one; an
    // empty one leaves the node out.
    using Substitute = std::function<std::optional<QString>(const DOMNodeEx *row)>;
    QString concatNodeTree(const DOMNodeEx *row, bool format, bool minify, bool ignore,
                           const Substitute &substitute) const;

    // A page's text in the minified layout: the text parsed, then written
    // like the whole page.
    QString minifiedText(const QString &text, bool format) const;

    static QString generateMinifiedNodeString(const DOMNodeEx *row, const QString &source);
    static QString generateNewlineAndIndentNodeString(const DOMNodeEx *row, const QString &source);

    // The text with each character the encoding lacks as "&#x...;".
    QString withCharacterReferences(const QString &text) const;
    // The content of the snippet a "contentName" rule names for the
    // element, or nullopt when no rule names one that exists.
    std::optional<QString> namedSnippet(const DOMNode *element) const;

private:
    bool canEncode(char32_t character) const;

    QList<IgnoreOptionValue> m_ignoreOptions;
    quint32 m_encoding = 0;
    bool m_encodesEverything = true;
    mutable QHash<char32_t, bool> m_encodable;
};
