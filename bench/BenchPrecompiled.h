// The precompiled header the compile-only benchmark targets share
// (bench/CMakeLists.txt). Nothing in it may depend on a target's own macros.
#pragma once

#include "../cmake/PrecompiledQt.h"

#if __has_include(<benchmark/benchmark.h>)
#include <benchmark/benchmark.h>
#endif
