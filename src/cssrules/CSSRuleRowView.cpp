#include "CSSRuleRowView.h"

CSSRuleRowView::~CSSRuleRowView() = default;
