#include "WorkspaceTestSupport.h"

#include "WebTestFixture.h"

#include "app/EXWindow.h"
#include "app/MainMenu.h"
#include "domtree/DomInfoDelegate.h"
#include "domtree/DomTreeDelegate.h"
#include "domtree/DomTreeOutlineView.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/PathControl.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "preview/BackgroundView.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"
#include "workspace/PathComponentCell.h"
#include "workspace/ProjectUtil.h"
#include "workspace/SnippetUtil.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace DomTreeInWindowTest {

namespace {

const QByteArray s_page = "<!DOCTYPE html>\n<html>\n  <head>\n    <title>Home</title>\n  </head>\n"
                          "  <body style='margin:0'>\n    <h1 id='title' style='margin:0; height:40px'>Home</h1>\n"
                          "    <p id='welcome'>welcome</p>\n    <p id='extra'>extra</p>\n  </body>\n</html>\n";

// The main window with a project page in the preview and its DOM tree, as a
// new user meets them.
class DomTreeInWindow : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        TestUtil::writeFile(path("site/index.html"), s_page);
        remember({path("site")});
        launch();
        preview = dynamic_cast<PreviewDelegate *>(controller()->previewHalf());
        tree = dynamic_cast<DomTreeDelegate *>(delegate->domTreeController());
        ASSERT_TRUE(preview && tree);
        delegate->ui().window->show();
        File *page = node("site/index.html");
        ASSERT_TRUE(page);
        select(page);
        controller()->doubleClick();
        // The rows of this page, paired with its file (not those of the
        // blank page shown before it).
        ASSERT_TRUE(TestUtil::waitUntil([&] {
            return tree->indexFile() == page && tree->document() && !tree->domNodeList().isEmpty()
                   && tree->document()->getElementById(QStringLiteral("welcome"));
        }, 15000));
    }

    DOMElement *byId(const char *id) const { return tree->document()->getElementById(QString::fromLatin1(id)); }
    DomInfoDelegate *inspector() const { return tree->domInfoDelegate(); }
    QStringList crumbs() const
    {
        QStringList titles;
        for (const auto &cell : tree->dombreadcramb()->pathComponentCells())
            titles.append(cell->title());
        return titles;
    }

    PreviewDelegate *preview = nullptr;
    DomTreeDelegate *tree = nullptr;
};

} // namespace

TEST_F(DomTreeInWindow, SelectEditRemoveUndoAndSaveChangeTheFileOnlyThere)
{
    File *page = node("site/index.html");
    ASSERT_EQ(tree->indexFile(), page);
    EXPECT_TRUE(tree->pairing().isPaired());

    // A row selected in the tree: the breadcrumb, the inspector and the
    // preview's overlay follow.
    tree->selectNode(byId("welcome"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return inspector()->inspectedNode() && inspector()->inspectedNode()->node() == byId("welcome"); }));
    EXPECT_EQ(crumbs(), (QStringList{"HTML", "BODY", "P#welcome"}));
    ExWebView *view = preview->webview();
    EXPECT_EQ(view->selectedElement(), byId("welcome"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return view->detectView()->element() == byId("welcome"); }));

    // An attribute added in the inspector, a paragraph removed from the tree.
    inspector()->attrName()->setText(QStringLiteral("class"));
    inspector()->attrValue()->setText(QStringLiteral("lead"));
    inspector()->addAttr();
    tree->selectNode(byId("extra"));
    tree->removeNode();
    QString expected = QString::fromUtf8(s_page);
    expected.replace(QStringLiteral("<p id='welcome'>"), QStringLiteral("<p id='welcome' class='lead'>"));
    expected.remove(QStringLiteral("\n    <p id='extra'>extra</p>"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return page->content() == expected; }));

    // Saved from the menu: the file on disk changed only there.
    delegate->ui().window->setFocus();
    delegate->ui().mainMenu->itemForAction(QStringLiteral("save:"))->trigger();
    EXPECT_EQ(TestUtil::readFile(page->path()), expected.toUtf8());

    // Undone: the page and the text are the author's again.
    InspectUndoManager *undo = delegate->sharedUndoManager();
    undo->undo();
    undo->undo();
    EXPECT_EQ(page->content(), QString::fromUtf8(s_page));
    EXPECT_TRUE(byId("extra"));
    EXPECT_FALSE(byId("welcome")->hasAttribute(QStringLiteral("class")));
}

// --- A page edited here that another program changes ---------------------------------

