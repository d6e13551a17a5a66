#pragma once

#include <QHash>
#include <QImage>
#include <QPointer>
#include <QStringList>
#include <QStyledItemDelegate>

class WebPage;

// The cell of a component row of the element palette: the component's
// fragment drawn as the browser renders it, with its title. The pictures
// come from one page of the preview's browser that is never shown (its
// viewport as wide as the cell): each fragment is loaded once, its body's
// margins, paddings, borders and height are asked in one round trip, and
// the body's box is captured. Each picture keeps its own height and the
// offset that centres it in its row. Rendering runs in the background, one
// fragment at a time; a row draws its title until its picture is there.
class WebViewCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    // A rendered fragment: the body's box, and where it stands in a row.
    struct Picture
    {
        QImage image;
        int contentHeight = 0;
        bool isValid() const { return !image.isNull(); }
    };

    explicit WebViewCell(QObject *parent = nullptr);
    ~WebViewCell() override;

    // The width fragments are laid out in (the list's).
    void setCellWidth(int width);
    // The picture of the fragment file; none yet starts its rendering.
    Picture pictureOf(const QString &file);
    bool isRendering() const { return !m_queue.isEmpty(); }
    // The top of a picture of that content height centred in a row of that height.
    static int offsetFor(int cellHeight, int contentHeight);
    // The content height of a body from its computed style: the margins,
    // paddings and borders at top and bottom, and its height ("100px").
    static int contentHeightOf(const QVariantMap &computed);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

Q_SIGNALS:
    // A fragment's picture is ready (or could not be made: an empty one).
    void pictureRendered(const QString &file);

private:
    void renderNext();
    void finish(const QString &file, const Picture &picture);

    WebPage *m_page = nullptr; // Owned (QObject child); made on first use.
    QHash<QString, Picture> m_pictures;
    QStringList m_queue;
    int m_cellWidth = 240;
};
