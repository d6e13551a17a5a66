#include "SessionTest.h"

#include <QJsonArray>
#include <QJsonObject>

namespace BlockRulesTest {

using namespace Shown;

namespace {

const char *const kSheet = "css/blocks.css";

// A page whose heading has a rule at the top of a formatted sheet and one
// inside @media: what each editor does reaches the sheet as the page shows
// it, saved with Ctrl+S (#77).
class BlockRules : public SessionTest
{
protected:
    void openHeading()
    {
        ASSERT_NO_FATAL_FAILURE(openSite("blocks.html", "Blocks"));
        ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down Right Down", "masthead-subheading"));
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
            return showsRule(state, "@media (min-width: 100px)", "blocks.css:10");
        }));
    }
    QString undoName() { return session.ask({{QStringLiteral("q"), QStringLiteral("undo")}})[QStringLiteral("undoName")].toString(); }
    QString headingColour()
    {
        return session
            .ask({{QStringLiteral("q"), QStringLiteral("page")},
                  {QStringLiteral("expression"), QStringLiteral("getComputedStyle(document.querySelector('.masthead-subheading')).color")}})
            .value(QStringLiteral("value"))
            .toString();
    }
    // The sheet as the fixture has it, with one piece replaced.
    QByteArray sheetWith(const char *before, const char *after) const
    {
        return with(session.original(QString::fromLatin1(kSheet)), before, after);
    }
};

} // namespace

// Rules > Edit Rule Style... on the rule inside @media did nothing: page,
// rules and file stayed as they were.
TEST_F(BlockRules, TheEditRuleStyleOfARuleInsideMediaIsSavedInItsBlock)
{
    ASSERT_NO_FATAL_FAILURE(openHeading());
    ASSERT_TRUE(session.clickRow(QStringLiteral("cssRulesOutline"), QStringLiteral("font-size: 2.25rem")));
    ASSERT_NO_FATAL_FAILURE(chooseMenu("Rules", "Edit Rule Style..."));
    QRect position;
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return (position = popoverWidget("position")).isValid(); }));
    session.click(position.center());
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state.contains(QStringLiteral("popup")); }));
    session.key(QStringLiteral("Down Down Return"));
    QString chosen;
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        chosen = session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("position")},
                              {QStringLiteral("inPopover"), true}})
                     .value(QStringLiteral("text"))
                     .toString();
        return !chosen.isEmpty() && chosen != QLatin1String("-") && ruleRows().contains(QStringLiteral("position: ") + chosen);
    })) << chosen.toStdString() << " | " << ruleRows().join(u'|').toStdString();
    EXPECT_EQ(undoName().toStdString(), "Change Style");
    // A click outside closes the popover; the keys go to the tree.
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QStringLiteral("<p class=\"masthead-subheading\">...</p>")));
    saveAndExpect(kSheet, sheetWith("    font-size: 2.25rem;\n", ("    font-size: 2.25rem;\n    position: " + chosen + ";\n").toUtf8().constData()));
}

// A declaration's box switched it off in the page alone: no modified mark,
// and Ctrl+S wrote nothing.
TEST_F(BlockRules, ADeclarationSwitchedOffIsSavedAsThePageShowsIt)
{
    ASSERT_NO_FATAL_FAILURE(openHeading());
    const QString row = QStringLiteral("color: #333333");
    ASSERT_TRUE(session.clickRow(QStringLiteral("cssRulesOutline"), row));
    const QRect box = session.row(QStringLiteral("cssRulesOutline"), row);
    ASSERT_TRUE(box.isValid());
    // The box stands at the start of the selected row.
    session.click(QPoint(box.left() + 7, box.center().y()));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return undoName() == QLatin1String("Change Style Enabled"); }));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return !state[QStringLiteral("unsaved")].toArray().isEmpty(); }));
    EXPECT_EQ(headingColour().toStdString(), "rgb(0, 0, 0)");
    saveAndExpect(kSheet, sheetWith("  color: #333333;\n", ""));
    EXPECT_EQ(headingColour().toStdString(), "rgb(0, 0, 0)");
}

// Add Declaration "background-image", its gradient popover, a swatch and a
// colour typed into the hex field, closed, Ctrl+S: the declaration was
// written five times, with the colour of the first three digits typed.
TEST_F(BlockRules, AGradientAddedAndPickedInItsPopoverIsSavedOnceAsTyped)
{
    ASSERT_NO_FATAL_FAILURE(openHeading());
    ASSERT_TRUE(session.clickRow(QStringLiteral("cssRulesOutline"), QStringLiteral("color: #333333")));
    const QString added = QStringLiteral("background-image: linear-gradient(to bottom, #0a5cc4, #042951)");
    ASSERT_NO_FATAL_FAILURE(addDeclaration("background-image", added.toUtf8().constData()));
    ASSERT_TRUE(session.clickRow(QStringLiteral("cssRulesOutline"), added, 2));
    QRect swatch;
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return (swatch = popoverWidget("swatch")).isValid(); }));
    session.click(swatch.topLeft() + QPoint(4, 4));
    ASSERT_NO_FATAL_FAILURE(fillInPopover("hexTextInput", "36b9cc"));
    session.key(QStringLiteral("Escape"));
    ASSERT_NO_FATAL_FAILURE(waitForRuleRow(QStringLiteral("background-image: linear-gradient(to bottom, #36b9cc, #042951)")));
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QStringLiteral("<p class=\"masthead-subheading\">...</p>")));
    saveAndExpect(kSheet, sheetWith("  color: #333333;\n",
                               "  color: #333333;\n  background-image: linear-gradient(to bottom, #36b9cc, #042951);\n"));
}

} // namespace BlockRulesTest
