#include "SaveFaults.h"
#include "TestUtil.h"

#include "WorkspaceTestSupport.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/kit/Alert.h"
#include "workspace/File.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

// Saving a file never loses or changes what the user did not edit: a failed
// write leaves the file as it was and says why, an edit changes only its own
// bytes, and an encoding is never changed unasked.
namespace FileSaveTest {

namespace {

// Answers alerts with the buttons given, in order, and keeps what they said.
class Answers
{
public:
    explicit Answers(QStringList answers) : m_answers(std::move(answers))
    {
        Alert::setResponder([this](const Alert &alert) {
            messages << alert.messageText() + QLatin1Char('\n') + alert.informativeText();
            const QString answer = m_answers.isEmpty() ? QStringLiteral("Cancel") : m_answers.takeFirst();
            const int index = int(alert.buttonTitles().indexOf(answer));
            EXPECT_GE(index, 0) << "no button " << answer.toStdString();
            return Alert::FirstButtonReturn + std::max(index, 0);
        });
    }
    ~Answers() { Alert::setResponder({}); }

    QStringList messages;

private:
    QStringList m_answers;
};

int postsOf(const char *name, const File *file, const std::function<void()> &action)
{
    QObject owner;
    int count = 0;
    NotificationCenter::defaultCenter().addObserver(&owner, QString::fromLatin1(name), file,
                                                    [&count](const Notification &) { ++count; });
    action();
    NotificationCenter::defaultCenter().removeObserver(&owner);
    return count;
}

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A project folder with one file, and its node as the tree holds it.
class FileSave : public testing::Test
{
protected:
    // The file "site/<name>" with the bytes, opened a moment ago.
    File *open(const char *name, const QByteArray &bytes, const QString &folder = {})
    {
        const QString site = (folder.isEmpty() ? m_dir.path() : folder) + QStringLiteral("/site");
        EXPECT_TRUE(TestUtil::writeFile(site + QLatin1Char('/') + QLatin1String(name), bytes));
        m_root = std::make_unique<File>(site, true, nullptr);
        for (File *child : m_root->children()) {
            if (child->displayName() == QLatin1String(name)) {
                EXPECT_TRUE(child->currentContent().has_value());
                child->setOpenDate(child->openDate().addSecs(-1));
                return child;
            }
        }
        ADD_FAILURE() << "no node for " << name;
        return nullptr;
    }

    SharedUndoManager m_undo;
    QTemporaryDir m_dir;
    std::unique_ptr<File> m_root;
};

} // namespace

// --- A save that fails ------------------------------------------------------------------------------

// A step of the write that fails: the file keeps its bytes, the node its
// edit and the reason; once the disk takes it again, the same text saves.
TEST_F(FileSave, AStepTheDiskRefusesKeepsTheFileAndSaysWhy)
{
    const struct
    {
        const char *name;
        AtomicFileWriter::Step step;
        int error;
    } rows[] = {
        {"a full disk", AtomicFileWriter::Step::Write, ENOSPC},
        {"a failing sync", AtomicFileWriter::Step::Sync, EIO},
        {"a failing rename", AtomicFileWriter::Step::Rename, EXDEV},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        File *file = open("a.css", "a { color: red; }");
        ASSERT_TRUE(file);
        file->setContent(QStringLiteral("a { color: blue; }"));
        {
            InjectedFault fault(row.step, row.error);
            EXPECT_FALSE(file->save());
        }
        EXPECT_NE(file->lastSaveError().indexOf(reason(row.error)), -1) << file->lastSaveError().toStdString();
        EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("a { color: red; }"));
        EXPECT_EQ(entriesOf(QFileInfo(file->path()).path()), QStringList{QStringLiteral("a.css")});
        EXPECT_TRUE(file->isModified());
        EXPECT_EQ(file->content(), QStringLiteral("a { color: blue; }"));

        EXPECT_TRUE(file->save());
        EXPECT_TRUE(file->lastSaveError().isEmpty());
        EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("a { color: blue; }"));
        EXPECT_FALSE(file->isModified());
    }
}

