#include "RespponsiveRuler.h"

RespponsiveRuler::RespponsiveRuler(QWidget *parent)
    : PatternView(QStringLiteral("ruler_pettern.pdf"), ThenDraw::Inherited, parent)
{
    setObjectName(QStringLiteral("responsiveRuler"));
    setFixedHeight(kHeight);
}

RespponsiveRuler::~RespponsiveRuler() = default;
