#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// A small round badge of a browser family next to a vendor-prefix check box:
// our own drawing of a letter on a coloured disc. It is dimmed while its
// prefix is off (opacity 0.3) and whole while on (1.0).
class PrefixBadge : public QWidget
{
    Q_OBJECT

public:
    PrefixBadge(const QString &letter, const QColor &color, QWidget *parent = nullptr);
    ~PrefixBadge() override;

    double opacity() const { return m_opacity; }
    void setOpacity(double opacity);

    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_letter;
    QColor m_color;
    double m_opacity = 1.0;
};
