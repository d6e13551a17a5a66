#include "LivePanel.h"

#include "stylemanager/AnimationManager.h"
#include "stylemanager/KeyframeThumb.h"
#include "stylemanager/MultiThumbSlider.h"
#include "stylemanager/TimelineCell.h"
#include "stylemanager/TimelineListView.h"

#include "interfaces/ExWebViewInterface.h"
#include "platform/kit/Alert.h"
#include "workspace/ProjectUtil.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFrame>
#include <QHeaderView>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

namespace TimelineLiveTest {

namespace {

const QByteArray kSheet = R"(@-webkit-keyframes fade {
    from { opacity: 0; }
    50% { opacity: 0.5; }
    to { opacity: 1; }
}
@keyframes fade {
    from { opacity: 0; }
    50% { opacity: 0.5; }
    to { opacity: 1; }
}
@keyframes spin {
    0% { left: 0px; }
    100% { left: 10px; }
}
@keyframes {
    from { top: 0; }
}
@-webkit-keyframes a b {
    from { top: 0; }
}
.fading { animation-name: fade; animation-duration: 10s; animation-iteration-count: infinite; }
.spinning { position: relative; animation-name: spin; animation-duration: 10s; }
)";

const QByteArray kPage = "<!DOCTYPE html><link rel=stylesheet href=site.css>"
                         "<div id=a class=fading>a</div><div id=b class=fading>b</div><div id=s class=spinning>s</div>"
                         "<script>window.spins = 0; document.addEventListener('animationstart', function (e) {"
                         " if (e.animationName === 'spin') window.spins++; });</script>";

// The preview as the rules panel frames elements in it: the ids framed last.
class FramingView : public ExWebViewInterface
{
public:
    QWidget *view() override { return &widget; }
    int detectState() const override { return state; }
    void setDetectState(int value) override { state = value; }
    bool isDetectViewShown() const override { return false; }
    void showDetectLayer() override {}
    void hideDetectLayer() override {}
    void displayElementMenu() override {}
    void showRelatedElementsBounds(const QList<DOMNodePtr> &elements) override
    {
        framed.clear();
        for (const DOMNodePtr &node : elements) {
            if (auto *element = dynamic_cast<DOMElement *>(node.get()))
                framed << element->getAttribute(QStringLiteral("id"));
        }
    }
    void hideRelatedElementsBounds() override { framed.clear(); }
    void scrollIntoView(DOMNode *) override {}
    bool hasElementAtPoint(const QPointF &) const override { return false; }
    QImage captureImage() override { return {}; }
    QString mainFrameURL() const override { return {}; }

    QWidget widget;
    int state = DetectOff;
    QStringList framed;
};

class Timeline : public ::testing::Test
{
protected:
    Timeline()
    {
        Alert::setResponder([this](Alert &alert) {
            alerts << alert.messageText();
            return int(Alert::DefaultReturn);
        });
        live.panel.setWebview([this]() -> ExWebViewInterface * { return &webview; });
        live.panel.setAnimationManager(&manager);
        manager.setCssOutlineDelegate(&live.panel);
        manager.awakeFromNib();
        manager.view()->resize(640, 220);
        manager.view()->show();
    }
    ~Timeline() override
    {
        live.panel.setAnimationManager(nullptr);
        Alert::setResponder({});
    }

    void load(const QByteArray &sheet = kSheet, const QVariantMap &settings = {})
    {
        ASSERT_TRUE(live.load({{QStringLiteral("site.css"), sheet}, {QStringLiteral("index.html"), kPage}},
                              QStringLiteral("index.html"), settings));
        file = live.file(QStringLiteral("site.css"));
        ASSERT_NE(file, nullptr);
        original = *file->currentContent();
        // As the preview tells the panel once the page's tree is built.
        live.panel.setPageDocument(live.document());
        manager.reset();
        settle();
    }
    // Waits until the tracks show the rows of the last reload.
    void settle()
    {
        TestUtil::waitUntil([this] { return !manager.isSettingUpTracks(); }, 5000);
    }
    void drag(MultiThumbSlider *slider, double from, double to)
    {
        send(slider, QEvent::MouseButtonPress, at(slider, from), Qt::LeftButton);
        send(slider, QEvent::MouseMove, at(slider, to), Qt::LeftButton);
        send(slider, QEvent::MouseButtonRelease, at(slider, to), Qt::NoButton);
        live.settleWrites();
        settle();
    }
    void deleteAt(MultiThumbSlider *slider, double ratio)
    {
        click(slider, at(slider, ratio));
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QApplication::sendEvent(slider, &key);
        live.settleWrites();
        settle();
    }
    void undoStep()
    {
        live.undo.undo();
        live.settleWrites();
        settle();
    }
    QString text() const { return *file->currentContent(); }
    TimelineListView *list() const { return manager.animationListView(); }

