#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <utility>
#include <vector>

// A long text edited without copying it: the text is a list of pieces, each
// a run of the original text (held as it came, shared, never changed) or of
// the characters added since (kept in a buffer that only grows). An edit
// costs what it changes and the number of pieces, not the text's length.
// Places are UTF-16 indexes, as in a QString.
class PieceText
{
public:
    PieceText() = default;
    explicit PieceText(QString original);

    const QString &original() const { return m_original; }
    qsizetype size() const { return m_size; }
    int pieceCount() const { return int(m_pieces.size()); }

    QChar at(qsizetype position) const;
    QString mid(qsizetype position, qsizetype length) const;
    QString toString() const;
    bool equals(QStringView text) const;
    // Whether the text reads as the original does; cheap while the edits
    // are few, whatever the text's length.
    bool isOriginal() const;
    // How many characters at the start and at the end stand where they
    // stood in the original.
    std::pair<qsizetype, qsizetype> unchangedEnds() const;

    // [position, position + removed) becomes `inserted`; a range outside
    // the text is clamped to it.
    void replace(qsizetype position, qsizetype removed, QStringView inserted);

    // The first line feed, or line feed or carriage return, in [from, to); -1 when none.
    qsizetype indexOfLineFeed(qsizetype from, qsizetype to) const;
    qsizetype indexOfLineBreak(qsizetype from, qsizetype to) const;
    // The first match at or after from, or the last starting at or before
    // from; -1 when none.
    qsizetype indexOf(QStringView text, qsizetype from, Qt::CaseSensitivity cs) const;
    qsizetype lastIndexOf(QStringView text, qsizetype from, Qt::CaseSensitivity cs) const;
    // Where every match starts, each after the one before it.
    QList<qsizetype> matches(QStringView text, Qt::CaseSensitivity cs) const;

private:
    struct Piece
    {
        bool added = false;
        qsizetype start = 0;
        qsizetype length = 0;
    };
    QStringView viewOf(const Piece &piece) const;
    // The piece holding the position (the last one for the end), and where it starts.
    size_t pieceAt(qsizetype position, qsizetype *pieceStart) const;
    // Calls f(view, start) for the parts of the pieces in [from, to), in
    // order, until it answers false.
    template <typename F>
    void forEachPart(qsizetype from, qsizetype to, F f) const;
    void indexStarts();

    QString m_original;
    QString m_added;
    std::vector<Piece> m_pieces;
    // Where each piece starts in the text.
    std::vector<qsizetype> m_starts;
    qsizetype m_size = 0;
};
