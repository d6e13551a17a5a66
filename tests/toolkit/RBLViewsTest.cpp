#include "toolkit/RBLCAAnimationDelegate.h"
#include "toolkit/RBLHTMLView.h"
#include "toolkit/RBLScrollView.h"
#include "toolkit/RBLClipView.h"
#include "toolkit/RBLShadowedTextFieldCell.h"
#include "toolkit/RBLTableCellView.h"
#include "toolkit/RBLTableView.h"
#include "toolkit/RBLView.h"
#include "toolkit/RBLViewController.h"
#include "toolkit/ViewRBLAnimationAdditions.h"
#include "toolkit/ViewRBLViewControllerAdditions.h"

#include "platform/kit/AnimationContext.h"
#include "platform/kit/TableDataSource.h"

#include "TestUtil.h"

#include <QDesktopServices>
#include <QPropertyAnimation>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace ViewRBLAnimationAdditions;

namespace {

class CountingView : public RBLView
{
public:
    using RBLView::RBLView;
    int paints = 0;

protected:
    void drawRect(QPainter &, const QRect &) override { ++paints; }
};

TEST(RBLView, RedrawsDuringResizeOnlyWhenItDrawsByItself)
{
    RBLView plain;
    CountingView drawing(nullptr, RBLView::Drawing::Custom);
    EXPECT_EQ(plain.layerContentsRedrawPolicy(), RBLView::RedrawPolicy::Never);
    EXPECT_EQ(drawing.layerContentsRedrawPolicy(), RBLView::RedrawPolicy::DuringViewResize);
    EXPECT_TRUE(plain.clearsContextBeforeDrawing());
}

TEST(RBLView, SettingFlippedToItsValueRequestsNoDrawing)
{
    CountingView view(nullptr, RBLView::Drawing::Custom);
    view.resize(20, 20);
    view.show();
    TestUtil::waitUntil([&] { return view.paints > 0; }, 1000);
    const int painted = view.paints;
    view.setFlipped(false);
    TestUtil::spin(30);
    EXPECT_EQ(view.paints, painted);
    view.setFlipped(true);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return view.paints > painted; }, 1000));
}

