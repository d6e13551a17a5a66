#include "RBLCAAnimationDelegate.h"

#include <QAbstractAnimation>

RBLCAAnimationDelegate::RBLCAAnimationDelegate(QAbstractAnimation *animation)
    : QObject(animation)
{
    connect(animation, &QAbstractAnimation::stateChanged, this,
            [this, animation](QAbstractAnimation::State state) {
                if (state != QAbstractAnimation::Stopped)
                    return;
                const int total = animation->totalDuration();
                animationDidStop(total >= 0 && animation->currentTime() >= total);
            });
}

RBLCAAnimationDelegate::~RBLCAAnimationDelegate() = default;

void RBLCAAnimationDelegate::animationDidStop(bool finished)
{
    if (m_completion)
        m_completion(finished);
}

namespace AnimationRBLBlockAdditions {

void rbl_setCompletionBlock(QAbstractAnimation *animation, std::function<void(bool)> block)
{
    if (!animation)
        return;
    // An animation has one delegate: a new block replaces the old one.
    const QList<RBLCAAnimationDelegate *> old =
        animation->findChildren<RBLCAAnimationDelegate *>(Qt::FindDirectChildrenOnly);
    for (RBLCAAnimationDelegate *delegate : old)
        delete delegate;
    auto *delegate = new RBLCAAnimationDelegate(animation);
    delegate->setCompletion(std::move(block));
}

std::function<void(bool)> rbl_completionBlock(const QAbstractAnimation *animation)
{
    if (!animation)
        return {};
    const auto *delegate = animation->findChild<RBLCAAnimationDelegate *>(QString(), Qt::FindDirectChildrenOnly);
    return delegate ? delegate->completion() : std::function<void(bool)>();
}

} // namespace AnimationRBLBlockAdditions
