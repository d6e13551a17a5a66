// The precompiled header of a library or a test suite, where the build uses
// one (QUILLMARK_PCH): the common Qt and standard headers, and the test
// headers in the suites. Every file still includes what it uses.
#pragma once

#include "PrecompiledQt.h"

#ifdef QT_TESTLIB_LIB
#include <QTest>
#endif

#ifdef QUILLMARK_TEST_DATA
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#endif
