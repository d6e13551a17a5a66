#pragma once

#include <QByteArray>

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
// It follows the text with a light tokenizer (comments, raw text, quoted
// attribute values, void and self-closing tags, implied end tags of p, li,
// table parts and options). Text that needs no change is answered as it is.
class HTMLPreflight
{
public:
    static constexpr int s_maxDepth = 512;

    enum class Input { Document, Fragment };

    static QByteArray prepare(const QByteArray &utf8, Input input, int maxDepth = s_maxDepth);
};
