#include "WorkspaceTestSupport.h"

#include "WebTestFixture.h"

#include "app/EXWindow.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "domtree/DomInfoDelegate.h"
#include "domtree/DomTreeDelegate.h"
#include "domtree/DomTreeOutlineView.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/ChromiumProcess.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "preview/BackgroundView.h"
#include "preview/ExWebView.h"
#include "preview/LoadedResourceDelegate.h"
#include "preview/LoadedResouceViewCell.h"
#include "preview/PreviewDelegate.h"
#include "toolkit/SearchFieldEx.h"

#include <QFile>
#include <QMenu>
#include <QToolButton>

#include <csignal>
#include <sys/types.h>

#include <QSignalSpy>

#include "preview/WebFrameEx.h"

#include <gtest/gtest.h>

namespace InspectorsFollowThePageInWindowTest {

namespace {

const QByteArray s_slides = "<!DOCTYPE html>\n<html>\n<head>\n<link rel=stylesheet href=css/a.css>\n"
                            "<link rel=stylesheet href=css/b.css>\n<link rel=stylesheet href=css/c.css>\n</head>\n"
                            "<body>\n<h1 id=title>Slides</h1>\n<iframe src=frame.html></iframe>\n"
                            "<script>document.body.classList.add('ready');</script>\n</body>\n</html>\n";
const QByteArray s_frame = "<!DOCTYPE html>\n<html><head></head><body marginwidth=0><p id=inner>inside</p></body></html>\n";

// The whole program over a slide-show page (linked sheets, one of them
// importing another, a frame and a script that changes the page) and a
// second page with a sheet of its own.
class InspectorsFollowThePage : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        TestUtil::writeFile(path("site/css/a.css"), "h1 { color: red; }\n");
        TestUtil::writeFile(path("site/css/b.css"), "h1 { margin: 0; }\n");
        TestUtil::writeFile(path("site/css/c.css"), "@import url(d.css);\nh1 { padding: 0; }\n");
        TestUtil::writeFile(path("site/css/d.css"), "h1 { border: 0; }\n");
        TestUtil::writeFile(path("site/css/late.css"), "h1 { letter-spacing: 2px; }\n");
        TestUtil::writeFile(path("site/other.css"), "p { color: blue; }\n");
        TestUtil::writeFile(path("site/other.html"), "<!DOCTYPE html><link rel=stylesheet href=other.css><p id=o>other</p>");
        TestUtil::writeFile(path("site/frame.html"), s_frame);
        TestUtil::writeFile(path("site/index.html"), s_slides);
        remember({path("site")});
        launch();
        preview = dynamic_cast<PreviewDelegate *>(controller()->previewHalf());
        tree = dynamic_cast<DomTreeDelegate *>(delegate->domTreeController());
        rules = dynamic_cast<CSSOutlineDelegate *>(delegate->cssOutlineDelegate());
        ASSERT_TRUE(preview && tree && rules);
        QObject::connect(preview, &PreviewDelegate::loadCompleted, preview, [this] { ++completions; });
        delegate->ui().window->show();
    }

    void open(const char *name)
    {
        select(node(name));
        const int before = completions;
        controller()->doubleClick();
        ASSERT_TRUE(TestUtil::waitUntil([&] { return completions > before; }, 15000));
        ASSERT_TRUE(TestUtil::waitUntil([&] { return tree->document() && tree->document() == page(); }));
    }

    ExWebView *view() const { return preview->webview(); }
    DOMDocument *page() const { return view()->mainFrameDocument(); }
    DOMElement *title() const { return page()->getElementById(QStringLiteral("title")); }

    // Locks the heading as a click in the preview does.
    void pickTitle()
    {
        view()->setSelectedElement(title()->shared_from_this());
        preview->detectLockDownHandler(nullptr);
    }

