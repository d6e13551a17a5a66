#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <memory>
#include <optional>

class PackItem;
using PackItemPtr = std::shared_ptr<PackItem>;

// A node of a project's script package tree (ProjectSetting): a target with
// its script and style groups, a package, or a source file of a package.
// The kind is `type`; an absent type reads as a target. An item owns its
// children; its parent link is weak and is exactly what was set: groups made
// with a target have none, and a moved item names the package it went to.
class PackItem
{
public:
    enum Type : int { Target = 0, Package = 1, DiskFile = 2, ScriptGroup = 3, StyleGroup = 4 };

    // A new item has an empty child list.
    PackItem();
    static PackItemPtr create(std::optional<int> type = std::nullopt);
    // An item as read from the settings file: no child list until one is set.
    static PackItemPtr createWithoutChildren();

    std::optional<int> storedType() const { return m_type; }
    int type() const { return m_type.value_or(Target); }
    void setType(std::optional<int> type) { m_type = type; }
    std::optional<QString> filePath() const { return m_filePath; }
    void setFilePath(std::optional<QString> path) { m_filePath = std::move(path); }
    std::optional<QString> content() const { return m_content; }
    void setContent(std::optional<QString> content) { m_content = std::move(content); }
    std::optional<QDateTime> contentUpdateDate() const { return m_contentUpdateDate; }
    void setContentUpdateDate(std::optional<QDateTime> date) { m_contentUpdateDate = std::move(date); }

    // Null when the item has no child list at all (isLeaf()).
    const QList<PackItemPtr> *children() const { return m_children ? &*m_children : nullptr; }
    QList<PackItemPtr> *mutableChildren() { return m_children ? &*m_children : nullptr; }
    void setChildren(std::optional<QList<PackItemPtr>> children) { m_children = std::move(children); }
    // Gives the item an empty child list when it has none.
    QList<PackItemPtr> &ensureChildren();

    PackItemPtr parent() const { return m_parent.lock(); }
    void setParent(const PackItemPtr &parent) { m_parent = parent; }

    // "target", the file name or "New Package", "Script", "Style"; null for
    // any other type.
    std::optional<QString> displayName() const;
    // A package: type 1 with a child list (an empty one counts).
    bool isPack() const { return type() == Package && m_children.has_value(); }
    bool isLeaf() const { return !m_children.has_value(); }
    // -1 without a child list.
    int numberOfChildren() const { return m_children ? int(m_children->size()) : -1; }
    PackItemPtr childAtIndex(int index) const;
    // The file's "size", "type" ("file" or "directory") and "modified" date; empty when
    // the file cannot be examined.
    QVariantMap getFileInfo() const;
    // The sizes of the children's files, 0 for a missing one.
    qint64 childrenSumSize() const;
    static PackItem *rootItem() { return nullptr; }

private:
    std::optional<int> m_type;
    std::optional<QString> m_filePath;
    std::optional<QString> m_content;
    std::optional<QList<PackItemPtr>> m_children;
    std::weak_ptr<PackItem> m_parent;
    std::optional<QDateTime> m_contentUpdateDate;
};
