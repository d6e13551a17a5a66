#pragma once

class File;
class QPlainTextEdit;
class QString;

// What the other subsystems ask of the centre-pane file viewer. Implemented
// by FileViewController (src/app); called by the shell, the code view and
// the panels, which Controllers::install() hands the controller.
class FileViewControllerInterface
{
public:
    virtual ~FileViewControllerInterface() = default;

    // The file shown in the centre pane, or null.
    virtual File *mainFile() = 0;
    // The text view of that file, or null when it is not shown as text.
    virtual QPlainTextEdit *mainTextView() = 0;

    // Shows the file in the centre pane, with its project's settings beside it.
    virtual void viewFile(File *file) = 0;
    // Shows the file and nothing else.
    virtual void viewFileWithNoOpen(File *file) = 0;
    // Shows the file scrolled to its beginning.
    virtual void viewFileWithScrollTop(File *file) = 0;
    // Saves the file of the code view that had the keyboard focus last.
    virtual void saveDocument() = 0;
    // Saves the file the user sees chosen: `chosen` (the project list's
    // choice) when it has unsaved edits, else the file shown in the centre
    // pane; a failure is told in an alert. Answers the file acted on, null
    // when there is none.
    virtual File *saveChosenFile(File *chosen) = 0;
    // Tells the user what a save did not do, over the centre pane, without
    // taking the keyboard.
    virtual void showSaveNotice(const QString &text) = 0;
};
