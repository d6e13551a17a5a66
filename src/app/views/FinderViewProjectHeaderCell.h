#pragma once

#include "platform/kit/RowView.h"

#include <QAbstractButton>
#include <QPointer>


// The row view of a project row in the file tree: a selection of a dark veil
// rather than the desktop's selection colour.
class FinderViewProjectHeaderCell : public RowView
{
public:
    FinderViewProjectHeaderCell();
    ~FinderViewProjectHeaderCell() override;

    QAbstractButton *img() const { return m_img; }
    void setImg(QAbstractButton *button) { m_img = button; }

    // The colour a selected row is filled with, by emphasis.
    QColor selectionColor() const;

    void drawSelectionInRect(QPainter &painter, const QRect &dirtyRect) override;
    // The text turns light on the dark veil only; on the pale one it stays.
    BackgroundStyle interiorBackgroundStyle() const override;

private:
    QPointer<QAbstractButton> m_img;
};
