#pragma once

#include <QByteArray>
#include <QVariant>

#include <functional>

class AnimationContext;
class QObject;

// Block-based animation of widget properties, with a count of the animation
// blocks running so that code can ask whether it runs inside one.
namespace ViewRBLAnimationAdditions {

void rbl_animate(const std::function<void(AnimationContext &)> &animations);
void rbl_animate(const std::function<void(AnimationContext &)> &animations,
                 std::function<void()> completion);
void rbl_animateWithDuration(double duration, const std::function<void()> &animations,
                             std::function<void()> completion);

// True while an animations block of rbl_animate runs.
bool rbl_isInAnimationContext();

// Sets properties of an object: animated by the current animation block when
// inside one, at once otherwise.
class Animator
{
public:
    explicit Animator(QObject *target) : m_target(target) {}
    void setProperty(const QByteArray &name, const QVariant &value) const;

private:
    QObject *m_target;
};

inline Animator rbl_animator(QObject *target)
{
    return Animator(target);
}

} // namespace ViewRBLAnimationAdditions
