#include "TreeUtil.h"

#include "platform/foundation/Log.h"

void TreeUtil::logEndedLevel()
{
    QM_DEBUG(QStringLiteral("null node in a sibling list; the rest of the list is left out"));
}
