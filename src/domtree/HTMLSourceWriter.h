#pragma once

#include "workspace/IgnoreOptionValue.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class DOMDocument;
class DOMEditRecord;
class HTMLSourcePairing;
class PageTextGenerator;

// Writes the live page back into the text of its file by splicing: the
// file's own characters are copied for every node no edit touched (case,
// quotes, entities, indentation, blank lines, comments, document type), and
// the program's text is written only where an edit was made:
//
// - an element whose attributes an edit changed gets the values the user
//   set for those attributes inside its start tag (StartTagText), unless
//   they are back to what the file holds (an undo);
// - a text or comment an edit changed gets the text the user typed between
//   the file's white space around it;
// - a node the program took out leaves with the white space before it;
// - a node the program put in is written after its nearest earlier sibling
//   that the file holds, in the indented layout with the file's indent
//   unit, from the copy the edit record took as it went in; what in it was
//   the author's (a move, a wrap, a copy) as the file has it;
// - an element left out by the ignore marks is removed, but the rules that
//   only keep out what page scripts add (the project defaults) never remove
//   an element of the file; one whose mark goes comes back, since the text
//   it is spliced from still holds it;
// - an element whose ignore rules change its attributes, or put a named
//   snippet in place of its content, gets that.
//
// What page scripts added, removed or changed, and file text that could not
// be paired, is written as the file has it.
class HTMLSourceWriter
{
public:
    struct Settings
    {
        // Writes inserted nodes and named snippets; holds every ignore rule.
        const PageTextGenerator *generator = nullptr; // Not owned.
        // The rules that may leave out an element the file holds.
        QList<IgnoreOptionValue> fileRules;
        QStringList headerIgnoreOption;
        bool format = false;
    };

    // The page's new text, or nullopt when the text could not be paired
    // with the page (the caller leaves the file as it is).
    static std::optional<QString> write(const HTMLSourcePairing &pairing, const DOMDocument &live,
                                        const DOMEditRecord &edits, const Settings &settings);

    // The text the write-back gives each of the live nodes, as it would
    // write the page now: the file's own text with the user's edits, from
    // the start of the node's line when only indentation stands before it;
    // empty for a node only a page script made. Nullopt when the text could
    // not be paired with the page.
    static std::optional<QStringList> textsOf(const HTMLSourcePairing &pairing, const DOMDocument &live,
                                              const DOMEditRecord &edits, const Settings &settings,
                                              const QList<const DOMNode *> &nodes);

    // The rules of the list that are not among the project defaults
    // (ProjectUtil::defaultIgnoreOption()).
    static QList<IgnoreOptionValue> withoutDefaultRules(const QList<IgnoreOptionValue> &rules);
};
