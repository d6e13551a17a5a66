#include "WorkspaceTestSupport.h"

#include "WebTestFixture.h"

#include "app/EXWindow.h"
#include "app/MainMenu.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "domtree/DOMNodeEx.h"
#include "domtree/DomTreeDelegate.h"
#include "platform/kit/Alert.h"
#include "platform/kit/FilePanel.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebEngineCache.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "preview/BackgroundView.h"
#include "preview/ExWebView.h"
#include "preview/PageDownloadManager.h"
#include "preview/PreviewDelegate.h"
#include "toolkit/SearchFieldEx.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>

namespace PreviewInWindowTest {

namespace {

// The main window with the live preview, as a user meets it.
class PreviewInWindow : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        TestUtil::writeFile(path("site/index.html"),
                            "<!DOCTYPE html><title>Home</title><body style='margin:0'>"
                            "<h1 id=title style='margin:0; height:40px'>Home</h1><p>welcome</p></body>");
        remember({path("site")});
        launch();
        preview = dynamic_cast<PreviewDelegate *>(controller()->previewHalf());
        ASSERT_TRUE(preview);
        QObject::connect(preview, &PreviewDelegate::loadCompleted, preview, [this] { ++completions; });
        ui().window->show();
    }

    MainInterface &ui() const { return delegate->ui(); }
    bool waitForLoad(int before) { return TestUtil::waitUntil([&] { return completions > before; }, 15000); }

    PreviewDelegate *preview = nullptr;
    int completions = 0;
};

} // namespace

TEST_F(PreviewInWindow, AProjectPageAndAnAddressLoadWithProgressReloadAndHistory)
{
    // A double click on a project page shows it.
    File *page = node("site/index.html");
    ASSERT_TRUE(page);
    select(page);
    int before = completions;
    controller()->doubleClick();
    ASSERT_TRUE(waitForLoad(before));
    ExWebView *view = preview->webview();
    EXPECT_EQ(view->mainFrameURL(), page->absolutePath());
    EXPECT_EQ(ui().selectedURLPath->text(), QUrl(page->absolutePath()).toString());
    EXPECT_EQ(ui().loadStatusTextField->text(), QStringLiteral("1 / 1 Files"));
    EXPECT_EQ(controller()->lastPreviewedFile(), page);
    EXPECT_TRUE(ui().reloadButton->isEnabled());

    // Reload, from the menu (Ctrl+R).
    QAction *reload = ui().mainMenu->itemForAction(QStringLiteral("reloadPage:"));
    ASSERT_TRUE(reload);
    EXPECT_EQ(reload->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_R));
    before = completions;
    reload->trigger();
    ASSERT_TRUE(waitForLoad(before));
    EXPECT_TRUE(preview->isReloadOnly());

    // An address typed into the field, with Return.
    QTemporaryDir web;
    LoopbackHttpServer server(web.path());
    ASSERT_TRUE(server.start());
    TestUtil::writeFile(web.filePath(QStringLiteral("remote.html")), "<!DOCTYPE html><title>Remote</title><p id=remote>far</p>");
    before = completions;
    ui().selectedURLPath->setText(server.url(QStringLiteral("remote.html")).toString());
    Q_EMIT ui().selectedURLPath->activated();
    ASSERT_TRUE(waitForLoad(before));
    EXPECT_TRUE(view->mainFrameDocument()->getElementById(QStringLiteral("remote")));
    // The file tree shows no page of a project for an address of the web.
    EXPECT_EQ(tree()->selectedRow(), -1);

    // Back to the project page.
    ASSERT_TRUE(TestUtil::waitUntil([&] { return ui().backfowadControl->isEnabledForSegment(0); }));
    before = completions;
    ui().backfowadControl->setSelectedSegment(0);
    Q_EMIT ui().backfowadControl->activated();
    ASSERT_TRUE(waitForLoad(before));
    EXPECT_EQ(view->mainFrameURL(), page->absolutePath());
    EXPECT_EQ(tree()->selectedRow(), tree()->rowForItem(page));
}

