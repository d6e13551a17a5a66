#include "DragTestSupport.h"
#include "WorkspaceTestSupport.h"

#include "app/EXWindow.h"
#include "app/FileArrayController.h"
#include "app/views/DirectoryViewer.h"
#include "app/views/ImageBrowserView.h"
#include "app/views/ImageViewer.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "toolkit/FileDragPasteboard.h"
#include "toolkit/ThumbnailCache.h"
#include "workspace/File.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QIcon>
#include <QMimeData>
#include <QNativeGestureEvent>
#include <QPointingDevice>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

#include <unistd.h>

namespace {

// What the viewer posts, in order, with the folder each names.
class Posted
{
public:
    Posted()
    {
        for (const char *name : {"refreshDirectory", "changeDirectory"}) {
            NotificationCenter::defaultCenter().addObserver(&m_owner, QString::fromLatin1(name), nullptr,
                                                            [this](const Notification &n) {
                                                                names << n.name;
                                                                files << n.userInfo.value(QStringLiteral("file")).value<File *>();
                                                            });
        }
    }
    QStringList names;
    QList<File *> files;

private:
    QObject m_owner;
};

// A project folder with pictures, a sub-folder and a page, shown in the
// browser as the project controller would show it; files outside it to drop.
class DirectoryViewerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir(dir.path()).mkpath(QStringLiteral("site/images/icons"));
        QDir(dir.path()).mkpath(QStringLiteral("outside/folder"));
        QImage(40, 30, QImage::Format_RGB32).save(path("site/images/a.png"));
        TestUtil::writeFile(path("site/images/page.html"), "<p>hi</p>");
        TestUtil::writeFile(path("outside/one.txt"), "one");
        TestUtil::writeFile(path("outside/two.txt"), "two");
        root = std::make_unique<File>(path("site"), true, nullptr);
        images = root->children().first();
        items.setContent(images->children());
        viewer.setDirectoryArrayController(&items);
        viewer.setDirectory(images);
        viewer.resize(600, 400);
        viewer.show();
        Alert::setResponder([this](const Alert &alert) {
            alerts << alert.messageText() + u'|' + alert.informativeText();
            return Alert::FirstButtonReturn;
        });
    }
    void TearDown() override
    {
        DropSink::takeLastDrag();
        Alert::setResponder({});
    }

    QString path(const char *relative) const { return dir.filePath(QString::fromLatin1(relative)); }
    QWidget *surface() const { return viewer.imageBrowserView()->viewport(); }

    std::unique_ptr<QMimeData> files(const QStringList &paths) const
    {
        auto data = std::make_unique<QMimeData>();
        FileDragPasteboard::setFileNames(data.get(), paths);
        return data;
    }
    // The operation the browser shows as a drag enters it, and then as it moves.
    std::pair<Qt::DropAction, Qt::DropAction> over(const QMimeData &data, Qt::KeyboardModifiers modifiers = {})
    {
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(surface(), &enter);
        const Qt::DropAction entered = enter.isAccepted() ? enter.dropAction() : Qt::IgnoreAction;
        QDragMoveEvent move(QPoint(60, 50), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, modifiers);
        QCoreApplication::sendEvent(surface(), &move);
        return {entered, move.isAccepted() ? move.dropAction() : Qt::IgnoreAction};
    }
    bool drop(const QMimeData &data)
    {
        over(data);
        QDropEvent dropped(QPoint(60, 50), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(surface(), &dropped);
        return dropped.isAccepted() && dropped.dropAction() == Qt::CopyAction;
    }
    QPoint cellOf(const QString &name) const
    {
        viewer.imageBrowserView()->doItemsLayout();
        for (int row = 0; row < items.count(); ++row) {
            if (items.objectAtIndex(row)->displayName() == name)
                return viewer.imageBrowserView()->visualRect(items.index(row)).center();
        }
        ADD_FAILURE() << "no cell " << name.toStdString();
        return {};
    }

    QTemporaryDir dir;
    std::unique_ptr<File> root;
    File *images = nullptr;
    FileArrayController items;
    DirectoryViewer viewer;
    QStringList alerts;
};

TEST_F(DirectoryViewerTest, TwoDroppedFilesAreCopiedEachFollowedByARefresh)
{
    Posted posted;
    EXPECT_TRUE(drop(*files({path("outside/one.txt"), path("outside/two.txt")})));
    EXPECT_EQ(TestUtil::readFile(path("site/images/one.txt")), "one");
    EXPECT_EQ(TestUtil::readFile(path("site/images/two.txt")), "two");
    EXPECT_TRUE(QFile::exists(path("outside/one.txt")));
    EXPECT_EQ(posted.names, (QStringList{QStringLiteral("refreshDirectory"), QStringLiteral("refreshDirectory")}));
    EXPECT_EQ(posted.files, (QList<File *>{images, images}));
    EXPECT_TRUE(alerts.isEmpty());
}

