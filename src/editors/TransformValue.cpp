#include "TransformValue.h"

#include "ValueFunctionList.h"

#include <algorithm>
#include <tuple>

namespace {

using Field = TransformValue::Field;

// The functions with fields, in the order they are read.
struct Pattern
{
    const char *name; // lower case, as matched
    const char *listName; // as it stands in orderedList
    std::array<Field, 3> targets;
    int targetCount;
    std::array<const char *, 3> keys;
    int keyCount;
    // Read only when none of the patterns [groupFirst, groupFirst + 4) was.
    int unlessAnyOf;
};

constexpr int None = -1;

const std::array<Pattern, 18> &patterns()
{
    using T = TransformValue;
    static const std::array<Pattern, 18> table{{
        {"perspective", "perspective", {T::Perspective}, 1, {"perspective"}, 1, None},
        {"translate3d", "translate3d", {T::X, T::Y, T::Z}, 3, {"x", "y", "z"}, 3, None},
        {"translatex", "translateX", {T::X}, 1, {"x"}, 1, None},
        {"translatey", "translateY", {T::Y}, 1, {"y"}, 1, None},
        {"translatez", "translateZ", {T::Z}, 1, {"z"}, 1, None},
        {"translate", "translate", {T::X, T::Y, T::Z}, 3, {"x", "y"}, 2, 1},
        {"rotate", "rotate", {T::Rotate}, 1, {"r"}, 1, None},
        {"rotatex", "rotateX", {T::RotateX}, 1, {"rx"}, 1, None},
        {"rotatey", "rotateY", {T::RotateY}, 1, {"ry"}, 1, None},
        {"rotatez", "rotateZ", {T::RotateZ}, 1, {"rz"}, 1, None},
        {"scale3d", "scale3d", {T::ScaleX, T::ScaleY, T::ScaleZ}, 3, {}, 0, None},
        {"scalex", "scaleX", {T::ScaleX}, 1, {}, 0, None},
        {"scaley", "scaleY", {T::ScaleY}, 1, {}, 0, None},
        {"scalez", "scaleZ", {T::ScaleZ}, 1, {}, 0, None},
        {"scale", "scale", {T::ScaleX, T::ScaleY, T::ScaleZ}, 3, {}, 0, 10},
        {"skewx", "skewX", {T::SkewX}, 1, {"sx"}, 1, None},
        {"skewy", "skewY", {T::SkewY}, 1, {"sy"}, 1, None},
        {"skew", "skew", {T::SkewX, T::SkewY}, 2, {"sx", "sy"}, 2, 15},
    }};
    return table;
}

// The groups of orderedList, each in its list order, as pattern indexes.
const QList<QList<int>> &groups()
{
    static const QList<QList<int>> list{
        {0}, {1, 5, 2, 3, 4}, {6, 7, 8, 9}, {10, 14, 11, 12, 13}, {17, 15, 16},
    };
    return list;
}

int patternIndex(const QString &lowerName)
{
    const auto &table = patterns();
    for (int i = 0; i < int(table.size()); ++i) {
        if (lowerName == QLatin1String(table[i].name))
            return i;
    }
    return None;
}

QString decimal(const QString &field)
{
    return ValueFunctionList::formatDecimal(ValueFunctionList::leadingNumber(field));
}

} // namespace

TransformValue::TransformValue(Options options)
    : m_options(std::move(options))
    , m_unitMap(defaultUnitMap())
{
    resetOrder();
}

const QMap<QString, QString> &TransformValue::defaultUnitMap()
{
    static const QMap<QString, QString> map{
        {QStringLiteral("perspective"), QStringLiteral("px")},
        {QStringLiteral("x"), QStringLiteral("px")},
        {QStringLiteral("y"), QStringLiteral("px")},
        {QStringLiteral("z"), QStringLiteral("px")},
        {QStringLiteral("r"), QStringLiteral("deg")},
        {QStringLiteral("rx"), QStringLiteral("deg")},
        {QStringLiteral("ry"), QStringLiteral("deg")},
        {QStringLiteral("rz"), QStringLiteral("deg")},
        {QStringLiteral("sx"), QStringLiteral("deg")},
        {QStringLiteral("sy"), QStringLiteral("deg")},
    };
    return map;
}

const QStringList &TransformValue::defaultOrder()
{
    static const QStringList names = [] {
        QStringList list;
        for (const QList<int> &group : groups()) {
            for (int index : group)
                list.append(QLatin1String(patterns()[index].listName));
        }
        return list;
    }();
    return names;
}

void TransformValue::resetOrder()
{
    m_orderedList.clear();
    for (const QString &name : defaultOrder())
        m_orderedList.append({name, NotFound, {}, false});
}

void TransformValue::reset()
{
    for (QString &field : m_fields)
        field.clear();
}

