#include "DOMNodeTextinput.h"

#include <QKeyEvent>

DOMNodeTextinput::DOMNodeTextinput(QWidget *parent)
    : TextField(parent)
{
    setObjectName(QStringLiteral("domNodeTextinput"));
}

DOMNodeTextinput::~DOMNodeTextinput() = default;

void DOMNodeTextinput::keyPressEvent(QKeyEvent *event)
{
    const bool isReturn = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (isReturn && (event->modifiers() & Qt::AltModifier)) {
        event->accept();
        return;
    }
    TextField::keyPressEvent(event);
}
