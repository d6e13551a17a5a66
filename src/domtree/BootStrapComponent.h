#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QVariantMap>

// The component catalogue: the fragment files of the "Bootstrap" resource
// folder, one category per sub-folder. A key is the category's ordinal, its
// folder's name and its count, "1.alerts (3)"; a record is {"file": the
// fragment's path, "title": its file name}. Read anew on every call; a
// missing folder gives an empty catalogue.
class BootStrapComponent
{
public:
    BootStrapComponent() = delete;

    static QMap<QString, QList<QVariantMap>> nodeMap();
    // The catalogue of another folder laid out the same way.
    static QMap<QString, QList<QVariantMap>> nodeMapIn(const QString &folder);
    // The records of a key; empty for an unknown key.
    static QList<QVariantMap> nodeByCategory(const QString &key);
    // Every key in character order.
    static QStringList getNodeByCategory();
    // The keys of a catalogue in the order of the number each starts with.
    static QStringList categoriesByNumber(const QMap<QString, QList<QVariantMap>> &map);
};
