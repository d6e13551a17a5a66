#pragma once

#include <QByteArray>

// Bounds the element nesting of HTML text before it is parsed. The tree
// construction of the HTML parser costs time in proportion to the depth of
// open elements for each tag, so a page of 100,000 unclosed elements would
// take minutes. Like the browser's parser, which never nests deeper than 512
// elements, the limiter closes the innermost open element before a start tag
// that would go deeper.
//
// It follows the text with a light tokenizer (comments, raw text, quoted
// attribute values, void and self-closing tags, implied end tags of p, li,
// table parts and options); text whose estimated depth stays within the limit
// is answered unchanged.
class HTMLDepthLimiter
{
public:
    static constexpr int s_maxDepth = 512;

    static QByteArray limit(const QByteArray &utf8, int maxDepth = s_maxDepth);
};
