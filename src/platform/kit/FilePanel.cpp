#include "FilePanel.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>

namespace {
std::function<std::optional<QStringList>(const FilePanel &)> &panelResponder()
{
    static std::function<std::optional<QStringList>(const FilePanel &)> s_responder;
    return s_responder;
}
} // namespace

FilePanel::FilePanel(Kind kind)
    : m_kind(kind)
{
}

FilePanel::~FilePanel() = default;

void FilePanel::setResponder(std::function<std::optional<QStringList>(const FilePanel &)> answer)
{
    panelResponder() = std::move(answer);
}

QFileDialog *FilePanel::makeDialog(QWidget *parent) const
{
    // The message stands in the dialog's title, where a desktop dialog shows it.
    auto *dialog = new QFileDialog(parent, m_message);
    dialog->setDirectory(m_directory.isEmpty() ? QDir::homePath() : m_directory);
    if (m_kind == Kind::Save) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        if (!m_nameFieldStringValue.isEmpty())
            dialog->selectFile(m_nameFieldStringValue);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        if (m_canChooseDirectories && !m_canChooseFiles) {
            dialog->setFileMode(QFileDialog::Directory);
            dialog->setOption(QFileDialog::ShowDirsOnly, true);
        } else {
            dialog->setFileMode(m_allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        }
    }
    dialog->setOption(QFileDialog::ReadOnly, !m_canCreateDirectories);
    if (!m_prompt.isEmpty())
        dialog->setLabelText(QFileDialog::Accept, m_prompt);
    return dialog;
}

void FilePanel::beginSheetModalForWindow(QWidget *window, Completion completion) const
{
    if (panelResponder()) {
        const std::optional<QStringList> paths = panelResponder()(*this);
        if (completion)
            completion(paths ? OKButton : CancelButton, paths.value_or(QStringList()));
        return;
    }
    QFileDialog *dialog = makeDialog(window);
    dialog->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, completion](int result) {
        if (completion)
            completion(result == QDialog::Accepted ? OKButton : CancelButton,
                       result == QDialog::Accepted ? dialog->selectedFiles() : QStringList());
    });
    dialog->open();
    // The panel has the keyboard, in its name field: what the user types
    // goes there at once.
    dialog->activateWindow();
    if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        name->setFocus(Qt::ActiveWindowFocusReason);
}