TEST_F(DomTreeInWindow, APageChangedOutsideWhileEditedHereIsAskedAboutAndKeepMyChangesSavesOverIt)
{
    File *page = node("site/index.html");
    tree->selectNode(byId("welcome"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return inspector()->inspectedNode() && inspector()->inspectedNode()->node() == byId("welcome"); }));
    inspector()->attrName()->setText(QStringLiteral("class"));
    inspector()->attrValue()->setText(QStringLiteral("lead"));
    inspector()->addAttr();
    QString mine = QString::fromUtf8(s_page);
    mine.replace(QStringLiteral("<p id='welcome'>"), QStringLiteral("<p id='welcome' class='lead'>"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return page->content() == mine; }));

    AlertAnswers answers({QStringLiteral("Keep My Changes")});
    QByteArray theirs = s_page;
    theirs.replace("<p id='extra'>extra</p>", "<p id='extra'>theirs</p>");
    ASSERT_TRUE(TestUtil::writeFile(page->path(), theirs));
    ASSERT_TRUE(TestUtil::waitUntil([&answers] { return !answers.messages.isEmpty(); }));
    EXPECT_EQ(answers.messages, QStringList{QStringLiteral("\"index.html\" was changed by another program.")});
    EXPECT_EQ(page->content(), mine);
    EXPECT_TRUE(byId("welcome")->hasAttribute(QStringLiteral("class")));

    delegate->ui().window->setFocus();
    delegate->ui().mainMenu->itemForAction(QStringLiteral("save:"))->trigger();
    EXPECT_EQ(TestUtil::readFile(page->path()), mine.toUtf8());
    EXPECT_EQ(answers.messages.size(), 1);
}

TEST_F(DomTreeInWindow, UseTheVersionOnDiskReloadsThePageIntoTheTreeAndKeepsTheEditInTheHistory)
{
    File *page = node("site/index.html");
    tree->selectNode(byId("extra"));
    tree->removeNode();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !page->content()->contains(QStringLiteral("extra")); }));
    const QString mine = *page->content();

    AlertAnswers answers({QStringLiteral("Use the Version on Disk")});
    QByteArray theirs = s_page;
    theirs.replace("<p id='extra'>extra</p>", "<p id='extra'>theirs</p>");
    ASSERT_TRUE(TestUtil::writeFile(page->path(), theirs));
    // The page comes back from disk, in the preview and the tree.
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return tree->document() && byId("extra") && byId("extra")->textContent() == QLatin1String("theirs");
    }, 15000));
    EXPECT_EQ(answers.messages.size(), 1);
    EXPECT_EQ(page->content()->toUtf8(), theirs);
    ASSERT_FALSE(page->histories().isEmpty());
    EXPECT_EQ(page->histories().constFirst().content(), mine);
    EXPECT_FALSE(page->isModified());
    EXPECT_EQ(TestUtil::readFile(page->path()), theirs);
}

TEST_F(DomTreeInWindow, APageDeletedWhileEditedHereStaysMarkedMissingAndASaveWritesItAgain)
{
    File *page = node("site/index.html");
    tree->selectNode(byId("extra"));
    tree->removeNode();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return !page->content()->contains(QStringLiteral("extra")); }));
    const QString mine = *page->content();

    AlertAnswers answers({QStringLiteral("Keep My Changes")});
    ASSERT_TRUE(QFile::remove(page->path()));
    ASSERT_TRUE(TestUtil::waitUntil([&answers] { return !answers.messages.isEmpty(); }));
    EXPECT_EQ(answers.messages, QStringList{QStringLiteral("\"index.html\" was deleted by another program.")});
    ASSERT_EQ(node("site/index.html"), page);
    EXPECT_TRUE(page->isMissingOnDisk());
    EXPECT_EQ(tree->indexFile(), page);

    delegate->ui().window->setFocus();
    delegate->ui().mainMenu->itemForAction(QStringLiteral("save:"))->trigger();
    EXPECT_EQ(TestUtil::readFile(path("site/index.html")), mine.toUtf8());
    EXPECT_FALSE(page->isMissingOnDisk());
}

TEST_F(DomTreeInWindow, AnUneditedPageChangedOutsideIsTakenWithoutAQuestion)
{
    File *page = node("site/index.html");
    ASSERT_TRUE(page->currentContent());
    // Any question would be answered with a button it lacks, and fail.
    AlertAnswers answers({});
    QByteArray theirs = s_page;
    theirs.replace("<p id='extra'>extra</p>", "<p id='extra'>theirs</p>");
    ASSERT_TRUE(TestUtil::writeFile(page->path(), theirs));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return page->content()->toUtf8() == theirs; }));
    EXPECT_EQ(page->histories().constFirst().content().toUtf8(), s_page);
    EXPECT_TRUE(answers.messages.isEmpty());
}

