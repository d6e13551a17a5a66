#pragma once

#include "platform/foundation/Range.h"
#include "stylesheet/StyleDeclaration.h"

#include <QHash>
#include <QList>
#include <QString>

#include <memory>

// The text of a style sheet as its file model stands for it, and what each
// item and declaration of the model was in that text: where it stood, its
// selector and its values. The write-back compares the model with it and
// changes the text only where they differ. It is made from a fresh parse
// (read()) or from the text just written (the writer aligns the model with
// a parse of that text), and it keeps the model's objects alive, so that
// their identity stays theirs.
class StyleSheetSource
{
public:
    // One declaration of a property as written: the whole piece (leading
    // white space included, ";" not) and, inside it, the name and the value.
    struct Piece
    {
        Range whole;
        Range name;
        Range value;
    };
    struct PropertyText
    {
        CSSPropertyPtr property;
        QString name;
        QString value;
        bool removed = false;
        // The formal declaration and its vendor-prefixed copies, in text order.
        QList<Piece> pieces;
    };
    struct ItemText
    {
        StyleDeclarationPtr declaration;
        // "{" through "}", "@" through ";", "/*" through "*/".
        Range range;
        // From the selector's first character through the end of range.
        Range whole;
        QString selector;
        bool removed = false;
        QList<PropertyText> properties;

        const PropertyText *propertyText(const CSSProperty *property) const;
    };

    StyleSheetSource() = default;

    // The snapshot of a model just parsed from text: every range of the
    // model (and every property's text ranges) points into text.
    static std::shared_ptr<StyleSheetSource> read(const QString &text, const QList<StyleDeclarationPtr> &declarations);

    const QString &text() const { return m_text; }
    // The item the declaration was, or null for one the model gained since.
    const ItemText *itemText(const StyleDeclaration *declaration) const;
    const QList<ItemText> &items() const { return m_items; }
    // Whether the declarations are the ones the source was made for.
    bool describes(const QList<StyleDeclarationPtr> &declarations) const;

    // Building (the writer): items in model order.
    void setText(const QString &text) { m_text = text; }
    void appendItem(ItemText item);
    void reserve(qsizetype count);

    // The piece of a declaration written at whole in text: name and value found inside it.
    static Piece pieceAt(const QString &text, Range whole);
    // Where the selector of a block at range begins, at or after boundary.
    static qsizetype selectorStart(const QString &text, qsizetype boundary, qsizetype blockStart);
    // The item's state now, with the given ranges.
    static ItemText snapshotOf(const StyleDeclarationPtr &declaration, Range range, Range whole);

private:
    QString m_text;
    QList<ItemText> m_items;
    QHash<const StyleDeclaration *, qsizetype> m_index;
};
