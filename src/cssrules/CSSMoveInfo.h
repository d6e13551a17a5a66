#pragma once

#include "stylesheet/StyleDeclaration.h"

// A plain record of a rule moved from one place of a style sheet to another.
struct CSSMoveInfo
{
    StyleDeclarationPtr from;
    qint32 fromIndex = 0;
    StyleDeclarationPtr to;
    qint32 toIndex = 0;
};