TEST(RBLView, FillsItsBackgroundWithRoundedCorners)
{
    RBLView view;
    view.resize(20, 20);
    view.setBackgroundColor(Qt::red);
    view.setCornerRadius(8);
    const QImage image = view.grab().toImage();
    EXPECT_EQ(image.pixelColor(10, 10), QColor(Qt::red));
    EXPECT_NE(image.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_TRUE(view.description().startsWith(QStringLiteral("<RBLView: ")));
}

class Lifecycle : public RBLViewController
{
public:
    QStringList *log;
    QString name;
    Lifecycle(QStringList *l, QString n) : log(l), name(std::move(n)) {}
    void viewDidMoveToSuperview() override { *log << name + " didMoveToSuperview"; }
    void viewWasRemovedFromSuperview() override { *log << name + " wasRemoved"; }
    void viewWillAppear() override { *log << name + " willAppear"; }
    void viewDidLoad() override { *log << name + " didLoad"; }
};

TEST(RBLViewController, OnlyTheLastControllerOfAViewHearsOfIt)
{
    QStringList log;
    Lifecycle first(&log, QStringLiteral("first"));
    Lifecycle second(&log, QStringLiteral("second"));
    QWidget parent;
    auto *view = new QWidget;
    ViewRBLViewControllerAdditions::rbl_setViewController(view, &first);
    ViewRBLViewControllerAdditions::rbl_setViewController(view, &second);
    EXPECT_EQ(ViewRBLViewControllerAdditions::rbl_viewController(view), &second);
    view->setParent(&parent);
    view->setParent(nullptr);
    EXPECT_EQ(log, (QStringList{"second didMoveToSuperview", "second wasRemoved"}));
    ViewRBLViewControllerAdditions::rbl_setViewController(view, nullptr);
    view->setParent(&parent);
    EXPECT_EQ(log.size(), 2);
}

TEST(RBLViewController, APlainControllerHearsNothing)
{
    QStringList log;
    ViewController plain;
    QWidget parent;
    auto *view = new QWidget;
    ViewRBLViewControllerAdditions::rbl_setViewController(view, &plain);
    view->setParent(&parent);
    EXPECT_EQ(ViewRBLViewControllerAdditions::rbl_viewController(view), &plain);
    EXPECT_TRUE(log.isEmpty());
}

TEST(RBLViewController, LoadsItsViewAndAttachesItself)
{
    QStringList log;
    Lifecycle controller(&log, QStringLiteral("c"));
    QWidget *view = controller.view();
    EXPECT_EQ(log, QStringList{"c didLoad"});
    EXPECT_EQ(ViewRBLViewControllerAdditions::rbl_viewController(view), &controller);
    view->show();
    EXPECT_TRUE(log.contains(QStringLiteral("c willAppear")));
}

class Rows : public TableDataSource
{
public:
    int numberOfRowsInTableView(TableView *) override { return 50; }
    QVariant objectValueForTableColumn(TableView *, int, int row, int role) override
    {
        return role == Qt::DisplayRole ? QVariant(row) : QVariant();
    }
};

TEST(RBLTableView, ScrollsOnlyAsFarAsItMustToShowARectangle)
{
    Rows rows;
    RBLTableView table;
    table.setDataSource(&rows);
    table.resize(200, 100 + 2 * table.frameWidth());
    table.show();
    const int h = table.rowHeight();
    // A row below: it ends at the bottom.
    EXPECT_TRUE(table.scrollRectToVisible(QRect(0, 20 * h, 10, h)));
    EXPECT_EQ(table.verticalScrollBar()->value(), 21 * h - 100);
    // A visible row: nothing moves.
    EXPECT_FALSE(table.scrollRectToVisible(QRect(0, 20 * h, 10, h)));
    // A row above: it starts at the top.
    EXPECT_TRUE(table.scrollRectToVisible(QRect(0, 2 * h, 10, h)));
    EXPECT_EQ(table.verticalScrollBar()->value(), 2 * h);
    EXPECT_EQ(table.horizontalScrollBar()->value(), 0);
}

TEST(RBLShadowedTextFieldCell, TakesTheShadowOfTheStyleOrTheOneForAnyStyle)
{
    RBLShadowedTextFieldCell cell;
    Shadow any;
    any.color = Qt::black;
    Shadow dark;
    dark.color = Qt::white;
    cell.setShadow(any, RBLShadowedTextFieldCell::s_anyStyle);
    EXPECT_EQ(cell.shadowForBackgroundStyle(RBLShadowedTextFieldCell::Dark)->color, QColor(Qt::black));
    cell.setShadow(dark, RBLShadowedTextFieldCell::Dark);
    EXPECT_EQ(cell.shadowForBackgroundStyle(RBLShadowedTextFieldCell::Dark)->color, QColor(Qt::white));
    EXPECT_EQ(cell.shadowForBackgroundStyle(RBLShadowedTextFieldCell::Light)->color, QColor(Qt::black));
    cell.setShadow(std::nullopt, RBLShadowedTextFieldCell::s_anyStyle);
    EXPECT_FALSE(cell.shadowForBackgroundStyle(RBLShadowedTextFieldCell::Light));
}

// Receives the URLs the desktop would open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened << url; }
};

TEST(RBLHTMLView, BuildsThePageOnlyFromHTMLAndOnlyWhenItChanges)
{
    RBLHTMLView view;
    view.setCSS(QStringLiteral("p { color: red; }"));
    EXPECT_EQ(view.loadCount(), 0);
    view.setHTML(QStringLiteral("<p>Hello</p>"));
    view.setHTML(QStringLiteral("<p>Hello</p>"));
    EXPECT_EQ(view.loadCount(), 1);
    EXPECT_EQ(view.toPlainText().trimmed(), QStringLiteral("Hello"));
    EXPECT_TRUE(RBLHTMLView::pageText(QStringLiteral("X"), QStringLiteral("Y"))
                    .endsWith(QStringLiteral("color: #911;     } X</style> <body>Y</body> ")));
}

