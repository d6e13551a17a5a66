#include "stylemanager/KeyframeThumb.h"
#include "stylemanager/MultiThumbSlider.h"

#include "stylesheet/StyleDeclaration.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <gtest/gtest.h>

namespace {

// The thumb item of a keyframe of one offset.
std::shared_ptr<KeyframeOffset> keyframe(const QString &selector)
{
    auto declaration = std::make_shared<StyleDeclaration>();
    declaration->setType(RuleType::Keyframe);
    declaration->setInBraket(true);
    declaration->setSelector(selector);
    return std::make_shared<KeyframeOffset>(KeyframeOffset{declaration, 0});
}

QString selectorOf(const MultiThumbSlider::Item &item)
{
    return item ? std::static_pointer_cast<KeyframeOffset>(item)->keyframe->selector() : QStringLiteral("(none)");
}

// Records what the slider tells, as "call selector" lines.
class Recorder : public MultiThumbSliderDelegate
{
public:
    void itemDidChanged(MultiThumbSlider *, const Item &item) override { calls << "changed " + selectorOf(item); }
    void itemIsChanging(MultiThumbSlider *) override { ++changing; }
    void itemDidRemoved(MultiThumbSlider *, const Item &item) override { calls << "removed " + selectorOf(item); }
    void itemDidAdded(MultiThumbSlider *, const Item &) override {}
    void selectionChanged(MultiThumbSlider *, const Item &item) override { calls << "selected " + selectorOf(item); }
    ThumbView *thumbViewOfItem(MultiThumbSlider *, const Item &) override { return new KeyframeThumb; }
    QString toolTipOfItem(MultiThumbSlider *, const Item &) override { return {}; }
    Item createItemAtRatio(MultiThumbSlider *, double ratio) override
    {
        if (refuse)
            return nullptr;
        calls << "create " + KeyframeThumb::selectorOfRatio(ratio);
        return keyframe(KeyframeThumb::selectorOfRatio(ratio));
    }

    QStringList calls;
    int changing = 0;
    bool refuse = false;
};

class Slider : public ::testing::Test
{
protected:
    Slider()
    {
        // A track of 200 from x 8 to 208, across the middle.
        slider.resize(216, 20);
        slider.setDelegate(&recorder);
        for (const char *key : {"from", "25%", "50%", "to"})
            slider.addItem(keyframe(QString::fromLatin1(key)));
    }

    static QPointF at(double ratio) { return QPointF(8 + ratio * 200, 10); }
    void send(QEvent::Type type, const QPointF &point, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, point, slider.mapToGlobal(point), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&slider, &event);
    }
    void press(const QPointF &point) { send(QEvent::MouseButtonPress, point, Qt::LeftButton); }
    void drag(const QPointF &point) { send(QEvent::MouseMove, point, Qt::LeftButton); }
    void release(const QPointF &point) { send(QEvent::MouseButtonRelease, point, Qt::NoButton); }
    void doubleClick(const QPointF &point)
    {
        press(point);
        release(point);
        send(QEvent::MouseButtonDblClick, point, Qt::LeftButton);
        release(point);
    }
    void key(int code)
    {
        QKeyEvent event(QEvent::KeyPress, code, Qt::NoModifier);
        QApplication::sendEvent(&slider, &event);
    }
    QStringList selectors() const
    {
        QStringList list;
        for (const MultiThumbSlider::Item &item : slider.items())
            list << selectorOf(item);
        return list;
    }

    Recorder recorder;
    MultiThumbSlider slider;
};

} // namespace

TEST(KeyframeThumbPlace, ReadsPercentagesAndPutsFromAndToAtTheEnds)
{
    EXPECT_EQ(KeyframeThumb::ratioOfSelector(QStringLiteral("from")), 0);
    EXPECT_EQ(KeyframeThumb::ratioOfSelector(QStringLiteral("to")), 1);
    EXPECT_DOUBLE_EQ(KeyframeThumb::ratioOfSelector(QStringLiteral("25%")), 0.25);
    EXPECT_DOUBLE_EQ(KeyframeThumb::ratioOfSelector(QStringLiteral("12.5%")), 0.125);
    // No leading number: at the start; beyond the ends: at the end.
    EXPECT_EQ(KeyframeThumb::ratioOfSelector(QStringLiteral("middle")), 0);
    EXPECT_EQ(KeyframeThumb::ratioOfSelector(QStringLiteral("250%")), 1);
    EXPECT_EQ(KeyframeThumb::ratioOfSelector(QStringLiteral("-5%")), 0);
    EXPECT_EQ(KeyframeThumb::selectorOfRatio(0.999), QStringLiteral("99%"));
    EXPECT_EQ(KeyframeThumb::selectorOfRatio(0.29), QStringLiteral("29%"));
    EXPECT_EQ(KeyframeThumb::selectorOfRatio(0.257), QStringLiteral("25%"));
}

