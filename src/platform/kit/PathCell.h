#pragma once

#include <QFont>
#include <QIcon>
#include <QString>
#include <QUrl>

class QPainter;

// One component of a path control: an image and a title, and the URL it
// stands for. Subclasses change how it is drawn and what it carries.
class PathCell
{
public:
    PathCell();
    virtual ~PathCell();

    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    virtual QIcon image() const { return m_image; }
    void setImage(const QIcon &image) { m_image = image; }
    virtual QUrl url() const { return m_url; }
    void setUrl(const QUrl &url) { m_url = url; }
    QFont font() const { return m_font; }
    void setFont(const QFont &font) { m_font = font; }

    virtual QSize cellSize() const;
    // The narrowest the cell is drawn: its image, or an ellipsis.
    int leastWidth() const;
    // The title as a frame of that width shows it: whole, or cut in the
    // middle with an ellipsis.
    QString shownTitle(const QRect &frame) const;
    // Draws the image and title into the frame in the given text colour.
    virtual void drawWithFrame(QPainter &painter, const QRect &frame, const QColor &textColor) const;

protected:
    // Where the title is drawn in the frame, right of the image.
    QRect titleRect(const QRect &frame) const;

    static constexpr int s_imageSize = 16;
    static constexpr int s_spacing = 3;

private:
    QString m_title;
    QIcon m_image;
    QUrl m_url;
    QFont m_font;
};
