#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The catalogue of element templates the palette and the DOM tree's menus
// offer: thirteen categories of template strings ("div", "meta
// charset='utf-8'", "#text"). A key is the category's name and its count,
// "1.Spotlights (22)". Built on first use, then the same for the process.
class DOMNodeLists
{
public:
    DOMNodeLists() = delete;

    static const QMap<QString, QStringList> &nodeMap();
    // The templates of a key, in order; empty for an unknown key.
    static QStringList nodeByCategory(const QString &key);
    // Every key in character order ("1.", "10.", ..., "13.", "2.", ...).
    static QStringList getNodeByCategory();
    // The keys in the order of the number each starts with.
    static QStringList categoriesByNumber();
    // Category keys ordered by the number before their first "."; equal
    // numbers keep their order.
    static QStringList sortedByNumber(QStringList keys);
};
