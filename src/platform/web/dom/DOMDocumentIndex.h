#pragma once

#include <QHash>
#include <QList>
#include <QString>

class DOMDocument;
class DOMElement;

// Lookup tables of the selector engine over a document's tree (template
// contents excepted): the elements in tree order, each with its position among
// all elements and among its siblings, and the elements by id, class and
// ASCII-lower-case local name. Rebuilt in one walk when the document's tree
// version moved on; in quirks mode ids and classes are keyed lower-case.
class DOMDocumentIndex
{
public:
    bool isCurrent(const DOMDocument &document) const;
    void update(const DOMDocument &document);

    const QList<DOMElement *> &elements() const { return m_elements; }
    const QList<DOMElement *> &elementsWithId(const QString &elementId) const;
    const QList<DOMElement *> &elementsWithClass(const QString &className) const;
    const QList<DOMElement *> &elementsWithLocalName(const QString &lowerCaseName) const;

private:
    static void indexChildren(const QList<DOMElement *> &children);

    quint64 m_version = 0;
    bool m_quirks = false;
    QList<DOMElement *> m_elements; // Not owned.
    QHash<QString, QList<DOMElement *>> m_byId;
    QHash<QString, QList<DOMElement *>> m_byClass;
    QHash<QString, QList<DOMElement *>> m_byName;
};
