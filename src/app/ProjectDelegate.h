#pragma once

#include "interfaces/ProjectDelegateInterface.h"

#include <QList>
#include <QObject>

#include <memory>
#include <vector>

class File;

// The project controller: the projects, the file tree and the preview. This
// first form keeps the project list and answers the shell's questions about
// unsaved files; the project loading, the file tree and the preview fill in
// the rest of what the shell asks as they are built.
class ProjectDelegate : public QObject, public ProjectDelegateInterface
{
    Q_OBJECT

public:
    explicit ProjectDelegate(QObject *parent = nullptr);
    ~ProjectDelegate() override;

    // The project roots, in the list's order; the controller owns them.
    QList<File *> projects() const;
    void appendProject(std::unique_ptr<File> root);

    ExWebViewInterface *webview() override { return nullptr; }
    QWidget *finderView() override { return nullptr; }
    File *lastPreviewedFile() override { return nullptr; }
    File *clickedFile() override { return nullptr; }
    File *selectedFile() override { return nullptr; }

    // Whether a file of a project, walked depth-first, has unsaved changes.
    bool hasModified() override;
    // Saves every modified file of every project and marks it as having no
    // change pending. The walk goes on past a file that cannot be written.
    void saveOnQuit() override;

    void confirmDownloadTurtorialProject() override {}
    void reloadProjectConfigView() override {}
    void fileNameTextFieldDisable(bool) override {}
    void updateDetectLayer() override {}
    void clearDetectLayer() override {}
    void doSetPreviewWithLastIndex() override {}
    void detectLockDownHandler(QMouseEvent *) override {}
    void detectLockCommitHandler(QMouseEvent *) override {}

private:
    std::vector<std::unique_ptr<File>> m_projects;
};
