#pragma once

#include <QDateTime>
#include <QString>

// A snapshot of a file's text: the text and when it was taken. Kept in memory
// by its File, never written to disk.
class FileHistory
{
public:
    FileHistory() = default;
    FileHistory(QDateTime date, QString content) : m_date(std::move(date)), m_content(std::move(content)) {}

    QDateTime date() const { return m_date; }
    QString content() const { return m_content; }

private:
    QDateTime m_date;
    QString m_content;
};