    int rowOf(const QString &selector) const
    {
        for (int row = 0; row < list()->numberOfRows(); ++row) {
            if (static_cast<StyleDeclaration *>(list()->itemAtRow(row))->selector() == selector)
                return row;
        }
        return -1;
    }
    MultiThumbSlider *track(const QString &selector) const
    {
        TimelineCell *cell = manager.cellOfRow(rowOf(selector));
        return cell ? cell->timelineSlider() : nullptr;
    }
    static QStringList keys(MultiThumbSlider *slider)
    {
        QStringList list;
        for (const MultiThumbSlider::Item &item : slider->items())
            list << KeyframeThumb::offsetOf(keyframeOf(item)->selector(), std::static_pointer_cast<KeyframeOffset>(item)->index);
        return list;
    }
    static StyleDeclarationPtr keyframeOf(const MultiThumbSlider::Item &item)
    {
        return std::static_pointer_cast<KeyframeOffset>(item)->keyframe;
    }
    static QPointF at(MultiThumbSlider *slider, double ratio)
    {
        return QPointF(8 + ratio * (slider->width() - 16), slider->height() / 2.0);
    }
    static void send(MultiThumbSlider *slider, QEvent::Type type, const QPointF &point, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, point, slider->mapToGlobal(point), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(slider, &event);
    }
    static void click(MultiThumbSlider *slider, const QPointF &point)
    {
        send(slider, QEvent::MouseButtonPress, point, Qt::LeftButton);
        send(slider, QEvent::MouseButtonRelease, point, Qt::NoButton);
    }
    // The keyframes of the page's rule at the index, by their key texts.
    QString liveKeys(int rule)
    {
        live.fixture->settle();
        return live.fixture
            ->evaluate(QStringLiteral("Array.from(document.styleSheets[0].cssRules[%1].cssRules).map(function (k) {"
                                      " return k.keyText; }).join(' ')")
                           .arg(rule))
            .toString();
    }
    // Where the playhead should stand for a percentage, from the ruler's column.
    int capoX(double percentage) const
    {
        const double x = list()->header()->sectionViewportPosition(1);
        const double w = list()->header()->sectionSize(1);
        return int(int(w - 20) * (percentage / 100) + int(x + 10)) - 1;
    }

    QStringList alerts;
    FramingView webview;
    LivePanel live;
    AnimationManager manager;
    File *file = nullptr;
    QString original;
};

} // namespace

TEST(StringKeyframesName, IsTheSecondOfExactlyTwoWords)
{
    EXPECT_EQ(AnimationManager::nameOfRule(*CSSOutlineDelegate::createNewKeyframe(QStringLiteral("@-webkit-keyframes fade"))),
              QStringLiteral("fade"));
    EXPECT_EQ(AnimationManager::nameOfRule(*CSSOutlineDelegate::createNewKeyframe(QStringLiteral("@keyframes"))),
              QStringLiteral("no name"));
    EXPECT_EQ(AnimationManager::nameOfRule(*CSSOutlineDelegate::createNewKeyframe(QStringLiteral("@keyframes a b"))),
              QStringLiteral("no name"));
    EXPECT_EQ(AnimationManager::nameOfRule(*CSSOutlineDelegate::createNewKeyframe(QStringLiteral("@keyframes  a"))),
              QStringLiteral("no name"));
}

