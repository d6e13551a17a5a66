#pragma once

#include "TestPrinters.h"

#include <QString>

#include <ostream>

// Lets GoogleTest print QString values readably in failure messages.
