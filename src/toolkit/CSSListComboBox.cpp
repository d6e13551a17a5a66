#include "CSSListComboBox.h"

CSSListComboBox::~CSSListComboBox() = default;