    // The names of the sheets whose rules the panel lists.
    QStringList listedSheets() const
    {
        QStringList names;
        for (const CSSRulePtr &rule : rules->rules()) {
            if (rule->relatedFile())
                names.append(rule->relatedFile()->displayName());
        }
        names.sort();
        return names;
    }
    QStringList styleSheetsMenu() const
    {
        QStringList titles;
        for (QAction *item : rules->styleSheetsButton()->menu()->actions()) {
            if (item->data().isValid())
                titles.append(item->text());
        }
        return titles;
    }

    PreviewDelegate *preview = nullptr;
    DomTreeDelegate *tree = nullptr;
    CSSOutlineDelegate *rules = nullptr;
    int completions = 0;
};

} // namespace

TEST_F(InspectorsFollowThePage, APageOpenedAfterAnotherListsItsSheetsAndThoseThatComeLater)
{
    open("site/other.html");
    ASSERT_TRUE(TestUtil::waitUntil([&] { return styleSheetsMenu() == QStringList{QStringLiteral("other.css")}; }));
    open("site/index.html");
    const QStringList linked{QStringLiteral("a.css"), QStringLiteral("b.css"), QStringLiteral("c.css"), QStringLiteral("d.css")};
    EXPECT_TRUE(TestUtil::waitUntil([&] { return styleSheetsMenu() == linked; })) << styleSheetsMenu().join(u' ').toStdString();

    // A sheet the page's script adds before anything is picked.
    view()->webPage()->runJavaScript(QStringLiteral("var link = document.createElement('link'); link.rel = 'stylesheet';"
                                                    "link.href = 'css/late.css'; document.head.appendChild(link);"),
                                     WebPage::World::Bridge);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return styleSheetsMenu().contains(QStringLiteral("late.css")); }, 15000));

    pickTitle();
    const QStringList all{QStringLiteral("a.css"), QStringLiteral("b.css"), QStringLiteral("c.css"),
                          QStringLiteral("d.css"), QStringLiteral("late.css")};
    EXPECT_TRUE(TestUtil::waitUntil([&] { return listedSheets() == all; }, 10000)) << listedSheets().join(u' ').toStdString();
}

TEST_F(InspectorsFollowThePage, AFrameChosenInTheResourcesIsEditedInItsOwnFileUntilThePageIsOpenedAgain)
{
    open("site/index.html");
    LoadedResourceDelegate *resources = preview->loadedResourceDelegate();
    int frameRow = -1;
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        for (int row = 0; row < resources->resouceView()->numberOfRows(); ++row) {
            File *file = resources->fileAtRow(row);
            if (file && file->isWebframeFile() && file->displayName() == QLatin1String("frame"))
                frameRow = row;
        }
        return frameRow >= 0;
    }, 30000)) << [&] {
        QString rows;
        for (int row = 0; row < resources->resouceView()->numberOfRows(); ++row) {
            File *file = resources->fileAtRow(row);
            rows += QStringLiteral("[%1 %2 %3] ").arg(row).arg(file ? file->displayName() : QStringLiteral("null")).arg(file && file->isWebframeFile());
        }
        rows += QStringLiteral(" frames:");
        for (WebFrameEx *frame : preview->webframes())
            rows += QStringLiteral(" ") + frame->frame() + QStringLiteral("/") + QString::number(frame->isMainFrame());
        return rows.toStdString();
    }();
    resources->resouceView()->selectRowIndexes({frameRow}, false);

    // The frame's document, written into frame.html.
    File *frameFile = node("site/frame.html");
    File *pageFile = node("site/index.html");
    ASSERT_TRUE(TestUtil::waitUntil([&] { return tree->document() && tree->document()->getElementById(QStringLiteral("inner")); }));
    EXPECT_EQ(tree->indexFile(), frameFile);
    EXPECT_EQ(rules->pageDocument(), tree->document());
    DOMElement *inner = tree->document()->getElementById(QStringLiteral("inner"));
    tree->selectNode(inner);
    DomInfoDelegate *inspector = tree->domInfoDelegate();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return inspector->inspectedNode() && inspector->inspectedNode()->node() == inner; }));
    inspector->attrName()->setText(QStringLiteral("class"));
    inspector->attrValue()->setText(QStringLiteral("lead"));
    inspector->addAttr();
    QString expected = QString::fromUtf8(s_frame);
    expected.replace(QStringLiteral("<p id=inner>"), QStringLiteral("<p id=inner class=\"lead\">"));
    EXPECT_TRUE(TestUtil::waitUntil([&] { return frameFile->content() == expected; })) << frameFile->content()->toStdString();
    EXPECT_EQ(pageFile->content(), QString::fromUtf8(s_slides));

    // Opened again (the edit not saved is let go): the page's own document,
    // however the list chooses again.
    AlertAnswers reload({QStringLiteral("OK"), QStringLiteral("OK")});
    open("site/other.html");
    open("site/index.html");
    EXPECT_TRUE(TestUtil::waitUntil([&] {
        return page() && tree->document() == page() && tree->indexFile() == pageFile && rules->pageDocument() == page();
    }, 15000));
    EXPECT_EQ(tree->document(), page());
    EXPECT_EQ(tree->indexFile(), pageFile);
    EXPECT_EQ(rules->pageDocument(), page());
}

