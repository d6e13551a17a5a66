#pragma once

#include <QByteArray>
#include <QPointer>
#include <QVariant>

#include <functional>
#include <vector>

class QObject;
class QParallelAnimationGroup;

// A group of property animations run together (the kit's animation context):
// the changes block names the properties to animate and their end values;
// they all start when the block returns, over the group's duration, and the
// completion handler runs once they have all ended (at once, on the next turn
// of the event loop, when the block animated nothing).
class AnimationContext
{
public:
    static void runAnimationGroup(const std::function<void(AnimationContext &)> &changes,
                                  std::function<void()> completionHandler = {});

    // The group whose changes block is running, else null.
    static AnimationContext *currentContext();

    double duration() const { return m_duration; }
    void setDuration(double seconds) { m_duration = seconds; }

    void animate(QObject *target, const QByteArray &property, const QVariant &endValue);

private:
    AnimationContext() = default;

    struct Change
    {
        QPointer<QObject> target;
        QByteArray property;
        QVariant endValue;
    };

    double m_duration = 0.25;
    std::vector<Change> m_changes;
};