void TransformValue::setTranslateUnit(const QString &unit)
{
    for (const char *key : {"x", "y", "z"})
        m_unitMap.insert(QLatin1String(key), unit);
}

void TransformValue::clearTranslate()
{
    m_fields[X].clear();
    m_fields[Y].clear();
    m_fields[Z].clear();
}

void TransformValue::clearRotate()
{
    m_fields[RotateX].clear();
    m_fields[RotateY].clear();
    m_fields[RotateZ].clear();
}

void TransformValue::clearScale()
{
    m_fields[ScaleX].clear();
    m_fields[ScaleY].clear();
    m_fields[ScaleZ].clear();
}

void TransformValue::clearSkew()
{
    m_fields[SkewX].clear();
    m_fields[SkewY].clear();
}

QList<qsizetype> TransformValue::fillRanges(const QList<qsizetype> &locations)
{
    const auto first = std::find_if(locations.begin(), locations.end(), [](qsizetype l) { return l != NotFound; });
    QList<qsizetype> filled = locations;
    if (first == locations.end())
        return filled;
    for (qsizetype &location : filled) {
        if (location == NotFound)
            location = *first;
    }
    return filled;
}

QString TransformValue::inputXYZ(const QStringList &arguments, int index) const
{
    return index < arguments.size() ? arguments.at(index) : m_options.missingArgument;
}

void TransformValue::read(const QString &text)
{
    m_unitMap = defaultUnitMap();
    resetOrder();
    m_skewApart = false;
    if (text.trimmed().isEmpty())
        return;

    const QList<ValueFunctionList::Item> items = ValueFunctionList::split(text);
    const auto &table = patterns();
    // The item each pattern read, by pattern.
    std::array<int, 18> readItem;
    readItem.fill(None);
    std::array<bool, FieldCount> filled{};
    QList<bool> itemRead(items.size(), false);

    for (int p = 0; p < int(table.size()); ++p) {
        const Pattern &pattern = table[p];
        if (pattern.unlessAnyOf != None) {
            bool other = false;
            for (int q = pattern.unlessAnyOf; q < pattern.unlessAnyOf + 4 && q < p; ++q)
                other = other || readItem[q] != None;
            if (other)
                continue;
        }
        // Only the first occurrence is read; later ones stay as written.
        int found = None;
        for (int i = 0; i < items.size(); ++i) {
            if (items[i].closed && items[i].name == QLatin1String(pattern.name)) {
                found = i;
                break;
            }
        }
        if (found == None)
            continue;
        const QStringList pieces = items[found].arguments.split(u',');
        if (pieces.size() > pattern.targetCount)
            continue;
        QList<ValueFunctionList::Number> numbers;
        bool readable = true;
        for (const QString &piece : pieces) {
            ValueFunctionList::Number number;
            readable = readable && ValueFunctionList::readNumber(piece, &number);
            numbers.append(number);
        }
        for (int t = 0; readable && t < int(pieces.size()); ++t)
            readable = !filled[pattern.targets[t]];
        // A unit on a scale factor is no scale the fields can hold.
        for (int t = 0; readable && pattern.keyCount == 0 && t < numbers.size(); ++t)
            readable = numbers[t].unit.isEmpty();
        if (!readable)
            continue;

        QStringList arguments;
        for (int t = 0; t < numbers.size(); ++t) {
            arguments.append(numbers[t].number);
            if (pattern.keyCount > 0)
                m_unitMap.insert(QLatin1String(pattern.keys[std::min(t, pattern.keyCount - 1)]), numbers[t].unit);
        }
        for (int t = 0; t < int(arguments.size()); ++t) {
            m_fields[pattern.targets[t]] = inputXYZ(arguments, t);
            filled[pattern.targets[t]] = true;
        }
        readItem[p] = found;
        itemRead[found] = true;
    }
    m_skewApart = readItem[patternIndex(QStringLiteral("skewx"))] != None
        || readItem[patternIndex(QStringLiteral("skewy"))] != None;

    QList<Entry> entries;
    for (const QList<int> &group : groups()) {
        QList<qsizetype> locations;
        for (int p : group)
            locations.append(readItem[p] == None ? NotFound : items[readItem[p]].location);
        locations = fillRanges(locations);
        for (int k = 0; k < group.size(); ++k)
            entries.append({QLatin1String(table[group[k]].listName), locations[k], {}, false});
    }
    for (int i = 0; i < items.size(); ++i) {
        // An unclosed function would swallow what follows it: it goes last.
        if (!itemRead[i])
            entries.append({{}, items[i].closed ? items[i].location : NotFound, items[i].text, !items[i].isFunction()});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry &a, const Entry &b) { return a.location < b.location; });
    m_orderedList = entries;
}

