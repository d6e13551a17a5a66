#include "CSSOutlineViewHeader.h"

#include "PatternDrawing.h"

#include "platform/kit/DesktopColors.h"
#include "platform/kit/NamedImage.h"

#include <QPaintEvent>
#include <QPainter>

CSSOutlineViewHeader::CSSOutlineViewHeader(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setFixedHeight(21);
}

CSSOutlineViewHeader::~CSSOutlineViewHeader() = default;

QSize CSSOutlineViewHeader::sizeHint() const
{
    return QSize(QHeaderView::sizeHint().width(), 21);
}

QLineF CSSOutlineViewHeader::separatorLine(const QRectF &dirtyRect) const
{
    const double x = dirtyRect.x() + sectionSize(0);
    const double y0 = dirtyRect.y() + 1.0;
    return QLineF(x, y0, x, y0 + dirtyRect.height() + 3.0);
}

void CSSOutlineViewHeader::paintEvent(QPaintEvent *event)
{
    QHeaderView::paintEvent(event);
    QPainter painter(viewport());
    PatternDrawing::rk_drawPatternImage(painter, NamedImage::imageNamed(QStringLiteral("object.png")),
                                        QRectF(viewport()->rect()));
    painter.setRenderHint(QPainter::Antialiasing, false);
    QColor grey = DesktopColors::adapted(QColor::fromRgbF(0.19607843137254902f, 0.19607843137254902f,
                                                          0.19607843137254902f, 0.5f),
                                         palette());
    painter.setPen(QPen(grey, 1.0));
    painter.drawLine(separatorLine(QRectF(event->rect())));
}
