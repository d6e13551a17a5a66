#include "SessionTest.h"

#include <QJsonObject>

namespace ViewsFollowEditsTest {

using namespace Shown;

namespace {

const QString kPage = QStringLiteral("views-follow.html");

// A link styled by a class and by two classes together, and a paragraph
// whose line height a rule sets: the rules panel and the overlay's labels
// follow each edit and its undo, whichever pane made it.
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
    int undone() { return session.ask({{QStringLiteral("q"), QStringLiteral("undo")}}).value(QStringLiteral("undone")).toInt(); }
};

} // namespace

TEST_F(ViewsFollowEdits, AClassTypedIntoTheAttributesPaneAndItsUndoReachTheRulesPanelAndTheOverlay)
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

    // Undone key by key, from the tree, the link still selected.
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QStringLiteral("<a id=\"go\" class=\"button large\" href=\"#\">...</a>")));
    for (int i = 0; i < 8 && session.state()[QStringLiteral("canUndo")].toBool(); ++i) {
        const int before = undone();
        session.key(QStringLiteral("ctrl+z"));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return undone() > before; }));
    }
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) {
        return showsRule(state, ".button", "views-follow.css:1") && !showsRule(state, ".button.large", "views-follow.css:2");
    }));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return labelled("a#go.button"); })) << shownText("elementText").toStdString();
    session.key(QStringLiteral("ctrl+s"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(kPage) == session.original(kPage); }, 5000));
    EXPECT_EQ(changed(), "");
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
}

} // namespace ViewsFollowEditsTest
