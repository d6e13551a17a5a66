#pragma once

#include "workspace/File.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBlock>

class FileViewControllerInterface;

// The code editor of one text file. Its text is the File's content: every
// change is stored in the File as it is typed, one undo step of the shared
// undo manager per turn of the event loop (the view's own undo is off), and
// the view follows when the File's text is set from elsewhere ("reloadContent").
// The file viewer makes one per file and shows it again when the file is.
class CodeView : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit CodeView(QWidget *parent = nullptr);
    ~CodeView() override;

    File *file() const { return m_file; }
    void setFile(File *file);
    // The file viewer that made the view; not owned.
    FileViewControllerInterface *fileviewController() const { return m_fileviewController; }
    void setFileviewController(FileViewControllerInterface *controller) { m_fileviewController = controller; }

    // The text changed by typing: it becomes the File's content under the
    // undo action "type", and "refreshFileContent" tells the project.
    void didChangeText();
    // Ctrl+S: stores the text in the File and saves it; announces
    // "fileSavedByCommandS" when it was written, and with Shift held also
    // "saveAndRefresh". A file that cannot be written is named in an alert.
    // Answers whether the file was written.
    bool save(Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Shows the File's current text, keeping the selection when it still fits.
    void reloadContent();
    // Replaces the text without taking it for typing.
    void setTextSilently(const QString &text);

    // What the line-number ruler draws from.
    QTextBlock firstVisibleTextBlock() const { return firstVisibleBlock(); }
    QRectF textBlockGeometry(const QTextBlock &block) const;

Q_SIGNALS:
    // The view's text area scrolled or was redrawn (for its ruler).
    void textAreaUpdated();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    QPointer<File> m_file;
    FileViewControllerInterface *m_fileviewController = nullptr; // Not owned.
    bool m_settingText = false;
};