TEST_F(DomTreeInWindow, AnIgnoreRuleWritesTheNamedSnippetOfTheLibraryAsAnElementsContent)
{
    const SnippetPtr snippet = SnippetUtil::createAndAddSnippetTitle(
        QStringLiteral("Greeting"), QString(), QStringLiteral("HTML"), QStringLiteral("<b>hello</b>"));
    QVariantMap config = ProjectUtil::getProjectConfig(path("site"));
    config.insert(ProjectUtil::kIgnoreOption, QStringLiteral("#title{contentName:Greeting;}"));
    ASSERT_TRUE(ProjectUtil::saveProjectConfig(config, path("site")));

    // Any edit writes the page: the element's content is the snippet's.
    tree->selectNode(byId("welcome"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return inspector()->inspectedNode() && inspector()->inspectedNode()->node() == byId("welcome"); }));
    inspector()->attrName()->setText(QStringLiteral("class"));
    inspector()->attrValue()->setText(QStringLiteral("lead"));
    inspector()->addAttr();
    File *page = node("site/index.html");
    ASSERT_TRUE(TestUtil::waitUntil([&] { return page->content()->contains(QStringLiteral("lead")); }));
    EXPECT_TRUE(page->content()->contains(QStringLiteral("<h1 id='title' style='margin:0; height:40px'><b>hello</b></h1>")))
        << page->content()->toStdString();
    EXPECT_EQ(byId("title")->textContent(), QStringLiteral("Home"));
    SnippetUtil::removeSnippet(snippet);
}

TEST_F(DomTreeInWindow, APickInThePreviewSelectsItsRow)
{
    ExWebView *view = preview->webview();
    view->setSelectedElement(byId("title")->shared_from_this());
    preview->detectLockDownHandler(nullptr);
    DOMNodeEx *selected = tree->selectedDomNodeEx();
    ASSERT_TRUE(selected);
    EXPECT_EQ(selected->node(), byId("title"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return crumbs().size() == 3; }));
    EXPECT_EQ(crumbs().constLast(), QStringLiteral("H1#title"));
}

TEST_F(DomTreeInWindow, TheOverlaysOuterButtonShowsTheElementsBreadcrumbOverThePreview)
{
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("detectToOuter"), nullptr,
        {{QStringLiteral("node"), QVariant::fromValue<DOMNode *>(byId("welcome"))},
         {QStringLiteral("rect"), QRectF(20, 60, 14, 14)}});
    QWidget *popover = tree->domBreadCrambPopover();
    ASSERT_TRUE(popover);
    EXPECT_EQ(preview->webview()->detectState(), ExWebViewInterface::ElementLocked);
    auto *crumbs = popover->findChild<PathControl *>();
    ASSERT_TRUE(crumbs);
    ASSERT_EQ(crumbs->pathComponentCells().size(), 3u);
    EXPECT_EQ(crumbs->pathComponentCells().back()->title(), QStringLiteral("P#welcome"));
    EXPECT_EQ(popover->height(), 32);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("mainResized"), nullptr);
    EXPECT_FALSE(tree->domBreadCrambPopover());
}

TEST_F(DomTreeInWindow, TheViewMenuOpensTheFindBarAndExpandsTheWholeTree)
{
    MainMenu *menu = delegate->ui().mainMenu;
    QAction *find = menu->itemForAction(QStringLiteral("showSearchBar:"));
    QAction *expand = menu->itemForAction(QStringLiteral("expandAll:"));
    ASSERT_TRUE(find && expand);
    EXPECT_EQ(find->text(), QStringLiteral("Show Element Find Bar"));
    EXPECT_EQ(expand->text(), QStringLiteral("Expand All Elements"));

    expand->trigger();
    EXPECT_EQ(expand->text(), QStringLiteral("Collapse All Elements"));
    EXPECT_GE(tree->outline()->rowForItem(tree->searchDomNodeFromRoot(byId("extra"))), 0);

    find->trigger();
    EXPECT_TRUE(tree->findBarVisible());
    EXPECT_EQ(find->text(), QStringLiteral("Hide Element Find Bar"));
    find->trigger();
    EXPECT_FALSE(tree->findBarVisible());

    // The find key opens it while the tree has the keyboard.
    delegate->ui().window->activateWindow();
    tree->outline()->setFocus();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return tree->outline()->hasFocus(); }));
    QTest::keySequence(tree->outline(), QKeySequence::Find);
    EXPECT_TRUE(tree->findBarVisible());
    expand->trigger();
    EXPECT_EQ(expand->text(), QStringLiteral("Expand All Elements"));
}

} // namespace DomTreeInWindowTest
