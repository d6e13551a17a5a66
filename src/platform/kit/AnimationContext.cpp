#include "AnimationContext.h"

#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QTimer>

namespace {
std::vector<AnimationContext *> &openContexts()
{
    static std::vector<AnimationContext *> s_contexts;
    return s_contexts;
}
} // namespace

AnimationContext *AnimationContext::currentContext()
{
    return openContexts().empty() ? nullptr : openContexts().back();
}

void AnimationContext::animate(QObject *target, const QByteArray &property, const QVariant &endValue)
{
    if (target)
        m_changes.push_back({target, property, endValue});
}

void AnimationContext::runAnimationGroup(const std::function<void(AnimationContext &)> &changes,
                                         std::function<void()> completionHandler)
{
    AnimationContext context;
    openContexts().push_back(&context);
    if (changes)
        changes(context);
    openContexts().pop_back();

    // The group belongs to its first target: it ends with it, and whoever
    // looks at the target's children sees that it is being animated.
    QObject *owner = nullptr;
    for (const Change &change : context.m_changes) {
        if (change.target) {
            owner = change.target;
            break;
        }
    }
    auto *group = new QParallelAnimationGroup(owner);
    const int ms = qMax(0, qRound(context.m_duration * 1000.0));
    for (const Change &change : context.m_changes) {
        if (!change.target)
            continue;
        auto *animation = new QPropertyAnimation(change.target, change.property, group);
        animation->setDuration(ms);
        animation->setEndValue(change.endValue);
    }
    if (group->animationCount() == 0) {
        delete group;
        if (completionHandler)
            QTimer::singleShot(0, std::move(completionHandler));
        return;
    }
    if (completionHandler)
        QObject::connect(group, &QAbstractAnimation::finished, std::move(completionHandler));
    group->start(QAbstractAnimation::DeleteWhenStopped);
}
