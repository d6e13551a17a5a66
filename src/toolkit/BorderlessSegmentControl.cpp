#include "BorderlessSegmentControl.h"

BorderlessSegmentControl::~BorderlessSegmentControl() = default;

void BorderlessSegmentControl::paintEvent(QPaintEvent *) {}
