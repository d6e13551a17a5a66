#pragma once

#include "StyleSheetLayout.h"
#include "StyleSheetSource.h"

#include "stylesheet/StyleDeclaration.h"
#include "stylesheet/VendarPrefixSettings.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <optional>

class File;

// What the project's settings say about writing one style sheet.
struct StyleSheetWriterSettings
{
    // False for a style sheet no project's settings apply to.
    bool hasSettings = false;
    bool overrideCSS = false;
    bool minify = false;
    // The prefixes switched on ("-webkit", without the trailing dash), in order.
    QStringList prefixesOn;
    VendarPrefixSettings prefixes;

    static StyleSheetWriterSettings fromConfig(const QVariantMap &config);
};

// Turns the rule model of one style sheet (its StyleDeclaration list) back
// into text, and points the model's ranges and line numbers into that text.
//
// With "minifyCSS" off the text last written (or read) is kept and changed
// only where the model differs from it (StyleSheetSource): an item that was
// not edited keeps its bytes and the text around it; in an edited item only
// the declarations that changed are rewritten, in place, with their
// vendor-prefixed copies; items the model gained are written as
// generateSelector() writes them, and removed ones are cut out with their
// lines. With "minifyCSS" on the whole text is generated from the model
// (generateSelector() for every item); comments inside blocks and at-rule
// blocks the model cannot write (@supports, @layer) keep their text.
//
// Either way the text written is parsed again and lined up with the model:
// the ranges, lines and the new StyleSheetSource come from that parse, and a
// text whose structure does not match the model (a value that would open a
// block or end a declaration) is not written at all. Where every change
// stays inside items, only the top-level items holding them are read again;
// the others keep their snapshots and move by what changed before them.
//
// The generators are in StyleSheetWriterGenerate.cpp.
class StyleSheetWriter
{
public:
    explicit StyleSheetWriter(StyleSheetWriterSettings settings);

    bool saveWithMinify() const { return m_settings.minify; }
    // Whether the text is written minified (long lines, or one line without
    // the blanks a person puts after "{", ":" and ";"): what the write keeps
    // to when it adds to it.
    static bool isMinifiedText(const QString &text);
    const StyleSheetWriterSettings &settings() const { return m_settings; }
    // The file's keyframes rules (File::keyframesDeclarations()), for the
    // twins of an "@-webkit-" keyframes rule.
    void setTempKeyframeDeclarations(const QList<StyleDeclarationPtr> &declarations)
    {
        m_tempKeyframeDeclarations = declarations;
        m_keyframesOf = nullptr;
    }
    // The same, the file asked only when a keyframes rule is written.
    void setTempKeyframeDeclarations(File *file)
    {
        m_tempKeyframeDeclarations.clear();
        m_keyframesOf = file;
    }

    // --- The text of items (StyleSheetWriterGenerate.cpp) ------------------------
    // One top-level item; empty for an item written inside another or not at all.
    QString generateSelector(const StyleDeclaration &declaration) const;
    // The declarations of a rule's body, vendor-prefixed copies included.
    QString generatePropertyText(const StyleDeclaration &declaration, const QString &indent) const;
    // An "@-webkit-" keyframes rule once per prefix switched on, then unprefixed,
    // from the model's keyframes.
    QString duplicateVendarPrefixKeyframes(const StyleDeclaration &declaration) const;
    // One keyframe of such a copy, its names and values made for the prefix
    // ("-moz-", or empty for the unprefixed copy).
    QString genKeyframeSelectorString(const StyleDeclaration &keyframe, const QString &prefix) const;
    // Every "-webkit-" in the text replaced by the prefix.
    static QString replaceVendarPrefixWithKeyframes(const QString &text, const QString &prefix);
    // The longest of the vendor prefixes less the length of this one.
    static int venderPrefixIndentCount(const QString &prefix);
    // A selector list written one selector a line, broken at its top-level commas.
    static QString selectorAsWritten(const QString &selector);

    // --- The whole sheet --------------------------------------------------------------
    struct Result
    {
        bool ok = false;
        QString text;
        // Why nothing could be written.
        QString error;
        // The model as the new text has it.
        std::shared_ptr<StyleSheetSource> source;
        // How many of the first and of the last characters of text are those
        // of the text last written, when the write knows.
        std::optional<std::pair<qsizetype, qsizetype>> unchangedEnds;
        // With NewText::Middle, where every change stayed inside items: the
        // new text between unchangedEnds, text being empty. source holds no
        // text then until it is given the new one (StyleSheetSource::giveText).
        std::optional<QString> middle;
        // The items whose range or line the write changed, with those they had before.
        QList<std::pair<StyleDeclarationPtr, std::pair<Range, qsizetype>>> moved;
        // Items that only moved along with the text before them, each run by
        // the same characters and lines: held as the move, not as places.
        struct Shift
        {
            QList<StyleDeclarationPtr> declarations;
            // Whole runs of items, moved by their anchors.
            QList<StyleSheetSource::Items::AnchoredRun> runs;
            qsizetype characters = 0;
            qsizetype lines = 0;
        };
        QList<Shift> shifted;
    };
    // The new text of the sheet. previous is what the text last written (or
    // read) holds; null when there is none. On success the model's ranges and
    // line numbers point into the new text.
    // What write() puts into the text: every edit, or only the rules and
    // blocks the model gained (a sheet whose edits stay out of its text).
    enum class Written { Everything, GainedItems };
    // What a write gives of the new text: all of it, or only the changed
    // middle where it can, for a caller that edits the text where it stands.
    enum class NewText { Whole, Middle };
    Result write(const QList<StyleDeclarationPtr> &declarations, const StyleSheetSource *previous,
                 Written what = Written::Everything, NewText wanted = NewText::Whole) const;
    // The model lined up with a text that should hold it as it stands (one
    // an undo put back): on success the ranges and lines point into text.
    Result lineUp(const QString &text, const QList<StyleDeclarationPtr> &declarations) const;

private:
    struct Splice
    {
        qsizetype location = 0;
        qsizetype length = 0;
        QString text;
    };

