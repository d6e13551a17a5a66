#include "PatternView.h"

#include "PatternDrawing.h"

#include "platform/kit/NamedImage.h"

#include <QPainter>
#include <QStyleOption>

PatternView::PatternView(const QString &imageName, ThenDraw then, QWidget *parent)
    : QWidget(parent)
    , m_imageName(imageName)
    , m_then(then)
{
}

PatternView::~PatternView() = default;

void PatternView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    PatternDrawing::rk_drawPatternImage(painter, NamedImage::imageNamed(m_imageName), QRectF(rect()));
    if (m_then == ThenDraw::Inherited) {
        // A plain view draws its style sheet background, if it has one.
        QStyleOption option;
        option.initFrom(this);
        style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    }
    Q_UNUSED(event);
}
