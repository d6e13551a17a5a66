#include "TestUtil.h"
#include "Unreadable.h"

#include "WorkspaceTestSupport.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/StringEncoding.h"
#include "workspace/File.h"
#include "workspace/WebContentStore.h"
#include "workspace/TestWebResource.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// Collects the names of the notifications a file posts.
class Posted
{
public:
    explicit Posted(const File *file)
    {
        for (const char *name : {"reloadContent", "fileContentChanged", "fileHistoryChanged", "fileChangedOutside",
                                 "fileDeletedOutside", "fileTookDiskVersion"}) {
            NotificationCenter::defaultCenter().addObserver(
                &m_owner, QString::fromLatin1(name), file,
                [this](const Notification &n) { m_names.append(n.name); });
        }
    }
    QStringList take() { return std::exchange(m_names, {}); }

private:
    QObject m_owner;
    QStringList m_names;
};

class MapStore : public WebContentStore
{
public:
    std::optional<QString> contentWithURL(const QUrl &url) const override { return find(m_current, url); }
    std::optional<QString> savedContentWithURL(const QUrl &url) const override { return find(m_saved, url); }
    void setContent(const QString &text, const QUrl &url) override
    {
        if (!url.path().isEmpty())
            m_current.insert(url.path(), text);
    }
    void setSaved(const QString &text, const QUrl &url) override
    {
        if (!url.path().isEmpty())
            m_saved.insert(url.path(), text);
    }

    QHash<QString, QString> m_current;
    QHash<QString, QString> m_saved;

private:
    static std::optional<QString> find(const QHash<QString, QString> &map, const QUrl &url)
    {
        const auto it = map.constFind(url.path());
        return it == map.constEnd() ? std::nullopt : std::optional<QString>(*it);
    }
};

// Answers File's question about outside changes in the user's place.
class OutsideQuestion
{
public:
    explicit OutsideQuestion(std::optional<File::OutsideChangeChoice> answer)
    {
        File::setOutsideChangeQuestion([this, answer](File *) {
            ++asked;
            return answer;
        });
    }
    ~OutsideQuestion() { File::setOutsideChangeQuestion({}); }
    int asked = 0;
};

