#include "VerticalShadow.h"

VerticalShadow::VerticalShadow(QWidget *parent)
    : PatternView(QStringLiteral("shadow-left-active.png"), ThenDraw::Inherited, parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

VerticalShadow::~VerticalShadow() = default;
