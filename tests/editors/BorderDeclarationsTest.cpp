#include "editors/BorderDeclarations.h"
#include "editors/StyleValueMap.h"

#include <gtest/gtest.h>

namespace BorderDeclarationsTest {

namespace {

using Part = BorderDeclarations::Part;
using State = BorderDeclarations::PartText::State;

BorderDeclarations readBorders(const QString &style)
{
    BorderDeclarations borders;
    const StyleValueMap map = StyleValueMap::fromStyleText(style);
    for (const StyleValueMap::Declaration &entry : map.declarations()) {
        if (BorderDeclarations::isBorderName(entry.name.toLower()))
            borders.append(entry.name, entry.value, entry.writtenValue.mid(entry.value.size()));
    }
    return borders;
}

// A side's parts as "solid" (read), "?var(--x)" (kept as written), "?*..."
// (kept, not placed: it may hold other parts too) or "-" (not given).
QString sideText(const BorderDeclarations &borders, int side)
{
    QStringList parts;
    for (const BorderDeclarations::PartText &part : borders.side(side)) {
        if (part.state == State::Absent)
            parts.append(QStringLiteral("-"));
        else if (part.state == State::Known)
            parts.append(part.text);
        else
            parts.append((part.located ? QStringLiteral("?") : QStringLiteral("?*")) + part.text);
    }
    return parts.join(u" | ");
}

} // namespace

TEST(BorderDeclarations, ReadsEachPartWhereItCanAndKeepsTheRestAsWritten)
{
    struct Row
    {
        const char *name;
        const char *style;
        int side;
        const char *parts; // style | width | colour
    };
    const Row rows[] = {
        {"three var() told apart by their names", "border: var(--bs-border-width) var(--bs-border-style) var(--bs-border-color) !important",
         2, "?var(--bs-border-style) | ?var(--bs-border-width) | ?var(--bs-border-color)"},
        {"a function left for the one part left", "border-top: calc(var(--bs-border-width) * 2) solid currentcolor", 0,
         "solid | ?calc(var(--bs-border-width) * 2) | currentcolor"},
        {"one var() for all three", "border: var(--edge)", 1, "?*var(--edge) | ?*var(--edge) | ?*var(--edge)"},
        {"a side shorthand resets what it does not give", "border: 1px solid #ced4da; border-top: 0", 0, "- | 0 | -"},
        {"the other sides keep the border", "border: 1px solid #ced4da; border-top: 0", 3, "solid | 1px | #ced4da"},
        {"a var() in a side list holds no side of its own", "border-width: var(--bs-border-width) 0", 1,
         "- | ?*var(--bs-border-width) 0 | -"},
        {"an important part wins over a later ordinary one", "border: 1px solid red !important; border-top-color: blue", 0,
         "solid | 1px | red"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(sideText(readBorders(QString::fromUtf8(row.style)), row.side), QString::fromUtf8(row.parts));
    }
}

TEST(BorderDeclarations, AnEditGoesIntoTheDeclarationThatSetsThePart)
{
    struct Row
    {
        const char *name;
        const char *style;
        int sides;
        Part part;
        std::optional<QString> text;
        const char *written;
    };
    const Row rows[] = {
        {"one side of a side list", "border-width: 1px 0", 1, Part::Width, QStringLiteral("2px"), "border-width:2px 0 1px;"},
        {"a function width replaced whole", "border-top:calc(var(--bs-border-width) * 2) solid currentcolor", 1, Part::Width,
         QStringLiteral("3px"), "border-top:3px solid currentcolor;"},
        {"a part taken out with its blank", "border: 1px solid red", BorderDeclarations::kAllSides, Part::Color, std::nullopt,
         "border:1px solid;"},
        {"a side of an important border is important too", "border: 1px solid red !important", 1, Part::Style,
         QStringLiteral("dashed"), "border:1px solid red !important; border-top:1px dashed red !important;"},
        {"a side whose name is taken gets a longhand", "border-top: 2px solid; border: 1px solid red", 1, Part::Color,
         QStringLiteral("blue"), "border-top:2px solid; border:1px solid red; border-top-color:blue;"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        BorderDeclarations borders = readBorders(QString::fromUtf8(row.style));
        borders.edit(row.sides, {{row.part, row.text}});
        EXPECT_EQ(borders.text(), QString::fromUtf8(row.written));
    }
}

TEST(BorderDeclarations, ASideWithoutBorderLosesOnlyItsOwnDeclarations)
{
    BorderDeclarations borders = readBorders(QStringLiteral("border: 1px solid #dee2e6; border-top: 2px dotted red"));
    borders.removeSides(1);
    EXPECT_EQ(borders.text(), QStringLiteral("border:1px solid #dee2e6; border-top:none;"));
    borders.removeSides(BorderDeclarations::kAllSides);
    EXPECT_EQ(borders.text(), QString());
}

} // namespace BorderDeclarationsTest
