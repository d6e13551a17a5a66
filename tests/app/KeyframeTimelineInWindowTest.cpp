#include "WorkspaceTestSupport.h"

#include "app/EXWindow.h"
#include "app/MainMenu.h"
#include "app/PanePlaceholder.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"
#include "preview/PreviewDelegate.h"
#include "stylemanager/AnimationManager.h"
#include "stylemanager/MultiThumbSlider.h"
#include "stylemanager/TimelineCell.h"
#include "stylemanager/TimelineListView.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QToolButton>

#include <gtest/gtest.h>

namespace KeyframeTimelineInWindowTest {

namespace {

const QByteArray kSheet = "h1 { animation-name: fade; animation-duration: 3s; }\n"
                          "@keyframes fade {\n"
                          "    from { opacity: 0; }\n"
                          "    to { opacity: 1; }\n"
                          "}\n";

// The whole program with a page whose style sheet has an animation.
class KeyframeTimelineInWindow : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        TestUtil::writeFile(path("site/css/site.css"), kSheet);
        TestUtil::writeFile(path("site/index.html"),
                            "<!DOCTYPE html><link rel=stylesheet href=css/site.css><h1 id=title>Home</h1>");
        remember({path("site")});
        launch();
        preview = dynamic_cast<PreviewDelegate *>(controller()->previewHalf());
        timeline = delegate->findChild<AnimationManager *>(QStringLiteral("animationManager"));
        ASSERT_TRUE(preview && timeline);
        QObject::connect(preview, &PreviewDelegate::loadCompleted, preview, [this] { ++completions; });
        delegate->ui().window->show();
    }

    void send(const char *action)
    {
        QAction *item = delegate->ui().mainMenu->itemForAction(QString::fromLatin1(action));
        ASSERT_TRUE(item);
        delegate->ui().mainMenu->validateAll();
        ASSERT_TRUE(item->isEnabled()) << action;
        item->trigger();
    }

    PreviewDelegate *preview = nullptr;
    AnimationManager *timeline = nullptr;
    int completions = 0;
};

} // namespace

TEST_F(KeyframeTimelineInWindow, TheKeyframeButtonShowsThePagesAnimationWhereAKeyframeIsAddedAndUndone)
{
    EXPECT_EQ(delegate->ui().keyframeEditorPane->contentView(), timeline->view());
    select(node("site/index.html"));
    controller()->doubleClick();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return completions > 0; }, 15000));
    delegate->ui().keyframePaneExpandButton->click();
    ASSERT_TRUE(TestUtil::waitUntil([&] {
        return timeline->animationListView()->numberOfRows() == 1 && !timeline->isSettingUpTracks()
               && timeline->view()->isVisible();
    }));
    EXPECT_EQ(timeline->animationListView()->model()->data(timeline->animationListView()->indexForRow(0, 0)).toString(),
              QStringLiteral("fade"));
    // Opened, the pane has room for its ruler and three tracks.
    TimelineListView *list = timeline->animationListView();
    EXPECT_GE(list->viewport()->height(), 3 * list->rowHeight());
    EXPECT_TRUE(list->header()->isVisible());
    TimelineCell *cell = timeline->cellOfRow(0);
    ASSERT_TRUE(cell);
    MultiThumbSlider *slider = cell->timelineSlider();
    ASSERT_EQ(slider->items().size(), 2);

    // A double-click halfway along the track adds a keyframe to the sheet.
    const QPointF point(8 + 0.5 * (slider->width() - 16), slider->height() / 2.0);
    for (const auto &[type, buttons] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton},
                                        std::pair{QEvent::MouseButtonRelease, Qt::NoButton},
                                        std::pair{QEvent::MouseButtonDblClick, Qt::LeftButton},
                                        std::pair{QEvent::MouseButtonRelease, Qt::NoButton}}) {
        QMouseEvent event(type, point, slider->mapToGlobal(point), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(slider, &event);
    }
    File *sheet = node("site/css/site.css");
    ASSERT_TRUE(sheet);
    BalkInvocationManager *batcher = delegate->balkInvocationManager();
    TestUtil::waitUntil([batcher] { return batcher->operations().isEmpty(); }, 5000);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return timeline->cellOfRow(0)->timelineSlider()->items().size() == 3; }));
    const QString text = *sheet->currentContent();
    EXPECT_TRUE(text.contains(QStringLiteral("50% {")) || text.contains(QStringLiteral("49% {"))) << text.toStdString();
    // The page's rule has it too.
    auto *rules = dynamic_cast<CSSOutlineDelegate *>(delegate->cssOutlineDelegate());
    const DOMCSSRulePtr live = rules->domCSSRuleByStyleDeclaration(timeline->rows().value(0));
    ASSERT_TRUE(live);
    EXPECT_EQ(live->cssRules().length(), 3);

    // Edit > Undo takes it out of the sheet and the track.
    InspectUndoManager *undo = delegate->sharedUndoManager();
    ASSERT_TRUE(TestUtil::waitUntil([undo] { return undo->groupingLevel() == 0 && undo->canUndo(); }));
    send("undo:");
    EXPECT_EQ(sheet->currentContent()->toUtf8(), kSheet);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return timeline->cellOfRow(0)->timelineSlider()->items().size() == 2; }));
    EXPECT_EQ(live->cssRules().length(), 2);
}

} // namespace KeyframeTimelineInWindowTest