TEST_F(Timeline, ListsOneRowPerAnimationAndNoNameForOtherSelectors)
{
    load();
    QStringList rows;
    for (int row = 0; row < list()->numberOfRows(); ++row)
        rows << list()->model()->data(list()->indexForRow(row, 0)).toString();
    rows.sort();
    EXPECT_EQ(rows, (QStringList{"fade", "no name", "no name", "spin"}));
    // The prefixed rule stands for both; an unprefixed-only animation is listed.
    EXPECT_GE(rowOf(QStringLiteral("@-webkit-keyframes fade")), 0);
    EXPECT_EQ(rowOf(QStringLiteral("@keyframes fade")), -1);
    ASSERT_NE(track(QStringLiteral("@keyframes spin")), nullptr);
    EXPECT_EQ(keys(track(QStringLiteral("@keyframes spin"))), (QStringList{"0%", "100%"}));
    EXPECT_EQ(keys(track(QStringLiteral("@-webkit-keyframes fade"))), (QStringList{"from", "50%", "to"}));
}

TEST_F(Timeline, ARuleOfHundredsOfKeyframesAndOddKeysShowsOnItsTrack)
{
    QByteArray sheet = "@keyframes many {\n";
    for (int i = 0; i < 300; ++i)
        sheet += QByteArray::number(i / 3.0, 'f', 2) + "% { top: " + QByteArray::number(i) + "px; }\n";
    sheet += "middle { top: 0; }\n}\n";
    load(sheet);
    MultiThumbSlider *slider = track(QStringLiteral("@keyframes many"));
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->items().size(), 301);
    // A key without a number sits at the start.
    for (const MultiThumbSlider::Item &item : slider->items()) {
        if (keyframeOf(item)->selector() == QLatin1String("middle")) {
            EXPECT_EQ(slider->thumbWithItem(item)->x(), 0);
        }
    }
}

