#pragma once

#include <QObject>

#include <functional>

class QAbstractAnimation;

// Calls a block when the animation it belongs to stops: with true when it ran
// to its end, with false when it was stopped before.
class RBLCAAnimationDelegate : public QObject
{
    Q_OBJECT

public:
    explicit RBLCAAnimationDelegate(QAbstractAnimation *animation);
    ~RBLCAAnimationDelegate() override;

    std::function<void(bool finished)> completion() const { return m_completion; }
    void setCompletion(std::function<void(bool finished)> completion) { m_completion = std::move(completion); }

    void animationDidStop(bool finished);

private:
    std::function<void(bool finished)> m_completion;
};

// The completion block of an animation, held by its delegate.
namespace AnimationRBLBlockAdditions {

void rbl_setCompletionBlock(QAbstractAnimation *animation, std::function<void(bool finished)> block);
std::function<void(bool finished)> rbl_completionBlock(const QAbstractAnimation *animation);

} // namespace AnimationRBLBlockAdditions
