#include "ObjectUtils.h"

#include "platform/foundation/Assert.h"
#include "platform/foundation/DelayedPerform.h"

namespace ObjectUtils {

void performBlock(QObject *receiver, std::function<void()> block, double delaySeconds)
{
    QM_ASSERT(receiver && block, return);
    // Each call is its own pending perform (an argument never used for
    // cancelling), so repeated blocks all run.
    DelayedPerform::perform(receiver, "executeBlock__", QVariant(), delaySeconds, std::move(block));
}

} // namespace ObjectUtils
