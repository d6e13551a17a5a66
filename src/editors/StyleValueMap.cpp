#include "StyleValueMap.h"

#include "stylesheet/FourSides.h"
#include "stylesheet/StringCSSProperty.h"
#include "stylesheet/StyleDeclaration.h"
#include "stylesheet/VendarPrefixSettings.h"

#include <QHash>
#include <QSet>
#include <QRegularExpression>

#include <algorithm>

namespace {

// The shorthands that also set a name some editor reads, besides the split ones.
const QHash<QString, QStringList> &coveringShorthands()
{
    static const QHash<QString, QStringList> map = {
        {QStringLiteral("background-color"), {QStringLiteral("background")}},
        {QStringLiteral("font-family"), {QStringLiteral("font")}},
        {QStringLiteral("font-size"), {QStringLiteral("font")}},
        {QStringLiteral("font-weight"), {QStringLiteral("font")}},
        {QStringLiteral("font-style"), {QStringLiteral("font")}},
        {QStringLiteral("line-height"), {QStringLiteral("font")}},
        {QStringLiteral("top"), {QStringLiteral("inset")}},
        {QStringLiteral("right"), {QStringLiteral("inset")}},
        {QStringLiteral("bottom"), {QStringLiteral("inset")}},
        {QStringLiteral("left"), {QStringLiteral("inset")}},
    };
    return map;
}

// "!important" at the end, with optional blanks after the "!".
std::optional<QString> withoutImportant(const QString &value)
{
    static const QRegularExpression important(QStringLiteral("\\s*!\\s*important\\s*$"),
                                              QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = important.match(value);
    if (!match.hasMatch())
        return std::nullopt;
    return value.left(match.capturedStart()).trimmed();
}

} // namespace

StyleValueMap StyleValueMap::fromStyleText(const QString &text)
{
    StyleValueMap map;
    // The file model's reading of a declaration list, without folding
    // vendor copies into their formal declaration; the background images it
    // still folds are read back from their own ranges.
    StyleDeclaration declaration;
    declaration.setType(RuleType::DeclarationList);
    declaration.setBody(text, VendarPrefixSettings());
    struct Piece
    {
        qsizetype at = 0;
        QString name;
        QString value;
    };
    QList<Piece> pieces;
    for (const CSSPropertyPtr &property : declaration.properties()) {
        const QList<Range> &ranges = property->textRanges();
        if (ranges.size() <= 1) {
            pieces.append({ranges.isEmpty() ? 0 : ranges.first().location, property->property(), property->value()});
            continue;
        }
        for (const Range &range : ranges) {
            const QString piece = StringCSSProperty::cleanBody(text.mid(range.location, range.length));
            const qsizetype colon = piece.indexOf(u':');
            if (colon > 0)
                pieces.append({range.location, piece.left(colon).trimmed(), piece.mid(colon + 1).trimmed()});
        }
    }
    // Pieces the model drops (no colon) are kept as written too.
    QSet<qsizetype> read;
    for (const CSSPropertyPtr &property : declaration.properties()) {
        for (const Range &range : property->textRanges())
            read.insert(range.location);
    }
    QList<qsizetype> rawAt;
    for (const QStringView view : StringCSSProperty::declarationViews(text)) {
        const qsizetype at = view.data() - text.constData();
        if (read.contains(at))
            continue;
        const QString piece = StringCSSProperty::cleanBody(view.toString()).trimmed();
        if (piece.isEmpty())
            continue;
        pieces.append({at, QString(), piece});
        rawAt.append(at);
    }
    std::stable_sort(pieces.begin(), pieces.end(), [](const Piece &a, const Piece &b) { return a.at < b.at; });
    map.m_declarations.reserve(pieces.size());
    for (const Piece &piece : pieces) {
        Declaration entry;
        entry.name = piece.name;
        entry.writtenValue = piece.value;
        if (piece.name.isEmpty()) {
            entry.raw = true;
            if (!rawAt.contains(piece.at))
                entry.writtenValue = u':' + piece.value;
            map.m_declarations.append(entry);
            continue;
        }
        if (const std::optional<QString> plain = withoutImportant(piece.value)) {
            entry.value = *plain;
            entry.important = true;
        } else {
            entry.value = piece.value;
        }
        map.m_declarations.append(entry);
        map.addSettings(int(map.m_declarations.size() - 1));
    }
    return map;
}

QStringList StyleValueMap::splitLonghands(const QString &shorthand)
{
    static const QHash<QString, QStringList> sides = {
        {QStringLiteral("margin"),
         {QStringLiteral("margin-top"), QStringLiteral("margin-right"), QStringLiteral("margin-bottom"),
          QStringLiteral("margin-left")}},
        {QStringLiteral("padding"),
         {QStringLiteral("padding-top"), QStringLiteral("padding-right"), QStringLiteral("padding-bottom"),
          QStringLiteral("padding-left")}},
        {QStringLiteral("border-radius"),
         {QStringLiteral("border-top-left-radius"), QStringLiteral("border-top-right-radius"),
          QStringLiteral("border-bottom-right-radius"), QStringLiteral("border-bottom-left-radius")}},
    };
    return sides.value(shorthand);
}

void StyleValueMap::addSettings(int index)
{
    const Declaration &entry = m_declarations[index];
    const QString name = entry.name.toLower();
    const QStringList longhands = splitLonghands(name);
    if (longhands.isEmpty()) {
        m_settings.append({index, name, entry.value});
        return;
    }
    // An elliptical corner radius ("10px / 5px") has no side values, nor has
    // a value with var(), which may stand for several.
    const std::optional<QStringList> values = fourSideValues(entry.value);
    for (int side = 0; side < longhands.size(); ++side)
        m_settings.append({index, longhands[side], values ? std::optional<QString>(values->at(side)) : std::nullopt});
}

StyleValueMap::Lookup StyleValueMap::lookup(const QString &name) const
{
    const QStringList covering = coveringShorthands().value(name);
    const Setting *effective = nullptr;
    bool opaque = false;
    bool effectiveImportant = false;
    const auto consider = [&](const Setting *setting, bool isOpaque) {
        const bool important = m_declarations[setting->declaration].important;
        if (effective && effectiveImportant && !important)
            return;
        effective = setting;
        opaque = isOpaque;
        effectiveImportant = important;
    };
    // Settings are in written order; "all" resets every name.
    for (const Setting &setting : m_settings) {
        if (setting.name == name)
            consider(&setting, !setting.value.has_value());
        else if (covering.contains(setting.name) || setting.name == u"all")
            consider(&setting, true);
    }
    if (!effective)
        return {};
    if (opaque)
        return {State::Opaque, {}};
    return {State::Held, {*effective->value, effectiveImportant}};
}

void StyleValueMap::take(const QStringList &names)
{
    QList<int> touched;
    QHash<int, int> takenSides;
    for (const Setting &setting : std::as_const(m_settings)) {
        if (names.contains(setting.name))
            ++takenSides[setting.declaration];
    }
    for (auto it = takenSides.cbegin(); it != takenSides.cend(); ++it) {
        Declaration &entry = m_declarations[it.key()];
        const QStringList longhands = splitLonghands(entry.name.toLower());
        if (longhands.isEmpty() || it.value() >= longhands.size())
            entry.taken = true;
    }
}

std::optional<QList<std::optional<StyleValueMap::Value>>> StyleValueMap::heldValues(const QStringList &names) const
{
    QList<std::optional<Value>> values;
    std::optional<bool> important;
    for (const QString &name : names) {
        const Lookup found = lookup(name);
        if (found.state == State::Opaque)
            return std::nullopt;
        if (found.state == State::Absent) {
            values.append(std::nullopt);
            continue;
        }
        if (important && *important != found.value.important)
            return std::nullopt;
        important = found.value.important;
        values.append(found.value);
    }
    return values;
}

std::optional<QList<StyleValueMap::Value>>
StyleValueMap::takeIfHeld(const QStringList &names, const std::function<bool(const QList<Value> &)> &accept)
{
    const std::optional<QList<std::optional<Value>>> held = heldValues(names);
    if (!held)
        return std::nullopt;
    QList<Value> values;
    for (const std::optional<Value> &value : *held) {
        if (!value)
            return std::nullopt;
        values.append(*value);
    }
    if (accept && !accept(values))
        return std::nullopt;
    take(names);
    return values;
}

QList<StyleValueMap::Declaration> StyleValueMap::remaining() const
{
    QList<Declaration> left;
    for (const Declaration &entry : m_declarations) {
        if (!entry.taken)
            left.append(entry);
    }
    return left;
}
