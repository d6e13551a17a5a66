#include "SessionTest.h"

#include <QJsonObject>

namespace ViewsFollowEditsTest {

using namespace Shown;

namespace {

// A link styled by a class and by two classes together, and a paragraph
// whose line height a rule sets: the rules panel and the overlay's labels
// follow each edit, and the overlay each undo and redo too.
class ViewsFollowEdits : public SessionTest
{
protected:
    QString shownText(const char *name)
    {
        return session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QString::fromLatin1(name)}})
            .value(QStringLiteral("text"))
            .toString();
    }
    bool labelled(const char *label) { return shownText("elementText").endsWith(QLatin1String(label)); }
};

} // namespace

TEST_F(ViewsFollowEdits, AClassTypedIntoTheAttributesPaneReachesTheRulesPanelAndTheOverlay)
{
    ASSERT_NO_FATAL_FAILURE(openSite("views-follow.html", "Views Follow"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down", "go"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".button", "views-follow.css:1"); }));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return labelled("a#go.button"); })) << shownText("elementText").toStdString();

    ASSERT_TRUE(session.clickRow(QStringLiteral("domInfo"), QStringLiteral("class")));
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("focusText")].toString() == QLatin1String("button"); }));
    session.key(QStringLiteral("End"));
    session.type(QStringLiteral(" large"));
    session.key(QStringLiteral("Return"));
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".button.large", "views-follow.css:2"); }));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return labelled("a#go.button large"); }))
        << shownText("elementText").toStdString();
    QByteArray expected = session.original(QStringLiteral("views-follow.html"));
    expected.replace("class=\"button\"", "class=\"button large\"");
    saveAndExpect("views-follow.html", expected);
}

TEST_F(ViewsFollowEdits, TheOverlaysSizeFollowsTheUndoAndRedoOfALineHeightChange)
{
    ASSERT_NO_FATAL_FAILURE(openSite("views-follow.html", "Views Follow"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down Down", "tall"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, "#tall", "views-follow.css:3"); }));
    const auto sized = [this](const char *height) { return shownText("sizeText").endsWith(QLatin1String(height)); };
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return sized("h:20px"); })) << shownText("sizeText").toStdString();
    ASSERT_NO_FATAL_FAILURE(editLength("line-height: 20px", "40", "line-height: 40px"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return sized("h:40px"); })) << shownText("sizeText").toStdString();

    // The keys go to the tree, the paragraph still selected.
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QStringLiteral("<p id=\"tall\">...</p>")));
    session.key(QStringLiteral("ctrl+z"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("canRedo")].toBool(); }));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return sized("h:20px"); })) << shownText("sizeText").toStdString();
    session.key(QStringLiteral("ctrl+shift+z"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return !state[QStringLiteral("canRedo")].toBool(); }));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return sized("h:40px"); })) << shownText("sizeText").toStdString();
    QByteArray expected = session.original(QStringLiteral("css/views-follow.css"));
    expected.replace("line-height: 20px", "line-height: 40px");
    saveAndExpect("css/views-follow.css", expected);
}

} // namespace ViewsFollowEditsTest
