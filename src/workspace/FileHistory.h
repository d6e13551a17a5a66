#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

// A snapshot of a file's text: the text, when it was taken and before what. Kept in memory
// by its File, never written to disk. The File keeps each snapshot as the
// change that turns the next newer text back into it, so a snapshot costs
// what changed since, not a whole text; content() puts it together.
class FileHistory
{
public:
    // What the text was kept before, which names the snapshot in the
    // history list.
    enum class Occasion { Opened, RulesEdit, DiskChange };

    FileHistory() = default;
    FileHistory(QDateTime date, QString content, Occasion occasion = Occasion::Opened);

    QDateTime date() const { return m_date; }
    QString content() const;
    Occasion occasion() const { return m_occasion; }
    // The step's name: "As opened", "Before a rules edit", "Before the change on disk".
    QString name() const;

private:
    friend class File;
    // The snapshot's text: the newer text (next's, or base when next is
    // null) with its characters between prefix and the last suffix replaced
    // by middle.
    struct Text
    {
        std::shared_ptr<Text> next;
        QString base;
        qsizetype prefix = 0;
        qsizetype suffix = 0;
        QString middle;

        QString content() const;
        // Whether this is base unchanged.
        bool isBase() const { return !next && middle.isEmpty() && prefix + suffix == base.size(); }
        // Whether the text is that of text, which base shares (no whole comparison).
        bool isText(const QString &text) const;
        // base was was and becomes now, which keeps the first and the last
        // characters of was given by ends: the change is made against now.
        void rebase(const QString &now, std::pair<qsizetype, qsizetype> ends);
    };
    QDateTime m_date;
    std::shared_ptr<Text> m_text;
    Occasion m_occasion = Occasion::Opened;
};
