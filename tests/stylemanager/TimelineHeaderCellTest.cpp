#include "stylemanager/TimelineHeaderCell.h"
#include "stylemanager/TimelineListView.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

// The list's header drawn with the timeline column at the width given.
struct Ruler
{
    explicit Ruler(int timelineWidth)
    {
        list.setTableColumns({TableColumn{QStringLiteral("AnimationNameColumn"), QString(), 100, 10},
                              TableColumn{QStringLiteral("TimelineColumn"), QString(), double(timelineWidth), 10}});
        list.resize(100 + timelineWidth + 40, 120);
        list.header()->setStretchLastSection(false);
        list.header()->resizeSection(1, timelineWidth);
        list.show();
        image = list.headerCell()->grab().toImage();
        ruler = list.headerCell()->rulerColor().rgb();
        background = list.headerCell()->backgroundColor().rgb();
    }

    // The length of the grey line that rises from above the bottom edge in a pixel column.
    int lengthAt(int x) const
    {
        int length = 1;
        for (int y = image.height() - 2; y >= 0 && image.pixel(x, y) == ruler; --y)
            ++length;
        return length;
    }
    // The ticks seen just above the bottom line, as pixel columns.
    QList<int> tickColumns() const
    {
        QList<int> columns;
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, image.height() - 2) == ruler)
                columns << x;
        }
        return columns;
    }
    // Whether anything but the background is drawn in the rectangle.
    bool inked(const QRect &rect) const
    {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x) {
                if (image.pixel(x, y) != background)
                    return true;
            }
        }
        return false;
    }

    TimelineListView list;
    QImage image;
    QRgb ruler;
    QRgb background;
};

} // namespace

TEST(TimelineRuler, ANarrowColumnHasTwentyIntervalsLabelledEveryOtherTick)
{
    Ruler narrow(200);
    const int h = narrow.image.height();
    const QList<TimelineHeaderCell::Tick> ticks = TimelineHeaderCell::ticks(100, 200, h);
    ASSERT_EQ(ticks.size(), 21);
    QList<int> expected;
    for (const TimelineHeaderCell::Tick &tick : ticks)
        expected << tick.x - 1;
    // The line between the columns stands beside the ruler, not on it.
    QList<int> seen = narrow.tickColumns();
    seen.removeAll(99);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(ticks.first().x, 110);
    EXPECT_EQ(ticks.last().x, 290);
    // 0%, 50% and 100% run the full height, then every tenth, every twentieth.
    EXPECT_EQ(narrow.lengthAt(ticks.at(10).x - 1), h);
    EXPECT_EQ(narrow.lengthAt(ticks.at(2).x - 1), int(0.6 * h));
    EXPECT_EQ(narrow.lengthAt(ticks.at(1).x - 1), int(0.4 * h));
    QStringList labels;
    for (const TimelineHeaderCell::Tick &tick : ticks)
        labels << tick.label;
    EXPECT_EQ(labels.join(u','), QStringLiteral("0,,10,,20,,30,,40,,50,,60,,70,,80,,90,,100"));
    // A label is drawn left of its tick.
    EXPECT_TRUE(narrow.inked(QRect(ticks.at(4).x - 13, 1, 9, 8)));
}

TEST(TimelineRuler, AWideColumnHasAHundredIntervalsLabelledEveryTenth)
{
    Ruler wide(420);
    const int h = wide.image.height();
    const QList<TimelineHeaderCell::Tick> ticks = TimelineHeaderCell::ticks(100, 420, h);
    ASSERT_EQ(ticks.size(), 101);
    QList<int> seen = wide.tickColumns();
    seen.removeAll(99);
    EXPECT_EQ(seen.size(), 101);
    EXPECT_EQ(wide.lengthAt(ticks.at(50).x - 1), h);
    EXPECT_EQ(wide.lengthAt(ticks.at(30).x - 1), int(0.6 * h));
    EXPECT_EQ(wide.lengthAt(ticks.at(5).x - 1), int(0.4 * h));
    EXPECT_EQ(wide.lengthAt(ticks.at(7).x - 1), int(0.2 * h));
    QStringList labels;
    for (const TimelineHeaderCell::Tick &tick : ticks) {
        if (!tick.label.isEmpty())
            labels << tick.label;
    }
    EXPECT_EQ(labels.join(u','), QStringLiteral("0,10,20,30,40,50,60,70,80,90,100"));
    EXPECT_TRUE(wide.inked(QRect(ticks.at(60).x - 13, 1, 9, 8)));
}

// On the narrow timeline beside the names (about 150 wide), the tenths'
// labels would run together ("8090100"): every fifth is labelled instead,
// and on a narrower one every half.
TEST(TimelineRuler, LabelsThatWouldRunTogetherAreThinnedToStandApart)
{
    const double digit = 5.4;
    const auto labelsOf = [digit](double w) {
        QStringList labels;
        const QList<TimelineHeaderCell::Tick> ticks = TimelineHeaderCell::ticks(100, w, 22, digit);
        double previousEnd = -1e9;
        for (const TimelineHeaderCell::Tick &tick : ticks) {
            if (tick.label.isEmpty())
                continue;
            const double left = tick.x - 5.0 * tick.label.size() - 3;
            EXPECT_GE(left - previousEnd, 3) << "width " << w << " at " << tick.label.toStdString();
            previousEnd = left + digit * tick.label.size();
            labels << tick.label;
        }
        return labels.join(u',');
    };
    EXPECT_EQ(labelsOf(420), QStringLiteral("0,10,20,30,40,50,60,70,80,90,100"));
    EXPECT_EQ(labelsOf(150), QStringLiteral("0,20,40,60,80,100"));
    EXPECT_EQ(labelsOf(60), QStringLiteral("0,50,100"));

    // Drawn so too.
    Ruler drawn(150);
    EXPECT_FALSE(drawn.inked(QRect(TimelineHeaderCell::ticks(100, 150, drawn.image.height()).at(18).x - 13, 1, 9, 8)));
}
