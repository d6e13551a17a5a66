#pragma once

#include "workspace/IgnoreOptionValue.h"

#include "platform/web/dom/DOMNode.h"

#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class DOMElement;
class DOMNodeEx;
struct DOMAttrString;
class PathComponentCell;

using DOMNodeExPtr = std::shared_ptr<DOMNodeEx>;

// The ignore rules a row's mark is computed from: the parsed "ignoreOption"
// rules and the "headerIgnoreOption" list of the page's project.
struct DOMIgnoreSettings
{
    QList<IgnoreOptionValue> rules;
    QStringList headerIgnoreOption;
};

// One step of a row's path, as the breadcrumb and the row identity across
// rebuilds read it (getPathInfosWithNode()).
struct DOMPathInfo
{
    DOMNodeEx *node = nullptr; // Not owned.
    QString tag;
    bool shouldClose = false;
    bool isParent = false;
    bool isBrother = false;
};

// One row of the DOM tree over a live node of the page's mirror: an opening
// row for an element (its children are the rows of the element's child nodes,
// then its closing row), a text or comment row, a closing row, or the
// reference row shown under an SVG "use" for the element it points to. Rows
// carry the "do not save" mark the write-back honours and write their own
// node as HTML (DOMNodeExSource.cpp).
//
// Ownership: a row owns its child rows; the links up (parent, original) are
// weak. A row holds its node. Rows live in shared pointers; the registry
// (DomNodeMap) keeps every registered row until the next page. Building and
// releasing a subtree walk without recursion, so any depth is safe.
class DOMNodeEx : public std::enable_shared_from_this<DOMNodeEx>
{
    struct Key
    {
        explicit Key() = default;
    };

public:
    explicit DOMNodeEx(Key);
    ~DOMNodeEx();
    DOMNodeEx(const DOMNodeEx &) = delete;
    DOMNodeEx &operator=(const DOMNodeEx &) = delete;

    // The opening row of an element with the rows of its whole subtree,
    // registered with the registry.
    static DOMNodeExPtr initWithNode(const DOMNodePtr &node, DOMNodeEx *parent);
    // A text or comment row, registered.
    static DOMNodeExPtr initWithSingleTextLine(const DOMNodePtr &node, DOMNodeEx *parent);
    // A closing row; not registered.
    static DOMNodeExPtr initWithCloseNode(const DOMNodePtr &node, DOMNodeEx *parent, DOMNodeEx *original);

    DOMNode *node() const { return m_node.get(); }
    const DOMNodePtr &sharedNode() const { return m_node; }
    QString displayName() const { return m_displayName; }
    void setDisplayName(const QString &name) { m_displayName = name; }
    DOMNodeEx *parentNodeEx() const { return m_parent.lock().get(); }
    // Stores the parent, then each direct child row updates its level.
    void setParentNodeEx(DOMNodeEx *parent);
    // Closing rows: the opening row they close.
    DOMNodeEx *original() const { return m_original.lock().get(); }
    bool isCloseNode() const { return m_isCloseNode; }
    bool isExpand() const { return m_isExpand; }
    const QList<DOMNodeExPtr> &children() const { return m_children; }
    QList<DOMNodeExPtr> getChildren() const { return m_children; }
    // Replaces the child rows as they stand; their parent links are the caller's.
    void setChildren(QList<DOMNodeExPtr> children) { m_children = std::move(children); }
    // The row's text as last coloured, kept by the row cell until the text changes.
    const std::shared_ptr<const DOMAttrString> &attrString() const { return m_attrString; }
    void setAttrString(std::shared_ptr<const DOMAttrString> text) { m_attrString = std::move(text); }
    bool textInserted() const { return m_textInserted; }
    qint64 level() const { return m_level; }
    bool shouldIncludInDom() const { return m_shouldIncludInDom; }
    void setShouldIncludInDom(bool include) { m_shouldIncludInDom = include; }
    bool ignore() const { return m_ignore; }
    // The row shown for the element an SVG "use" points to; never written.
    bool isReferenceNode() const { return m_isReference; }
    // The row is a reference row or lies inside one.
    bool isInReference() const { return m_inReference; }