TEST(RBLHTMLView, OpensAClickedLinkOutsideAndKeepsItsPage)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    RBLHTMLView view;
    view.setHTML(QStringLiteral("<a href=\"https://example.org/\">link</a>"));
    Q_EMIT view.anchorClicked(QUrl(QStringLiteral("https://example.org/")));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl(QStringLiteral("https://example.org/"))});
    EXPECT_EQ(view.toPlainText().trimmed(), QStringLiteral("link"));
}

TEST(RBLScrollView, KeepsItsDocumentWhenItSwapsTheClipView)
{
    RBLScrollView scroll;
    auto *document = new QWidget;
    scroll.setWidget(document);
    scroll.swapClipView();
    EXPECT_NE(scroll.clipView(), nullptr);
    EXPECT_EQ(scroll.widget(), document);
    EXPECT_EQ(scroll.clipView()->backgroundColor().alpha(), 0);
}

class ReusedCell : public RBLTableCellView
{
public:
    int prepared = 0;
    void prepareForReuse() override { ++prepared; }
};

TEST(RBLTableCellView, GetsReadyForReuseWhenItLeavesItsParent)
{
    QWidget parent;
    ReusedCell cell;
    cell.setParent(&parent);
    EXPECT_EQ(cell.prepared, 0);
    cell.setParent(nullptr);
    EXPECT_EQ(cell.prepared, 1);
}

TEST(ViewRBLAnimationAdditions, KnowsWhenItRunsInsideAnAnimationBlock)
{
    QList<bool> inside;
    bool completed = false;
    rbl_animate(
        [&](AnimationContext &) {
            inside << rbl_isInAnimationContext();
            rbl_animate([&](AnimationContext &) { inside << rbl_isInAnimationContext(); });
            inside << rbl_isInAnimationContext();
        },
        [&] { completed = true; });
    inside << rbl_isInAnimationContext();
    EXPECT_EQ(inside, (QList<bool>{true, true, true, false}));
    EXPECT_FALSE(completed);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return completed; }, 1000));
}

TEST(ViewRBLAnimationAdditions, TheAnimatorSetsAtOnceOutsideABlockAndAnimatesInside)
{
    QObject target;
    target.setProperty("level", 1.0);
    rbl_animator(&target).setProperty("level", 2.0);
    EXPECT_EQ(target.property("level").toDouble(), 2.0);
    QWidget widget;
    widget.setWindowOpacity(1.0);
    rbl_animateWithDuration(0.03, [&] { rbl_animator(&widget).setProperty("windowOpacity", 0.0); }, {});
    EXPECT_DOUBLE_EQ(widget.windowOpacity(), 1.0);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return widget.windowOpacity() == 0.0; }, 2000));
}

TEST(RBLCAAnimationDelegate, TellsWhetherTheAnimationRanToItsEnd)
{
    QObject target;
    target.setProperty("x", 0.0);
    QList<bool> ends;
    auto *finishing = new QPropertyAnimation(&target, "x");
    finishing->setDuration(10);
    finishing->setEndValue(1.0);
    AnimationRBLBlockAdditions::rbl_setCompletionBlock(finishing, [&](bool finished) { ends << finished; });
    EXPECT_TRUE(bool(AnimationRBLBlockAdditions::rbl_completionBlock(finishing)));
    finishing->start(QAbstractAnimation::DeleteWhenStopped);
    ASSERT_TRUE(TestUtil::waitUntil([&] { return ends.size() == 1; }, 2000));

    QPropertyAnimation stopped(&target, "x");
    stopped.setDuration(10000);
    stopped.setEndValue(2.0);
    AnimationRBLBlockAdditions::rbl_setCompletionBlock(&stopped, [&](bool finished) { ends << finished; });
    stopped.start();
    stopped.stop();
    EXPECT_EQ(ends, (QList<bool>{true, false}));
}

} // namespace

#include "RBLViewsTest.moc"
