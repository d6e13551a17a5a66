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
class CodeViewText
{
public:
    const QString &string() const { return m_string; }
    QString lineEnding() const { return m_lineEnding; }

    // A new text, as the document will show it after setPlainText().
    void setString(const QString &text);

    // Places: the index in string() of a document position, and back. A
    // string index inside a "\r\n" maps to the break's document position.
    int stringIndexOf(int documentPosition) const;
    int documentPositionOf(int stringIndex) const;

    // The document's text at [position, position + removed) became
    // `inserted` (its raw text: U+2029 for a line break). Only what really
    // differs is replaced. Answers whether string() changed.
    bool applyDocumentEdit(int position, int removed, const QString &inserted);

    // Whether the character is a line break for the document.
    static bool isDocumentBreak(QChar c);

private:
    QString m_string;
    QString m_lineEnding = QStringLiteral("\n");
    // The document positions of the line breaks that are "\r\n" in the file.
    std::vector<int> m_wideBreaks;
};