TEST_F(InspectorsFollowThePage, TheResourcesModifiedMarkFollowsTheSheetsEditAndSave)
{
    open("site/other.html");
    LoadedResourceDelegate *resources = preview->loadedResourceDelegate();
    int sheetRow = -1;
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        for (int row = 0; row < resources->resouceView()->numberOfRows(); ++row) {
            File *file = resources->fileAtRow(row);
            if (file && file->displayName() == QLatin1String("other.css"))
                sheetRow = row;
        }
        return sheetRow >= 0;
    }, 10000));
    const auto marked = [&] {
        QAbstractItemModel *model = resources->resouceView()->model();
        return model->data(resources->resouceView()->indexForRow(sheetRow), LoadedResouceViewCell::ModifiedRole).toBool();
    };
    EXPECT_FALSE(marked());
    QSignalSpy redrawn(resources->resouceView()->model(), &QAbstractItemModel::dataChanged);
    File *sheet = node("site/other.css");
    ASSERT_TRUE(sheet);
    sheet->setContent(QStringLiteral("p { color: green; }\n"));
    EXPECT_TRUE(TestUtil::waitUntil([&] { return marked(); }));
    const int afterEdit = int(redrawn.count());
    EXPECT_GT(afterEdit, 0);
    ASSERT_TRUE(sheet->save());
    EXPECT_FALSE(marked());
    EXPECT_GT(redrawn.count(), afterEdit);
}

TEST_F(InspectorsFollowThePage, AfterTheBrowserIsKilledThePickedElementComesBackWithItsRules)
{
    open("site/index.html");
    pickTitle();
    const QStringList linked{QStringLiteral("a.css"), QStringLiteral("b.css"), QStringLiteral("c.css"), QStringLiteral("d.css")};
    ASSERT_TRUE(TestUtil::waitUntil([&] { return listedSheets() == linked; }, 10000));

    const DOMDocument *before = page();
    const int loads = completions;
    ASSERT_EQ(::kill(pid_t(ChromiumProcess::instance().processId()), SIGKILL), 0);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return completions > loads && page() != before && title(); }, 30000));

    // The heading of the new document is picked again, everywhere.
    EXPECT_TRUE(TestUtil::waitUntil([&] {
        return rules->lastSelectedElement() == title() && listedSheets() == linked;
    }, 10000)) << listedSheets().join(u' ').toStdString();
    DomInfoDelegate *inspector = tree->domInfoDelegate();
    EXPECT_TRUE(inspector->inspectedNode() && inspector->inspectedNode()->node() == title());
    EXPECT_TRUE(TestUtil::waitUntil([&] { return view()->detectView()->element() == title() && view()->isDetectViewShown(); }));
}

