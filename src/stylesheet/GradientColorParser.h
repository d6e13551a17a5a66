#pragma once

#include "NSScannerUtil.h"
#include "RGBAColor.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// One colour stop of a decoded gradient.
struct GradientColorStop
{
    std::optional<RGBAColor> color; // absent when the colour cannot be read
    QString ratio;                  // the position as written ("50%"), or "none"
    // The colour's notation: 0 "#" hex; 1 rgb(); 2 rgba(), hsla() or
    // "transparent"; a colour name -1 (linear) or 3 (radial); -1 another function.
    int unit = -1;
};

// A gradient value decoded for the background-image editor.
struct GradientRecord
{
    QString name; // "linear-gradient", "repeating-radial-gradient", ...
    QString type; // "linear" or "radial"
    // Linear: the words of the direction ("to right", "45deg"); radial: the
    // position words, "at" included.
    QStringList degree;
    std::optional<QString> shape; // radial only
    std::optional<QString> size;  // radial only, when the first argument has several words
    QString position;             // read by encode() for radial gradients
    QList<GradientColorStop> colorRatios;
};

// Reads and rewrites CSS gradient values on top of the function-call scanner:
// converts between the old vendor-prefixed syntax (a prefixed name, the side a
// gradient starts from) and the standard one ("to" the side it goes to, "at"
// before a radial position), and decodes a value into a GradientRecord.
// Keywords are compared after the whole value is lower-cased, and the
// converters answer lower-cased text, except that a url() keeps its case. A
// value of several comma-separated layers is converted layer by layer.
class GradientColorParser
{
public:
    // A word CSS colour, an rgb/rgba/hsla call, or such a colour followed by
    // its position.
    static bool isColor(const CSSStructure &item);
    // "top" <-> "bottom", "left" <-> "right"; other words unchanged.
    static QString invertDirection(const QString &word);

    // "-webkit-linear-gradient(top, #fff, #000)" gives
    // "linear-gradient(to bottom, #fff, #000)"; a url() comes back unchanged,
    // other values lower-cased and otherwise unchanged.
    static QString convertVendarPrefixToFormal(const QString &value);
    // "linear-gradient(to right, red, blue)" with "-webkit-" gives
    // "-webkit-linear-gradient(left, red, blue)"; a url() comes back
    // unchanged, non-function values lower-cased.
    static QString convertFormalToVendarPrefix(const QString &value, const QString &prefix);

    // A record for a standard linear or radial gradient (repeating ones
    // included); nothing for any other value, prefixed names included.
    std::optional<GradientRecord> decode(const QString &value) const;
    GradientRecord parseLinearGradient(const QString &value) const;
    GradientRecord parseRadialGradient(const QString &value) const;
    // The CSS text of a record, "name(...);" with its semicolon; "" for an
    // unknown type.
    QString encode(const GradientRecord &record) const;

private:
    QString generateLinearValue(const GradientRecord &record) const;
    QString generateRadialValue(const GradientRecord &record) const;
};
