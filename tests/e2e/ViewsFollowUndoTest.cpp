#include "SessionTest.h"

#include <QJsonObject>

// Every view follows what the user does to the page: an undo, a reload, a
// load that fails.
namespace ViewsFollowUndoTest {

using namespace Shown;

namespace {

class ViewsFollowUndo : public SessionTest
{
protected:
    // The text of the centre pane's code view; empty while it is not shown.
    QString codeText()
    {
        const QJsonObject view =
            session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("codeView")}});
        return view.value(QStringLiteral("visible")).toBool() ? view.value(QStringLiteral("text")).toString() : QString();
    }
};

} // namespace

// A typed local address that fails empties the code view as it empties the
// other panels (as a failed network address does); the page opened again
// shows its text again.
TEST_F(ViewsFollowUndo, AFailedLoadOfALocalAddressEmptiesTheCodeView)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText().contains(QStringLiteral("Harbour Lights")); }));
    ASSERT_TRUE(session.fill(QStringLiteral("selectedURLPath"), QStringLiteral("file://") + session.projectPath() + QStringLiteral("/missing.html")));
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return state.value(QStringLiteral("status")).toString().startsWith(QLatin1String("Could not load"));
    }));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText().isEmpty(); }, 5000)) << codeText().left(80).toStdString();

    ASSERT_TRUE(session.openPage(QStringLiteral("index.html")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return titled(state, "Harbour Lights"); }));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText().contains(QStringLiteral("Harbour Lights")); }));
    EXPECT_EQ(changed(), "");
}

} // namespace ViewsFollowUndoTest
