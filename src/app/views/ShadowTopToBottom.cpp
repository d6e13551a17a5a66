#include "ShadowTopToBottom.h"

#include <QGraphicsOpacityEffect>

ShadowTopToBottom::ShadowTopToBottom(QWidget *parent)
    : PatternView(QStringLiteral("shadow.png"), ThenDraw::Nothing, parent)
{
    auto *alpha = new QGraphicsOpacityEffect(this);
    alpha->setOpacity(0.3);
    setGraphicsEffect(alpha);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

ShadowTopToBottom::~ShadowTopToBottom() = default;
