#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

// A view with a background colour, a corner radius and image contents. A
// subclass that draws by itself says so when it is made; the view is then
// redrawn while it is resized, and otherwise keeps what it drew.
class RBLView : public QWidget
{
    Q_OBJECT

public:
    enum class Drawing { None, Custom };
    // The kit's redraw policies: never, or while the view is resized.
    enum class RedrawPolicy { Never = 0, DuringViewResize = 2 };

    explicit RBLView(QWidget *parent = nullptr, Drawing drawing = Drawing::None);
    ~RBLView() override;

    bool doesCustomDrawing() const { return m_drawing == Drawing::Custom; }
    RedrawPolicy layerContentsRedrawPolicy() const { return m_redrawPolicy; }

    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor &color);
    bool clipsToBounds() const { return m_clipsToBounds; }
    void setClipsToBounds(bool clips);
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);
    bool isOpaque() const { return m_opaque; }
    void setOpaque(bool opaque);
    bool isFlipped() const { return m_flipped; }
    void setFlipped(bool flipped);
    bool clearsContextBeforeDrawing() const { return m_clearsContextBeforeDrawing; }
    void setClearsContextBeforeDrawing(bool clears) { m_clearsContextBeforeDrawing = clears; }
    QPixmap contents() const { return m_contents; }
    void setContents(const QPixmap &contents);

    // Applies the background colour, corner radius, clipping and opacity.
    void applyLayerProperties();

    QString description() const;

protected:
    // Drawing of subclasses, after the background and the contents.
    virtual void drawRect(QPainter &painter, const QRect &dirtyRect);

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Drawing m_drawing;
    RedrawPolicy m_redrawPolicy;
    QColor m_backgroundColor;
    double m_cornerRadius = 0.0;
    QPixmap m_contents;
    // The four flags in the order the kit keeps them.
    bool m_clearsContextBeforeDrawing = true;
    bool m_flipped = false;
    bool m_clipsToBounds = false;
    bool m_opaque = false;
};
