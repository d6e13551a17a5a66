#pragma once

#include "DropShadowProp.h"

#include <QList>
#include <QString>

#include <memory>

using DropShadowPropPtr = std::shared_ptr<DropShadowProp>;

// Reads a shadow value into layers for the popover shadow editors. Layers
// are split at the commas outside parentheses; in each, "inset" may stand
// anywhere and the colour before or after the lengths (a whole-word colour
// name, "#", rgb(), rgba(), hsl() or hsla()). The length unit is that of the
// first length that has one. A layer keeps its text as read, white space
// folded, until it is rebuilt; "none" and empty texts are no layers.
class ShadowLayerReader
{
public:
    static QList<DropShadowPropPtr> read(const QString &value);
    // The texts between the commas outside parentheses.
    static QStringList splitTopLevel(const QString &text, QChar separator);
};
