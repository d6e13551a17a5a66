#pragma once

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QUrl>

class File;

// One breadcrumb of a file: an image, a title and an address, and the node it
// stands for. An image or address left unset is taken from the node when
// asked, so that a tree of thousands of nodes builds its breadcrumbs without
// making an icon for each.
class PathComponentCell
{
public:
    PathComponentCell(File *file, const QIcon &image, const QString &title, const QUrl &url);

    File *file() const { return m_file.data(); }
    QString title() const { return m_title; }
    QIcon image() const;
    QUrl url() const;

private:
    QPointer<File> m_file;
    QIcon m_image;
    QString m_title;
    QUrl m_url;
};
