#pragma once

#include <QString>

// Where the program's read-only resources (grammars, vocabulary, templates,
// scripts) live, and lookups inside that folder.
namespace Bundle {

// The resources folder: $QUILLMARK_RESOURCES when set, else "resources" beside
// the executable, else "../share/quillmark/resources", else the source tree's.
QString resourcePath();

// "<resources>/<directory>/<name>.<type>" when that file exists, else empty.
// An empty type means the name is complete.
QString pathForResource(const QString &name, const QString &type, const QString &directory = {});

} // namespace Bundle
