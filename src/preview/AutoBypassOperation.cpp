#include "AutoBypassOperation.h"

#include "platform/foundation/Log.h"
#include "workspace/BypassMap.h"
#include "workspace/ProjectUtil.h"

void AutoBypassOperation::main()
{
    if (!config().value(ProjectUtil::kIsWebProject).toBool())
        return;
    QList<std::pair<QUrl, QUrl>> ties;
    for (const Entry &entry : webEntries())
        ties.append({entry.webURL, QUrl::fromLocalFile(entry.localPath)});
    if (isCancelled())
        QM_DEBUG(QStringLiteral("cancel auto bypass"));
    if (!ties.isEmpty())
        bypassMap()->setBypasses(ties);
    QM_DEBUG(QStringLiteral("complete auto bypass"));
}