TEST_F(Timeline, SelectingARowShowsItsRuleFramesItsElementsAndArrowsMoveOn)
{
    load();
    const int fade = rowOf(QStringLiteral("@-webkit-keyframes fade"));
    list()->selectRowIndexes({fade}, false);
    EXPECT_EQ(live.panel.displaySelectorType(), CSSOutlineDelegate::KeyframesRules);
    ASSERT_NE(live.panel.shownKeyframesRule(), nullptr);
    EXPECT_EQ(live.panel.shownKeyframesRule()->selector(), QStringLiteral("@-webkit-keyframes fade"));
    EXPECT_EQ(webview.framed, (QStringList{"a", "b"}));
    EXPECT_FALSE(manager.capo()->isVisible());

    // Up and Down move through the rows.
    list()->setFocus();
    const bool last = fade == list()->numberOfRows() - 1;
    QKeyEvent key(QEvent::KeyPress, last ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(list(), &key);
    EXPECT_EQ(list()->selectedRow(), last ? fade - 1 : fade + 1);
    EXPECT_EQ(live.panel.shownKeyframesRule().get(), list()->itemAtRow(list()->selectedRow()));
}

TEST_F(Timeline, ClickingAThumbShowsItsKeyframeAndPlacesThePlayhead)
{
    load();
    MultiThumbSlider *slider = track(QStringLiteral("@-webkit-keyframes fade"));
    ASSERT_NE(slider, nullptr);
    click(slider, at(slider, 0.5));
    // The click selected the row first, then the keyframe.
    EXPECT_EQ(list()->selectedRow(), rowOf(QStringLiteral("@-webkit-keyframes fade")));
    ASSERT_NE(live.panel.shownKeyframe(), nullptr);
    EXPECT_EQ(live.panel.shownKeyframe()->selector(), QStringLiteral("50%"));
    ASSERT_TRUE(manager.capo()->isVisible());
    EXPECT_EQ(manager.capo()->x(), capoX(50));
    EXPECT_EQ(manager.capo()->height(), list()->viewport()->height());

    MultiThumbSlider *spin = track(QStringLiteral("@keyframes spin"));
    click(spin, at(spin, 1));
    EXPECT_EQ(manager.capo()->x(), capoX(100));
    // The thumb of the row left is no longer marked.
    EXPECT_EQ(slider->selectedThumb(), nullptr);

    // "from" has no number: no playhead; a click on the row itself clears the keyframe.
    click(slider, at(slider, 0));
    EXPECT_FALSE(manager.capo()->isVisible());
    click(slider, at(slider, 0.5));
    EXPECT_TRUE(manager.capo()->isVisible());
    TimelineCell *cell = manager.cellOfRow(list()->selectedRow());
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), cell->mapToGlobal(QPointF(1, 1)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(cell, &press);
    EXPECT_FALSE(manager.capo()->isVisible());
    EXPECT_EQ(slider->selectedThumb(), nullptr);
    EXPECT_EQ(live.panel.shownKeyframe(), nullptr);
}

TEST_F(Timeline, ADoubleClickAddsAWholePercentKeyframeToFileAndPageAndOneUndoTakesItOut)
{
    load();
    MultiThumbSlider *slider = track(QStringLiteral("@-webkit-keyframes fade"));
    ASSERT_NE(slider, nullptr);
    const QPointF point = at(slider, 0.3);
    send(slider, QEvent::MouseButtonPress, point, Qt::LeftButton);
    send(slider, QEvent::MouseButtonRelease, point, Qt::NoButton);
    send(slider, QEvent::MouseButtonDblClick, point, Qt::LeftButton);
    send(slider, QEvent::MouseButtonRelease, point, Qt::NoButton);
    live.settleWrites();
    settle();
    const QString key = keys(track(QStringLiteral("@-webkit-keyframes fade"))).value(1);
    EXPECT_TRUE(key == QLatin1String("29%") || key == QLatin1String("30%")) << key.toStdString();
    EXPECT_EQ(text().count(key + QStringLiteral(" {")), 2) << text().toStdString();
    EXPECT_TRUE(liveKeys(0).contains(key));
    EXPECT_TRUE(liveKeys(1).contains(key));
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Insert Keyframe With Property"));

    // Asked for again at that percentage ("Add Keyframe At"), nothing is added.
    MultiThumbSlider *again = track(QStringLiteral("@-webkit-keyframes fade"));
    const QString before = text();
    again->addItemAtRatio(KeyframeThumb::ratioOfSelector(key) + 0.001);
    settle();
    EXPECT_EQ(text(), before);
    EXPECT_EQ(again->items().size(), 4);

    live.undo.undo();
    settle();
    EXPECT_EQ(text(), original);
    EXPECT_FALSE(liveKeys(1).contains(key));
    EXPECT_EQ(keys(track(QStringLiteral("@-webkit-keyframes fade"))), (QStringList{"from", "50%", "to"}));
}

TEST_F(Timeline, ADragToAFreePercentageRenamesTheKeyframeInFileAndPage)
{
    load();
    MultiThumbSlider *slider = track(QStringLiteral("@-webkit-keyframes fade"));
    ASSERT_NE(slider, nullptr);
    send(slider, QEvent::MouseButtonPress, at(slider, 0.5), Qt::LeftButton);
    send(slider, QEvent::MouseMove, at(slider, 0.6), Qt::LeftButton);
    // The playhead follows the thumb.
    const int moving = manager.capo()->x();
    send(slider, QEvent::MouseMove, at(slider, 0.755), Qt::LeftButton);
    EXPECT_GT(manager.capo()->x(), moving);
    send(slider, QEvent::MouseButtonRelease, at(slider, 0.755), Qt::NoButton);
    live.settleWrites();
    settle();
    EXPECT_FALSE(text().contains(QStringLiteral("50%"))) << text().toStdString();
    EXPECT_EQ(text().count(QStringLiteral("75% {")), 2);
    EXPECT_EQ(liveKeys(1), QStringLiteral("0% 100% 75%"));
    EXPECT_EQ(keys(track(QStringLiteral("@-webkit-keyframes fade"))), (QStringList{"from", "75%", "to"}));
    // The moved keyframe stays marked, the playhead on it.
    ASSERT_NE(manager.lastSelection(), nullptr);
    EXPECT_EQ(manager.lastSelection()->selector(), QStringLiteral("75%"));
    EXPECT_EQ(manager.capo()->x(), capoX(75));
    live.undo.undo();
    settle();
    EXPECT_EQ(text(), original);
}

TEST_F(Timeline, ADropOnATakenPercentageShowsTheCancelImageAndPutsTheThumbBack)
{
    load();
    MultiThumbSlider *slider = track(QStringLiteral("@-webkit-keyframes fade"));
    ASSERT_NE(slider, nullptr);
    send(slider, QEvent::MouseButtonPress, at(slider, 0), Qt::LeftButton);
    send(slider, QEvent::MouseMove, at(slider, 0.5), Qt::LeftButton);
    ThumbView *thumb = slider->selectedThumb();
    ASSERT_NE(thumb, nullptr);
    EXPECT_TRUE(thumb->dropInvalid());
    // The cancel image is red.
    const QImage drawn = thumb->grab().toImage();
    const QColor middle = drawn.pixelColor(drawn.width() / 2 - 3, drawn.height() / 2);
    EXPECT_GT(middle.red(), 150);
    EXPECT_LT(middle.green(), 100);
    send(slider, QEvent::MouseButtonRelease, at(slider, 0.5), Qt::NoButton);
    settle();
    EXPECT_FALSE(thumb->dropInvalid());
    EXPECT_EQ(keys(slider), (QStringList{"from", "50%", "to"}));
    EXPECT_EQ(thumb->x(), 0);
    live.settleWrites();
    EXPECT_EQ(text(), original);
}

TEST_F(Timeline, DeleteRemovesTheSelectedKeyframeFromFileAndPage)
{
    load();
    MultiThumbSlider *slider = track(QStringLiteral("@-webkit-keyframes fade"));
    ASSERT_NE(slider, nullptr);
    click(slider, at(slider, 0.5));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(slider, &key);
    live.settleWrites();
    settle();
    EXPECT_FALSE(text().contains(QStringLiteral("50%")));
    EXPECT_EQ(liveKeys(0), QStringLiteral("0% 100%"));
    EXPECT_EQ(keys(track(QStringLiteral("@-webkit-keyframes fade"))), (QStringList{"from", "to"}));
    EXPECT_FALSE(manager.capo()->isVisible());

    // With the list's keys too: the marked keyframe of the selected row goes.
    MultiThumbSlider *now = track(QStringLiteral("@-webkit-keyframes fade"));
    click(now, at(now, 1));
    list()->setFocus();
    QApplication::sendEvent(list(), &key);
    live.settleWrites();
    settle();
    EXPECT_EQ(keys(track(QStringLiteral("@-webkit-keyframes fade"))), (QStringList{"from"}));
    EXPECT_EQ(liveKeys(1), QStringLiteral("0%"));
}

TEST_F(Timeline, AddKeyframeAtAddsWhereTheMenuWasAskedFor)
{
    load();
    MultiThumbSlider *slider = track(QStringLiteral("@keyframes spin"));
    ASSERT_NE(slider, nullptr);
    const QPoint point = at(slider, 0.8).toPoint();
    QContextMenuEvent request(QContextMenuEvent::Mouse, point, slider->mapToGlobal(point));
    QApplication::sendEvent(slider, &request);
    QMenu *menu = slider->menu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(list()->selectedRow(), rowOf(QStringLiteral("@keyframes spin")));
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().first()->text(), QStringLiteral("Add Keyframe At"));
    menu->close();
    menu->actions().first()->trigger();
    live.settleWrites();
    settle();
    const QStringList now = keys(track(QStringLiteral("@keyframes spin")));
    ASSERT_EQ(now.size(), 3);
    EXPECT_TRUE(now.at(1) == QLatin1String("79%") || now.at(1) == QLatin1String("80%")) << now.at(1).toStdString();
    EXPECT_TRUE(text().contains(now.at(1) + QStringLiteral(" {")));
    EXPECT_TRUE(liveKeys(2).contains(now.at(1)));
}

