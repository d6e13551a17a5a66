#include "ThumbView.h"

ThumbView::ThumbView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(16, 16);
}

ThumbView::~ThumbView() = default;

void ThumbView::setSelected(bool selected)
{
    m_selected = selected;
}

void ThumbView::dropInvalid(bool invalid)
{
    m_dropInvalid = invalid;
    repaint();
}

double ThumbView::ratio() const
{
    return 0;
}

void ThumbView::setRatio(double)
{
}

void ThumbView::holdPlace()
{
}