TEST_F(DirectoryViewerTest, TheShownFolderDroppedOnItselfIsRefusedWithAnAlert)
{
    Posted posted;
    EXPECT_TRUE(drop(*files({path("site/images")})));
    EXPECT_TRUE(drop(*files({path("site")})));
    EXPECT_EQ(alerts, QStringList(2, QStringLiteral("Directory cannot place to its children.|")));
    EXPECT_TRUE(posted.names.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(path("site/images/images")));
    EXPECT_FALSE(QFileInfo::exists(path("site/images/site")));
}

TEST_F(DirectoryViewerTest, FailedCopiesAreToldInOneAlertNamingThem)
{
    TestUtil::writeFile(path("site/images/one.txt"), "already here");
    Posted posted;
    EXPECT_TRUE(drop(*files({path("outside/one.txt"), path("outside/gone.txt"), path("outside/two.txt")})));
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts.first().contains(QStringLiteral("\"one.txt\"")));
    EXPECT_TRUE(alerts.first().contains(QStringLiteral("\"gone.txt\"")));
    EXPECT_FALSE(alerts.first().contains(QStringLiteral("two.txt")));
    EXPECT_EQ(TestUtil::readFile(path("site/images/one.txt")), "already here");
    EXPECT_EQ(TestUtil::readFile(path("site/images/two.txt")), "two");
    EXPECT_EQ(posted.names.size(), 3);
}

TEST_F(DirectoryViewerTest, DragsOfFilesShowMoveOrCopyAndOthersNothing)
{
    const auto outside = files({path("outside/one.txt")});
    EXPECT_EQ(over(*outside), std::make_pair(Qt::MoveAction, Qt::CopyAction));
    EXPECT_EQ(over(*outside, Qt::ControlModifier).first, Qt::CopyAction);
    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.com/one.txt"))});
    EXPECT_EQ(over(remote), std::make_pair(Qt::IgnoreAction, Qt::IgnoreAction));
    // A resource group of the preview is no folder to copy into.
    viewer.setDirectory(nullptr);
    EXPECT_EQ(over(*outside), std::make_pair(Qt::IgnoreAction, Qt::IgnoreAction));
}

TEST_F(DirectoryViewerTest, ADoubleClickPostsOnlyForAFolder)
{
    Posted posted;
    auto doubleClick = [this](const char *name) {
        const QPoint cell = cellOf(QString::fromLatin1(name));
        QTest::mouseClick(surface(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(surface(), Qt::LeftButton, {}, cell);
    };
    doubleClick("a.png");
    doubleClick("page.html");
    EXPECT_TRUE(posted.names.isEmpty());
    doubleClick("icons");
    EXPECT_EQ(posted.names, QStringList{QStringLiteral("changeDirectory")});
    ASSERT_EQ(posted.files.size(), 1);
    EXPECT_EQ(posted.files.first()->displayName(), QStringLiteral("icons"));
}

TEST_F(DirectoryViewerTest, ItemsGoOutAsFilesFromTheLastToTheFirst)
{
    QMimeData data;
    EXPECT_EQ(viewer.imageBrowserWriteItemsAtIndexes({0, 2}, &data), 2);
    EXPECT_EQ(FileDragPasteboard::fileNames(&data),
              (QStringList{items.objectAtIndex(2)->path(), items.objectAtIndex(0)->path()}));
}

TEST_F(DirectoryViewerTest, AnItemWhoseFileIsDestroyedLeavesTheBrowser)
{
    const int before = items.count();
    QFile::remove(path("site/images/page.html"));
    images->setUpChildren();
    EXPECT_EQ(items.count(), before - 1);
    EXPECT_EQ(viewer.imageBrowserView()->model()->rowCount(), before - 1);
}

TEST_F(DirectoryViewerTest, PicturesShowTheirThumbnailOtherItemsTheirIcon)
{
    ImageBrowserView *browser = viewer.imageBrowserView();
    browser->updateWantedThumbnails();
    browser->thumbnails()->waitForDone();
    EXPECT_EQ(browser->thumbnails()->thumbnail(path("site/images/a.png")).size(), QSize(40, 30));
    EXPECT_TRUE(browser->thumbnails()->thumbnail(path("site/images/page.html")).isNull());
    EXPECT_TRUE(ImageBrowserView::isImagePath(QStringLiteral("x/Photo.JPG")));
    EXPECT_FALSE(ImageBrowserView::isImagePath(QStringLiteral("x/page.html")));
}

TEST(ImageBrowserView, PinchAndCtrlWheelZoomByTheSameSteps)
{
    ImageBrowserView view;
    view.resize(300, 200);
    auto pinch = [&view](double magnification) {
        QNativeGestureEvent event(Qt::ZoomNativeGesture, QPointingDevice::primaryPointingDevice(), 2, QPointF(10, 10),
                                  QPointF(10, 10), QPointF(10, 10), magnification, QPointF());
        QCoreApplication::sendEvent(view.viewport(), &event);
    };
    view.setZoomValue(0.5);
    pinch(0.7);
    EXPECT_DOUBLE_EQ(view.zoomValue(), 1.2);
    pinch(0.3);
    EXPECT_DOUBLE_EQ(view.zoomValue(), 1.2);
    view.setZoomValue(0.4);
    pinch(-0.2);
    EXPECT_DOUBLE_EQ(view.zoomValue(), 0.3);
    pinch(0);
    EXPECT_DOUBLE_EQ(view.zoomValue(), 0.3);

    view.setZoomValue(0.5);
    QWheelEvent wheel(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view.viewport(), &wheel);
    EXPECT_DOUBLE_EQ(view.zoomValue(), 0.6);
    EXPECT_EQ(view.iconSize(), QSize(view.imageEdge(), view.imageEdge()));
}

TEST(ImageViewer, ADragOfThePictureHoldsExactlyItsFile)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("logo.png"));
    QImage(8, 8, QImage::Format_RGB32).save(picture);
    File file(picture, false, nullptr);
    ImageViewer viewer;
    viewer.setImageFile(&file);
    std::unique_ptr<QMimeData> data(viewer.draggingPasteboard());
    ASSERT_TRUE(data);
    EXPECT_EQ(data->urls(), QList<QUrl>{QUrl::fromLocalFile(picture)});
    EXPECT_EQ(data->formats(), QStringList{QStringLiteral("text/uri-list")});
    EXPECT_EQ(viewer.image().size(), QSize(8, 8));

    // A resource of a page has no file to give.
    File web;
    viewer.setImageFile(&web);
    EXPECT_EQ(viewer.draggingPasteboard(), nullptr);
}

} // namespace

