#pragma once

#include <QString>

// What the code assist knows of the caret, one record for the whole program,
// shared by every code view and the reference popup. Every operation reads
// the caret again, so a record left by another view is simply overwritten.
struct CodeAssistContext
{
    // What the popup's list holds: the code view sets -1, 1, 2, 4 or 6, the
    // popup the final 3 or 5 when it builds its list.
    enum CodeType : int {
        None = -1,
        TagNames = 1,
        AttributeNames = 2,
        AttributeValues = 3,
        PropertyNames = 4,
        PropertyValues = 5,
        ScriptItems = 6,
    };

    int codeType = None;
    // The tag the caret stands in or after.
    QString currentTag;
    // The attribute whose quoted value precedes the caret, with the blank before it.
    QString attributeName;
    // The tag compared with "style" and "script".
    QString parentTag;
    // The whole open tag around the caret, "<" to ">".
    QString tagText;
    // Start of the first selected range, as an index of the file's text.
    int caretLocation = 0;
    // Where the caret stood before the last selection change.
    int previousCaretLocation = 0;
    bool popupShown = false;
    // The list follows the typing: hiding the popup turns into a re-search.
    bool keepAssisting = false;
    // The arrow keys are moving the popup's selection, not the caret.
    bool listNavigation = false;

    static CodeAssistContext &shared();
};
