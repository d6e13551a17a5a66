#include "SessionTest.h"

#include <QJsonArray>
#include <QJsonObject>

// The keyframe timeline below the DOM tree, on an animation of a minified sheet.
namespace KeyframeTimelineTest {

namespace {

class KeyframeTimeline : public SessionTest
{
protected:
    // The thumb of the animation's keyframe as the probe sees it; empty
    // while the timeline shows none.
    QJsonObject thumb(const char *animation, const char *key)
    {
        const QJsonArray thumbs = session.ask({{QStringLiteral("q"), QStringLiteral("thumbs")}}).value(QStringLiteral("thumbs")).toArray();
        for (const QJsonValue &each : thumbs) {
            const QJsonObject shown = each.toObject();
            if (shown.value(QStringLiteral("animation")).toString() == QLatin1String(animation)
                && shown.value(QStringLiteral("key")).toString() == QLatin1String(key))
                return shown;
        }
        return {};
    }
    bool shows(const char *animation, const char *key) { return !thumb(animation, key).isEmpty(); }
    QString undoName()
    {
        return session.ask({{QStringLiteral("q"), QStringLiteral("undo")}}).value(QStringLiteral("undoName")).toString();
    }
};

} // namespace

// A thumb dragged from 15% to about 20% gives the keyframe and its twin in the
// "-webkit-" block the new key, and changes nothing else of the minified
// sheet; the step has its name, and after its Undo the track shows the
// keyframe at 15% again without a click (#77).
TEST_F(KeyframeTimeline, ADragInAMinifiedSheetChangesOnlyTheKeyframesSelector)
{
    ASSERT_NO_FATAL_FAILURE(openSite("timeline.html", "Timeline"));
    ASSERT_TRUE(session.clickWidget(QStringLiteral("keyframePaneExpandButton")));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return shows("wobble", "15%"); }));
    const QJsonObject from = thumb("wobble", "15%");
    const QPoint start(from.value(QStringLiteral("x")).toInt() + from.value(QStringLiteral("w")).toInt() / 2,
                       from.value(QStringLiteral("y")).toInt() + from.value(QStringLiteral("h")).toInt() / 2);
    const QPoint end(from.value(QStringLiteral("trackX")).toInt() + int(0.205 * from.value(QStringLiteral("trackW")).toInt()),
                     start.y());
    session.drag(start, end);
    // Where the thumb landed, in whole percents (a pixel of the track is more than one).
    QString key;
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        for (const char *each : {"19%", "20%", "21%"}) {
            if (shows("wobble", each))
                key = QString::fromLatin1(each);
        }
        return !key.isEmpty() && !shows("wobble", "15%");
    }));
    EXPECT_EQ(undoName(), QStringLiteral("Rename Selector"));
    const QByteArray original = session.original(QStringLiteral("css/timeline.min.css"));
    ASSERT_NO_FATAL_FAILURE(saveAndExpect("css/timeline.min.css", QByteArray(original).replace("15%{", key.toLatin1() + '{')));

    session.key(QStringLiteral("ctrl+z"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return shows("wobble", "15%") && !shows("wobble", key.toLatin1()); }, 5000));
    session.key(QStringLiteral("ctrl+s"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(QStringLiteral("css/timeline.min.css")) == original; }, 5000));
    EXPECT_EQ(changed(), "");
}

} // namespace KeyframeTimelineTest
