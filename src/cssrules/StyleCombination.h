#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The fixed groups of property names the panel offers together ("Rect":
// width, height, background-color, border).
namespace StyleCombination {

const QMap<QString, QStringList> &comboMap();
// The group's names in order; empty for a name that is no group.
QStringList stylePropertiesByComboName(const QString &name);
// The group names, sorted.
QStringList getStyleCombinations();

} // namespace StyleCombination