// A file on disk, its node as a project's tree holds it, and the
// application's undo manager.
class FileContent : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestUtil::writeFile(m_dir.filePath("site/a.css"), "a { color: red; }"));
        m_root = std::make_unique<File>(m_dir.filePath("site"), true, nullptr);
        m_file = m_root->children().value(0);
        ASSERT_TRUE(m_file);
        ASSERT_EQ(m_file->currentContent(), QStringLiteral("a { color: red; }"));
        openedEarlier(m_file);
    }
    void TearDown() override
    {
        QFile::setPermissions(m_dir.filePath("site"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Edits made a moment after opening count; the tolerance is for reloads.
    static void openedEarlier(File *file) { file->setOpenDate(file->openDate().addSecs(-1)); }
    QByteArray disk() const { return TestUtil::readFile(m_file->path()); }
    InspectUndoManager &undo() { return *m_undo; }

    SharedUndoManager m_undo;
    QTemporaryDir m_dir;
    std::unique_ptr<File> m_root;
    File *m_file = nullptr;
};

} // namespace

TEST_F(FileContent, UndoOfSetContentRestoresTheTextAndTheModifiedState)
{
    EXPECT_FALSE(m_file->isModified());
    m_file->setContent(QStringLiteral("a { color: blue; }"));
    EXPECT_TRUE(m_file->isModified());
    EXPECT_FALSE(m_file->isNotModified());

    undo().undo();
    EXPECT_EQ(m_file->content(), QStringLiteral("a { color: red; }"));
    EXPECT_FALSE(m_file->isModified());

    undo().redo();
    EXPECT_EQ(m_file->content(), QStringLiteral("a { color: blue; }"));
    EXPECT_TRUE(m_file->isModified());
}

TEST_F(FileContent, UndoStepsOfEditsAnywhereInTheTextRestoreEachTextExactly)
{
    const QString start = m_file->content().value();
    // One edit per step: at the end, at the start, in the middle, a
    // deletion, a replacement by the same text twice, and a repeated letter
    // (whose common start and end overlap).
    const QStringList texts{start + QStringLiteral(" b {}"),
                            QStringLiteral("/**/") + start + QStringLiteral(" b {}"),
                            QStringLiteral("/**/a { color: teal; } b {}"),
                            QStringLiteral("/**/a { } b {}"),
                            QStringLiteral("/**/a { } b {}"),
                            QStringLiteral("/**/a {  } b {}"),
                            QStringLiteral("/**/a {   } b {}")};
    for (const QString &text : texts) {
        m_file->setContent(text);
        undo().loopEnd();
    }
    for (qsizetype i = texts.size() - 2; i >= 0; --i) {
        if (texts.at(i) == texts.at(i + 1))
            continue;
        undo().undo();
        EXPECT_EQ(m_file->content(), texts.at(i)) << i;
    }
    undo().undo();
    EXPECT_EQ(m_file->content(), start);
    EXPECT_FALSE(undo().canUndo());
    for (const QString &text : texts) {
        if (text == m_file->content())
            continue;
        undo().redo();
        EXPECT_EQ(m_file->content(), text);
    }
}

// A step recorded against a text that is gone (reloaded from disk, or its
// edits discarded) would make a text nobody wrote if laid over the new one:
// it goes, and no Undo is offered that would do nothing.
TEST_F(FileContent, TheUndoStepsOfATextReplacedWithoutUndoGoWithIt)
{
    m_file->setContent(QStringLiteral("a { color: blue; }"));
    undo().loopEnd();
    ASSERT_TRUE(m_file->save());
    ASSERT_TRUE(TestUtil::writeFile(m_file->path(), "b { top: 1px; }"));
    m_root->setUpChildren();
    ASSERT_EQ(m_file->content(), QStringLiteral("b { top: 1px; }"));
    EXPECT_FALSE(undo().canUndo());
    undo().undo();
    EXPECT_EQ(m_file->content(), QStringLiteral("b { top: 1px; }"));

    // Redo steps go too; another target's steps stay.
    QObject other;
    undo().prepareWithInvocationTarget(&other, [] {});
    undo().loopEnd();
    m_file->setContent(QStringLiteral("c {}"));
    undo().loopEnd();
    m_file->setContent(QStringLiteral("d {}"));
    undo().loopEnd();
    undo().undo();
    ASSERT_TRUE(undo().canRedo());
    m_file->discardUnsavedEdits();
    EXPECT_EQ(m_file->content(), QStringLiteral("b { top: 1px; }"));
    EXPECT_FALSE(undo().canRedo());
    ASSERT_TRUE(undo().canUndo());
    undo().undo();
    EXPECT_FALSE(undo().canUndo());
}

TEST_F(FileContent, ACodeViewEditIsNotReloadedIntoTheViewButItsUndoIs)
{
    Posted posted(m_file);
    m_file->setLastContentChangeReason(File::CodeViewChange);
    m_file->setContent(QStringLiteral("typed"));
    EXPECT_EQ(posted.take(), QStringList{"fileContentChanged"});
    undo().undo();
    EXPECT_EQ(posted.take(), (QStringList{"reloadContent", "fileContentChanged"}));
}

TEST_F(FileContent, UndoSkipsAFileThatIsGone)
{
    QPointer<File> file = m_file;
    m_file->setContent(QStringLiteral("edited"));
    m_root.reset();
    EXPECT_TRUE(file.isNull());
    undo().undo(); // must not touch the destroyed node
    EXPECT_FALSE(undo().canUndo());
}

TEST_F(FileContent, ASavedFileReadsAsNotModified)
{
    m_file->setContent(QStringLiteral("a { color: blue; }"));
    ASSERT_TRUE(m_file->isModified());
    EXPECT_TRUE(m_file->save());
    EXPECT_EQ(disk(), QByteArray("a { color: blue; }"));
    EXPECT_FALSE(m_file->isModified());
}

TEST_F(FileContent, SaveWritesTheEncodingTheFileWasReadIn)
{
    const QString path = m_dir.filePath("site/latin.css");
    ASSERT_TRUE(TestUtil::writeFile(path, "/* caf\xe9 */"));
    File file(path, false, m_root.get());
    ASSERT_EQ(file.currentContent(), QStringLiteral("/* caf\u00e9 */"));
    EXPECT_EQ(file.textEncoding(), quint32(StringEncoding::ISOLatin1));
    file.setContent(QStringLiteral("/* caf\u00e9 cr\u00e8me */"));
    ASSERT_TRUE(file.save());
    EXPECT_EQ(TestUtil::readFile(path), QByteArray("/* caf\xe9 cr\xe8me */"));
    // A character the encoding cannot hold is asked about first (FileSaveTest).
}

TEST_F(FileContent, SaveReplacesTheFileWholeInsteadOfRewritingIt)
{
    const QString link = m_dir.filePath("old-link.css");
    ASSERT_EQ(::link(QFile::encodeName(m_file->path()).constData(), QFile::encodeName(link).constData()), 0);
    ASSERT_TRUE(QFile::setPermissions(m_file->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    m_file->setContent(QStringLiteral("new"));
    ASSERT_TRUE(m_file->save());
    // The old inode was never truncated: the new text went in beside it.
    EXPECT_EQ(TestUtil::readFile(link), QByteArray("a { color: red; }"));
    EXPECT_EQ(disk(), QByteArray("new"));
    const QFile::Permissions userBits = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    EXPECT_EQ(QFile::permissions(m_file->path()) & ~userBits,
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    EXPECT_TRUE(QDir(m_dir.filePath("site")).entryList({"a.css.*"}, QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(FileContent, AFailedSaveAnswersNoLogsAnErrorAndStaysModified)
{
    m_file->setContent(QStringLiteral("unsaved work"));
    // The folder becomes a plain file: no one, root included, can write below it.
    ASSERT_TRUE(QDir(m_dir.filePath("site")).removeRecursively());
    ASSERT_TRUE(TestUtil::writeFile(m_dir.filePath("site"), "not a folder"));

    testing::internal::CaptureStderr();
    const bool saved = m_file->save();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(saved);
    EXPECT_NE(log.find("[ERROR]"), std::string::npos) << log;
    EXPECT_TRUE(m_file->isModified());
    EXPECT_EQ(m_file->content(), QStringLiteral("unsaved work"));
    EXPECT_EQ(TestUtil::readFile(m_dir.filePath("site")), QByteArray("not a folder"));
}

TEST_F(FileContent, ASaveIntoAReadOnlyFolderKeepsTheFileModified)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    m_file->setContent(QStringLiteral("unsaved work"));
    ASSERT_TRUE(QFile::setPermissions(m_dir.filePath("site"), QFile::ReadOwner | QFile::ExeOwner));
    EXPECT_FALSE(m_file->save());
    EXPECT_TRUE(m_file->isModified());
    EXPECT_EQ(disk(), QByteArray("a { color: red; }"));
}

// A folder named like a style sheet ("css", "vendor.css") is no file (#80).
TEST_F(FileContent, AFolderHasNoTextAndIsNeverReadAsAFile)
{
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath("site/vendor.css")));
    m_root->setUpChildren();
    File *folder = nullptr;
    for (File *child : m_root->children()) {
        if (child->displayName() == QLatin1String("vendor.css"))
            folder = child;
    }
    ASSERT_TRUE(folder);
    testing::internal::CaptureStderr();
    EXPECT_EQ(folder->currentContent(), std::nullopt);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("cannot read"), std::string::npos) << log;
}

// What cannot be read is told apart from what is gone (#80).
TEST_F(FileContent, AFileOrFolderThatCannotBeReadSaysWhyAndOneNotThereIsGone)
{
    const QString site = m_dir.filePath("site");
    const QString sheet = m_dir.filePath("site/a.css");
    EXPECT_EQ(File::whyUnreadable(sheet), std::nullopt);
    EXPECT_EQ(File::whyUnreadable(m_dir.filePath("site/gone.css")), std::nullopt);
    {
        Unreadable file(sheet);
        if (!file.holds())
            GTEST_SKIP() << "permissions cannot be made to stop this process";
        EXPECT_EQ(File::whyUnreadable(sheet), sheet + QStringLiteral(" cannot be read (Permission denied)"));
    }
    {
        Unreadable folder(site);
        EXPECT_EQ(File::whyUnreadable(sheet),
                  QStringLiteral("the folder %1 cannot be opened (Permission denied)").arg(site));
        EXPECT_EQ(File::whyUnreadable(site), QStringLiteral("the folder %1 cannot be read (Permission denied)").arg(site));
        // The tree shows why the folder lists nothing (#85).
        m_root->setUpChildren();
        EXPECT_EQ(m_root->folderProblem(), QStringLiteral("Permission denied"));
    }
    m_root->setUpChildren();
    EXPECT_EQ(m_root->folderProblem(), QString());
}

TEST_F(FileContent, AnUndecodableFileHasNoTextAndIsNeverWrittenOver)
{
    const QString path = m_dir.filePath("site/binary.js");
    const QByteArray bytes("\xff\xfe\x00\xd8\x00\x00", 6);
    ASSERT_TRUE(TestUtil::writeFile(path, bytes));
    File file(path, false, m_root.get());
    EXPECT_EQ(file.currentContent(), std::nullopt);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(file.save());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("[ERROR]"), std::string::npos);
    EXPECT_EQ(TestUtil::readFile(path), bytes);
}

// What was never read is never written over, and no file is made where
// none was read; the text's notice says why the file takes no edits (#85).
TEST_F(FileContent, AFileThatCannotBeReadOrIsNotThereIsNeverWritten)
{
    const QString page = m_dir.filePath("site/page.html");
    ASSERT_TRUE(TestUtil::writeFile(page, "<p>mine</p>"));
    {
        Unreadable writeOnly(page, 0200);
        if (!writeOnly.holds())
            GTEST_SKIP() << "permissions cannot be made to stop this process";
        File file(page, false, m_root.get());
        EXPECT_EQ(file.currentContent(), std::nullopt);
        EXPECT_EQ(file.textNotice(), page + QStringLiteral(" cannot be read (Permission denied): it takes no edits, and "
                                                           "nothing is saved over it."));
        file.setContent(QStringLiteral("WO"));
        EXPECT_FALSE(file.save());
        EXPECT_EQ(file.lastSaveError(), page + QStringLiteral(" cannot be read (Permission denied), and a file whose bytes "
                                                              "were not read is never written over."));

        // Read before, it is not written over either once it cannot be read.
        Unreadable readLater(m_file->path(), 0200);
        m_file->setContent(QStringLiteral("a { color: blue; }"));
        EXPECT_FALSE(m_file->save());
        EXPECT_TRUE(m_file->isModified());
    }
    EXPECT_EQ(TestUtil::readFile(page), QByteArray("<p>mine</p>"));
    EXPECT_EQ(disk(), QByteArray("a { color: red; }"));

    const QString nowhere = m_dir.filePath("site/nothere.html");
    File missing(nowhere, false, m_root.get());
    EXPECT_EQ(missing.currentContent(), std::nullopt);
    EXPECT_EQ(missing.textNotice(), QStringLiteral("There is no such file: it takes no edits, and a save makes none."));
    missing.setContent(QString());
    EXPECT_FALSE(missing.save());
    EXPECT_EQ(missing.lastSaveError(), QStringLiteral("There is no such file, and a save makes none."));
    EXPECT_FALSE(QFile::exists(nowhere));
}

TEST_F(FileContent, AnExternalEditOfAnUnmodifiedFileReloadsItAndKeepsASnapshot)
{
    Posted posted(m_file);
    ASSERT_TRUE(TestUtil::writeFile(m_file->path(), "a { color: green; }"));
    m_root->setUpChildren();
    EXPECT_EQ(m_file->content(), QStringLiteral("a { color: green; }"));
    ASSERT_EQ(m_file->histories().size(), 1);
    EXPECT_EQ(m_file->histories().constFirst().content(), QStringLiteral("a { color: red; }"));
    // An open editor is told to show the new text, and a page showing the file to load it.
    EXPECT_EQ(posted.take(), (QStringList{"fileHistoryChanged", "reloadContent", "fileTookDiskVersion"}));
    EXPECT_FALSE(m_file->isModified());
}

TEST_F(FileContent, AnExternalEditLeavesUnsavedEditsAloneAndIsAnnouncedOnce)
{
    m_file->setContent(QStringLiteral("mine"));
    Posted posted(m_file);
    ASSERT_TRUE(TestUtil::writeFile(m_file->path(), "theirs"));
    m_root->setUpChildren();
    m_root->setUpChildren();
    EXPECT_EQ(posted.take(), QStringList{"fileChangedOutside"});
    EXPECT_TRUE(m_file->hasOutsideChange());
    EXPECT_EQ(m_file->content(), QStringLiteral("mine"));
    EXPECT_TRUE(m_file->histories().isEmpty());
    EXPECT_TRUE(m_file->isModified());
}

TEST_F(FileContent, AnEditMadeTheMomentItsNodeIsMadeIsNoReloadedText)
{
    // As the rules panel's write makes the node of a folder never opened.
    ASSERT_TRUE(TestUtil::writeFile(m_dir.filePath("site/b.css"), "b {}"));
    m_root->setUpChildren();
    File *fresh = m_root->children().value(1);
    ASSERT_TRUE(fresh && fresh->currentContent());
    fresh->setContent(QStringLiteral("b { top: 0; }"));
    EXPECT_TRUE(fresh->isModified());
    ASSERT_TRUE(TestUtil::writeFile(fresh->path(), "b { left: 0; }"));
    m_root->setUpChildren();
    EXPECT_EQ(fresh->content(), QStringLiteral("b { top: 0; }"));
    EXPECT_TRUE(fresh->hasOutsideChange());
}

TEST_F(FileContent, ASaveNeverWritesOverAnOutsideChangeUnasked)
{
    m_file->setContent(QStringLiteral("mine"));
    ASSERT_TRUE(TestUtil::writeFile(m_file->path(), "theirs"));
    // Nobody to ask: nothing is written, and the edits stay.
    EXPECT_FALSE(m_file->save());
    EXPECT_FALSE(m_file->lastSaveError().isEmpty());
    EXPECT_EQ(disk(), QByteArray("theirs"));
    EXPECT_EQ(m_file->content(), QStringLiteral("mine"));
    EXPECT_TRUE(m_file->isModified());

    // Chosen undecided, the same.
    OutsideQuestion question(std::nullopt);
    EXPECT_FALSE(m_file->save());
    EXPECT_EQ(question.asked, 1);
    EXPECT_EQ(disk(), QByteArray("theirs"));
}

TEST_F(FileContent, KeepMyChangesLetsTheNextSaveOverwriteThatVersionOnly)
{
    OutsideQuestion question(File::OutsideChangeChoice::KeepMine);
    m_file->setContent(QStringLiteral("mine"));
    ASSERT_TRUE(TestUtil::writeFile(m_file->path(), "theirs"));
    // Found by the folder refresh and answered there: no second question.
    m_root->setUpChildren();
    EXPECT_EQ(m_file->settleOutsideChange(), File::DiskCheck::KeepMine);
    m_root->setUpChildren();
    EXPECT_FALSE(m_file->hasOutsideChange());
    EXPECT_TRUE(m_file->save());
    EXPECT_EQ(question.asked, 1);
    EXPECT_EQ(disk(), QByteArray("mine"));

    // Another change after that is asked about again, at save time.
    m_file->setContent(QStringLiteral("mine again"));
    ASSERT_TRUE(TestUtil::writeFile(m_file->path(), "theirs again"));
    EXPECT_TRUE(m_file->save());
    EXPECT_EQ(question.asked, 2);
    EXPECT_EQ(disk(), QByteArray("mine again"));
    EXPECT_FALSE(m_file->isModified());
}

TEST_F(FileContent, UseTheVersionOnDiskKeepsTheProgramsTextInTheHistoryAndTheDiskUntouched)
{
    OutsideQuestion question(File::OutsideChangeChoice::UseDisk);
    m_file->setContent(QStringLiteral("mine"));
    ASSERT_TRUE(TestUtil::writeFile(m_file->path(), "theirs"));
    Posted posted(m_file);
    // The save finds the change: the disk holds the file's text afterwards.
    EXPECT_TRUE(m_file->save());
    EXPECT_EQ(question.asked, 1);
    EXPECT_EQ(disk(), QByteArray("theirs"));
    EXPECT_EQ(m_file->content(), QStringLiteral("theirs"));
    ASSERT_FALSE(m_file->histories().isEmpty());
    EXPECT_EQ(m_file->histories().constFirst().content(), QStringLiteral("mine"));
    EXPECT_EQ(posted.take(), (QStringList{"fileHistoryChanged", "reloadContent", "fileTookDiskVersion"}));
    EXPECT_FALSE(m_file->isModified());
}

TEST_F(FileContent, AnUneditedFileChangedOutsideIsTakenSilentlyAtSaveTime)
{
    OutsideQuestion question(File::OutsideChangeChoice::KeepMine);
    ASSERT_TRUE(TestUtil::writeFile(m_file->path(), "theirs"));
    EXPECT_TRUE(m_file->save());
    EXPECT_EQ(question.asked, 0);
    EXPECT_EQ(disk(), QByteArray("theirs"));
    EXPECT_EQ(m_file->content(), QStringLiteral("theirs"));
    EXPECT_EQ(m_file->histories().size(), 1);
}

TEST_F(FileContent, ADeletedFileWithUnsavedEditsKeepsItsNodeUntilSavedAgainOrDiscarded)
{
    QPointer<File> file = m_file;
    m_file->setContent(QStringLiteral("mine"));
    Posted posted(m_file);
    ASSERT_TRUE(QFile::remove(m_file->path()));
    m_root->setUpChildren();
    m_root->setUpChildren();
    ASSERT_EQ(m_root->children(), QList<File *>{file.data()});
    EXPECT_EQ(posted.take(), QStringList{"fileDeletedOutside"});
    EXPECT_TRUE(file->isMissingOnDisk());
    EXPECT_TRUE(file->isModified());

    // Saved, it is written again.
    EXPECT_TRUE(file->save());
    EXPECT_EQ(disk(), QByteArray("mine"));
    EXPECT_FALSE(file->isMissingOnDisk());

    // Deleted again and discarded: the next refresh drops the node.
    file->setContent(QStringLiteral("mine again"));
    ASSERT_TRUE(QFile::remove(m_dir.filePath("site/a.css")));
    m_root->setUpChildren();
    ASSERT_TRUE(file && file->isMissingOnDisk());
    file->discardUnsavedEdits();
    m_root->setUpChildren();
    EXPECT_TRUE(file.isNull());
    EXPECT_TRUE(m_root->children().isEmpty());
}

TEST_F(FileContent, AFileDeletedThenWrittenByAnotherProgramIsAChangeToAskAbout)
{
    m_file->setContent(QStringLiteral("mine"));
    ASSERT_TRUE(QFile::remove(m_file->path()));
    m_root->setUpChildren();
    ASSERT_TRUE(m_file->isMissingOnDisk());
    ASSERT_TRUE(TestUtil::writeFile(m_file->path(), "theirs"));
    m_root->setUpChildren();
    EXPECT_FALSE(m_file->isMissingOnDisk());
    EXPECT_TRUE(m_file->hasOutsideChange());
    EXPECT_EQ(m_file->content(), QStringLiteral("mine"));
}

TEST_F(FileContent, AnExternalEditAfterASaveIsReloaded)
{
    m_file->setContent(QStringLiteral("saved"));
    ASSERT_TRUE(m_file->save());
    ASSERT_TRUE(TestUtil::writeFile(m_file->path(), "changed outside"));
    m_root->setUpChildren();
    EXPECT_EQ(m_file->content(), QStringLiteral("changed outside"));
    EXPECT_EQ(m_file->histories().size(), 1);
}

// The program's own save through another node of the same file (a code
// view of the resource list's node, the page's frame node) is never taken
// for another program's change, whether the refresh or the next save meets
// it; a change another program makes afterwards still is.
TEST_F(FileContent, ASaveThroughAnotherNodeOfTheFileIsNoOutsideChange)
{
    OutsideQuestion question(File::OutsideChangeChoice::KeepMine);
    std::unique_ptr<File> other = std::make_unique<File>(m_file->path(), false, nullptr);
    ASSERT_TRUE(other->currentContent());
    openedEarlier(other.get());
    Posted posted(m_file);

    // The project's node is given the text the other node saves.
    other->setContent(QStringLiteral("a { color: blue; }"));
    m_file->setContent(QStringLiteral("a { color: blue; }"));
    ASSERT_TRUE(other->save());
    m_root->setUpChildren();
    EXPECT_FALSE(m_file->hasOutsideChange());
    EXPECT_FALSE(m_file->isModified());
    EXPECT_TRUE(m_file->save());
    EXPECT_EQ(question.asked, 0);
    EXPECT_EQ(disk(), QByteArray("a { color: blue; }"));

    // With edits of its own, it keeps them over the other node's save and
    // writes them unasked.
    m_file->setContent(QStringLiteral("a { color: olive; }"));
    other->setContent(QStringLiteral("a { color: navy; }"));
    ASSERT_TRUE(other->save());
    m_root->setUpChildren();
    EXPECT_FALSE(m_file->hasOutsideChange());
    EXPECT_TRUE(m_file->isModified());
    EXPECT_EQ(m_file->content(), QStringLiteral("a { color: olive; }"));
    EXPECT_TRUE(m_file->save());
    EXPECT_EQ(question.asked, 0);
    EXPECT_EQ(disk(), QByteArray("a { color: olive; }"));
    EXPECT_FALSE(posted.take().contains(QStringLiteral("fileChangedOutside")));

    // Another program's bytes are asked about, even after the program's own.
    m_file->setContent(QStringLiteral("mine"));
    ASSERT_TRUE(TestUtil::writeFile(m_file->path(), "theirs"));
    m_root->setUpChildren();
    EXPECT_TRUE(m_file->hasOutsideChange());
    EXPECT_TRUE(posted.take().contains(QStringLiteral("fileChangedOutside")));
    EXPECT_TRUE(m_file->save());
    EXPECT_EQ(question.asked, 1);
}

TEST(FileWebContent, EditsGoToTheStoreAndCompareWithTheSavedText)
{
    SharedUndoManager undo;
    MapStore store;
    WebContentStore::setShared(&store);
    const QString url = QStringLiteral("http://example.com/css/site.css?v=2");
    File file(std::make_shared<TestWebResource>(url, "a {}"));
    EXPECT_EQ(store.m_current.value("/css/site.css"), QStringLiteral("a {}"));
    EXPECT_EQ(store.m_saved.value("/css/site.css"), QStringLiteral("a {}"));
    EXPECT_FALSE(file.isModified());

    file.setOpenDate(file.openDate().addSecs(-1));
    file.setContent(QStringLiteral("a { top: 0; }"));
    EXPECT_EQ(store.m_current.value("/css/site.css"), QStringLiteral("a { top: 0; }"));
    EXPECT_TRUE(file.isModified());
    EXPECT_FALSE(file.save());

    // The page loads again: the node takes the edited text and reads as modified.
    File reloaded(std::make_shared<TestWebResource>(url, "a {}"));
    EXPECT_EQ(reloaded.content(), QStringLiteral("a { top: 0; }"));
    EXPECT_TRUE(reloaded.isModified());
    WebContentStore::setShared(nullptr);
}

TEST(FileWebContent, AnUndecodableResourceHasNoTextAndStoresNothing)
{
    MapStore store;
    WebContentStore::setShared(&store);
    File file(std::make_shared<TestWebResource>(QStringLiteral("http://example.com/bad.css"),
                                         QByteArray("\xff\xfe\x00\xd8\x00\x00", 6)));
    EXPECT_EQ(file.content(), std::nullopt);
    EXPECT_TRUE(store.m_current.isEmpty());
    EXPECT_TRUE(store.m_saved.isEmpty());
    WebContentStore::setShared(nullptr);
}

TEST_F(FileContent, TheModifiedStateFollowsTheDiskWhenItChangesOutside)
{
    m_file->setContent(QStringLiteral("a { color: blue; }"));
    ASSERT_TRUE(m_file->isModified());
    // Another program writes the same text: nothing is left unsaved.
    ASSERT_TRUE(TestUtil::writeFile(m_file->path(), "a { color: blue; }"));
    EXPECT_FALSE(m_file->isModified());
    ASSERT_TRUE(TestUtil::writeFile(m_file->path(), "a { color: green; }"));
    EXPECT_TRUE(m_file->isModified());
    // Deleted on disk, its edits are still unsaved.
    ASSERT_TRUE(QFile::remove(m_file->path()));
    EXPECT_TRUE(m_file->isModified());
}

TEST_F(FileContent, AFolderIsModifiedExactlyWhileAFileBelowItIs)
{
    ASSERT_TRUE(TestUtil::writeFile(m_dir.filePath("site/deep/er/b.css"), "b {}"));
    m_root->setUpChildren();
    File *deep = m_root->children().value(0);
    ASSERT_EQ(deep->displayName(), QStringLiteral("deep"));
    File *er = deep->children().value(0);
    File *sheet = er->children().value(0);
    ASSERT_TRUE(sheet);
    openedEarlier(sheet);
    EXPECT_FALSE(m_root->isModified());

    sheet->setContent(QStringLiteral("b { top: 0; }"));
    EXPECT_TRUE(m_root->isModified());
    EXPECT_TRUE(deep->isModified());
    EXPECT_TRUE(er->isModified());
    EXPECT_FALSE(m_file->isModified());
    EXPECT_EQ(m_root->editedFiles(), QList<File *>{sheet});

    ASSERT_TRUE(sheet->save());
    EXPECT_FALSE(m_root->isModified());
    EXPECT_FALSE(deep->isModified());

    // Gone with its folder, an edited node stays, marked missing, until its
    // edits are discarded; then it leaves the list of edited ones.
    sheet->setContent(QStringLiteral("b { top: 1px; }"));
    ASSERT_TRUE(QDir(m_dir.filePath("site/deep")).removeRecursively());
    m_root->setUpChildren();
    ASSERT_EQ(m_root->editedFiles(), QList<File *>{sheet});
    EXPECT_TRUE(sheet->isMissingOnDisk());
    EXPECT_TRUE(deep->isModified());
    EXPECT_TRUE(m_root->isModified());
    sheet->discardUnsavedEdits();
    m_root->setUpChildren();
    EXPECT_TRUE(m_root->editedFiles().isEmpty());
    EXPECT_FALSE(m_root->isModified());
}

TEST_F(FileContent, ATextGivenWithItsUnchangedEndsIsUndoneExactly)
{
    // "a { color: red; }" becomes "a { color: green; }": the first 11 and the last 3 characters stay.
    const QString start = m_file->content().value();
    ASSERT_TRUE(m_file->setContent(QStringLiteral("a { color: green; }"), {11, 3}));
    undo().loopEnd();
    // Ends that are safe but not the longest still give the text back.
    ASSERT_TRUE(m_file->setContent(QStringLiteral("a { color: olive; }"), {2, 1}));
    undo().loopEnd();
    undo().undo();
    EXPECT_EQ(m_file->content(), QStringLiteral("a { color: green; }"));
    undo().undo();
    EXPECT_EQ(m_file->content(), start);
    EXPECT_FALSE(m_file->isModified());
    undo().redo();
    undo().redo();
    EXPECT_EQ(m_file->content(), QStringLiteral("a { color: olive; }"));
}

TEST_F(FileContent, UnchangedEndsThatDoNotFitAreIgnored)
{
    // Longer than either text: the texts are compared as a whole.
    ASSERT_TRUE(m_file->setContent(QStringLiteral("b {}"), {10, 10}));
    undo().loopEnd();
    undo().undo();
    EXPECT_EQ(m_file->content(), QStringLiteral("a { color: red; }"));
}

TEST_F(FileContent, TheSameTextGivenWithItsEndsIsNoStep)
{
    ASSERT_TRUE(m_file->setContent(QStringLiteral("a { color: red; }"), {4, 4}));
    EXPECT_FALSE(undo().canUndo());
}

// The page's text is known again however the edits come back to it, by Undo
// or typed back by hand; a text of the same length is not it (#78).
TEST_F(FileContent, TheTextThePageWasGivenIsKnownAgainHoweverTheEditsComeBackToIt)
{
    EXPECT_FALSE(m_file->isContentShown());
    m_file->noteContentShown();
    EXPECT_TRUE(m_file->isContentShown());

    m_file->editContent(4, 0, QStringLiteral("x"));
    EXPECT_FALSE(m_file->isContentShown());
    m_file->editContent(4, 1, QString());
    EXPECT_TRUE(m_file->isContentShown());

    m_file->setContent(QStringLiteral("a { color: rod; }"));
    EXPECT_FALSE(m_file->isContentShown());
    undo().undo();
    EXPECT_TRUE(m_file->isContentShown());
    undo().redo();
    EXPECT_FALSE(m_file->isContentShown());

    // What the page is given next counts from then on.
    m_file->noteContentShown();
    EXPECT_TRUE(m_file->isContentShown());
    undo().undo();
    EXPECT_FALSE(m_file->isContentShown());
}