namespace {

class ThumbnailsInTheWindow : public WorkspaceTest
{
};

TEST_F(ThumbnailsInTheWindow, ASubFolderIsDrawnWithItsIconUnderADesktopThatNamesTheBareFallbackTheme)
{
    // A bare window manager names "hicolor", which holds no folder icon.
    const QString theme = QIcon::themeName();
    QIcon::setThemeName(QStringLiteral("hicolor"));
    remember({path("site")});
    launch();
    delegate->ui().window->resize(1280, 800);
    delegate->ui().window->show();
    select(node("site/css"));
    DirectoryViewer *browser = viewer()->directoryViewer();
    ASSERT_EQ(browser->directory(), node("site/css"));
    ImageBrowserView *view = browser->imageBrowserView();
    view->doItemsLayout();
    const QRect cell = view->visualRect(browser->directoryArrayController()->index(0));
    ASSERT_EQ(browser->directoryArrayController()->objectAtIndex(0)->displayName(), QStringLiteral("deep"));
    ASSERT_TRUE(view->viewport()->rect().contains(cell));
    const QImage shot = view->viewport()->grab().toImage();
    const QRgb background = shot.pixel(cell.topLeft() + QPoint(1, 1));
    const QRect square(cell.center().x() - cell.width() / 4, cell.top() + cell.height() / 4, cell.width() / 2, cell.height() / 3);
    int drawn = 0;
    for (int y = square.top(); y <= square.bottom(); ++y) {
        for (int x = square.left(); x <= square.right(); ++x)
            drawn += shot.pixel(x, y) != background;
    }
    EXPECT_GT(drawn, square.width() * square.height() / 10) << "the folder's icon is not drawn";
    QIcon::setThemeName(theme);
}

TEST_F(ThumbnailsInTheWindow, AFolderChosenShowsItsItemsAndOneThatWentShowsNone)
{
    remember({path("site")});
    launch();
    select(node("site/css"));
    DirectoryViewer *browser = viewer()->directoryViewer();
    ASSERT_EQ(viewer()->mainFile(), node("site/css"));
    EXPECT_TRUE(browser->isVisibleTo(delegate->ui().window));
    EXPECT_EQ(browser->directory(), node("site/css"));
    ASSERT_EQ(browser->directoryArrayController()->count(), 2);
    EXPECT_EQ(browser->directoryArrayController()->objectAtIndex(1)->displayName(), QStringLiteral("main.css"));

    // The folder goes; asked to show it again, the browser shows nothing.
    File *css = node("site/css");
    QDir(path("site/css")).removeRecursively();
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("refreshDirectory"), browser,
                                                             {{QStringLiteral("file"), QVariant::fromValue(css)}});
    EXPECT_EQ(browser->directoryArrayController()->count(), 0);

    if (::geteuid() != 0) {
        // A folder that cannot be read shows empty too (the log names it).
        QFile::setPermissions(path("site/js"), {});
        select(node("site/js"));
        EXPECT_EQ(browser->directoryArrayController()->count(), 0);
        QFile::setPermissions(path("site/js"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

} // namespace