TEST_F(Timeline, PlayAnimationRunsTheAnimationAgainInThePage)
{
    load();
    const auto starts = [this] {
        return live.fixture->evaluate(QStringLiteral("window.spins"), WebTestFixture::World::Page).toInt();
    };
    ASSERT_TRUE(TestUtil::waitUntil([&] { return starts() >= 1; }, 5000));
    const int before = starts();
    const int row = rowOf(QStringLiteral("@keyframes spin"));
    const QPoint point = list()->visualRect(list()->indexForRow(row, 0)).center();
    QTimer::singleShot(0, list(), [] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        QAction *play = menu->actions().value(0);
        menu->close();
        if (play && play->text() == QLatin1String("Play Animation"))
            play->trigger();
    });
    QContextMenuEvent request(QContextMenuEvent::Mouse, point, list()->viewport()->mapToGlobal(point));
    QApplication::sendEvent(list()->viewport(), &request);
    // The spinning element starts its animation once more.
    EXPECT_TRUE(TestUtil::waitUntil([&] { return starts() == before + 1; }, 5000)) << starts() << " " << before;
}

TEST_F(Timeline, ARuleWithoutANameTakesAKeyframeInItsTextOnly)
{
    load();
    MultiThumbSlider *slider = track(QStringLiteral("@keyframes"));
    ASSERT_NE(slider, nullptr);
    slider->addItemAtRatio(0.5);
    live.settleWrites();
    settle();
    // The page has no such rule; the text does.
    EXPECT_EQ(keys(track(QStringLiteral("@keyframes"))), (QStringList{"from", "50%"}));
    EXPECT_TRUE(text().contains(QStringLiteral("50% {")));
    EXPECT_EQ(text().count(QStringLiteral("50% {")), original.count(QStringLiteral("50% {")) + 1);
    EXPECT_TRUE(alerts.isEmpty());
}

