#pragma once

#include "StyleSheetsManagerDelegate.h"

// Internals shared by StyleSheetsManagerDelegate's topic files.
namespace StyleSheetsManagerDelegatePrivate {

// The row behind an item of the outline view.
inline StyleSheetsManagerDelegate::Row *rowOfItem(void *item)
{
    return static_cast<StyleSheetsManagerDelegate::Row *>(item);
}

} // namespace StyleSheetsManagerDelegatePrivate