    // --- Children ---------------------------------------------------------
    // Rebuilds the child rows (and their subtrees) from the node.
    void initChildren();
    // Brings the subtree to what initChildren() would build, keeping the
    // rows of the nodes that stayed under the same parent: an outline
    // keeps their expansion and selection, and only new nodes get new rows.
    // Answers the rows that left the subtree, to be kept until an outline
    // that showed them has let them go.
    QList<DOMNodeExPtr> refreshChildren();
    DOMNodeEx *createChildNode(const DOMNodePtr &node);
    DOMNodeEx *createSingleTextNode(const DOMNodePtr &node);
    DOMNodeEx *createCloseNode();
    int numberOfChildren() const { return m_isCloseNode ? 0 : int(m_children.size()); }
    bool isLeaf() const;
    void updateLevel();
    // The child rows of the node, or the element a "use" shows ("#id" of its
    // href or xlink:href, resolved in the document); null when none or when
    // it would show itself.
    static DOMElement *referencedElement(const DOMNode *useNode);
    // The child nodes rows are made for: a template element's content.
    static const DOMNode *contentParent(const DOMNode *node);

    // --- Display ------------------------------------------------------------
    void createStartNode();
    void expand();
    void collapse();
    QString prepareEndTag() const;
    void refreshTextContent();
    void insetTextContent();
    static QString removeNandT(const QString &text);
    static int countOfLines(const QString &text);
    static int countOfString(const QString &text);
    QString doubleQuartString(const QString &text) const;
    bool shouldCloseWithSingleLine() const;
    bool shouldCloseWithSingleTag() const;

    // --- Icons and breadcrumb -------------------------------------------------
    QIcon getNodeIcon() const;
    QIcon getPathImage() const { return getNodeIcon(); }
    std::shared_ptr<PathComponentCell> pathComponentCell();
    std::shared_ptr<PathComponentCell> componentCellFromType(const QIcon &image, const QString &title);
    QString getPathTitle(const QString &title) const;
    static qint64 levelForItem(const DOMNodeEx *row);
    // The rows from the root down to this one, closing rows left out.
    QList<DOMNodeEx *> getPath();
    QList<DOMPathInfo> getPathInfosWithNode();

    // --- Editing ------------------------------------------------------------------
    DOMNodeExPtr clone() const;
    bool hasClassSelector(QString name) const;
    void setClass(QString name);
    void removeClass(QString name);
    QString nodeAttributeValue(const QString &name) const;
    // An ancestor keeps its white space: "pre", and "textarea", "listing",
    // "xmp" and "plaintext", which HTML reads the same way.
    bool hasPreInParent() const;
    static bool isPreformatted(const DOMNode *node);

    // --- Ignore marks -------------------------------------------------------------
    void checkIgnore();
    void checkIgnoreRecursive();
    void setIgnoreRecursive();
    bool isBodyIgnore(const QList<IgnoreOptionValue> &rules) const;
    bool isHeaderIgnore(const QStringList &list) const;
    bool canChangeIgnore() const;
    // Where the marks read their rules; by default the current project's settings.
    static void setIgnoreSettingsProvider(std::function<DOMIgnoreSettings()> provider);
    static const DOMIgnoreSettings &ignoreSettings();
    // While one lives, every mark reads the settings taken when it was made.
    class IgnoreSettingsScope
    {
    public:
        IgnoreSettingsScope();
        ~IgnoreSettingsScope();
        IgnoreSettingsScope(const IgnoreSettingsScope &) = delete;
        IgnoreSettingsScope &operator=(const IgnoreSettingsScope &) = delete;

    private:
        bool m_outermost;
    };

