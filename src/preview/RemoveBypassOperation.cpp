#include "RemoveBypassOperation.h"

#include "platform/foundation/Log.h"
#include "workspace/BypassMap.h"

void RemoveBypassOperation::main()
{
    // A project that is no web project has no addresses, hence no ties.
    QList<std::pair<QUrl, QUrl>> ties;
    for (const Entry &entry : webEntries())
        ties.append({entry.webURL, QUrl()});
    if (isCancelled())
        QM_DEBUG(QStringLiteral("cascel remove bypass"));
    if (!ties.isEmpty())
        bypassMap()->setBypasses(ties);
    QM_DEBUG(QStringLiteral("complete remove bypass"));
}