TEST_F(FileSave, ASmallFileOnAFullDiskIsNotEmptiedButKeptWithTheReason)
{
    SmallDisk disk;
    if (!disk.isMounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    File *file = open("a.css", "a { color: red; }", disk.path());
    ASSERT_TRUE(file);
    file->setContent(QStringLiteral("a { color: blue; }"));
    ASSERT_TRUE(disk.fill());
    EXPECT_FALSE(file->save());
    EXPECT_EQ(file->lastSaveError(), reason(ENOSPC));
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("a { color: red; }"));
    EXPECT_TRUE(file->isModified());

    ASSERT_TRUE(disk.empty());
    EXPECT_TRUE(file->save());
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("a { color: blue; }"));
}

// --- Encodings -------------------------------------------------------------------------------------

TEST_F(FileSave, AUtf8FileWithAStrayByteIsShownWithANoticeAndKeepsItsBytes)
{
    const QByteArray bytes("<p>caf\xc3\xa9 \xe2\x80\x94 na\xc3\xafve</p>\n<p>r\xe9sum</p>\n");
    File *file = open("page.html", bytes);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->textEncoding(), quint32(StringEncoding::UTF8));
    EXPECT_NE(file->textNotice().indexOf(QStringLiteral("not valid UTF-8")), -1) << file->textNotice().toStdString();
    EXPECT_NE(file->textNotice().indexOf(QStringLiteral("line 2")), -1);

    // An edit that needs a character no Latin encoding has: UTF-8 holds it,
    // nobody is asked, and only the edited bytes change.
    Answers answers({});
    QString text = file->content().value();
    text.replace(QStringLiteral("<p>caf"), QString::fromUtf16(u"<p>\u2192 caf"));
    ASSERT_TRUE(file->setContent(text));
    ASSERT_TRUE(file->save());
    QByteArray expected = bytes;
    expected.replace("<p>caf", "<p>\xe2\x86\x92 caf");
    EXPECT_EQ(TestUtil::readFile(file->path()), expected);
    EXPECT_TRUE(answers.messages.isEmpty());
}

TEST_F(FileSave, AnEditALatinFileCannotHoldIsConvertedToUtf8WhenTheUserSaysSo)
{
    File *file = open("latin.css", "/* caf\xe9 */");
    ASSERT_TRUE(file);
    ASSERT_EQ(file->textEncoding(), quint32(StringEncoding::ISOLatin1));
    Answers answers({QStringLiteral("Convert to UTF-8")});
    EXPECT_TRUE(file->setContent(QString::fromUtf16(u"/* caf\u00e9 \u2192 */")));
    ASSERT_EQ(answers.messages.size(), 1);
    EXPECT_NE(answers.messages.first().indexOf(QStringLiteral("latin.css")), -1);
    EXPECT_NE(answers.messages.first().indexOf(QString::fromUtf16(u"\u2192")), -1);
    // Nothing is written before the save.
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("/* caf\xe9 */"));
    ASSERT_TRUE(file->save());
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("/* caf\xc3\xa9 \xe2\x86\x92 */"));

    // Undo takes the conversion back with the edit; redo brings both, unasked.
    m_undo->undo();
    EXPECT_EQ(file->textEncoding(), quint32(StringEncoding::ISOLatin1));
    ASSERT_TRUE(file->save());
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("/* caf\xe9 */"));
    m_undo->redo();
    EXPECT_EQ(file->textEncoding(), quint32(StringEncoding::UTF8));
    EXPECT_EQ(answers.messages.size(), 1);
}

