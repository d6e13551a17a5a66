#include "CodeViewFixture.h"
#include "SaveFaults.h"

#include "code/LineNumberScrollView.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/kit/Alert.h"

#include <QKeyEvent>
#include <QLabel>

#include <cerrno>
#include <cstring>

// Ctrl+S in a code view, and typing what the file's encoding cannot hold:
// the user is told, and the file on disk never loses a byte it did not edit.
namespace CodeViewSaveTest {

namespace {

class CodeViewSave : public CodeViewFixture
{
protected:
    void TearDown() override
    {
        Alert::setResponder({});
        CodeViewFixture::TearDown();
    }

    // Answers every alert with the button of that title; keeps what they said.
    void answerWith(const QString &button)
    {
        Alert::setResponder([this, button](const Alert &alert) {
            alerts << alert.messageText() + QLatin1Char('|') + alert.informativeText();
            const int index = int(alert.buttonTitles().indexOf(button));
            return Alert::FirstButtonReturn + std::max(index, 0);
        });
    }

    void ctrlS() { key(Qt::Key_S, Qt::ControlModifier); }

    // Types characters QTest has no key for, one key press each.
    void typeText(const QString &text)
    {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(&view, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(&view, &release);
        }
    }

    QStringList alerts;
};

QString reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

TEST_F(CodeViewSave, CtrlSThatTheDiskRefusesAlertsOnceWithTheReasonAndKeepsTheBytes)
{
    File *file = openBytes(QStringLiteral("a.css"), "a { top: 0; }");
    ASSERT_TRUE(file);
    QTest::keyClicks(&view, QStringLiteral(" b{}"));
    answerWith(QStringLiteral("OK"));
    {
        InjectedFault fault(AtomicFileWriter::Step::Write, ENOSPC);
        ctrlS();
    }
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_NE(alerts.first().indexOf(QStringLiteral("a.css")), -1);
    EXPECT_NE(alerts.first().indexOf(reason(ENOSPC)), -1) << alerts.first().toStdString();
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("a { top: 0; }"));
    EXPECT_TRUE(file->isModified());
    EXPECT_EQ(view.string(), QStringLiteral("a { top: 0; } b{}"));
}

TEST_F(CodeViewSave, TypingWhatTheEncodingCannotHoldAndCancellingTakesTheEditBack)
{
    File *file = openBytes(QStringLiteral("latin.css"), "/* caf\xe9 */");
    ASSERT_TRUE(file);
    ASSERT_EQ(file->textEncoding(), quint32(StringEncoding::ISOLatin1));
    answerWith(QStringLiteral("Cancel"));
    typeText(QString::fromUtf16(u"\u2192"));
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_NE(alerts.first().indexOf(QStringLiteral("latin.css")), -1);
    EXPECT_EQ(view.toPlainText(), QString::fromUtf16(u"/* caf\u00e9 */"));
    EXPECT_EQ(view.string(), QString::fromUtf16(u"/* caf\u00e9 */"));
    EXPECT_EQ(file->content(), QString::fromUtf16(u"/* caf\u00e9 */"));
    EXPECT_FALSE(file->isModified());

    // Typing goes on as usual afterwards, in the file's own encoding.
    QTest::keyClicks(&view, QStringLiteral("!"));
    ctrlS();
    EXPECT_EQ(alerts.size(), 1);
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("/* caf\xe9 */!"));
}

TEST_F(CodeViewSave, TypingWhatTheEncodingCannotHoldAndConvertingSavesUtf8)
{
    File *file = openBytes(QStringLiteral("latin.css"), "/* caf\xe9 */");
    ASSERT_TRUE(file);
    answerWith(QStringLiteral("Convert to UTF-8"));
    typeText(QString::fromUtf16(u"\u2192\u2192"));
    // Asked once: the file is UTF-8 from the first arrow on.
    EXPECT_EQ(alerts.size(), 1);
    EXPECT_EQ(view.string(), QString::fromUtf16(u"/* caf\u00e9 */\u2192\u2192"));
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("/* caf\xe9 */"));
    ctrlS();
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("/* caf\xc3\xa9 */\xe2\x86\x92\xe2\x86\x92"));
}

TEST_F(CodeViewSave, BytesThatAreNoTextAreNoticedAndAnEditKeepsThem)
{
    const QByteArray bytes("/* caf\xc3\xa9 \xe2\x80\x94 na\xc3\xafve */\n/* r\xe9sum */\n");
    File *file = openBytes(QStringLiteral("a.css"), bytes);
    ASSERT_TRUE(file);
    // Shown as the file viewer shows a file opened for the first time: the
    // frame first, then the text read.
    File unread(file->path(), false, nullptr);
    LineNumberScrollView frame;
    auto *shown = new CodeView(&frame);
    shown->setFile(&unread);
    frame.setDocumentView(shown);
    shown->setString(unread.currentContent());
    EXPECT_NE(frame.notice().indexOf(QStringLiteral("not valid UTF-8")), -1) << frame.notice().toStdString();
    EXPECT_NE(frame.findChild<QLabel *>(QStringLiteral("codeNotice")), nullptr);

    // A file read without trouble shows no notice.
    File *plain = nullptr;
    {
        ASSERT_TRUE(TestUtil::writeFile(dir.filePath(QStringLiteral("site/b.css")), "b {}"));
        root->setUpChildren();
        for (File *child : root->children()) {
            if (child->displayName() == QLatin1String("b.css"))
                plain = child;
        }
        ASSERT_TRUE(plain);
        ASSERT_TRUE(plain->currentContent().has_value());
        LineNumberScrollView other;
        auto *plainView = new CodeView(&other);
        plainView->setFile(plain);
        other.setDocumentView(plainView);
        EXPECT_TRUE(other.notice().isEmpty());
    }

    // Typing at the start and saving changes those bytes only.
    select(0);
    QTest::keyClicks(&view, QStringLiteral("x"));
    ctrlS();
    EXPECT_EQ(TestUtil::readFile(file->path()), QByteArray("x") + bytes);
}

} // namespace CodeViewSaveTest
