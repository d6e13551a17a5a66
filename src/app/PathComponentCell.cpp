#include "PathComponentCell.h"

#include "File.h"

PathComponentCell::PathComponentCell(File *file, const QIcon &image, const QString &title, const QUrl &url)
    : m_file(file), m_image(image), m_title(title), m_url(url)
{
}

QIcon PathComponentCell::image() const
{
    if (!m_image.isNull() || !m_file)
        return m_image;
    return m_file->icon();
}

QUrl PathComponentCell::url() const
{
    if (m_url.isValid() || !m_file)
        return m_url;
    return m_file->pathURL();
}
