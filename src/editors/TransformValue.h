#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <array>
#include <limits>

// Reads a transform list into the fields of the transform editors and writes
// the fields back. The fields hold number texts (empty: not given); unitMap
// holds the unit read for each measure; orderedList keeps the place of every
// function read, so that writing keeps the order: each group is written once,
// where its first member read stood, and groups added later follow; a skew
// read as skewX() or skewY() is written as those, each in its own place, since
// the two in a row are not skew() of both angles. Functions
// without a field (matrix(), rotate3d(), calc() arguments, a second
// occurrence) are kept verbatim at their place. Numbers keep their decimals,
// one at least. Used by the panel's transform editor and the transform
// popover.
class TransformValue
{
public:
    enum Field {
        Perspective,
        X,
        Y,
        Z,
        Rotate,
        RotateX,
        RotateY,
        RotateZ,
        ScaleX,
        ScaleY,
        ScaleZ,
        SkewX,
        SkewY,
        FieldCount
    };

    struct Options
    {
        // What inputXYZ answers past the end of the arguments: the panel
        // leaves the field empty, the popover shows "0".
        QString missingArgument;
    };
    static Options panelOptions() { return {}; }
    static Options popoverOptions() { return {QStringLiteral("0")}; }

    static constexpr qsizetype NotFound = std::numeric_limits<qsizetype>::max();

    struct Entry
    {
        QString name;
        qsizetype location = NotFound;
        // A function kept as written (the name is then empty).
        QString verbatim;
        // A bare word such as "none": written only when nothing else is.
        bool isKeyword = false;
    };

    explicit TransformValue(Options options = panelOptions());

    // Reads a transform list. The fields of the functions read are set, the
    // others stay as they are (the editors reset before reading).
    void read(const QString &text);
    // Empties every field; units and order stay.
    void reset();
    // The list from the fields, completing them the way the user sees them
    // (an empty axis of a translation becomes "0", a missing scale factor
    // the given one). Empty when there is nothing to write.
    QString write();

    QString field(Field field) const { return m_fields[field]; }
    void setField(Field field, const QString &text) { m_fields[field] = text; }

    const QMap<QString, QString> &unitMap() const { return m_unitMap; }
    static const QMap<QString, QString> &defaultUnitMap();
    // The unit of the translation along x.
    QString translateUnit() const { return m_unitMap.value(QStringLiteral("x")); }
    // A unit chosen for the translation applies to all three axes.
    void setTranslateUnit(const QString &unit);

    void clearTranslate();
    // The rotations about the axes; the plain rotation stays.
    void clearRotate();
    void clearScale();
    void clearSkew();

    const QList<Entry> &orderedList() const { return m_orderedList; }
    static const QStringList &defaultOrder();

    // Every not-found location replaced by the first found one.
    static QList<qsizetype> fillRanges(const QList<qsizetype> &locations);
    QString inputXYZ(const QStringList &arguments, int index) const;

    // Fields, units and order, one line, for tests.
    QString debugDump() const;

private:
    void resetOrder();

    Options m_options;
    std::array<QString, FieldCount> m_fields;
    QMap<QString, QString> m_unitMap;
    QList<Entry> m_orderedList;
    // The skew was read as skewX() or skewY(), not as skew().
    bool m_skewApart = false;
};
