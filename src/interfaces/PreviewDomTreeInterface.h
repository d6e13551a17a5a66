#pragma once

class DOMDocument;
class QString;
class File;
class DOMNode;
struct DOMMutationEvent;

// What the preview hands to the DOM tree and asks of it. Implemented by the
// DOM tree controller (src/domtree); called by the preview (PreviewDelegate),
// which Controllers::install() hands it with PreviewDelegate::setDomTreeDelegate().
class PreviewDomTreeInterface
{
public:
    virtual ~PreviewDomTreeInterface() = default;

    // Rebuilds the tree for a new document; null shows no page.
    virtual void domNodeLists(DOMDocument *document) = 0;
    // A subtree of the page changed ("DOMSubtreeModified").
    virtual void domModified(const DOMMutationEvent &event) = 0;
    // The page's script changed an attribute of the element.
    virtual void domAttributeModified(DOMNode *node) = 0;

    // Another page is about to load: the rows of the old one are forgotten.
    virtual void clearDomNodeMap() = 0;
    // The page shown is about to be loaded again in place, from its file:
    // the tree's undo steps are kept as their changes of the file's text.
    virtual void willReloadPage() {}
    // The document shown is gone (a load began or failed): the tree and the
    // attribute inspector empty, saying why in one line; nothing edits or
    // writes that document any more.
    virtual void dropDocument(const QString &reason) = 0;
    // The node the tree shows for a node of the page (an element for the
    // inside of one it shows whole), or null when it shows none.
    virtual DOMNode *getPaticulerElement(DOMNode *node) = 0;
    // Selects the node's row (null clears the selection).
    virtual void selectNode(DOMNode *node) = 0;
    // Draws the selected row again and gives the tree the keyboard.
    virtual void reloadSelectedRow() = 0;
    // The File the tree writes the page back to: the project's file of a
    // local page, else the page's index File (owned by the preview, alive
    // until the next one is given). Null forgets it.
    virtual void setIndexFile(File *) {}
    // The resource chosen in the resource list: a page (its frame's
    // document), or null before another is chosen.
    virtual void setSelectedResourceFile(File *) {}
};
