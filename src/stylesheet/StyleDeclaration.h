#pragma once

#include "CSSProperty.h"
#include "platform/foundation/Range.h"

#include <QList>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>
#include <optional>

class File;
class StyleDeclaration;
class VendarPrefixSettings;

using StyleDeclarationPtr = std::shared_ptr<StyleDeclaration>;

// Rule-type numbers of the style-sheet model; 1 to 8 equal the CSSOM rule
// types. The rules outline adds 9, 10 and 11.
namespace RuleType {
enum : int {
    Other = 0, // "namespace", "-moz-document", "layer", "container", any other at-rule
    Style = 1,
    Charset = 2,
    Import = 3,
    Media = 4,
    FontFace = 5,
    Page = 6,
    Keyframes = 7, // also the vendor-prefixed forms
    Keyframe = 8,
    MediaStyle = 9, // a style rule inside a media block, as the outline numbers it
    Declaration = 10,
    ShortHandDeclaration = 11,
    Supports = 12, // as the CSSOM numbers it
    DeclarationList = 13, // a bare declaration list (an element's style attribute)
    Comment = 1000,
};
} // namespace RuleType

// One item of a style-sheet file: a style rule, an at-rule block or statement,
// or (as the subclass StyleComment) a comment. A file's items form a flat list
// in text order; the items of a nesting block follow the block itself. Made
// empty and filled through the setters; setType() must come before setBody(),
// which builds the properties for the declaration-bearing types.
class StyleDeclaration
{
public:
    StyleDeclaration() = default;
    virtual ~StyleDeclaration();
    StyleDeclaration(const StyleDeclaration &) = delete;
    StyleDeclaration &operator=(const StyleDeclaration &) = delete;

    // For a style rule its selector list; for an at-rule its prelude from the
    // at-sign on; for "charset" and "import" the statement without its ";".
    const QString &selector() const { return m_selector; }
    void setSelector(const QString &selector);
    // What other views show as the item's selector.
    virtual QString getSelector() const { return m_selector; }

    // The text strictly between "{" and "}"; null (hasBody() false) for the
    // "charset" and "import" statements and for comments.
    QString body() const { return m_body.value_or(QString()); }
    bool hasBody() const { return m_body.has_value(); }
    // Stores the body and rebuilds the properties under the current project's
    // vendor-prefix settings.
    void setBody(const QString &body);
    // The same with a settings snapshot taken by the caller.
    void setBody(const QString &body, const VendarPrefixSettings &settings);
    void clearBody();

    // From "{" through "}" for a block, from the at-sign through ";" for a
    // statement, from "/*" through "*/" for a comment. A block or comment left
    // open at the end of the text reaches to the end of the text.
    Range range() const { return m_anchor ? Range{m_range.location + m_anchor->characters, m_range.length} : m_range; }
    void setRange(Range range) { m_range = m_anchor ? Range{range.location - m_anchor->characters, range.length} : range; }
    // 1-based line of the first character of range(); 0 for a comment.
    qsizetype lineNumber() const { return m_anchor ? m_lineNumber + m_anchor->lines : m_lineNumber; }
    void setLineNumber(qsizetype line) { m_lineNumber = m_anchor ? line - m_anchor->lines : line; }

    // Items that move together in their text: each keeps its range and line
    // counted from the anchor, and moving the anchor moves them all.
    // `joined` changes whenever an item starts or stops moving with it.
    struct Anchor
    {
        qsizetype characters = 0;
        qsizetype lines = 0;
        quint64 joined = 0;
    };
    // The item moves with anchor (null: with nothing) from where it is now.
    void moveWith(const std::shared_ptr<Anchor> &anchor);
    qsizetype styleIndex() const { return m_styleIndex; }
    void setStyleIndex(qsizetype index) { m_styleIndex = index; }
    // Inside the block of an at-rule that holds rules (any block at-rule but
    // "font-face").
    bool isInBraket() const { return m_inBraket; }
    void setInBraket(bool inBraket) { m_inBraket = inBraket; }
    int type() const { return m_type; }
    void setType(int type) { m_type = type; }
    // For an item inside a block: its index among the block's items, counted
    // in the order of their closing braces.
    qsizetype childIndex() const { return m_childIndex; }
    void setChildIndex(qsizetype index) { m_childIndex = index; }

    // The declarations of the body; empty for types without declarations.
    const QList<CSSPropertyPtr> &properties() const { return m_properties; }
    QList<CSSPropertyPtr> &properties() { return m_properties; }
    void setProperties(const QList<CSSPropertyPtr> &properties) { m_properties = properties; }

    // The file whose text holds the item; null for text parsed on its own.
    File *parentFile() const { return m_parentFile; }
    void setParentFile(File *file) { m_parentFile = file; }

    bool isModified() const { return m_modified; }
    void setModified(bool modified);
    // A removed item stays in the list and is skipped when text is generated.
    bool isRemoved() const { return m_removed; }
    void setRemoved(bool removed);

    // Every item marked modified now, in no order: a sheet's marks are
    // found without walking all of its items.
    static QList<const StyleDeclaration *> markedItems();
    // Changes whenever an item is removed or put back anywhere.
    static quint64 removalStamp();
    // Changes whenever the selector of an item changes anywhere (not when a
    // new item takes its first one).
    static quint64 selectorStamp();
    bool isUnspecified() const { return m_unspecified; }
    void setUnspecified(bool unspecified) { m_unspecified = unspecified; }

    // "selector{body}", or the selector alone when there is no body.
    QString cssText() const;
    // "\nname: value;\n" for each property that is not removed.
    QString generateBody() const;
    // The body written into the live page: properties of the default prefix
    // list under their "-webkit-" name only, background images in the old
    // prefixed gradient syntax, the rest as written.
    QString generateBodyForDom() const;

    // For a media (4) or keyframes (7) block: one map {"selector", "body"} per
    // child rule (style rules for a media block, keyframes for a keyframes
    // block), the body as generateBodyForDom(). Absent for other types.
    std::optional<QList<QVariantMap>> getInnerSelectors() const;

    // The children of a block item in its file, as the file model lists them.
    // The file model installs the provider; without one a block has no children.
    using MediaChildrenProvider
        = std::function<QList<StyleDeclarationPtr>(const StyleDeclaration &)>;
    static void setMediaChildrenProvider(MediaChildrenProvider provider);

    // A new plain item with the selector, file, type and nesting of this one and
    // its properties rebuilt from the body text; range, line, indexes and the
    // removed flag are not copied.
    StyleDeclarationPtr copy() const;
    // copy() marked modified and unspecified.
    StyleDeclarationPtr unspecifiedClone() const;

    // A one-line debugging text; "" for a removed item.
    virtual QString description() const;

private:
    QString m_selector;
    std::optional<QString> m_body;
    Range m_range;
    qsizetype m_lineNumber = 0;
    std::shared_ptr<Anchor> m_anchor;
    qsizetype m_styleIndex = 0;
    bool m_inBraket = false;
    int m_type = RuleType::Other;
    qsizetype m_childIndex = 0;
    QList<CSSPropertyPtr> m_properties;
    File *m_parentFile = nullptr; // Not owned.
    bool m_modified = false;
    bool m_removed = false;
    bool m_unspecified = false;
};
