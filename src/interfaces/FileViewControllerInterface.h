#pragma once

class File;
class QPlainTextEdit;

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
};
