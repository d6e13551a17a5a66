#include "SettingsFileMessages.h"
#include "TestUtil.h"
#include "Unreadable.h"

#include "platform/foundation/PropertyList.h"
#include "workspace/SnippetUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A home folder of its own for each test, so the snippet library starts
// absent; every test ends by dropping the store, as a quit does.
class SnippetUtilTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_oldHome = qgetenv("HOME");
        qputenv("HOME", m_home.path().toLocal8Bit());
        SnippetUtil::unloadStore();
    }

    void TearDown() override
    {
        SnippetUtil::unloadStore();
        qputenv("HOME", m_oldHome);
    }

    // A new run of the program.
    static void restart() { SnippetUtil::unloadStore(); }

    static QStringList titles(const QList<SnippetPtr> &snippets)
    {
        QStringList result;
        for (const SnippetPtr &snippet : snippets)
            result << snippet->value(QStringLiteral("title")).toString();
        return result;
    }

    static qsizetype builtInCount() { return SnippetUtil::snippetDefs().size(); }

    QTemporaryDir m_home;
    QByteArray m_oldHome;
};

} // namespace

TEST_F(SnippetUtilTest, FirstStartWritesTheFileWithEachBuiltInOnceInFront)
{
    ASSERT_GE(builtInCount(), 10);
    const QString path = SnippetUtil::defaultDataPath();
    EXPECT_FALSE(QFile::exists(path));
    const QList<SnippetPtr> snippets = SnippetUtil::allSnippets();
    EXPECT_TRUE(QFile::exists(path));
    ASSERT_EQ(snippets.size(), builtInCount());

    const SnippetPtr first = snippets.first();
    EXPECT_EQ(first->value(QStringLiteral("title")), QStringLiteral(".clearfix::after"));
    EXPECT_EQ(first->value(QStringLiteral("summary")), QStringLiteral(".clearfix::after"));
    EXPECT_EQ(first->value(QStringLiteral("category")), QStringLiteral("CSS"));
    EXPECT_EQ(first->value(QStringLiteral("locked")).toInt(), 1);
    EXPECT_TRUE(first->value(QStringLiteral("content")).toString().startsWith(QStringLiteral(".clearfix::after{")));
    // The content turns back into the rule's declarations.
    EXPECT_EQ(SnippetUtil::propertiesFromSnippet(first).size(), 3);

    // A second start reads the file and makes the built-ins again, once.
    restart();
    EXPECT_EQ(SnippetUtil::allSnippets().size(), builtInCount());
}

TEST_F(SnippetUtilTest, UserSnippetsSurviveARestartInOrderAndAnEditedBuiltInComesBack)
{
    SnippetUtil::createAndAddSnippetTitle(QStringLiteral("nav"), QStringLiteral("menu"), QStringLiteral("HTML"),
                                          QStringLiteral("<nav></nav>"));
    SnippetPtr second = SnippetUtil::createAndAddSnippetTitle(QStringLiteral("log"), QStringLiteral("console"),
                                                              QStringLiteral("JS"), QStringLiteral("console.log()"));
    // Edited in place, as the palette's editor does, then saved.
    (*second)[QStringLiteral("content")] = QStringLiteral("console.info()");
    (*SnippetUtil::allSnippets().first())[QStringLiteral("content")] = QStringLiteral("changed{}");
    ASSERT_TRUE(SnippetUtil::save());

    restart();
    const QList<SnippetPtr> snippets = SnippetUtil::allSnippets();
    ASSERT_EQ(snippets.size(), builtInCount() + 2);
    EXPECT_EQ(titles(snippets).mid(builtInCount()), (QStringList{QStringLiteral("nav"), QStringLiteral("log")}));
    EXPECT_EQ(snippets.last()->value(QStringLiteral("content")), QStringLiteral("console.info()"));
    EXPECT_TRUE(snippets.first()->value(QStringLiteral("content")).toString().startsWith(QStringLiteral(".clearfix")));
}

