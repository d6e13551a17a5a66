#include "WorkspaceTestSupport.h"

#include "WebTestFixture.h"

#include "app/ProjectDelegate.h"
#include "domtree/DomInfoDelegate.h"
#include "domtree/DOMNodeEx.h"
#include "domtree/DomTreeDelegate.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebPage.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace UndoAcrossPagesInWindowTest {

namespace {

// Its link to an archive downloads it and leaves the page shown.
const QString kArchive = QStringLiteral("undo-across-pages-%1.zip").arg(QCoreApplication::applicationPid());
const QByteArray kHome = "<!DOCTYPE html>\n<html>\n  <body>\n    <p id='welcome'>welcome</p>\n"
                         "    <p id='extra'>extra</p>\n    <a id='zip' href='" + kArchive.toUtf8() + "'>zip</a>\n"
                         "  </body>\n</html>\n";
const QByteArray kAbout = "<!DOCTYPE html>\n<html>\n  <body>\n    <p id='about'>about</p>\n  </body>\n</html>\n";

// The main window with two project pages; the first shown, a class given
// to one of its paragraphs in the inspector and another removed in the tree.
class UndoAcrossPages : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        TestUtil::writeFile(path("site/index.html"), kHome);
        TestUtil::writeFile(path("site/about.html"), kAbout);
        TestUtil::writeFile(path("site/") + kArchive, QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
        remember({path("site")});
        // The question before a reload that drops the history is not asked.
        UserDefaults::standardUserDefaults().setBool(true, QStringLiteral("clearUndoAlert"));
        launch();
        preview = dynamic_cast<PreviewDelegate *>(controller()->previewHalf());
        tree = dynamic_cast<DomTreeDelegate *>(delegate->domTreeController());
        ASSERT_TRUE(preview && tree);
        delegate->ui().window->show();
        showPage("site/index.html", "welcome");

        tree->selectNode(byId("welcome"));
        DomInfoDelegate *inspector = tree->domInfoDelegate();
        ASSERT_TRUE(TestUtil::waitUntil([&] {
            return inspector->inspectedNode() && inspector->inspectedNode()->node() == byId("welcome");
        }));
        inspector->attrName()->setText(QStringLiteral("class"));
        inspector->attrValue()->setText(QStringLiteral("lead"));
        inspector->addAttr();
        tree->selectNode(byId("extra"));
        tree->removeNode();
        edited = QString::fromUtf8(kHome);
        edited.replace(QStringLiteral("<p id='welcome'>"), QStringLiteral("<p id='welcome' class='lead'>"));
        edited.remove(QStringLiteral("\n    <p id='extra'>extra</p>"));
        ASSERT_TRUE(TestUtil::waitUntil([&] { return node("site/index.html")->content() == edited; }));
        TestUtil::spin(50);
        ASSERT_TRUE(undo()->canUndo());
    }

    void showPage(const char *page, const char *id)
    {
        File *file = node(page);
        ASSERT_TRUE(file);
        select(file);
        controller()->doubleClick();
        ASSERT_TRUE(TestUtil::waitUntil([&] {
            return tree->indexFile() == file && tree->document() && byId(id);
        }, 15000));
    }

    DOMElement *byId(const char *id) const
    {
        return tree->document() ? tree->document()->getElementById(QString::fromLatin1(id)) : nullptr;
    }
    InspectUndoManager *undo() const { return delegate->sharedUndoManager(); }

    PreviewDelegate *preview = nullptr;
    DomTreeDelegate *tree = nullptr;
    QString edited;
};

} // namespace

TEST_F(UndoAcrossPages, AfterAnotherPageIsShownUndoNoLongerReachesTheFirstPagesEdits)
{
    showPage("site/about.html", "about");
    EXPECT_FALSE(undo()->canUndo());
    EXPECT_FALSE(undo()->canRedo());
    // The first page's text keeps its edits.
    EXPECT_EQ(node("site/index.html")->content().value_or(QString()), edited);
}

TEST_F(UndoAcrossPages, AReloadOfThePageKeepsItsTextAndItsEditsUndoable)
{
    File *home = node("site/index.html");
    const DOMDocument *before = tree->document();
    preview->refreshWebview();
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return tree->document() && tree->document() != before && tree->indexFile() == home && byId("welcome");
    }, 15000));
    EXPECT_EQ(home->content().value_or(QString()), edited);
    for (int i = 0; i < 10 && undo()->canUndo(); ++i)
        undo()->undo();
    EXPECT_EQ(home->content().value_or(QString()), QString::fromUtf8(kHome));
    EXPECT_TRUE(TestUtil::waitUntil([&] { return byId("extra") && !byId("welcome")->hasAttribute(QStringLiteral("class")); }));
}

TEST_F(UndoAcrossPages, AnUndoneEditsRedoGoesWithThePageToo)
{
    undo()->undo();
    ASSERT_TRUE(undo()->canRedo());
    showPage("site/about.html", "about");
    EXPECT_FALSE(undo()->canRedo());
}

TEST_F(UndoAcrossPages, ALinkThatDownloadsKeepsThePageAndItsHistory)
{
    const QString downloaded = QDir(ProjectDelegate::tempPath()).filePath(kArchive);
    QFile::remove(downloaded);
    const DOMDocument *shown = tree->document();
    // The user takes the download the page asks for.
    Alert::setResponder([](Alert &) { return int(Alert::FirstButtonReturn); });
    preview->webview()->webPage()->runJavaScript(QStringLiteral("document.getElementById('zip').click()"));
    const bool came = TestUtil::waitUntil([&] { return QFile::exists(downloaded); }, 15000);
    Alert::setResponder({});
    ASSERT_TRUE(came);
    TestUtil::spin(200);
    EXPECT_EQ(tree->document(), shown);
    ASSERT_TRUE(undo()->canUndo());
    undo()->undo();
    EXPECT_EQ(node("site/index.html")->content().value_or(QString()), QString::fromUtf8(kHome));
    QFile::remove(downloaded);
}

} // namespace UndoAcrossPagesInWindowTest
