#include "StyleFileRelationButton.h"

StyleFileRelationButton::StyleFileRelationButton(QWidget *parent)
    : QPushButton(parent)
{
    setFlat(true);
}

StyleFileRelationButton::~StyleFileRelationButton() = default;

void StyleFileRelationButton::setTitle(const QString &title)
{
    if (title == text())
        return;
    const int right = geometry().right();
    setText(title);
    const QSize fitted = sizeHint();
    setGeometry(right - fitted.width() + 1, y(), fitted.width(), height() > 0 ? height() : fitted.height());
}
