#include "SessionTest.h"

#include <QJsonArray>
#include <QJsonObject>

namespace OutsideChangeTest {

namespace {

const QString kPage = QStringLiteral("index.html");
const QString kQuestion = QStringLiteral("\"index.html\" was changed by another program.");

bool asks(const QJsonObject &state)
{
    return state.value(QStringLiteral("modalText")).toString() == kQuestion;
}

// An attribute added to the page's headline in the DOM tree and not saved;
// then another program writes the page, and the designer presses Ctrl+S.
class OutsideChange : public SessionTest
{
protected:
    void editChangeOutsideAndSave(const QByteArray &theirs)
    {
        ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
        ASSERT_NO_FATAL_FAILURE(selectInTree("<body class=\"js\">...</body>", "Right Down Right Down", "headline"));
        ASSERT_TRUE(session.fill(QStringLiteral("attrName"), QStringLiteral("title")));
        ASSERT_TRUE(session.fill(QStringLiteral("attrValue"), QStringLiteral("pier")));
        ASSERT_TRUE(session.clickWidget(QStringLiteral("addAttr")));
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
            return state[QStringLiteral("unsaved")].toArray().contains(QStringLiteral("/index.html"));
        }));
        ASSERT_EQ(session.onDisk(kPage), session.original(kPage));

        ASSERT_TRUE(session.writeOnDisk(kPage, theirs));
        session.key(QStringLiteral("ctrl+s"));
        ASSERT_TRUE(session.waitFor(asks));
    }

    QByteArray originalWith(const char *before, const char *after) const
    {
        QByteArray text = session.original(kPage);
        text.replace(before, after);
        return text;
    }
};

} // namespace

TEST_F(OutsideChange, KeepMyChangesSavesTheProgramsVersionOverTheOtherOne)
{
    ASSERT_NO_FATAL_FAILURE(editChangeOutsideAndSave(originalWith("<title>Harbour Lights</title>", "<title>Harbour Lights at Night</title>")));
    ASSERT_NO_FATAL_FAILURE(answer(QStringLiteral("Keep My Changes")));
    const QByteArray mine = originalWith("<h1 id=\"headline\">", "<h1 id=\"headline\" title=\"pier\">");
    // The save goes on with the answer; had the folder watcher asked before
    // the key arrived, the next save writes it.
    if (!session.waitFor([&](const QJsonObject &) { return session.onDisk(kPage) == mine; }, 3000))
        session.key(QStringLiteral("ctrl+s"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(kPage) == mine; }, 5000))
        << session.onDisk(kPage).toStdString();
    EXPECT_FALSE(asks(session.state()));
    EXPECT_EQ(changed(), "index.html");
}

TEST_F(OutsideChange, UseTheVersionOnDiskKeepsTheOtherProgramsBytesAndShowsThem)
{
    const QByteArray theirs = originalWith("<title>Harbour Lights</title>", "<title>Harbour Lights at Night</title>");
    ASSERT_NO_FATAL_FAILURE(editChangeOutsideAndSave(theirs));
    ASSERT_NO_FATAL_FAILURE(answer(QStringLiteral("Use the Version on Disk")));
    EXPECT_EQ(session.onDisk(kPage), theirs);
    // The page is loaded again from disk: its tree is the other program's.
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) {
        return Shown::titled(state, "Harbour Lights at Night") && state[QStringLiteral("unsaved")].toArray().isEmpty();
    }));
    EXPECT_EQ(session.onDisk(kPage), theirs);
    EXPECT_EQ(changed(), "index.html");
}

} // namespace OutsideChangeTest