// A keyframe of several offsets has a thumb at each of them; each thumb
// moves or removes its own offset, in the file and the page.
TEST_F(Timeline, AKeyframeOfSeveralOffsetsHasAThumbAtEach)
{
    load("@keyframes blink {\n    0%, 100%, 30%, 70% { opacity: 1; }\n    50% { opacity: 0; }\n}\n"
         ".fading { animation-name: blink; animation-duration: 10s; }\n");
    MultiThumbSlider *slider = track(QStringLiteral("@keyframes blink"));
    ASSERT_NE(slider, nullptr);
    QList<int> places;
    for (const MultiThumbSlider::Item &item : slider->items())
        places << slider->thumbWithItem(item)->x();
    const int span = slider->width() - 16;
    EXPECT_EQ(places, (QList<int>{0, int(0.3 * span), int(0.5 * span), int(0.7 * span), span}));
    EXPECT_EQ(keys(slider), (QStringList{"0%", "30%", "50%", "70%", "100%"}));

    // The playhead stands at the offset chosen.
    click(slider, at(slider, 0.7));
    ASSERT_NE(live.panel.shownKeyframe(), nullptr);
    EXPECT_EQ(live.panel.shownKeyframe()->selector(), QStringLiteral("0%, 100%, 30%, 70%"));
    EXPECT_EQ(manager.capo()->x(), capoX(70));

    // Dragged, the offset alone moves.
    send(slider, QEvent::MouseButtonPress, at(slider, 0.3), Qt::LeftButton);
    send(slider, QEvent::MouseMove, at(slider, 0.405), Qt::LeftButton);
    send(slider, QEvent::MouseButtonRelease, at(slider, 0.405), Qt::NoButton);
    live.settleWrites();
    settle();
    EXPECT_TRUE(text().contains(QStringLiteral("0%, 100%, 40%, 70% {"))) << text().toStdString();
    EXPECT_TRUE(liveKeys(0).contains(QStringLiteral("0%, 100%, 40%, 70%"))) << liveKeys(0).toStdString();
    EXPECT_FALSE(liveKeys(0).contains(QStringLiteral("30%")));
    EXPECT_EQ(keys(track(QStringLiteral("@keyframes blink"))), (QStringList{"0%", "40%", "50%", "70%", "100%"}));
    EXPECT_EQ(manager.capo()->x(), capoX(40));
    EXPECT_TRUE(alerts.isEmpty()) << alerts.join(u'|').toStdString();
    live.undo.undo();
    settle();
    EXPECT_EQ(text(), original);

    // Delete takes the chosen offset out, and the keyframe keeps the others.
    slider = track(QStringLiteral("@keyframes blink"));
    click(slider, at(slider, 0.7));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(slider, &key);
    live.settleWrites();
    settle();
    EXPECT_TRUE(text().contains(QStringLiteral("0%, 100%, 30% {"))) << text().toStdString();
    EXPECT_TRUE(liveKeys(0).endsWith(QStringLiteral("0%, 100%, 30%"))) << liveKeys(0).toStdString();
    EXPECT_FALSE(liveKeys(0).contains(QStringLiteral("70%")));
    EXPECT_EQ(keys(track(QStringLiteral("@keyframes blink"))), (QStringList{"0%", "30%", "50%", "100%"}));
    live.undo.undo();
    settle();
    EXPECT_EQ(text(), original);
    EXPECT_TRUE(liveKeys(0).contains(QStringLiteral("0%, 100%, 30%, 70%"))) << liveKeys(0).toStdString();
}

