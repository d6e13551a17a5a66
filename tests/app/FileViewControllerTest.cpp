#include "TestPrinters.h"
#include "TestUtil.h"

#include "app/FileViewController.h"
#include "app/views/DirectoryViewer.h"
#include "app/views/FontSampleView.h"
#include "app/views/ImageViewer.h"
#include "code/CSSSyntax.h"
#include "code/CodeView.h"
#include "code/HTMLSyntax.h"
#include "code/JSSyntax.h"
#include "code/LargeTextView.h"
#include "code/LineNumberScrollView.h"
#include "code/TextFinder.h"
#include "foundation/InspectUndoManager.h"
#include "platform/kit/Alert.h"
#include "platform/foundation/NotificationCenter.h"
#include "workspace/File.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// A project of a page, two style sheets, an image and a sound, and the
// viewer over a pane of its own.
class FileViewControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        File::setUndoManagerProvider([this] { return &undo; });
        QDir(dir.path()).mkpath(QStringLiteral("site/css/sub"));
        TestUtil::writeFile(dir.filePath(QStringLiteral("site/index.html")), "<p>hello</p>");
        TestUtil::writeFile(dir.filePath(QStringLiteral("site/css/style.css")), "a {}");
        TestUtil::writeFile(dir.filePath(QStringLiteral("site/css/sub/index.css")), "b {}");
        TestUtil::writeFile(dir.filePath(QStringLiteral("site/theme.less")), "@x: 1;");
        TestUtil::writeFile(dir.filePath(QStringLiteral("site/parts.scss")), "$x: 1;");
        TestUtil::writeFile(dir.filePath(QStringLiteral("site/app.js")), "var x = 1;");
        TestUtil::writeFile(dir.filePath(QStringLiteral("site/notes.txt")), "plain");
        TestUtil::writeFile(dir.filePath(QStringLiteral("site/song.mp3")), QByteArray("ID3\x03\x00", 5));
        QImage(4, 4, QImage::Format_RGB32).save(dir.filePath(QStringLiteral("site/logo.png")));
        root = std::make_unique<File>(dir.filePath(QStringLiteral("site")), true, nullptr);
        pane.resize(500, 400);
    }

    void TearDown() override { File::setUndoManagerProvider({}); }

    File *file(const QString &name) const { return FileViewController::searchDirectory(name, root->children()); }

    InspectUndoManager undo;
    QTemporaryDir dir;
    std::unique_ptr<File> root;
    QWidget pane;
    FileViewController viewer{&pane};
};

} // namespace

TEST_F(FileViewControllerTest, AFileShownAgainUsesItsViewWithItsCurrentText)
{
    File *page = file(QStringLiteral("index.html"));
    viewer.viewFile(page);
    CodeView *first = viewer.mainCodeView();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->toPlainText(), QStringLiteral("<p>hello</p>"));
    EXPECT_TRUE(qobject_cast<LineNumberScrollView *>(page->view()));
    // Its first snapshot is taken when it is first shown.
    EXPECT_EQ(page->histories().size(), 1);

    viewer.viewFile(file(QStringLiteral("style.css")));
    EXPECT_NE(viewer.mainCodeView(), first);
    page->setOpenDate(page->openDate().addSecs(-10));
    page->setContent(QStringLiteral("<p>changed</p>"));

    viewer.viewFile(page);
    EXPECT_EQ(viewer.mainCodeView(), first);
    EXPECT_EQ(first->toPlainText(), QStringLiteral("<p>changed</p>"));
    EXPECT_TRUE(first->isVisibleTo(&pane));
}

// #78: the pane never shows another file's view under the name of one that
// went, whether its node was dropped or it is found gone when it is opened.
TEST_F(FileViewControllerTest, AFileGoneFromDiskLeavesThePaneEmptyNotShowingAnotherFile)
{
    File *sheet = file(QStringLiteral("style.css"));
    viewer.viewFile(sheet);
    viewer.viewFile(file(QStringLiteral("index.html")));
    ASSERT_TRUE(QFile::remove(dir.filePath(QStringLiteral("site/index.html"))));
    root->setUpChildren();
    EXPECT_FALSE(sheet->view()->isVisibleTo(&pane));
    TestUtil::spin(5);
    EXPECT_FALSE(sheet->view()->isVisibleTo(&pane));
    EXPECT_EQ(viewer.mainFile(), nullptr);
    EXPECT_EQ(viewer.mainTextView(), nullptr);

    viewer.viewFile(sheet);
    File *script = file(QStringLiteral("app.js"));
    ASSERT_TRUE(QFile::remove(script->path()));
    Alert::setResponder([](const Alert &) { return int(Alert::FirstButtonReturn); });
    viewer.viewFile(script);
    Alert::setResponder({});
    EXPECT_FALSE(sheet->view()->isVisibleTo(&pane));
    EXPECT_EQ(viewer.mainFile(), nullptr);
}

