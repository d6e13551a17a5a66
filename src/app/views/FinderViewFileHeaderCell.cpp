#include "FinderViewFileHeaderCell.h"

FinderViewFileHeaderCell::FinderViewFileHeaderCell() = default;
FinderViewFileHeaderCell::~FinderViewFileHeaderCell() = default;