// An animation written in one layout, with and without its "-webkit-" twin,
// and the text of its keyframes at 15% and 30%.
struct AnimationSheet
{
    const char *name;
    const char *sheet;
    const char *row;
    const char *key15;
    const char *key20;
    const char *keyframe30;
    // The keyframe at 30% with one added at 50% after it.
    const char *with50;
};

void PrintTo(const AnimationSheet &sheet, std::ostream *out)
{
    *out << sheet.name;
}

class TimelineInLayout : public Timeline, public ::testing::WithParamInterface<AnimationSheet>
{
protected:
    // The project's prefixes as a folder added to the program has them: every one on.
    void loadSheet()
    {
        load(GetParam().sheet, {{QStringLiteral("vendarPrefix"),
                                 ProjectUtil::createImportedDefaultProjectConfig().value(QStringLiteral("vendarPrefix"))}});
    }
    MultiThumbSlider *slider() const { return track(QString::fromLatin1(GetParam().row)); }
    QStringList shownKeys() const { return slider() ? keys(slider()) : QStringList(); }
};

// A drag changes the keyframe's selector alone, in each block of the
// animation, and writes no declaration or prefixed copy (#77).
TEST_P(TimelineInLayout, ADragChangesOnlyTheKeyframesSelectorAndUndoGivesTheBytesBack)
{
    loadSheet();
    ASSERT_NE(slider(), nullptr);
    const QStringList before = shownKeys();
    drag(slider(), 0.15, 0.205);
    EXPECT_EQ(text(), QString(original).replace(QLatin1String(GetParam().key15), QLatin1String(GetParam().key20)));
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Rename Selector"));
    EXPECT_EQ(manager.lastSelection()->selector(), QStringLiteral("20%"));
    undoStep();
    EXPECT_EQ(text(), original);
    // The track and the rules panel follow the undo at once.
    EXPECT_EQ(shownKeys(), before);
    EXPECT_TRUE(live.dump().contains(QStringLiteral("  15% ["))) << live.dump().toStdString();
    EXPECT_FALSE(live.dump().contains(QStringLiteral("20%"))) << live.dump().toStdString();
    EXPECT_TRUE(alerts.isEmpty()) << alerts.join(u'|').toStdString();
}

TEST_P(TimelineInLayout, ADeleteTakesOutOnlyTheKeyframeAndUndoGivesTheBytesBack)
{
    loadSheet();
    ASSERT_NE(slider(), nullptr);
    const QStringList before = shownKeys();
    deleteAt(slider(), 0.3);
    EXPECT_EQ(text(), QString(original).remove(QLatin1String(GetParam().keyframe30)));
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Remove Keyframe"));
    EXPECT_FALSE(live.dump().contains(QStringLiteral("30%"))) << live.dump().toStdString();
    undoStep();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(shownKeys(), before);
    EXPECT_TRUE(live.dump().contains(QStringLiteral("  30% ["))) << live.dump().toStdString();
}