// #78: what was typed is undone and redone only while the pane shows it.
TEST_F(FileViewControllerTest, TypingIsUndoneAndRedoneOnlyWhileThePaneShowsItsFile)
{
    File *sheet = file(QStringLiteral("style.css"));
    File *page = file(QStringLiteral("index.html"));
    viewer.viewFile(sheet);
    CodeView *view = viewer.mainCodeView();
    ASSERT_TRUE(TestUtil::waitUntil([view] { return view->string() == QStringLiteral("a {}"); }));
    sheet->setOpenDate(sheet->openDate().addSecs(-10));
    view->moveCursor(QTextCursor::End);
    QTest::keyClicks(view, QStringLiteral("b"));
    TestUtil::spin(5);
    ASSERT_EQ(undo.undoActionName(), QStringLiteral("type"));

    viewer.viewFile(page);
    EXPECT_FALSE(undo.canUndo());
    viewer.viewFile(sheet);
    ASSERT_TRUE(undo.canUndo());
    undo.undo();
    EXPECT_EQ(sheet->content(), QStringLiteral("a {}"));
    viewer.viewFile(page);
    EXPECT_FALSE(undo.canRedo());
    undo.redo();
    EXPECT_EQ(sheet->content(), QStringLiteral("a {}"));
}

TEST_F(FileViewControllerTest, AFileThatIsNoTextGetsNoViewAndThePaneStaysEmpty)
{
    viewer.viewFile(file(QStringLiteral("index.html")));
    viewer.viewFile(file(QStringLiteral("song.mp3")));
    EXPECT_EQ(viewer.mainFile(), file(QStringLiteral("song.mp3")));
    EXPECT_EQ(viewer.mainTextView(), nullptr);
    EXPECT_EQ(viewer.getCurrentScrollView(), nullptr);
    EXPECT_FALSE(file(QStringLiteral("index.html"))->view()->isVisibleTo(&pane));
    // A style-sheet dialect is text.
    viewer.viewFile(file(QStringLiteral("theme.less")));
    EXPECT_NE(viewer.mainTextView(), nullptr);
}

