#pragma once

#include <QColor>
#include <QWidget>

// A view that fills its bounds with one colour, chosen for a light desktop
// and turned over on a dark one.
class FilledView : public QWidget
{
    Q_OBJECT

public:
    FilledView(const QColor &lightColor, QWidget *parent = nullptr);
    ~FilledView() override;

    QColor fillColor() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_lightColor;
};
