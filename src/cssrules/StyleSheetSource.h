#pragma once

#include "platform/foundation/Range.h"
#include "stylesheet/StyleDeclaration.h"

#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

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
    // An item's pieces are counted from its "{" (ItemText::placed() puts
    // them into the text), so that an item moves with its range alone.
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
        // The line whole begins on, counted from 1.
        qsizetype line = 1;
        QString selector;
        bool removed = false;
        QList<PropertyText> properties;

        const PropertyText *propertyText(const CSSProperty *property) const;
        // One of its pieces, or a declaration's pieces, where they stand in the text.
        Piece placed(const Piece &piece) const;
        PropertyText placed(const PropertyText &property) const;
        // The item moved in the text by characters and lines.
        void move(qsizetype characters, qsizetype lines);
    };
    // The items [first, first + items.size()) of a source made again, and
    // what the items after them move by (up to the next replacement).
    struct Replacement
    {
        qsizetype first = 0;
        QList<ItemText> items;
        qsizetype characters = 0;
        qsizetype lines = 0;
    };

    StyleSheetSource() = default;

    // The snapshot of a model just parsed from text: every range of the
    // model (and every property's text ranges) points into text.
    static std::shared_ptr<StyleSheetSource> read(const QString &text, const QList<StyleDeclarationPtr> &declarations);

    const QString &text() const { return m_text; }
    // The text for a source made before it (StyleSheetWriter::Result::middle),
    // or given back to one that let go of it; the line breaks counted stay.
    void giveText(const QString &text) { m_text = text; }
    // Lets go of the text, so that its only other holder can edit it in place.
    void dropText() { m_text = QString(); }
    // How many "\n" the text holds: counted once, or told by the writer.
    qsizetype lineBreaks() const;
    void setLineBreaks(qsizetype count) { m_lineBreaks = count; }
    // Whether the text is written minified (StyleSheetLayout::isMinified()):
    // read once, and kept by the sources a write makes from this one, whose
    // text follows its layout.
    bool isMinified() const;
    // The item the declaration was, or null for one the model gained since.
    const ItemText *itemText(const StyleDeclaration *declaration) const;
    // The items in model order. They are kept in runs that sources made
    // from one another share until one of them changes an item of the run.
    // A run that moved in the text keeps its items where they were and the
    // move beside them, until one of them is read.
    class Items
    {
    public:
        qsizetype size() const { return m_count; }
        bool isEmpty() const { return m_count == 0; }
        const ItemText &at(qsizetype i) const
        {
            const RunRef &ref = m_runs.at(i / kRun);
            if (ref.characters != 0 || ref.lines != 0)
                settle(i / kRun);
            return m_runs.at(i / kRun).run->at(i % kRun);
        }
        // at(i).declaration, without settling the item's run.
        const StyleDeclarationPtr &declarationAt(qsizetype i) const { return m_runs.at(i / kRun).run->at(i % kRun).declaration; }
        // at(i).whole.location, without settling the item's run.
        qsizetype wholeLocation(qsizetype i) const
        {
            const RunRef &ref = m_runs.at(i / kRun);
            return ref.run->at(i % kRun).whole.location + ref.characters;
        }

        class const_iterator
        {
        public:
            const ItemText &operator*() const { return m_items->at(m_at); }
            const_iterator &operator++()
            {
                ++m_at;
                return *this;
            }
            bool operator!=(const const_iterator &other) const { return m_at != other.m_at; }

        private:
            friend class Items;
            const_iterator(const Items *items, qsizetype at) : m_items(items), m_at(at) {}
            const Items *m_items;
            qsizetype m_at;
        };
        const_iterator begin() const { return {this, 0}; }
        const_iterator end() const { return {this, m_count}; }

        static constexpr qsizetype kRun = 128;
        using Run = QList<ItemText>;
        // A run whose items' declarations alone move with anchor, as long as
        // nothing joined or left it (anchor->joined is still joined).
        struct AnchoredRun
        {
            std::shared_ptr<StyleDeclaration::Anchor> anchor;
            quint64 joined = 0;
            std::shared_ptr<const Run> items;
        };
        // The run's anchor while it still stands for the run alone.
        std::optional<AnchoredRun> anchoredRun(qsizetype run) const;

    private:
        friend class StyleSheetSource;
        struct RunRef
        {
            std::shared_ptr<Run> run;
            // What the run's items moved by since they were placed.
            qsizetype characters = 0;
            qsizetype lines = 0;
            std::shared_ptr<StyleDeclaration::Anchor> anchor;
            quint64 joined = 0;
        };
        // The item, its run copied first when another source shares it.
        ItemText &writable(qsizetype i);
        void append(ItemText item);
        // Puts a run's move into its items.
        void settle(qsizetype run) const;
        mutable QList<RunRef> m_runs;
        qsizetype m_count = 0;
    };
    const Items &items() const { return m_items; }
    // Whether the model's ranges and lines are those of its items here (a
    // source the writer made), not those a parse gave them.
    bool placesModel() const { return m_placesModel; }
    void setPlacesModel(bool places) { m_placesModel = places; }
    // Whether the declarations are the ones the source was made for.
    bool describes(const QList<StyleDeclarationPtr> &declarations) const;
    // Whether they are its items in its order and, besides them, only items
    // removed before the text was written.
    bool holdsExactly(const QList<StyleDeclarationPtr> &declarations) const;
    // The marked ones of the declarations, in their order; found among the
    // marked items alone when the source holds exactly the declarations.
    QList<StyleDeclarationPtr> markedOf(const QList<StyleDeclarationPtr> &declarations) const;
    // The same for a model no source was made for: each item asked.
    static QList<StyleDeclarationPtr> markedIn(const QList<StyleDeclarationPtr> &declarations);
    // Where the declaration's item is in items(), or -1.
    qsizetype indexOf(const StyleDeclaration *declaration) const { return m_index.value(declaration, -1); }

    // This source for text, which changed only inside the items replaced
    // (in text order, each the same declarations as before): the other
    // items moved by what changed before them. What did not change is
    // shared with this source.
    std::shared_ptr<StyleSheetSource> withReplaced(const QString &text, const QList<Replacement> &replaced) const;

    // Makes the model's items move with one anchor per run of items, so
    // that a write moves the runs after an edit and not each item. For a
    // source whose places the model has.
    void anchorModel();

    // Building (the writer): items in model order.
    void setText(const QString &text)
    {
        m_text = text;
        m_lineBreaks = -1;
        m_minified.reset();
    }
    void appendItem(ItemText item);
    void reserve(qsizetype count);

    // The piece of a declaration written at whole in text: name and value found inside it.
    static Piece pieceAt(const QString &text, Range whole);
    // The item's state now, with the given ranges.
    static ItemText snapshotOf(const StyleDeclarationPtr &declaration, Range range, Range whole, qsizetype line);

private:
    QString m_text;
    // -1 until counted.
    mutable qsizetype m_lineBreaks = -1;
    mutable std::optional<bool> m_minified;
    Items m_items;
    QHash<const StyleDeclaration *, qsizetype> m_index;
    bool m_placesModel = false;
    // The model last compared with the items, and what was found: a model
    // list nothing changed since (the copy held here makes any change detach
    // it) with no item removed or put back since is not walked again. Shared
    // with the sources made from this one, which keep its items.
    struct Check
    {
        QList<StyleDeclarationPtr> model;
        quint64 removalStamp = 0;
        bool describes = false;
        bool exactly = false;
    };
    const Check &checked(const QList<StyleDeclarationPtr> &declarations) const;
    mutable std::shared_ptr<const Check> m_check;
};