    // --- Generation (StyleSheetWriterGenerate.cpp) --------------------------------
    QString wrapped(const StyleDeclaration &declaration, const QString &body) const;
    QString mediaBody(const StyleDeclaration &declaration) const;
    QString keyframesBody(const StyleDeclaration &declaration) const;
    // The keyframes of an unprefixed keyframes rule, written as rules are.
    QString keyframesBodyAsWritten(const StyleDeclaration &declaration) const;
    QString blockAtRuleText(const StyleDeclaration &declaration) const;
    // A rule added inside a block the text has, its first line indented by
    // indent; on one line like the rules beside it that are.
    QString innerRuleText(const StyleDeclaration &rule, const QString &indent, bool oneLine) const;
    // Each declaration line of a property: name and value per prefix, plain last.
    struct Line
    {
        QString prefix; // "-webkit", or empty for the plain line
        QString name;
        QString value;
    };
    // The copies are those of the prefixes switched on; while a rule's text
    // is edited in place (m_copiesOfRule) only those of them that the rule's
    // text, or the declaration's own text, already writes (#77).
    QList<Line> linesOf(const CSSProperty &property) const;
    // The prefixes ("-webkit", without the trailing dash) of the copies a
    // new line of the declaration gets.
    QStringList copyPrefixesOf(const CSSProperty &property) const;
    QString valueForPrefix(const QString &name, const QString &value, const QString &prefix) const;
    QList<StyleDeclarationPtr> childrenOf(const StyleDeclaration &declaration) const;
    bool isSuppressedTwin(const StyleDeclaration &declaration) const;

    // --- Writing --------------------------------------------------------------------------
    QList<Splice> splicesOf(const QList<StyleDeclarationPtr> &declarations, const StyleSheetSource &previous) const;
    QString regeneratedText(const QList<StyleDeclarationPtr> &declarations, const StyleSheetSource *previous) const;
    void propertySplices(const StyleDeclaration &declaration, const StyleSheetSource::ItemText &item,
                         const QString &text, QList<Splice> &splices) const;
    // The declarations the model put in another order than the text has them
    // (all but the longest run that keeps the text's order): they are written
    // again in their new place.
    static QSet<const CSSProperty *> movedProperties(const QList<CSSPropertyPtr> &current, const StyleSheetSource::ItemText &item);
    // Cuts a piece out with its ";", and its line when nothing else stands on it.
    static void cutPiece(const StyleSheetSource::Piece &piece, const QString &text, QList<Splice> &splices);
    void rewritePieces(const CSSProperty &property, const StyleSheetSource::PropertyText &was, const QString &text,
                       QList<Splice> &splices) const;
    bool isEdited(const StyleDeclaration &declaration, const StyleSheetSource &previous) const;
    static QSet<const StyleDeclaration *> withDescendants(const QList<StyleDeclarationPtr> &roots);
    static QString applied(const QString &text, QList<Splice> splices);
    // The splices in text order, without those inside a part another cuts out.
    static QList<Splice> effective(QList<Splice> splices);
    // Lines up a parse of text with the model; sets ranges and lines on success.
    Result aligned(const QString &text, const QList<StyleDeclarationPtr> &declarations) const;
    // The same, answering the items of the new source without setting anything.
    Result linedUpItems(const QString &text, const QList<StyleDeclarationPtr> &declarations,
                        QList<StyleSheetSource::ItemText> &items) const;
    // The declarations splicesOf() needs to walk when every item of the
    // text is still in the model and the model gained none: the edited ones
    // and those inside them; none otherwise (all of them are walked).
    std::optional<QList<StyleDeclarationPtr>> walkedInPlace(const QList<StyleDeclarationPtr> &declarations,
                                                            const QList<StyleDeclarationPtr> &marked,
                                                            const StyleSheetSource &previous) const;
    // aligned() for splices that all fall inside top-level items of the text
    // last written: those items read again alone, from the old text and the
    // splices, the new text given as its middle (Result::middle); none when
    // a splice falls elsewhere or a block does not read alone as it did.
    std::optional<Result> alignedAround(const QList<Splice> &splices, const QList<StyleDeclarationPtr> &declarations,
                                        const StyleSheetSource &previous) const;

    // The comments inside a block of the text last written, with where they
    // stood, for a block that is written again.
    QList<std::pair<qsizetype, QString>> commentsInside(const StyleDeclaration &block) const;

    StyleSheetWriterSettings m_settings;
    // How the text it makes is laid out: the generators' own, or, for the
    // items added to a sheet's text, that text's (splicesOf()).
    StyleSheetLayout m_layout;
    mutable QList<StyleDeclarationPtr> m_tempKeyframeDeclarations;
    mutable File *m_keyframesOf = nullptr;
    // What the text last written holds, during write().
    mutable const StyleSheetSource *m_previous = nullptr;
    // The marked items and everything inside them, during write().
    mutable QSet<const StyleDeclaration *> m_edited;
    // During lineUp(): the text was not written here, and may hold any twin.
    mutable bool m_liningUp = false;
    // During write() of the gained items only: the rest keeps its text.
    mutable bool m_gainedOnly = false;
    // While text is made for a rule the text already holds, or for a new
    // one: the prefixes ("-webkit") whose copies that rule's text writes.
    // Unset, every prefix switched on gets its copies (a whole minified text).
    mutable std::optional<QStringList> m_copiesOfRule;
};
