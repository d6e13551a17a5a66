#include "BootStrapComponent.h"

#include "DOMNodeLists.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"

#include <QDir>
#include <QFileInfo>

QMap<QString, QList<QVariantMap>> BootStrapComponent::nodeMap()
{
    return nodeMapIn(Bundle::resourcePath() + QStringLiteral("/Bootstrap"));
}

QMap<QString, QList<QVariantMap>> BootStrapComponent::nodeMapIn(const QString &folder)
{
    QMap<QString, QList<QVariantMap>> map;
    const QDir root(folder);
    if (!root.exists()) {
        QM_INFO(QStringLiteral("no component folder at %1; the catalogue is empty").arg(folder));
        return map;
    }
    // Listed by name, so that the ordinals stay the same from run to run.
    int ordinal = 1;
    const QStringList entries = root.entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString &name : entries) {
        if (name == QLatin1String("bootstrap") || !QFileInfo(root.filePath(name)).isDir())
            continue;
        const QDir sub(root.filePath(name));
        QList<QVariantMap> records;
        for (const QString &entry : sub.entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name))
            records.append({{QStringLiteral("file"), sub.filePath(entry)}, {QStringLiteral("title"), entry}});
        map.insert(QStringLiteral("%1.%2 (%3)").arg(ordinal).arg(name).arg(records.size()), records);
        ++ordinal;
    }
    return map;
}

QList<QVariantMap> BootStrapComponent::nodeByCategory(const QString &key)
{
    return nodeMap().value(key);
}

QStringList BootStrapComponent::getNodeByCategory()
{
    return nodeMap().keys();
}

QStringList BootStrapComponent::categoriesByNumber(const QMap<QString, QList<QVariantMap>> &map)
{
    return DOMNodeLists::sortedByNumber(map.keys());
}
