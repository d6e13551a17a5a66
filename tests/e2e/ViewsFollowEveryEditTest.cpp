#include "SessionTest.h"

#include <QJsonArray>
#include <QJsonObject>

// The panels follow every edit as it is made: the cover over the rules
// goes once the page and the sheet's text agree again, the Attributes pane
// lists what each editor and its Undo left, the Colors dialog gives one
// Undo step a colour, and a rule chosen in the style-sheet manager fills
// the rules panel (#78).
namespace ViewsFollowEveryEditTest {

using namespace Shown;

namespace {

class ViewsFollowEveryEdit : public SessionTest
{
protected:
    bool shown(const QString &widget)
    {
        return session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), widget}})
            .value(QStringLiteral("visible"))
            .toBool();
    }
    QString codeText()
    {
        const QJsonObject view =
            session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("codeView")}});
        return view.value(QStringLiteral("visible")).toBool() ? view.value(QStringLiteral("text")).toString() : QString();
    }
    static bool saved(const QJsonObject &state) { return state.value(QStringLiteral("unsaved")).toArray().isEmpty(); }
};

} // namespace

// The page's minified sheet, a line of some thousand characters, typed into
// in the code view: the rules are covered while the page lacks the typing,
// and uncovered as soon as the text is the page's again, typed away by
// hand or undone.
TEST_F(ViewsFollowEveryEdit, TheCoverOverTheRulesGoesWhenTheSheetIsThePagesTextAgain)
{
    ASSERT_NO_FATAL_FAILURE(openSite("busy-cover.html", "Busy Cover"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down Right Down", "busy-title"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".busy-title", "busy-cover.min.css:1"); }));
    ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("css")));
    session.key(QStringLiteral("Right"));
    ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("busy-cover.min.css")));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText().startsWith(QStringLiteral(".u-0{")); }));
    ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("codeView"), QStringLiteral("codeView")));
    session.key(QStringLiteral("ctrl+End"));

    session.type(QStringLiteral("abcde"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return shown(QStringLiteral("cssUIBlock")); }));
    session.key(QStringLiteral("BackSpace BackSpace BackSpace BackSpace BackSpace"));
    ASSERT_TRUE(session.waitFor(saved));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return !shown(QStringLiteral("cssUIBlock")); }, 5000));

    session.type(QStringLiteral("abcde"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return shown(QStringLiteral("cssUIBlock")); }));
    for (int i = 0; i < 5 && !saved(session.state()); ++i)
        session.key(QStringLiteral("ctrl+z"));
    ASSERT_TRUE(session.waitFor(saved));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return !shown(QStringLiteral("cssUIBlock")); }, 5000));

    // The panel, uncovered, takes a value edit as before.
    ASSERT_NO_FATAL_FAILURE(editLength("font-size: 20px", "24", "font-size: 24px"));
    QByteArray expected = session.original(QStringLiteral("css/busy-cover.min.css"));
    expected.replace(".busy-title{font-size:20px;", ".busy-title{font-size:24px;");
    saveAndExpect("css/busy-cover.min.css", expected);
}

} // namespace ViewsFollowEveryEditTest
