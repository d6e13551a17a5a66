#pragma once

#include "platform/foundation/Result.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>

#include <memory>

class DOMDocument;
class DOMNode;

// The snapshot of a page's document that the bridge script delivers in one
// answer, and the mirror built from it. JSON:
//
//   {"version": 1, "document": 1, "mode": "CSS1Compat" | "BackCompat",
//    "nodes": [record, ...]}
//
// One record per node, in any order, keyed by the node's id (not 0):
//   {"id": 1, "type": 9, "children": [2, 3]}                                   document
//   {"id": 2, "type": 10, "name": "html", "publicId": "", "systemId": ""}      doctype
//   {"id": 3, "type": 1, "name": "html", "attrs": [["lang", "en"]], "children": [4, 5]}
//   {"id": 7, "type": 1, "name": "use", "ns": "http://www.w3.org/2000/svg",
//    "attrs": [["xlink:href", "#a", "http://www.w3.org/1999/xlink"]]}        element
//   {"id": 8, "type": 3, "text": "Hello"}   {"id": 9, "type": 8, "text": " c "}   text, comment
//   {"id": 10, "type": 1, "name": "template", "content": 11}
//   {"id": 11, "type": 11, "children": [12]}                                   fragment
//
// "name" is an element's local name ("prefix" beside it when it has one), "ns"
// its namespace (absent for HTML); attributes keep their order as
// [qualified name, value] or [qualified name, value, namespace]; "children"
// lists child ids in order; "content" names a template's content fragment.
//
// Version 2 sends the document's records under "tree" instead of "nodes",
// compactly and in tree order (a node, then its template content, then its
// children), after "document"; ids are not sent, each record's is the one
// after the previous record's, the first being "document"'s. The mirror is
// built as the records are read:
//
//   [9, 2]                                  document with 2 children
//   [10, "html", "", ""]                    doctype: name, publicId, systemId
//   ["div", 1, "class", "row"]              HTML element: local name, child count, attributes
//   [1, "use", "", "http://www.w3.org/2000/svg", 0, ["xlink:href", "http://www.w3.org/1999/xlink"], "#a"]
//                                           element: local name, prefix, namespace, child count, attributes
//   "Hello"   [8, " c "]                    text, comment
//   [11, 1]                                 a template's content fragment with 1 child
//
// An attribute is its qualified name and value, or [qualified name, namespace] and value.
//
// Reading never trusts the text: malformed records, unknown or repeated ids
// and nodes claimed by two parents are logged and left out; nothing is
// recursive, so any depth is safe.
class DOMSnapshot
{
public:
    static constexpr int s_version = 1;
    static constexpr int s_treeVersion = 2;

    // A new document; nothing is recorded in its replay log.
    static Result<std::shared_ptr<DOMDocument>> readDocument(const QByteArray &json);
    static Result<std::shared_ptr<DOMDocument>> readDocument(const QJsonObject &snapshot);

    // Detached nodes for document (subtrees the page added): the records that
    // no other record lists as a child, in record order. Not recorded in the
    // replay log, since the page has them already.
    static QList<std::shared_ptr<DOMNode>> readNodes(DOMDocument &document, const QJsonArray &records);

    // The snapshot of a document in the form above (ids as they are).
    static QJsonObject write(const DOMDocument &document);
    // The records of a node and everything below it.
    static QJsonArray writeNodes(const DOMNode &root);
};
