#include "FlippedView.h"

FlippedView::~FlippedView() = default;
