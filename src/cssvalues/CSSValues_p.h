#pragma once

#include "grammar/CPCharacterSet.h"

// Internals shared by the value parsers of this folder.
namespace CSSValuesPrivate {

// The characters of a CSS keyword: a keyword recogniser stops at any other.
inline const CPCharacterSet &nameCharacters()
{
    static const CPCharacterSet set(
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_"));
    return set;
}

} // namespace CSSValuesPrivate
