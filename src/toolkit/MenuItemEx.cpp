#include "MenuItemEx.h"

MenuItemEx::~MenuItemEx() = default;