TEST_F(FileViewControllerTest, FoldersPicturesAndFontsShareOneViewOfTheirKind)
{
    QFile::copy(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"), dir.filePath(QStringLiteral("site/sans.otf")));
    TestUtil::writeFile(dir.filePath(QStringLiteral("site/broken.woff")), "no font");
    root->setUpChildren();

    File *css = file(QStringLiteral("css"));
    viewer.viewFile(css);
    EXPECT_EQ(css->view(), viewer.directoryViewer());
    EXPECT_EQ(viewer.directoryViewer()->directory(), css);
    viewer.viewFile(root.get());
    EXPECT_EQ(root->view(), viewer.directoryViewer());
    EXPECT_EQ(viewer.directoryViewer()->directory(), root.get());
    EXPECT_TRUE(viewer.directoryViewer()->isVisibleTo(&pane));
    // Shown again, a folder is the one files are dropped into.
    viewer.viewFile(css);
    EXPECT_EQ(viewer.directoryViewer()->directory(), css);

    File *logo = file(QStringLiteral("logo.png"));
    viewer.viewFile(logo);
    EXPECT_EQ(logo->view(), viewer.imageViewer());
    EXPECT_EQ(viewer.imageViewer()->image().size(), QSize(4, 4));
    EXPECT_EQ(viewer.mainTextView(), nullptr);

    File *font = file(QStringLiteral("sans.otf"));
    viewer.viewFile(font);
    EXPECT_EQ(font->view(), viewer.fontView());
    EXPECT_EQ(viewer.fontView()->family(), QStringLiteral("DejaVu Sans"));
    viewer.viewFile(file(QStringLiteral("broken.woff")));
    EXPECT_TRUE(viewer.fontView()->family().isEmpty());
    viewer.viewFile(font);
    EXPECT_EQ(viewer.fontView()->family(), QStringLiteral("DejaVu Sans"));

    // The shared views stay when their files go.
    root->setUpChildren();
    QFile::remove(dir.filePath(QStringLiteral("site/logo.png")));
    root->setUpChildren();
    viewer.viewFile(css);
    EXPECT_TRUE(viewer.imageViewer());
    EXPECT_EQ(viewer.imageViewer()->imageFile(), nullptr);
}

TEST_F(FileViewControllerTest, AnUndecodablePictureLeavesTheImageViewEmpty)
{
    TestUtil::writeFile(dir.filePath(QStringLiteral("site/broken.png")), "no picture");
    root->setUpChildren();
    File *broken = file(QStringLiteral("broken.png"));
    viewer.viewFile(broken);
    EXPECT_EQ(broken->view(), viewer.imageViewer());
    EXPECT_TRUE(viewer.imageViewer()->image().isNull());
}

TEST_F(FileViewControllerTest, TheRecommendedStyleSheetIsTheFirstOfItsNamesWhereverItLies)
{
    EXPECT_EQ(FileViewController::cssFileRecomended(root.get()), file(QStringLiteral("index.css")));
    EXPECT_EQ(FileViewController::cssFileRecomended(file(QStringLiteral("sub"))), file(QStringLiteral("index.css")));
    EXPECT_EQ(FileViewController::cssFileRecomended(nullptr), nullptr);
}

TEST_F(FileViewControllerTest, AHistoryStepIsTypedOverTheTextOrSetWithoutUndo)
{
    File *page = file(QStringLiteral("index.html"));
    page->setOpenDate(page->openDate().addSecs(-10));
    viewer.viewFile(page);
    CodeView *view = viewer.mainCodeView();
    QTextCursor cursor = view->textCursor();
    cursor.setPosition(3);
    cursor.setPosition(12, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);

    // The older text is shorter: the selection beyond its end is dropped.
    page->rollBackToHistory(FileHistory(QDateTime::currentDateTime(), QStringLiteral("<p>x</p>")));
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("historyFileClicked"), this, {{QStringLiteral("file"), QVariant::fromValue(page)}});
    EXPECT_EQ(view->toPlainText(), QStringLiteral("<p>x</p>"));
    EXPECT_FALSE(view->textCursor().hasSelection());
    TestUtil::spin(5);

    page->setContent(QStringLiteral("<p>a longer text</p>"));
    TestUtil::spin(5);
    cursor = view->textCursor();
    cursor.setPosition(3);
    cursor.setPosition(12, QTextCursor::KeepAnchor);
    view->setTextCursor(cursor);
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("historyFileClicked"), this,
        {{QStringLiteral("file"), QVariant::fromValue(page)}, {QStringLiteral("ignoreUndo"), true}});
    EXPECT_EQ(view->toPlainText(), QStringLiteral("<p>a longer text</p>"));
    EXPECT_EQ(view->textCursor().selectionStart(), 3);
    EXPECT_EQ(view->textCursor().selectionEnd(), 12);
}

TEST_F(FileViewControllerTest, SaveDocumentSavesTheFileWhoseEditorHadTheKeyboardLast)
{
    File *sheet = file(QStringLiteral("style.css"));
    File *page = file(QStringLiteral("index.html"));
    viewer.viewFile(sheet);
    CodeView *sheetView = viewer.mainCodeView();
    pane.show();
    pane.activateWindow();
    sheetView->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return FileViewController::saveTargetView() == sheetView; }, 2000));
    sheetView->moveCursor(QTextCursor::End);
    sheet->setOpenDate(sheet->openDate().addSecs(-10));
    QTest::keyClicks(sheetView, QStringLiteral(" b {}"));
    ASSERT_EQ(sheetView->toPlainText(), QStringLiteral("a {} b {}"));

    // The keyboard goes elsewhere (the file tree) and another file is
    // shown, but the style sheet's editor had the keyboard last.
    QLineEdit elsewhere(&pane);
    elsewhere.show();
    elsewhere.setFocus(Qt::OtherFocusReason);
    viewer.viewFile(page);
    QStringList posted;
    QObject owner;
    for (const char *name : {"fileSaved", "saveFileContent"}) {
        NotificationCenter::defaultCenter().addObserver(&owner, QString::fromLatin1(name), &viewer,
                                                        [&posted](const Notification &n) { posted << n.name; });
    }
    viewer.saveDocument();
    EXPECT_EQ(TestUtil::readFile(sheet->path()), QByteArray("a {} b {}"));
    EXPECT_EQ(TestUtil::readFile(page->path()), QByteArray("<p>hello</p>"));
    EXPECT_EQ(posted, (QStringList{QStringLiteral("fileSaved"), QStringLiteral("saveFileContent")}));
}

