#include "SessionTest.h"

#include <QJsonObject>

namespace WriteBackTest {

using namespace Shown;

namespace {

class WriteBack : public SessionTest
{
};

} // namespace

// The page's script gives the body a class and the header a badge: an
// attribute added to the body reaches the file alone, and its undo gives
// back the file's bytes.
TEST_F(WriteBack, AnAttributeOnTheBodyAScriptChangedIsWrittenAloneAndUndoneToTheOriginalBytes)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QStringLiteral("<body class=\"js\">...</body>")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return selected(state, "body"); }));

    ASSERT_TRUE(session.fill(QStringLiteral("attrName"), QStringLiteral("title")));
    ASSERT_TRUE(session.fill(QStringLiteral("attrValue"), QStringLiteral("mine")));
    ASSERT_TRUE(session.clickWidget(QStringLiteral("addAttr")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("canUndo")].toBool(); }));
    // The keys go to the tree.
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"),
                                 QStringLiteral("<body class=\"js\" title=\"mine\">...</body>")));
    QByteArray expected = session.original(QStringLiteral("index.html"));
    expected.replace("<body>", "<body title=\"mine\">");
    saveAndExpect("index.html", expected);

    session.key(QStringLiteral("ctrl+z"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("canRedo")].toBool(); }));
    session.key(QStringLiteral("ctrl+s"));
    const QString page = QStringLiteral("index.html");
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(page) == session.original(page); }, 5000))
        << session.onDisk(page).toStdString();
    EXPECT_EQ(changed(), "");
}

// Two edits of a sheet of 300 rules that change lengths: the first moves
// every rule after it, the second lands in its place; undone, the file is
// its bytes again, and redone, it holds the two values alone.
TEST_F(WriteBack, EditsOfALongSheetLandInTheirPlacesThroughUndoAndRedo)
{
    ASSERT_NO_FATAL_FAILURE(openSite("long.html", "Long"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down", "early"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".r3", "long.css:4"); }));
    ASSERT_NO_FATAL_FAILURE(editLength("margin: 0px", "12", "margin: 12px"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<p id=\"early\" class=\"r3\">...</p>", "Down", "late"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".r250", "long.css:251"); }));
    ASSERT_NO_FATAL_FAILURE(editLength("margin: 0px", "3", "margin: 3px"));

    const QString sheet = QStringLiteral("css/long.css");
    QByteArray expected = session.original(sheet);
    expected.replace(".r3 { margin: 0px; }", ".r3 { margin: 12px; }");
    expected.replace(".r250 { margin: 0px; }", ".r250 { margin: 3px; }");
    saveAndExpect("css/long.css", expected);

    // The keys go to the tree.
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QStringLiteral("<p id=\"late\" class=\"r250\">...</p>")));
    session.key(QStringLiteral("ctrl+z"));
    session.key(QStringLiteral("ctrl+z"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return session.rows(QStringLiteral("cssRulesOutline")).contains(QStringLiteral("margin: 0px")); }));
    session.key(QStringLiteral("ctrl+s"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(sheet) == session.original(sheet); }, 5000))
        << session.onDisk(sheet).toStdString();
    EXPECT_EQ(changed(), "");

    session.key(QStringLiteral("ctrl+shift+z"));
    session.key(QStringLiteral("ctrl+shift+z"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return !state[QStringLiteral("canRedo")].toBool(); }));
    saveAndExpect("css/long.css", expected);
}

} // namespace WriteBackTest
