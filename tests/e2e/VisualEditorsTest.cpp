#include "SessionTest.h"

#include <QJsonArray>
#include <QJsonObject>

namespace VisualEditorsTest {

using namespace Shown;

namespace {

class VisualEditors : public SessionTest
{
protected:
    // Opens a declaration's popover editor with a double click on its row.
    void openEditor(const char *row, const char *field)
    {
        ASSERT_TRUE(session.clickRow(QStringLiteral("cssRulesOutline"), QString::fromLatin1(row), 2));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return session.widget(QString::fromLatin1(field)).isValid(); }));
    }
    // Types over a field of the open editor, then closes the popover, which commits.
    void typeAndClose(const char *field, const char *text, const char *edited)
    {
        ASSERT_TRUE(session.fill(QString::fromLatin1(field), QString::fromLatin1(text)));
        session.key(QStringLiteral("Return Escape"));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
            return session.rows(QStringLiteral("cssRulesOutline")).contains(QString::fromLatin1(edited));
        })) << session.rows(QStringLiteral("cssRulesOutline")).join(u'|').toStdString();
    }
    QString pageValue(const QString &expression)
    {
        return session.ask({{QStringLiteral("q"), QStringLiteral("page")}, {QStringLiteral("expression"), expression}})
            .value(QStringLiteral("value"))
            .toString();
    }
    // Undo from the keyboard, once the step is undone.
    void undoStep()
    {
        const auto names = [this] { return session.ask({{QStringLiteral("q"), QStringLiteral("undo")}}); };
        const QString step = names()[QStringLiteral("undoName")].toString();
        ASSERT_FALSE(step.isEmpty());
        session.key(QStringLiteral("ctrl+z"));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return names()[QStringLiteral("redoName")].toString() == step; }))
            << step.toStdString();
    }
};

} // namespace

// #84: a colour added to a rule, changed in the popover, and both undone:
// the page, the rules panel and the file are as they were.
TEST_F(VisualEditors, AColourAddedThenChangedInThePopoverAndBothUndoneLeavesPagePanelAndFileAsTheyWere)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body class=\"js\">...</body>", "Right Down Down Right Down", "intro"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".lead", "site.css:14"); }));
    const QString colour = QStringLiteral("getComputedStyle(document.getElementById('intro')).color");
    const QString before = pageValue(colour);
    const QStringList rowsBefore = ruleRows();

    ASSERT_TRUE(session.clickRow(QStringLiteral("cssRulesOutline"), QStringLiteral(".lead")));
    ASSERT_NO_FATAL_FAILURE(addDeclaration("color: #a00000", "color: #a00000"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return pageValue(colour) == QLatin1String("rgb(160, 0, 0)"); }));
    ASSERT_NO_FATAL_FAILURE(openEditor("color: #a00000", "hexTextInput"));
    ASSERT_NO_FATAL_FAILURE(typeAndClose("hexTextInput", "navy", "color: navy"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return pageValue(colour) == QLatin1String("rgb(0, 0, 128)"); }));
    // The keys go back to the rules once the popover is gone.
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return !session.widget(QStringLiteral("hexTextInput")).isValid(); }));

    ASSERT_NO_FATAL_FAILURE(undoStep());
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) {
        return pageValue(colour) == QLatin1String("rgb(160, 0, 0)") && ruleRows().contains(QStringLiteral("color: #a00000"));
    })) << pageValue(colour).toStdString();
    ASSERT_NO_FATAL_FAILURE(undoStep());
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return pageValue(colour) == before && ruleRows() == rowsBefore; }))
        << pageValue(colour).toStdString() << " " << ruleRows().join(u'|').toStdString();
    session.key(QStringLiteral("ctrl+s"));
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("unsaved")].toArray().isEmpty(); }));
    EXPECT_EQ(session.onDisk(QStringLiteral("css/site.css")), session.original(QStringLiteral("css/site.css")));
    EXPECT_EQ(changed(), "");
}

// A colour typed by its name and a decimal typed into a shadow's blur reach
// a minified sheet as typed, and nothing else of it changes (#66).
TEST_F(VisualEditors, AColourNameAndADecimalTypedIntoThePopoversReachTheMinifiedSheetAsTyped)
{
    ASSERT_NO_FATAL_FAILURE(openSite("editors.html", "Editors"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down", "badge"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".badge", "editors.min.css:1"); }));

    ASSERT_NO_FATAL_FAILURE(openEditor("color: #fff", "hexTextInput"));
    ASSERT_NO_FATAL_FAILURE(typeAndClose("hexTextInput", "antiquewhite", "color: antiquewhite"));

    ASSERT_NO_FATAL_FAILURE(openEditor("box-shadow: 0 .5rem 1rem rgba(0,0,0,.15),inset 0 1px 0 rgba(255,255,255,.15)", "blur"));
    ASSERT_NO_FATAL_FAILURE(typeAndClose("blur", "2.5", "box-shadow: 0 .5rem 2.5rem rgba(0,0,0,.15),inset 0 1px 0 rgba(255,255,255,.15)"));

    QByteArray expected = session.original(QStringLiteral("css/editors.min.css"));
    expected.replace(".badge{display:inline-block;color:#fff;box-shadow:0 .5rem 1rem rgba(0,0,0,.15),",
                     ".badge{display:inline-block;color:antiquewhite;box-shadow:0 .5rem 2.5rem rgba(0,0,0,.15),");
    // The keys go to the tree.
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QStringLiteral("<div class=\"badge\">...</div>")));
    saveAndExpect("css/editors.min.css", expected);
}

} // namespace VisualEditorsTest
