#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>

// A font by family name with a cascade of fallback families: the fonts the
// program names after the platform it was designed on ("Menlo",
// "LucidaGrande") are rarely installed here.
namespace FontRBLFallbackAdditions {

// The font of `name` at `size` points (the default size for 0 or less),
// or, when that family is not installed, of the first installed name of
// `fallbackNames`, tried in order. The installed fallbacks follow the
// chosen family in the font's families, where Qt looks for characters the
// first one lacks. Nothing when no name is installed.
std::optional<QFont> rbl_fontWithName(const QString &name, double size, const QStringList &fallbackNames);

// Whether a family of that name is installed (the names Qt matches: case
// does not count).
bool isInstalledFamily(const QString &name);

} // namespace FontRBLFallbackAdditions
