#pragma once

#include <QString>

#include <vector>

// The text of a code view as its File holds it, kept in step with the view's
// document. The document knows lines, not the characters that ended them: it
// takes "\r\n", "\r", "\n", U+2029 and its own frame marks all as one line
// break (U+2029 in its raw text). This class keeps the file's own characters
// and maps places between the two, so an edit in the view changes the file's
// text only where it was made: the other lines keep their line ends, and a
// non-breaking space stays one. New line breaks take the file's first line
// end ("\n" in a file without one).
//
// A line longer than kLongestLine is cut into slices of about kSliceLength
// by soft breaks: breaks of the document that stand for no character of the
// file. The document lays out a line whole on every edit of it; a slice
// costs what a short line costs. A soft break's two document places (before
// and after it) are one place of the file.
class CodeViewText
{
public:
    // Where a long line is cut: after a rule's "}", else after a ";" or a
    // blank, about this many characters after the slice's start.
    static constexpr int kSliceLength = 2048;
    static constexpr int kLongestLine = 2 * kSliceLength;

    const QString &string() const { return m_string; }
    QString lineEnding() const { return m_lineEnding; }

    // A new text, its long lines cut, except those that start before
    // `wholeBefore` (a part the document already holds uncut).
    void setString(const QString &text, qsizetype wholeBefore = 0);
    // The document's text for [from, to) of string(): the file's characters
    // with the soft breaks after `from` and up to `to`.
    QString documentText(qsizetype from, qsizetype to) const;
    // The document's raw text for its [from, to), soft breaks left out and
    // each other line break a line feed: what the user copies.
    QString plainText(int from, int to) const;

    // Places: the index in string() of a document position, and back. A
    // string index inside a "\r\n" maps to the break's document position,
    // one at a soft break to the place after it.
    int stringIndexOf(int documentPosition) const;
    int documentPositionOf(int stringIndex) const;

    // The document's text at [position, position + removed) became
    // `inserted` (its raw text: U+2029 for a line break). Only what really
    // differs is replaced; soft breaks removed are gone from the document
    // and the file alike. Answers whether string() changed.
    bool applyDocumentEdit(int position, int removed, const QString &inserted);

    // The document's [from, to) became `middle` (the file's characters):
    // the breaks in the range go, a "\r\n" of the middle is one.
    void replaceRange(int from, int to, const QString &middle);

    // The document took a soft break at the position.
    void addSoftBreak(int documentPosition);
    bool isSoftBreak(int documentPosition) const;
    int softBreakCount() const { return int(m_softBreaks.size()); }
    // The soft breaks before the document position.
    int softBreaksBefore(int documentPosition) const;
    // The string indexes the soft breaks inside the document's [from, to) stand before.
    std::vector<qsizetype> softBreaksIn(int from, int to) const;
    // The document's line [from, to) (one line of the file) takes soft
    // breaks before the string indexes `cuts` (ascending, inside the line)
    // in place of those it had.
    void replaceSoftBreaks(int from, int to, const std::vector<qsizetype> &cuts);
    // Where a slice of a long line that starts at `from` of the text and
    // runs on to `to` is cut when nothing better is known.
    static qsizetype sliceCut(const QString &text, qsizetype from, qsizetype to);

    // Whether the character is a line break for the document.
    static bool isDocumentBreak(QChar c);

private:

    QString m_string;
    QString m_lineEnding = QStringLiteral("\n");
    // The document positions of the line breaks that are "\r\n" in the file,
    // and of the soft breaks.
    std::vector<int> m_wideBreaks;
    std::vector<int> m_softBreaks;
};
