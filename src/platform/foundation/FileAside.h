#pragma once

#include "Result.h"

#include <QString>

// A file the program cannot read (damaged settings, a snippet library) is
// moved aside before the program writes a new one in its place, so the user
// keeps every byte of it. The first goes to "<file>.bak", the next to
// "<file>.bak.1", "<file>.bak.2" and so on: one set aside earlier is never
// replaced.
namespace FileAside {

// The first of those names that is free now.
QString freeName(const QString &path);
// Moves the file to a free one of those names and answers it; the file stays
// where it is when it cannot be moved.
Result<QString> moveAside(const QString &path);

} // namespace FileAside
