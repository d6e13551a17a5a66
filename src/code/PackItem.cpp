#include "PackItem.h"

#include "platform/foundation/Log.h"

#include <QFileInfo>

PackItem::PackItem()
    : m_children(QList<PackItemPtr>())
{
}

PackItemPtr PackItem::create(std::optional<int> type)
{
    auto item = std::make_shared<PackItem>();
    item->m_type = type;
    return item;
}

PackItemPtr PackItem::createWithoutChildren()
{
    auto item = std::make_shared<PackItem>();
    item->m_children.reset();
    return item;
}

QList<PackItemPtr> &PackItem::ensureChildren()
{
    if (!m_children)
        m_children.emplace();
    return *m_children;
}

std::optional<QString> PackItem::displayName() const
{
    switch (type()) {
    case Target:
        return QStringLiteral("target");
    case Package:
    case DiskFile:
        if (!m_filePath)
            return QStringLiteral("New Package");
        return QFileInfo(*m_filePath).fileName();
    case ScriptGroup:
        return QStringLiteral("Script");
    case StyleGroup:
        return QStringLiteral("Style");
    default:
        return std::nullopt;
    }
}

PackItemPtr PackItem::childAtIndex(int index) const
{
    if (!m_children || index < 0 || index >= m_children->size())
        return nullptr;
    return m_children->at(index);
}

QVariantMap PackItem::getFileInfo() const
{
    if (!m_filePath)
        return {};
    const QFileInfo info(*m_filePath);
    if (!info.exists())
        return {};
    QVariantMap attributes;
    attributes.insert(QStringLiteral("size"), info.isFile() ? info.size() : qint64(0));
    attributes.insert(QStringLiteral("type"),
                      info.isDir() ? QStringLiteral("directory") : QStringLiteral("file"));
    attributes.insert(QStringLiteral("modified"), info.lastModified());
    return attributes;
}

qint64 PackItem::childrenSumSize() const
{
    qint64 sum = 0;
    if (!m_children)
        return sum;
    for (const PackItemPtr &child : *m_children) {
        const qint64 size = child->getFileInfo().value(QStringLiteral("size")).toLongLong();
        QM_DEBUG(QStringLiteral("%1:%2").arg(child->displayName().value_or(QString())).arg(size));
        sum += size;
    }
    return sum;
}
