#include "LabelButton.h"

#include <QKeyEvent>
#include <QMouseEvent>

LabelButton::LabelButton(QWidget *parent)
    : LabelButton(QString(), parent)
{
}

LabelButton::LabelButton(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    // Not selectable: a press is a click.
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

LabelButton::~LabelButton() = default;

void LabelButton::sendAction()
{
    Q_EMIT activated();
}

void LabelButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        sendAction();
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void LabelButton::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        sendAction();
        return;
    }
    QLabel::keyPressEvent(event);
}
