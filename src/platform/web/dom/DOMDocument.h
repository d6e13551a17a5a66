#pragma once

#include "DOMEngineQueries.h"
#include "DOMNode.h"
#include "DOMReplayLog.h"

#include <QHash>
#include <QVariantMap>

#include <functional>
#include <optional>

class DOMAttr;
class DOMComment;
class DOMDocumentFragment;
class DOMDocumentIndex;
class DOMDocumentType;
class DOMCSSRule;
class DOMCSSRuleList;
class DOMCSSStyleDeclaration;
class DOMCSSStyleSheet;
class DOMStyleSheetList;
class DOMText;
class HTMLSourceMap;

using DOMAttrPtr = std::shared_ptr<DOMAttr>;
using DOMCommentPtr = std::shared_ptr<DOMComment>;
using DOMDocumentPtr = std::shared_ptr<DOMDocument>;
using DOMDocumentFragmentPtr = std::shared_ptr<DOMDocumentFragment>;
using DOMElementPtr = std::shared_ptr<DOMElement>;
using DOMTextPtr = std::shared_ptr<DOMText>;

// Whether the page's scripts run. HTML parses and writes a noscript element's
// content as raw text when they do, as markup when they do not.
enum class Scripting { Disabled, Enabled };

// The refusal of validateAttribute(): the first attribute name the document
// would not create, with its value.
struct DOMAttributeError
{
    QString domain = QStringLiteral("_DOMAttrbuteError");
    int code = 0;
    QString attributeName;
    QString attributeValue;
};

// The root of a page mirror (an HTML document). It makes every node of its
// tree, keeps the registry from node id to node (O(1) lookups; it holds, but
// does not own, every live node of its own), the replay log of program edits
// and the lookup tables of the selector engine, rebuilt lazily after changes.
// Built empty (create()), from HTML text (HTMLParser) or from the page's
// snapshot (DOMSnapshot).
//
// The DOM tree utilities (nodeArrayFromSelector() to validateAttribute()) are
// defined in src/domtree/DOMDocumentUtils.cpp.
class DOMDocument : public DOMNode
{
public:
    // A new empty document with a mirror id.
    static DOMDocumentPtr create();
    DOMDocument(DOMNodeKey, qint64 nodeId);
    ~DOMDocument() override;

    QString nodeName() const override;

    DOMDocumentType *doctype() const;
    DOMElement *documentElement() const;
    DOMElement *head() const;
    DOMElement *body() const;

    // Quirks mode makes class and id selectors ignore ASCII case ("BackCompat").
    bool isQuirksMode() const { return m_quirksMode; }
    void setQuirksMode(bool quirks) { m_quirksMode = quirks; }
    // As the preview runs the page: on unless its JavaScript switch is off.
    Scripting scripting() const { return m_scripting; }
    void setScripting(Scripting scripting) { m_scripting = scripting; }

    // Factories. A name that is not a valid XML name gives null and a log line,
    // as the DOM would raise InvalidCharacterError. Element names of HTML
    // elements are lower-cased.
    DOMElementPtr createElement(const QString &tagName);
    DOMElementPtr createElementNS(const QString &namespaceURI, const QString &qualifiedName);
    DOMTextPtr createTextNode(const QString &data);
    DOMCommentPtr createComment(const QString &data);
    DOMDocumentFragmentPtr createDocumentFragment();
    DOMAttrPtr createAttribute(const QString &name);
    DOMAttrPtr createAttributeNS(const QString &namespaceURI, const QString &qualifiedName);

    // The first element in tree order with that id attribute, or null.
    DOMElement *getElementById(const QString &elementId) const;
    DOMNodeList getElementsByTagName(const QString &qualifiedName) const;

    // The live node with that id, in or out of the tree; null when unknown.
    DOMNode *nodeForId(qint64 nodeId) const { return m_nodesById.value(nodeId); }
    int nodeCount() const { return int(m_nodesById.size()); }

    DOMReplayLog &replayLog() { return m_replayLog; }
    const DOMReplayLog &replayLog() const { return m_replayLog; }

    // Not owned; null answers nothing.
    void setEngineQueries(DOMEngineQueries *queries) { m_engineQueries = queries; }
    DOMEngineQueries *engineQueries() const { return m_engineQueries; }
    DOMComputedStyle getComputedStyle(const DOMElement *element, const QString &pseudoElement) const;
    QList<DOMMatchedRule> getMatchedCSSRules(const DOMElement *element, const QString &pseudoElement,
                                             bool authorOnly) const;

    // The page's style sheets (empty for a document that is not shown live),
    // and a scratch declaration for validity probes
    // (platform/web/cssom/DOMDocumentStyleSheets.cpp).
    DOMStyleSheetList &styleSheets() const;
    std::shared_ptr<DOMCSSStyleDeclaration> createCSSStyleDeclaration() const;

