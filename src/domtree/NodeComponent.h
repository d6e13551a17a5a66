#pragma once

#include <QString>

// One component of the palette: a fragment file of the component catalogue,
// shown under its file name.
class NodeComponent
{
public:
    NodeComponent(const QString &file, const QString &title)
        : m_file(file)
        , m_title(title)
    {
    }

    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    QString description() const { return m_description; }
    void setDescription(const QString &description) { m_description = description; }
    // The fragment file's absolute path.
    QString file() const { return m_file; }
    void setFile(const QString &file) { m_file = file; }
    // The fragment's HTML; empty (and logged) when the file cannot be read.
    QString content() const;

private:
    QString m_file;
    QString m_title;
    QString m_description;
};