TEST_F(InspectorsFollowThePage, ALoadThatStartsOrFailsEmptiesTheInspectorsAndNoEditReachesAFile)
{
    open("site/index.html");
    File *pageFile = node("site/index.html");
    ASSERT_EQ(tree->indexFile(), pageFile);
    pickTitle();
    DomInfoDelegate *inspector = tree->domInfoDelegate();
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return inspector->inspectedNode() && !rules->rules().isEmpty() && view()->isDetectViewShown();
    }, 10000));
    const DOMElementPtr oldTitle = title()->sharedAs<DOMElement>();

    // A load begins (and never ends): the page before is dropped at once.
    QTemporaryDir web;
    LoopbackHttpServer server(web.path());
    ASSERT_TRUE(server.start());
    TestUtil::writeFile(web.filePath(QStringLiteral("never.html")), "<p>never</p>");
    server.setDelay(QStringLiteral("never.html"), -1);
    const auto dropped = [&](const QString &reason) {
        return tree->domNodeList().isEmpty() && tree->outline()->emptyMessage().contains(reason) && !tree->document()
               && !inspector->inspectedNode() && inspector->domInfo()->emptyMessage().contains(reason)
               && rules->rules().isEmpty() && rules->outline()->emptyMessage().contains(reason)
               && rules->styleFiles().isEmpty() && !rules->pageDocument() && !view()->isDetectViewShown();
    };
    delegate->ui().selectedURLPath->setText(server.url(QStringLiteral("never.html")).toString());
    Q_EMIT delegate->ui().selectedURLPath->activated();
    EXPECT_TRUE(TestUtil::waitUntil([&] { return dropped(QStringLiteral("loading")); }));

    // A load that fails: the reason is the status's.
    delegate->ui().selectedURLPath->setText(QStringLiteral("http://127.0.0.1:6000/"));
    Q_EMIT delegate->ui().selectedURLPath->activated();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return preview->isLoadFailed(); }, 15000));
    TestUtil::spin(500);
    EXPECT_TRUE(dropped(QStringLiteral("unsafe port"))) << preview->loadStatus().toStdString();
    EXPECT_FALSE(tree->indexFile());

    // An edit of the document dropped is written nowhere.
    StandardErrorCapture log;
    tree->doChangeAttributeValue(oldTitle, QStringLiteral("class"), QStringLiteral("stale"), QString());
    TestUtil::spin(200);
    EXPECT_TRUE(log.text().contains(QLatin1String("no longer shown"))) << log.text().toStdString();
    EXPECT_FALSE(oldTitle->hasAttribute(QStringLiteral("class")));
    EXPECT_EQ(pageFile->content(), QString::fromUtf8(s_slides));
    EXPECT_FALSE(pageFile->isModified());
    for (File *root : preview->resourceRoots())
        EXPECT_FALSE(root->content().value_or(QString()).contains(QLatin1String("Slides")));
    EXPECT_EQ(TestUtil::readFile(path("site/index.html")), s_slides);
}

// Between another program's deletion of the page's file and the page shown
// gone, an edit of what is still on screen is refused over the preview, with
// why, before anything changes.
TEST_F(InspectorsFollowThePage, AnEditOfAPageWhoseFileWasDeletedIsRefusedOverThePreview)
{
    open("site/index.html");
    const DOMElementPtr heading = title()->sharedAs<DOMElement>();
    ASSERT_TRUE(QFile::remove(path("site/index.html")));
    // The folder read again, as its watcher does: the file's node goes.
    node("site")->setUpChildren();
    ASSERT_FALSE(tree->indexFile());

    tree->doChangeAttributeValue(heading, QStringLiteral("class"), QStringLiteral("late"), QString());
    EXPECT_FALSE(heading->hasAttribute(QStringLiteral("class")));
    EXPECT_TRUE(view()->notice().contains(QLatin1String("index.html was deleted by another program")))
        << view()->notice().toStdString();
    EXPECT_FALSE(QFile::exists(path("site/index.html")));
}

} // namespace InspectorsFollowThePageInWindowTest