    // Counts changes of the tree and of id and class attributes; the selector
    // engine's tables follow it.
    quint64 treeVersion() const { return m_treeVersion; }
    // Counts every change of the tree, of any attribute and of any text:
    // what a selector matches in the document may differ after it.
    quint64 mutationVersion() const { return m_mutationVersion; }
    const DOMDocumentIndex &index() const;

    // DOM tree utilities (src/domtree/DOMDocumentUtils.cpp).

    // The nodes of querySelectorAll() in tree order; nullopt for a null selector or "*".
    std::optional<DOMNodeList> nodeArrayFromSelector(const QString &selector) const;
    // The number of those nodes; 0 for a null selector or "*".
    int numberOfNodesFromSelector(const QString &selector) const;
    // The matching rules that do not come from the page's own style sheets.
    QList<DOMMatchedRule> getNonAuthorMatchedCSSRules(DOMNode *node, const QString &pseudoElement) const;
    // Parse markup in place: SVG children inside an svg element, table parts
    // and document parts inside the element that may hold them.
    // With a source map, where each node stands in the source (in the
    // trimmed source for createNodesFromString()).
    DOMDocumentFragmentPtr createSVGElementFromSource(const QString &source, HTMLSourceMap *sourceMap = nullptr);
    DOMDocumentFragmentPtr createHTMLElementFromSource(const QString &source, HTMLSourceMap *sourceMap = nullptr);
    DOMNodePtr createNodeFromString(const QString &source);
    QList<DOMNodePtr> createNodesFromString(const QString &source, HTMLSourceMap *sourceMap = nullptr);
    // Border widths and paddings of the element in CSS pixels ("padding-top",
    // "border-left-width", ...), from its computed style.
    QVariantMap dimensionWithElement(DOMNode *node) const;
    // The attribute text as the row editor holds it, checked name by name.
    std::optional<DOMAttributeError> validateAttribute(const QString &attributeText) const;

    // Style-rule queries over the live style sheets
    // (src/domtree/DOMDocumentStyleRules.cpp).

    enum class ImportOnly { No, Yes };
    // Every rule of every style sheet in document order, the rules of
    // imported sheets in the place of their import rule.
    QList<std::shared_ptr<DOMCSSRule>> allRules() const;
    // Appends each rule of the list; an import rule is followed into its
    // sheet, and with ImportOnly::No a media or keyframes rule into its
    // children (whose own media rules are followed too).
    static void childRulesByRule(const DOMCSSRuleList &rules, QList<std::shared_ptr<DOMCSSRule>> &list,
                                 ImportOnly importOnly);
    // Logs each rule's text and type at DEBUG, imported sheets followed.
    void printCSSStructure() const;
    static void printStyleSheet(const DOMCSSStyleSheet &sheet);
    // The keyframe of that text in the keyframes rule of that name: none,
    // always (nothing asks for it).
    std::shared_ptr<DOMCSSRule> keyframeStyleBy(const QString &name, const QString &keyText) const;

    // Told the id of each node that left the document for good (nobody holds
    // it any more), so that the page can let go of it too; not while the
    // document itself ends.
    void setNodeReleasedHandler(std::function<void(qint64 nodeId)> handler) { m_nodeReleased = std::move(handler); }

private:
    friend class DOMCharacterData;
    friend class DOMElement;
    friend class DOMNode;
    friend class DOMTreeBuilder;
    friend class HTMLParser;

    DOMNodePtr cloneShallow(DOMDocument &document) const override;

    qint64 allocateNodeId() { return m_nextMirrorId--; }
    void reserveNodes(qsizetype count) { m_nodesById.reserve(m_nodesById.size() + count); }
    void registerNode(DOMNode *node);
    void unregisterNode(DOMNode *node);
    void noteTreeChanged()
    {
        ++m_treeVersion;
        ++m_mutationVersion;
    }
    void noteContentChanged() { ++m_mutationVersion; }
    // Appends the commands that make a new detached subtree in the page.
    void recordNewSubtree(const DOMNode *root);
    bool hasListeners() const { return m_listenerCount > 0; }

    QHash<qint64, DOMNode *> m_nodesById;
    qint64 m_nextMirrorId = -1;
    bool m_quirksMode = false;
    Scripting m_scripting = Scripting::Enabled;
    quint64 m_treeVersion = 1;
    quint64 m_mutationVersion = 1;
    int m_listenerCount = 0;
    DOMReplayLog m_replayLog;
    DOMEngineQueries *m_engineQueries = nullptr; // Not owned.
    std::function<void(qint64)> m_nodeReleased;
    // Made and deleted by the CSSOM layer, which this layer does not know.
    mutable std::unique_ptr<DOMStyleSheetList, void (*)(DOMStyleSheetList *)> m_styleSheets{nullptr, nullptr};
    mutable std::unique_ptr<DOMDocumentIndex> m_index;
};
