#include "FlipedScrollView.h"

FlipedScrollView::~FlipedScrollView() = default;
