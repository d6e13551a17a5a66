#pragma once

#include <QString>

// One row of a resource's header list: the header's name (title) and its
// value (displayName). A leaf: it has no children.
class ResourceInfo
{
public:
    ResourceInfo() = default;
    ResourceInfo(QString title, QString displayName) : m_title(std::move(title)), m_displayName(std::move(displayName)) {}

    QString title() const { return m_title; }
    void setTitle(const QString &title) { m_title = title; }
    QString displayName() const { return m_displayName; }
    void setDisplayName(const QString &name) { m_displayName = name; }
    bool isLeaf() const { return true; }

private:
    QString m_title;
    QString m_displayName;
};