TEST_F(Slider, LaysThumbsOutByPositionAndKeepsItemsInThatOrder)
{
    slider.addItem(keyframe(QStringLiteral("10%")));
    EXPECT_EQ(selectors(), (QStringList{"from", "10%", "25%", "50%", "to"}));
    EXPECT_EQ(slider.thumbWithItem(slider.items().at(0))->pos(), QPoint(0, 2));
    EXPECT_EQ(slider.thumbWithItem(slider.items().at(2))->pos(), QPoint(50, 2));
    EXPECT_EQ(slider.thumbWithItem(slider.items().at(4))->pos(), QPoint(200, 2));
}

TEST_F(Slider, AClickSelectsTheThumbAndAClickOnEmptyTrackClearsIt)
{
    press(at(0.25));
    release(at(0.25));
    EXPECT_EQ(selectorOf(slider.selectedItem()), QStringLiteral("25%"));
    EXPECT_TRUE(slider.selectedThumb()->selected());
    press(at(0.75));
    release(at(0.75));
    EXPECT_EQ(slider.selectedItem(), nullptr);
    EXPECT_EQ(recorder.calls, (QStringList{"selected 25%", "selected (none)"}));
}

TEST_F(Slider, ADoubleClickOnEmptyTrackAddsASelectedItemThereAndATakenPlaceNone)
{
    doubleClick(at(0.75));
    EXPECT_EQ(selectors(), (QStringList{"from", "25%", "50%", "75%", "to"}));
    EXPECT_EQ(selectorOf(slider.selectedItem()), QStringLiteral("75%"));
    EXPECT_EQ(recorder.calls.last(), QStringLiteral("selected 75%"));
    // A delegate that gives no item (the place is taken) leaves the track as it was.
    recorder.refuse = true;
    doubleClick(at(0.6));
    EXPECT_EQ(slider.items().size(), 5);
    EXPECT_EQ(slider.selectedItem(), nullptr);
}

TEST_F(Slider, ADropOnATakenPlaceShowsTheCancelMarkAndPutsTheThumbBack)
{
    press(at(0));
    drag(at(0.5));
    ThumbView *thumb = slider.selectedThumb();
    ASSERT_NE(thumb, nullptr);
    EXPECT_TRUE(thumb->dropInvalid());
    EXPECT_GT(recorder.changing, 0);
    release(at(0.5));
    EXPECT_FALSE(thumb->dropInvalid());
    // Back at the start under its own name, and no change reported.
    EXPECT_EQ(selectors(), (QStringList{"from", "25%", "50%", "to"}));
    EXPECT_EQ(recorder.calls, (QStringList{"selected from", "selected from"}));
}

TEST_F(Slider, ADragToAFreePlaceIsReportedAndADragBackIsNot)
{
    press(at(0.25));
    drag(at(0.6));
    drag(at(0.25));
    release(at(0.25));
    EXPECT_EQ(recorder.calls, (QStringList{"selected 25%"}));
    press(at(0.25));
    drag(at(0.4));
    release(at(0.4));
    EXPECT_EQ(recorder.calls.last(), QStringLiteral("changed 40%"));
    EXPECT_EQ(selectors(), (QStringList{"from", "40%", "50%", "to"}));
}

TEST_F(Slider, ADragBeyondEitherEndStopsAtTheEnd)
{
    press(at(0.25));
    drag(QPointF(-300, 40));
    EXPECT_EQ(selectorOf(slider.selectedItem()), QStringLiteral("0%"));
    drag(QPointF(900, -40));
    EXPECT_EQ(selectorOf(slider.selectedItem()), QStringLiteral("100%"));
    EXPECT_EQ(slider.selectedThumb()->pos().x(), 200);
}

TEST_F(Slider, DeleteRemovesTheSelectedItemAndWithoutOneDoesNothing)
{
    key(Qt::Key_Delete);
    EXPECT_EQ(slider.items().size(), 4);
    EXPECT_TRUE(recorder.calls.isEmpty());
    press(at(0.5));
    release(at(0.5));
    key(Qt::Key_Backspace);
    EXPECT_EQ(selectors(), (QStringList{"from", "25%", "to"}));
    EXPECT_EQ(recorder.calls.last(), QStringLiteral("removed 50%"));
    EXPECT_EQ(slider.selectedItem(), nullptr);
}

TEST_F(Slider, TheFrontMostOfOverlappingThumbsIsTaken)
{
    slider.addItem(keyframe(QStringLiteral("26%")));
    press(at(0.255));
    release(at(0.255));
    EXPECT_EQ(selectorOf(slider.selectedItem()), QStringLiteral("26%"));
}
