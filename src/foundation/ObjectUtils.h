#pragma once

#include <functional>

class QObject;

// Deferred execution on behalf of an object.
namespace ObjectUtils {

// Runs the block on the receiver's thread after the delay, once the event
// loop gets there. The call belongs to the receiver: it is dropped when the
// receiver is destroyed first, so the block may use the receiver freely.
void performBlock(QObject *receiver, std::function<void()> block, double delaySeconds);

} // namespace ObjectUtils
