#pragma once

#include <QPainterPath>
#include <QWidget>

// The strip of the load-progress display: a rounded, light blue gradient
// that fades in from its left end and darkens what lies under it (multiply).
// Its corners say how far the load is: rounded on the left while loading,
// on all four sides at 100 %, on the right once the load is finished.
// Setting its values does not repaint it.
class ProgressBar : public QWidget
{
    Q_OBJECT

public:
    explicit ProgressBar(QWidget *parent = nullptr);
    ~ProgressBar() override;

    // Whether the page is still loading.
    bool isLoading() const { return m_isLoading; }
    void setIsLoading(bool loading) { m_isLoading = loading; }
    // The percentage last reached, 0 to 100.
    qint64 value() const { return m_value; }
    void setValue(qint64 value) { m_value = value; }
    // How opaque the strip is drawn (a fade-out lowers it); it repaints.
    qreal alphaValue() const { return m_alphaValue; }
    void setAlphaValue(qreal alpha);

    // The clip path for a width and height by the state above.
    QPainterPath clipPath(const QSizeF &size) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_isLoading = false;
    qint64 m_value = 0;
    qreal m_alphaValue = 1.0;
};
