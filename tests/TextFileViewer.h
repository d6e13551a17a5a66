#pragma once

#include "interfaces/FileViewControllerInterface.h"
#include "workspace/File.h"

#include <QPlainTextEdit>

// The centre pane's file viewer as a test needs it: the file shown in a
// plain text view (none before a file is shown).
class TextFileViewer : public FileViewControllerInterface
{
public:
    File *shown = nullptr;
    QPlainTextEdit text;
    File *mainFile() override { return shown; }
    QPlainTextEdit *mainTextView() override { return shown ? &text : nullptr; }
    void viewFile(File *file) override
    {
        shown = file;
        text.setPlainText(file->currentContent().value_or(QString()));
    }
    void viewFileWithNoOpen(File *file) override { viewFile(file); }
    void viewFileWithScrollTop(File *file) override { viewFile(file); }
    void saveDocument() override {}
    File *saveChosenFile(File *) override { return nullptr; }
    void showSaveNotice(const QString &) override {}
};