TEST_F(FileViewControllerTest, EachTextFileGetsTheColourerOfItsLanguageTheRulerAndTheFindBar)
{
    const auto colorerOf = [this](const char *name) -> SyntaxColoring * {
        viewer.viewFile(file(QString::fromLatin1(name)));
        return viewer.mainCodeView() ? viewer.mainCodeView()->textStorageDelegate() : nullptr;
    };
    EXPECT_TRUE(qobject_cast<HTMLSyntax *>(colorerOf("index.html")));
    EXPECT_TRUE(qobject_cast<CSSSyntax *>(colorerOf("style.css")));
    EXPECT_TRUE(qobject_cast<CSSSyntax *>(colorerOf("theme.less")));
    EXPECT_TRUE(qobject_cast<CSSSyntax *>(colorerOf("parts.scss")));
    EXPECT_TRUE(qobject_cast<JSSyntax *>(colorerOf("app.js")));
    EXPECT_EQ(colorerOf("notes.txt"), nullptr);
    // One colourer of a language for every view of it.
    SyntaxColoring *sheets = colorerOf("style.css");
    EXPECT_EQ(colorerOf("theme.less"), sheets);

    CodeView *view = viewer.mainCodeView();
    auto *frame = qobject_cast<LineNumberScrollView *>(file(QStringLiteral("theme.less"))->view());
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->lineNumberView());
    EXPECT_GT(view->rulerThickness(), 0);
    ASSERT_TRUE(view->textFinder());
    EXPECT_EQ(view->textFinder()->findBarContainer(), frame);
    EXPECT_TRUE(view->textFinder()->isIncrementalSearchingEnabled());
    // Shown, the text gets its colours at the next turn.
    TestUtil::waitUntil([view] { return !view->document()->firstBlock().layout()->formats().isEmpty(); });
    EXPECT_FALSE(view->document()->firstBlock().layout()->formats().isEmpty());
}

TEST_F(FileViewControllerTest, AFileTooLargeForACodeViewIsShownInALargeTextViewThatSavesItsEdits)
{
    QByteArray bytes;
    for (int i = 0; bytes.size() <= LargeTextView::kMinimumBytes; ++i)
        bytes += QStringLiteral(".r%1 { margin: %1px; }\n").arg(i).toUtf8();
    TestUtil::writeFile(dir.filePath(QStringLiteral("site/large.css")), bytes);
    File *sheet = file(QStringLiteral("large.css"));
    ASSERT_TRUE(sheet);
    viewer.viewFile(sheet);
    auto *view = qobject_cast<LargeTextView *>(sheet->textView());
    ASSERT_TRUE(view);
    EXPECT_EQ(viewer.mainCodeView(), nullptr);
    auto *frame = qobject_cast<LineNumberScrollView *>(sheet->view());
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->largeTextView(), view);
    EXPECT_TRUE(frame->findBarView());
    EXPECT_TRUE(qobject_cast<CSSSyntax *>(view->colorer()));
    ASSERT_TRUE(TestUtil::waitUntil([view] { return !view->isLoadingText(); }, 30000));
    EXPECT_EQ(view->string(), QString::fromUtf8(bytes));
    EXPECT_EQ(sheet->histories().size(), 1);

    pane.show();
    pane.activateWindow();
    view->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(TestUtil::waitUntil([sheet] { return FileViewController::saveTargetFile() == sheet; }, 2000));
    sheet->setOpenDate(sheet->openDate().addSecs(-10));
    QTest::keyClicks(view, QStringLiteral("a{}"));
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(TestUtil::readFile(sheet->path()), "a{}" + bytes);

    // The first snapshot taken back.
    sheet->rollBackToHistory(sheet->histories().constLast());
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("historyFileClicked"), this, {{QStringLiteral("file"), QVariant::fromValue(sheet)}});
    EXPECT_EQ(view->string(), QString::fromUtf8(bytes));
}
