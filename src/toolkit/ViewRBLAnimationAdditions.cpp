#include "ViewRBLAnimationAdditions.h"

#include "platform/kit/AnimationContext.h"

#include <QObject>

namespace ViewRBLAnimationAdditions {

namespace {
qint64 s_animationDepth = 0;
}

void rbl_animate(const std::function<void(AnimationContext &)> &animations)
{
    rbl_animate(animations, {});
}

void rbl_animate(const std::function<void(AnimationContext &)> &animations,
                 std::function<void()> completion)
{
    AnimationContext::runAnimationGroup(
        [&animations](AnimationContext &context) {
            ++s_animationDepth;
            if (animations)
                animations(context);
            --s_animationDepth;
        },
        completion ? std::move(completion) : [] {});
}

void rbl_animateWithDuration(double duration, const std::function<void()> &animations,
                             std::function<void()> completion)
{
    rbl_animate(
        [&](AnimationContext &context) {
            context.setDuration(duration);
            if (animations)
                animations();
        },
        std::move(completion));
}

bool rbl_isInAnimationContext()
{
    return s_animationDepth != 0;
}

void Animator::setProperty(const QByteArray &name, const QVariant &value) const
{
    if (!m_target)
        return;
    AnimationContext *context = AnimationContext::currentContext();
    if (rbl_isInAnimationContext() && context)
        context->animate(m_target, name, value);
    else
        m_target->setProperty(name.constData(), value);
}

} // namespace ViewRBLAnimationAdditions