TEST_F(FileSave, AnEditALatinFileCannotHoldIsCancelledWhenTheUserSaysSo)
{
    File *file = open("latin.css", "/* caf\xe9 */");
    ASSERT_TRUE(file);
    Answers answers({QStringLiteral("Cancel")});
    file->setLastContentChangeReason(File::CodeViewChange);
    bool accepted = true;
    // The editor that made the edit is told to take the file's text back.
    const int reloads = postsOf("reloadContent", file, [&] {
        accepted = file->setContent(QString::fromUtf16(u"/* caf\u00e9 \u2192 */"));
    });
    EXPECT_FALSE(accepted);
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(answers.messages.size(), 1);
    EXPECT_EQ(file->content(), QString::fromUtf16(u"/* caf\u00e9 */"));
    EXPECT_EQ(file->textEncoding(), quint32(StringEncoding::ISOLatin1));
    EXPECT_FALSE(file->isModified());
    EXPECT_FALSE(m_undo->canUndo());
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("/* caf\xe9 */"));

    // What Latin 1 holds goes in unasked, and is written in Latin 1.
    EXPECT_TRUE(file->setContent(QString::fromUtf16(u"/* caf\u00e9 cr\u00e8me */")));
    EXPECT_EQ(answers.messages.size(), 1);
    ASSERT_TRUE(file->save());
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("/* caf\xe9 cr\xe8me */"));
}

// An edit made in place asks as an edit of the whole text does, and its undo
// gives back the bytes and the encoding.
TEST_F(FileSave, AnEditInPlaceIsAskedAboutAndUndoneAsAWholeTextEditIs)
{
    File *file = open("latin.css", "/* caf\xe9 */");
    ASSERT_TRUE(file);
    Answers answers({QStringLiteral("Cancel"), QStringLiteral("Convert to UTF-8")});
    EXPECT_FALSE(file->editContent(7, 0, QString::fromUtf16(u" \u2192")));
    EXPECT_EQ(file->content(), QString::fromUtf16(u"/* caf\u00e9 */"));
    EXPECT_FALSE(file->editContent(7, 5, QString()));

    EXPECT_TRUE(file->editContent(7, 0, QString::fromUtf16(u" \u2192")));
    EXPECT_TRUE(file->editContent(3, 1, QStringLiteral("C")));
    EXPECT_EQ(answers.messages.size(), 2);
    ASSERT_TRUE(file->save());
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("/* Caf\xc3\xa9 \xe2\x86\x92 */"));
    m_undo->undo();
    ASSERT_TRUE(file->save());
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("/* caf\xe9 */"));
    EXPECT_EQ(file->textEncoding(), quint32(StringEncoding::ISOLatin1));
}

// --- Names -----------------------------------------------------------------------------------------

TEST_F(FileSave, AFileWhoseNameIsNotUtf8IsRefusedWithAReasonAndNeverDuplicated)
{
    const QString site = m_dir.filePath(QStringLiteral("site"));
    ASSERT_TRUE(QDir().mkpath(site));
    RawNamedFile raw(site, "caf\xe9.css", "p { color: red; }");
    ASSERT_TRUE(raw.isMade());
    m_root = std::make_unique<File>(site, true, nullptr);
    const QList<File *> children = m_root->children();
    ASSERT_EQ(children.size(), 1);
    File *file = children.first();
    ASSERT_EQ(file->path(), raw.path());

    EXPECT_EQ(file->currentContent(), std::nullopt);
    EXPECT_NE(file->textNotice().indexOf(QStringLiteral("not valid UTF-8")), -1) << file->textNotice().toStdString();

    const QList<QByteArray> before = rawNamesIn(site);
    file->setContent(QStringLiteral("p { color: blue; }"));
    EXPECT_FALSE(file->save());
    EXPECT_NE(file->lastSaveError().indexOf(QStringLiteral("not valid UTF-8")), -1);
    EXPECT_EQ(rawNamesIn(site), before);
    EXPECT_EQ(raw.bytes(), QByteArray("p { color: red; }"));
}

} // namespace FileSaveTest