TEST_F(PreviewInWindow, APageIsSavedWithItsFilesFromTheButtonsOrTheMenuOnceComplete)
{
    QTemporaryDir web;
    LoopbackHttpServer server(web.path());
    ASSERT_TRUE(server.start());
    TestUtil::writeFile(web.filePath(QStringLiteral("style/site.css")), "p { color: green }");
    TestUtil::writeFile(web.filePath(QStringLiteral("shop.html")),
                        "<!DOCTYPE html><link rel=stylesheet href=/style/site.css><p>shop</p>");
    QAction *item = ui().mainMenu->itemForAction(QStringLiteral("displayWindow:"));
    ASSERT_TRUE(item);
    EXPECT_EQ(item->text(), QStringLiteral("Download..."));
    EXPECT_EQ(item->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    ui().mainMenu->validateAll();
    EXPECT_FALSE(item->isEnabled());
    EXPECT_FALSE(ui().downloadToolbarButton->isEnabled());

    const int before = completions;
    ui().selectedURLPath->setText(server.url(QStringLiteral("shop.html")).toString());
    Q_EMIT ui().selectedURLPath->activated();
    ASSERT_TRUE(waitForLoad(before));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return preview->resourceRoots().size() == 1; }));
    // The bodies come after the records, the sheet's too: both are saved.
    auto *manager = ui().window->findChild<PageDownloadManager *>();
    ASSERT_TRUE(manager);
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        manager->displayWindow();
        manager->closeWindow();
        const QList<File *> listed = manager->resourceList();
        return listed.size() == 2
               && std::all_of(listed.cbegin(), listed.cend(), [](File *file) { return !file->webResourceData().isEmpty(); });
    }, 10000));
    EXPECT_TRUE(ui().downloadToolbarButton->isEnabled());
    EXPECT_TRUE(ui().downloadButton->isEnabled());
    ui().mainMenu->validateAll();
    EXPECT_TRUE(item->isEnabled());

    // The toolbar button opens the sheet; Escape closes it.
    ui().downloadToolbarButton->click();
    auto *sheet = ui().window->findChild<QDialog *>(QStringLiteral("pageDownloadWindow"));
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->isVisible());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(sheet, &escape);
    EXPECT_FALSE(sheet->isVisible());

    // The menu item opens it again; OK asks for a folder and saves there,
    // and the folder becomes a project.
    QTemporaryDir target;
    FilePanel::setResponder([&](const FilePanel &) { return std::optional<QStringList>(QStringList{target.path()}); });
    QStringList alerts;
    Alert::setResponder([&](Alert &alert) {
        alerts.append(alert.messageText());
        return int(Alert::FirstButtonReturn);
    });
    item->trigger();
    ASSERT_TRUE(sheet->isVisible());
    sheet->findChild<QPushButton *>(QStringLiteral("okButton"))->click();
    FilePanel::setResponder({});
    Alert::setResponder({});
    EXPECT_EQ(alerts, QStringList{QStringLiteral("2 files downloaded.")});
    EXPECT_EQ(TestUtil::readFile(target.filePath(QStringLiteral("127.0.0.1/style/site.css"))), QByteArray("p { color: green }"));
    EXPECT_TRUE(QFileInfo::exists(target.filePath(QStringLiteral("127.0.0.1/shop.html"))));
    QStringList projects;
    for (File *project : controller()->projects())
        projects.append(project->path());
    EXPECT_TRUE(projects.contains(target.path())) << projects.join(QLatin1Char(' ')).toStdString();
}

TEST_F(PreviewInWindow, PickModeFollowsThePointerLocksAClickAndLeavesOnEscapeWithInputThroughTheWindow)
{
    File *page = node("site/index.html");
    select(page);
    const int before = completions;
    controller()->doubleClick();
    ASSERT_TRUE(waitForLoad(before));
    ExWebView *view = preview->webview();
    auto *tree = dynamic_cast<DomTreeDelegate *>(delegate->domTreeController());
    auto *rules = dynamic_cast<CSSOutlineDelegate *>(delegate->cssOutlineDelegate());
    ASSERT_TRUE(tree && rules);
    DOMElement *title = view->mainFrameDocument()->getElementById(QStringLiteral("title"));
    DOMElement *welcome = view->mainFrameDocument()->querySelector(QStringLiteral("p"));
    const std::optional<DOMElementBox> titleBox = view->mainFrame().engine()->elementBox(*title);
    const std::optional<DOMElementBox> welcomeBox = view->mainFrame().engine()->elementBox(*welcome);
    ASSERT_TRUE(titleBox && welcomeBox);

    // Input goes to the window, as the window system gives it.
    QWindow *window = ui().window->windowHandle();
    ui().window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(ui().window));
    const auto at = [](const std::optional<DOMElementBox> &box) { return box->viewRect.center().toPoint(); };
    const auto locked = [&](DOMElement *element) {
        const DOMNodeEx *row = tree->selectedDomNodeEx();
        return preview->selectedElement() == element && row && row->node() == element
               && rules->lastSelectedElement() == element;
    };

    // On from the button: the overlay follows the pointer; a click locks the
    // element, selects its row and lists its rules, and never reaches the page.
    ui().detectButton->click();
    EXPECT_EQ(view->detectState(), ExWebViewInterface::HoverDetect);
    movePointer(view, at(titleBox));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return view->detectView()->element() == title && !view->isDrawingPending(); }));
    EXPECT_EQ(view->detectView()->rect(), titleBox->viewRect);
    clickPointer(view, at(titleBox));
    EXPECT_EQ(view->detectState(), ExWebViewInterface::ElementLocked);
    EXPECT_FALSE(ui().detectButton->isChecked());
    ASSERT_TRUE(TestUtil::waitUntil([&] { return locked(title); }));

    // On from the keyboard: a click that comes before the answer to the move
    // still takes the element under it.
    QTest::keyClick(window, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(view->detectState(), ExWebViewInterface::HoverDetect);
    // It stays on when the tree's row, selected just before, catches up.
    TestUtil::spin(200);
    ASSERT_EQ(view->detectState(), ExWebViewInterface::HoverDetect);
    movePointer(view, at(welcomeBox));
    clickPointer(view, at(welcomeBox));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return locked(welcome) && !view->isDrawingPending(); }));
    EXPECT_EQ(view->detectView()->element(), welcome);

    // Escape leaves the mode; the pointer no longer picks.
    QTest::keyClick(window, Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(ui().detectButton->isChecked());
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_EQ(view->detectState(), ExWebViewInterface::DetectOff);
    EXPECT_FALSE(ui().detectButton->isChecked());
    TestUtil::spin(200);
    EXPECT_EQ(view->detectState(), ExWebViewInterface::DetectOff);
    movePointer(view, at(titleBox));
    TestUtil::spin(200);
    EXPECT_EQ(preview->selectedElement(), welcome);
}

} // namespace PreviewInWindowTest
