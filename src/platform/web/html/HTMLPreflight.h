#pragma once

#include "platform/web/dom/DOMDocument.h"

#include <QByteArray>
#include <QList>

// Prepares HTML text for the HTML parser, guarding against two weaknesses of
// the parser library, so that any text can be parsed:
//
// - Its tree construction costs time in proportion to the depth of open
//   elements for each tag, so a page of 100,000 unclosed elements would take
//   minutes. Like the browser's parser, which never nests deeper than 512
//   elements, the preflight closes the innermost open element before a start
//   tag that would go deeper.
// - In fragment parsing it aborts the process on some "</body>" and "</html>"
//   end tags. With no body element open, as in a fragment, HTML ignores these
//   tags anyway, so fragments lose them.
//
// The parser library also knows only pages whose scripts are off. With
// scripting on, HTML reads a noscript element's content as raw text, as it
// reads noframes in the head and noembed in the body, and the element goes
// where those would: so the preflight names such a noscript element noframes
// while the head is open and noembed after it, and reports where, so that the
// tree gets its own name back.
//
// It follows the text with a light tokenizer (comments, raw text, quoted
// attribute values, void and self-closing tags, implied end tags of p, li,
// table parts and options). Text that needs no change is answered as it is.
class HTMLPreflight
{
public:
    static constexpr int s_maxDepth = 512;

    // A fragment drops "</body>" and "</html>"; one parsed into head or html
    // starts with the head open.
    enum class Input { Document, Fragment, FragmentInHead };

    struct Prepared
    {
        QByteArray text;
        // The offsets in text of the "<" of each noscript start tag renamed
        // for raw text, ascending.
        QList<qsizetype> rawTextNoscripts;
        // The start tags read, for sizing what is built from the text.
        qsizetype startTags = 0;
        // Where text differs from the input, ascending: the bytes
        // [output, output + length) of text stand for [inputFrom, inputTo)
        // of the input. Empty when text is the input.
        struct Edit
        {
            qsizetype output = 0;
            qsizetype length = 0;
            qsizetype inputFrom = 0;
            qsizetype inputTo = 0;
        };
        QList<Edit> edits;
        // The input position of a position in text: one inside an edit is
        // its input's start.
        qsizetype inputPosition(qsizetype output) const;
    };

    static Prepared prepare(const QByteArray &utf8, Input input, Scripting scripting, int maxDepth = s_maxDepth);
    // With scripting off.
    static QByteArray prepare(const QByteArray &utf8, Input input, int maxDepth = s_maxDepth);
};
