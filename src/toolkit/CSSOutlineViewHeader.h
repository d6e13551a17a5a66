#pragma once

#include <QHeaderView>

// The header of the rules outline: 21 high, painted with the "object.png"
// pattern, with a thin separator after the first column.
class CSSOutlineViewHeader : public QHeaderView
{
    Q_OBJECT

public:
    explicit CSSOutlineViewHeader(QWidget *parent = nullptr);
    ~CSSOutlineViewHeader() override;

    QSize sizeHint() const override;
    // The separator's two ends for a dirty rectangle.
    QLineF separatorLine(const QRectF &dirtyRect) const;

protected:
    void paintEvent(QPaintEvent *event) override;
};