QString TransformValue::write()
{
    QMap<QString, QString> texts;
    const auto unit = [this](const char *key) { return m_unitMap.value(QLatin1String(key)); };

    if (!m_fields[Perspective].isEmpty()) {
        texts.insert(QStringLiteral("perspective"),
                     QStringLiteral("perspective(%1%2)")
                         .arg(ValueFunctionList::formatShortest(ValueFunctionList::leadingNumber(m_fields[Perspective])),
                              unit("perspective")));
    }
    if (!m_fields[X].isEmpty() || !m_fields[Y].isEmpty() || !m_fields[Z].isEmpty()) {
        for (Field f : {Y, X, Z}) {
            if (m_fields[f].isEmpty())
                m_fields[f] = QStringLiteral("0");
        }
        texts.insert(QStringLiteral("translate3d"), QStringLiteral("translate3d(%1%2, %3%4, %5%6)")
                                                        .arg(decimal(m_fields[X]), unit("x"), decimal(m_fields[Y]),
                                                             unit("y"), decimal(m_fields[Z]), unit("z")));
    }
    const std::array<std::tuple<Field, const char *, const char *>, 4> rotations{{
        {Rotate, "rotate", "r"}, {RotateX, "rotateX", "rx"}, {RotateY, "rotateY", "ry"}, {RotateZ, "rotateZ", "rz"},
    }};
    for (const auto &[field, name, key] : rotations) {
        if (!m_fields[field].isEmpty())
            texts.insert(QLatin1String(name),
                         QStringLiteral("%1(%2%3)").arg(QLatin1String(name), decimal(m_fields[field]), unit(key)));
    }

    QString &sx = m_fields[ScaleX];
    QString &sy = m_fields[ScaleY];
    QString &sz = m_fields[ScaleZ];
    if (!sx.isEmpty() || !sy.isEmpty() || !sz.isEmpty()) {
        if (sx.isEmpty() && sz.isEmpty()) {
            sx = QStringLiteral("1");
        } else if (sx.isEmpty() && sy.isEmpty()) {
            sx = sz;
            sy = sz;
        } else if (sy.isEmpty() && !sz.isEmpty()) {
            sy = sx;
        } else if (sx.isEmpty()) {
            sx = sy;
        }
        QString scale;
        if (!sz.isEmpty())
            scale = QStringLiteral("scale3d(%1, %2, %3)").arg(decimal(sx), decimal(sy), decimal(sz));
        else if (!sy.isEmpty())
            scale = QStringLiteral("scale(%1, %2)").arg(decimal(sx), decimal(sy));
        else
            scale = QStringLiteral("scale(%1)").arg(decimal(sx));
        texts.insert(QStringLiteral("scale"), scale);
    }

    if (m_skewApart) {
        // skewX(a) skewY(b) is another transform than skew(a, b): each
        // stays a function of its own where it was read.
        for (const auto &[field, name, key] : {std::tuple{SkewX, "skewX", "sx"}, std::tuple{SkewY, "skewY", "sy"}}) {
            if (!m_fields[field].isEmpty())
                texts.insert(QLatin1String(name),
                             QStringLiteral("%1(%2%3)").arg(QLatin1String(name), decimal(m_fields[field]), unit(key)));
        }
    } else if (!m_fields[SkewX].isEmpty() || !m_fields[SkewY].isEmpty()) {
        for (Field f : {SkewY, SkewX}) {
            if (m_fields[f].isEmpty())
                m_fields[f] = QStringLiteral("0");
        }
        texts.insert(QStringLiteral("skew"), QStringLiteral("skew(%1%2, %3%4)")
                                                 .arg(decimal(m_fields[SkewX]), unit("sx"), decimal(m_fields[SkewY]),
                                                      unit("sy")));
    }

    QStringList parts;
    QStringList keywords;
    for (const Entry &entry : m_orderedList) {
        if (entry.isKeyword)
            keywords.append(entry.verbatim);
        else if (!entry.verbatim.isEmpty())
            parts.append(entry.verbatim);
        else if (texts.contains(entry.name))
            parts.append(texts.value(entry.name));
    }
    return (parts.isEmpty() ? keywords : parts).join(u' ');
}

QString TransformValue::debugDump() const
{
    QStringList out;
    for (int f = 0; f < FieldCount; ++f)
        out.append(m_fields[f]);
    QStringList units;
    for (auto it = m_unitMap.begin(); it != m_unitMap.end(); ++it)
        units.append(it.key() + u'=' + it.value());
    QStringList order;
    for (const Entry &entry : m_orderedList)
        order.append(entry.name.isEmpty() ? u'[' + entry.verbatim + u']' : entry.name);
    return out.join(u'|') + u' ' + units.join(u',') + u' ' + order.join(u',');
}
