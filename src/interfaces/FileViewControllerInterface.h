#pragma once

class File;
class QPlainTextEdit;

// What the shell asks of the centre-pane file viewer. Implemented by the
// file viewer controller; called by the shell (AppDelegate), which
// Controllers::install() hands the controller.
class FileViewControllerInterface
{
public:
    virtual ~FileViewControllerInterface() = default;

    // The file shown in the centre pane, or null.
    virtual File *mainFile() = 0;
    // The text view of that file, or null when it is not shown as text.
    virtual QPlainTextEdit *mainTextView() = 0;
};
