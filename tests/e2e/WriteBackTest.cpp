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

} // namespace WriteBackTest