// A keyframe added on the track is written as its block writes the others.
TEST_P(TimelineInLayout, AnAddedKeyframeTakesTheLayoutOfItsBlock)
{
    loadSheet();
    ASSERT_NE(slider(), nullptr);
    slider()->addItemAtRatio(0.5);
    live.settleWrites();
    settle();
    EXPECT_EQ(text().toStdString(),
              QString(original).replace(QLatin1String(GetParam().keyframe30), QLatin1String(GetParam().with50)).toStdString());
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Insert Keyframe With Property"));
    EXPECT_TRUE(live.dump().contains(QStringLiteral("  50% ["))) << live.dump().toStdString();
    undoStep();
    EXPECT_EQ(text(), original);
    EXPECT_FALSE(live.dump().contains(QStringLiteral("50%"))) << live.dump().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, TimelineInLayout,
    ::testing::Values(
        AnimationSheet{"MinifiedWithTwin",
                       "@-webkit-keyframes wobble{0%{-webkit-transform:none;transform:none}15%{-webkit-transform:"
                       "translate3d(-25%,0,0);transform:translate3d(-25%,0,0)}30%{-webkit-transform:rotate(3deg);transform:"
                       "rotate(3deg)}100%{-webkit-transform:none;transform:none}}@keyframes wobble{0%{-webkit-transform:none;"
                       "transform:none}15%{-webkit-transform:translate3d(-25%,0,0);transform:translate3d(-25%,0,0)}30%{"
                       "-webkit-transform:rotate(3deg);transform:rotate(3deg)}100%{-webkit-transform:none;transform:none}}"
                       ".w{-webkit-animation:wobble 1s;animation:wobble 1s}\n",
                       "@-webkit-keyframes wobble", "15%{", "20%{",
                       "30%{-webkit-transform:rotate(3deg);transform:rotate(3deg)}",
                       "30%{-webkit-transform:rotate(3deg);transform:rotate(3deg)}50%{}"},
        AnimationSheet{"MinifiedAlone", "@keyframes fadeIn{0%{opacity:0}15%{opacity:.2}30%{opacity:.5}to{opacity:1}}\n",
                       "@keyframes fadeIn", "15%{", "20%{", "30%{opacity:.5}", "30%{opacity:.5}50%{}"},
        AnimationSheet{"TwoSpacesWithTwin",
                       "@-webkit-keyframes wobble {\n  0% {\n    -webkit-transform: none;\n    transform: none;\n  }\n"
                       "  15% {\n    -webkit-transform: rotate(-5deg);\n    transform: rotate(-5deg);\n  }\n"
                       "  30% {\n    opacity: 1;\n  }\n  100% {\n    -webkit-transform: none;\n    transform: none;\n  }\n}\n\n"
                       "@keyframes wobble {\n  0% {\n    -webkit-transform: none;\n    transform: none;\n  }\n"
                       "  15% {\n    -webkit-transform: rotate(-5deg);\n    transform: rotate(-5deg);\n  }\n"
                       "  30% {\n    opacity: 1;\n  }\n  100% {\n    -webkit-transform: none;\n    transform: none;\n  }\n}\n",
                       "@-webkit-keyframes wobble", "  15% {", "  20% {", "  30% {\n    opacity: 1;\n  }\n",
                       "  30% {\n    opacity: 1;\n  }\n  50% {\n  }\n"},
        AnimationSheet{"FourSpacesOneLineKeyframes",
                       "@keyframes fadeIn {\n    0% { opacity: 0; }\n    15% { opacity: 0.2; }\n    30% { opacity: 0.5; }\n"
                       "    100% { opacity: 1; }\n}\n",
                       "@keyframes fadeIn", "15% {", "20% {", "    30% { opacity: 0.5; }\n",
                       "    30% { opacity: 0.5; }\n    50% {}\n"},
        AnimationSheet{"TabsAlone",
                       "@keyframes fadeIn {\n\t0% {\n\t\topacity: 0;\n\t}\n\t15% {\n\t\topacity: 0.2;\n\t}\n"
                       "\t30% {\n\t\topacity: 0.5;\n\t}\n\t100% {\n\t\topacity: 1;\n\t}\n}\n",
                       "@keyframes fadeIn", "\t15% {", "\t20% {", "\t30% {\n\t\topacity: 0.5;\n\t}\n",
                       "\t30% {\n\t\topacity: 0.5;\n\t}\n\t50% {\n\t}\n"}),
    [](const ::testing::TestParamInfo<AnimationSheet> &info) { return std::string(info.param.name); });

} // namespace TimelineLiveTest