    // --- Serialisation (DOMNodeExSource.cpp) ---------------------------------------
    enum class Beautify { No, Yes };
    // The row's own piece of HTML; a null string when it writes nothing.
    QString source(Beautify beautify = Beautify::Yes) const;
    // The same, told whether the row lies inside a preformatted element.
    QString source(Beautify beautify, bool inPre) const;
    // "\n" and each row's piece, depth first, from row down.
    QString concatNodeTree(const DOMNodeEx *row, Beautify beautify = Beautify::Yes) const;
    // The subtree's text with its common indentation removed; scripts are
    // not formatted, so it names the element the same way every time.
    QString sourceIncludeChildren() const;
    QString getIndent() const;
    QString compileAttributes(const IgnoreOptionValue *rule) const;
    // Attributes as names and values, in order.
    using Attributes = QList<std::pair<QString, QString>>;
    // The attributes as the rule's conditions leave them: "*" drops them
    // all, a value "*" or "null" drops one, any other sets it.
    static Attributes applyAttributeConditions(Attributes attributes, const IgnoreOptionValue &rule);
    static Attributes attributesOf(const DOMNode *node);
    // The attributes as a start tag writes them: " name=\"value\"" with the
    // value escaped, a bare name for the attributes HTML writes bare.
    static QString attributesText(const Attributes &attributes);
    QString sourceWithIgnoreOption(const QList<IgnoreOptionValue> &rules, bool format) const;
    QString sourceWithIgnoreOption(const QList<IgnoreOptionValue> &rules, bool format, bool inPre) const;
    // The merge of the rules whose selector the node matches.
    IgnoreOptionValue matchedIgnoreOption(const QList<IgnoreOptionValue> &rules) const
    {
        return matchedIgnoreOption(m_node.get(), rules);
    }
    static IgnoreOptionValue matchedIgnoreOption(const DOMNode *node, const QList<IgnoreOptionValue> &rules);
    // Whether the merged rules that match the node say "ignore:true".
    static bool isIgnoredByRules(const DOMNode *node, const QList<IgnoreOptionValue> &rules);
    // An unregistered row and its subtree over a node of the page, at the
    // node's depth, for writing a node that has no row (yet).
    static DOMNodeExPtr rowForWriting(const DOMNodePtr &node, std::optional<qint64> level = std::nullopt);
    // Whether a script element's text is JavaScript (no type, or a JavaScript type).
    static bool isJavaScriptElement(const DOMNode *script);
    // The script's text formatted by the external formatter; results are kept.
    static QString beautifiedScript(const QString &text);

    // One line per row, indented by two spaces per level: the display name,
    // then marks ("[close]", "[ignore]", "[reference]").
    QString debugDump() const;

private:
    // Makes the child rows of this row only; new opening rows are appended
    // to pending, whose children are still to be made.
    struct Reusable
    {
        // The opening rows fillChildren() took over.
        QList<DOMNodeEx *> kept;
        // The rows it let go.
        QList<DOMNodeExPtr> dropped;
    };
    void fillChildren(QList<DOMNodeEx *> &pending, Reusable *reusable = nullptr);
    static QString displayNameOfCharacterData(const DOMNode *node);
    // Builds the subtrees below the given rows without recursion.
    static void buildSubtrees(QList<DOMNodeEx *> pending);
    // The start tags of rows whose children are made, and the marks of
    // header elements, which name them by their whole text.
    static void finishRows(const QList<DOMNodeEx *> &rows);
    static DOMNodeExPtr makeOpeningRow(const DOMNodePtr &node, DOMNodeEx *parent, bool reference);
    void setParentLink(DOMNodeEx *parent);
    // The piece of a comment, another node that is no element, or a
    // closing row, which both families write alike; nullopt otherwise.
    std::optional<QString> pieceOfOtherRow() const;
    void registerRow();
    QString lowerName() const;

    DOMNodePtr m_node;
    QString m_displayName;
    std::weak_ptr<DOMNodeEx> m_parent;
    std::weak_ptr<DOMNodeEx> m_original;
    QList<DOMNodeExPtr> m_children;
    qint64 m_level = 0;
    bool m_isCloseNode = false;
    bool m_isExpand = false;
    bool m_textInserted = false;
    bool m_shouldIncludInDom = false;
    bool m_ignore = false;
    bool m_isReference = false;
    bool m_inReference = false;
    std::shared_ptr<const DOMAttrString> m_attrString;
};
