#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QFileDialog;
class QWidget;

// The kit's open and save panels over QFileDialog, shown as a sheet: modal
// to one window, answering once through a completion handler with the
// response and the chosen paths.
class FilePanel
{
public:
    enum class Kind { Open, Save };
    enum Response : int { CancelButton = 0, OKButton = 1 };
    using Completion = std::function<void(int response, const QStringList &paths)>;

    explicit FilePanel(Kind kind);
    ~FilePanel();

    Kind kind() const { return m_kind; }
    QString message() const { return m_message; }
    void setMessage(const QString &message) { m_message = message; }
    // The title of the button that accepts ("Save", "Open" when empty).
    QString prompt() const { return m_prompt; }
    void setPrompt(const QString &prompt) { m_prompt = prompt; }
    bool canChooseDirectories() const { return m_canChooseDirectories; }
    void setCanChooseDirectories(bool can) { m_canChooseDirectories = can; }
    bool canChooseFiles() const { return m_canChooseFiles; }
    void setCanChooseFiles(bool can) { m_canChooseFiles = can; }
    bool allowsMultipleSelection() const { return m_allowsMultipleSelection; }
    void setAllowsMultipleSelection(bool allows) { m_allowsMultipleSelection = allows; }
    bool canCreateDirectories() const { return m_canCreateDirectories; }
    void setCanCreateDirectories(bool can) { m_canCreateDirectories = can; }
    QString nameFieldStringValue() const { return m_nameFieldStringValue; }
    void setNameFieldStringValue(const QString &name) { m_nameFieldStringValue = name; }
    QString directory() const { return m_directory; }
    void setDirectory(const QString &directory) { m_directory = directory; }

    // Shows the panel modal to the window; the completion runs once, when the
    // user has answered (at once when a responder answers).
    void beginSheetModalForWindow(QWidget *window, Completion completion) const;

    // The dialog the panel shows, built from the current settings.
    QFileDialog *makeDialog(QWidget *parent) const;

    // Answers panels in place of the user (tests, scripted runs): the
    // responder gets the panel and returns the chosen paths, or nullopt for
    // Cancel. Empty: ask the user.
    static void setResponder(std::function<std::optional<QStringList>(const FilePanel &)> responder);

private:
    Kind m_kind;
    QString m_message;
    QString m_prompt;
    bool m_canChooseDirectories = false;
    bool m_canChooseFiles = true;
    bool m_allowsMultipleSelection = false;
    bool m_canCreateDirectories = true;
    QString m_nameFieldStringValue;
    QString m_directory;
};
