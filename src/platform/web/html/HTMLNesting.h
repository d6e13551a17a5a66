#pragma once

#include <QList>

class DOMNode;

// Whether the HTML parser, reading a page's text, builds the tree an edit
// makes: the one rule by which the DOM tree refuses a drop, paste or move
// that a save would not keep (a child of a void element, a block in a p, an
// a in an a, a form in a form, a row outside its table, an SVG shape in
// HTML ...). The place is written out as the page's markup would hold it,
// its ancestors' start tags around its children, parsed again and held
// against the tree the edit makes.
class HTMLNesting
{
public:
    // Whether nodes put into parent before ref (null: at its end) stay there
    // as they are, each with its subtree, and beside the children around
    // them. The nodes may be children of parent (a move within it), of
    // another element, or new. A place the parser already builds otherwise
    // (a page script's doing) judges the nodes alone. A parent outside its
    // document or in a template is not judged.
    static bool keepsInsertion(const DOMNode &parent, const QList<const DOMNode *> &nodes, const DOMNode *ref);
};