TEST_F(SnippetUtilTest, LookupsByCategoryAndTitleAndRemovalByValue)
{
    SnippetUtil::createAndAddSnippetTitle(QStringLiteral("box"), QStringLiteral("a"), QStringLiteral("HTML"), QStringLiteral("1"));
    SnippetUtil::createAndAddSnippetTitle(QStringLiteral("box"), QStringLiteral("b"), QStringLiteral("Other"), QStringLiteral("2"));

    EXPECT_EQ(SnippetUtil::snippetFromTitle(QStringLiteral("box"))->value(QStringLiteral("summary")), QStringLiteral("a"));
    EXPECT_EQ(SnippetUtil::snippetFromTitle(QStringLiteral("box"), QStringLiteral("Other"))->value(QStringLiteral("summary")),
              QStringLiteral("b"));
    EXPECT_FALSE(SnippetUtil::snippetFromTitle(QStringLiteral("box"), QStringLiteral("JS")));
    EXPECT_EQ(SnippetUtil::snippetsInCategory(QStringLiteral("CSS")).size(), builtInCount());

    const qsizetype before = SnippetUtil::allSnippets().size();
    SnippetUtil::removeSnippet(SnippetUtil::createSnippetTitle(QStringLiteral("box"), QStringLiteral("z"),
                                                               QStringLiteral("HTML"), QStringLiteral("1")));
    EXPECT_EQ(SnippetUtil::allSnippets().size(), before) << "a record not in the store changes nothing";
    SnippetUtil::removeSnippet(SnippetUtil::createSnippetTitle(QStringLiteral("box"), QStringLiteral("b"),
                                                               QStringLiteral("Other"), QStringLiteral("2")));
    EXPECT_EQ(SnippetUtil::allSnippets().size(), before - 1) << "an equal record is removed";
}

TEST_F(SnippetUtilTest, ADamagedFileIsKeptAsideAndTheLibraryStartsAgain)
{
    SettingsFileMessages messages;
    const QString path = SnippetUtil::defaultDataPath();
    const QByteArray garbage("\x00\xff<plist>not really", 20);
    ASSERT_TRUE(TestUtil::writeFile(path, garbage));
    EXPECT_EQ(SnippetUtil::allSnippets().size(), builtInCount());
    EXPECT_EQ(TestUtil::readFile(path + QStringLiteral(".bak")), garbage);
    EXPECT_TRUE(PropertyList::read(path).isOk()) << "a readable library takes its place";
    const QStringList told = messages.told();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains(path + QStringLiteral(".bak; the element palette has only the built-in snippets")))
        << told[0].toStdString();
}

TEST_F(SnippetUtilTest, AFileThatCannotBeReadIsLeftAsItIsAndNeverSavedOver)
{
    SettingsFileMessages messages;
    SnippetUtil::createAndAddSnippetTitle(QStringLiteral("mine"), {}, QStringLiteral("JS"), QStringLiteral("x"));
    const QString path = SnippetUtil::defaultDataPath();
    const QByteArray bytes = TestUtil::readFile(path);
    SnippetUtil::unloadStore();
    {
        Unreadable unreadable(path);
        if (!unreadable.holds())
            GTEST_SKIP() << "permissions cannot be made to stop this process";
        EXPECT_EQ(SnippetUtil::allSnippets().size(), builtInCount());
        SnippetUtil::createAndAddSnippetTitle(QStringLiteral("new"), {}, QStringLiteral("JS"), QStringLiteral("y"));
        EXPECT_FALSE(SnippetUtil::save());
    }
    EXPECT_EQ(TestUtil::readFile(path), bytes);
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".bak")));
    const QStringList told = messages.told();
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith(QStringLiteral("The snippet library %1 cannot be read (").arg(path)))
        << told[0].toStdString();
}

TEST_F(SnippetUtilTest, AFailedWriteIsReportedAndTheStoreStays)
{
    SnippetUtil::createAndAddSnippetTitle(QStringLiteral("kept"), {}, QStringLiteral("JS"), QStringLiteral("x"));
    const QString folder = QFileInfo(SnippetUtil::defaultDataPath()).absolutePath();
    // A folder where the file should be cannot be replaced by a file.
    ASSERT_TRUE(QFile::remove(SnippetUtil::defaultDataPath()));
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("Snippet.plist")));
    EXPECT_FALSE(SnippetUtil::save());
    EXPECT_TRUE(SnippetUtil::lastSaveError().contains(QStringLiteral("Snippet.plist")))
        << SnippetUtil::lastSaveError().toStdString();
    EXPECT_TRUE(SnippetUtil::snippetFromTitle(QStringLiteral("kept")));
    // The next save that works clears the reason.
    ASSERT_TRUE(QDir(folder).rmdir(QStringLiteral("Snippet.plist")));
    EXPECT_TRUE(SnippetUtil::save());
    EXPECT_TRUE(SnippetUtil::lastSaveError().isEmpty());
}
