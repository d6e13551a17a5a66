#include "NoodleLineNumberView.h"

#include "CodeView.h"

#include "platform/kit/DesktopColors.h"

#include <QPainter>
#include <QTextBlock>

NoodleLineNumberView::NoodleLineNumberView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("lineNumberView"));
    setFocusPolicy(Qt::NoFocus);
}

NoodleLineNumberView::~NoodleLineNumberView() = default;

void NoodleLineNumberView::setClientView(CodeView *view)
{
    disconnect(m_updates);
    disconnect(m_blocks);
    m_clientView = view;
    if (view) {
        QFont font = view->font();
        font.setPointSizeF(font.pointSizeF() * 0.9);
        setFont(font);
        m_updates = connect(view, &CodeView::textAreaUpdated, this, qOverload<>(&QWidget::update));
        m_blocks = connect(view, &QPlainTextEdit::blockCountChanged, this, [this] { updateThickness(); });
    }
    updateThickness();
}

int NoodleLineNumberView::requiredThickness() const
{
    const int lines = m_clientView ? qMax(1, m_clientView->blockCount()) : 1;
    const int digits = qMax(3, int(QString::number(lines).size()));
    return fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits + 12;
}

QSize NoodleLineNumberView::sizeHint() const
{
    return {requiredThickness(), 0};
}

void NoodleLineNumberView::updateThickness()
{
    setFixedWidth(requiredThickness());
    update();
}

void NoodleLineNumberView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    // Light or dark as the text beside it is.
    QPalette colors = palette();
    if (m_clientView)
        colors.setColor(QPalette::Window, m_clientView->palette().color(QPalette::Base));
    painter.fillRect(event->rect(), DesktopColors::adapted(QColor(244, 245, 247), colors));
    painter.setPen(DesktopColors::adapted(QColor(218, 221, 226), colors));
    painter.drawLine(width() - 1, event->rect().top(), width() - 1, event->rect().bottom());
    if (!m_clientView)
        return;

    painter.setPen(DesktopColors::adapted(QColor(140, 146, 156), colors));
    // The ruler and the view's text area share their top: the area is the
    // view's viewport, which sits at the view's own top (it has no frame).
    const int offset = m_clientView->viewport()->mapTo(parentWidget(), QPoint()).y() - y();
    QTextBlock block = m_clientView->firstVisibleTextBlock();
    const int lineHeight = m_clientView->fontMetrics().height();
    while (block.isValid()) {
        const QRectF geometry = m_clientView->textBlockGeometry(block);
        const int top = int(geometry.top()) + offset;
        if (top > event->rect().bottom())
            break;
        if (block.isVisible() && top + geometry.height() >= event->rect().top()) {
            const QRect line(0, top, width() - 6, qMin(lineHeight, int(geometry.height())));
            painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, QString::number(block.blockNumber() + 1));
        }
        block = block.next();
    }
}
