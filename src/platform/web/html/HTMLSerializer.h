#pragma once

#include <QString>

class DOMElement;
class DOMNode;

// Writes mirror nodes as HTML text by the HTML fragment serialisation rules
// (innerHTML and outerHTML): void elements get no end tag, the text of
// raw-text elements (script, style ..., and noscript in a document whose
// scripts run) is written as it stands, other text escapes "&", "<", ">" and
// no-break spaces, attribute values "&", '"' and no-break spaces. Walks
// without recursion, so any depth is safe.
class HTMLSerializer
{
public:
    // The node itself with its subtree (a document or fragment: its children).
    static QString serialize(const DOMNode &node);
    // The node's children (a template element's content).
    static QString serializeChildren(const DOMNode &node);

    // An element's start tag with its attributes, and its end tag (empty for
    // a void element), as serialize() writes them.
    static QString startTag(const DOMElement &element);
    static QString endTag(const DOMElement &element);
    // Whether text put into parent is written as it stands (raw-text
    // elements, noscript where scripts run) rather than escaped.
    static bool takesRawText(const DOMElement &parent);

    static QString escapeText(const QString &text);
    static QString escapeAttributeValue(const QString &value);

    // HTML elements that take no end tag ("br", "img", ...), by local name.
    static bool isVoidElement(const QString &localName);
    // HTML elements whose text is not escaped ("script", "style", ...),
    // noscript included: it is one where scripting is on.
    static bool isRawTextElement(const QString &localName);
};
