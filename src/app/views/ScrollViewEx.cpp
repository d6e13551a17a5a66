#include "ScrollViewEx.h"

ScrollViewEx::~ScrollViewEx() = default;
