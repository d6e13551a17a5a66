#pragma once

#include "platform/kit/OutlineDataSource.h"
#include "platform/kit/OutlineView.h"
#include "workspace/File.h"
#include "workspace/FileHistory.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QLabel;
class QPlainTextEdit;
class RBLPopover;
class ViewController;

// The history list beside the editor: the snapshots of the selected file,
// newest first, each named by what it was kept before, with its age in words
// after the name. A double click previews a snapshot
// in a popover, whose button rolls the file back to it.
class RollbackDelegate : public QObject, public OutlineDataSource
{
    Q_OBJECT

public:
    static constexpr double kRowHeight = 18.0;

    // The views are the interface's; the controller owns only its popover.
    RollbackDelegate(OutlineView *rolebackview, QLabel *coutLabel, QObject *parent = nullptr);
    ~RollbackDelegate() override;

    OutlineView *rolebackview() const { return m_rolebackview; }
    RBLPopover *historyPopover() const { return m_historyPopover.get(); }
    QLabel *historyTitle() const { return m_historyTitle; }
    QPlainTextEdit *historyTextView() const { return m_historyTextView; }

    QList<FileHistory> elements() const;
    File *selectedFile() const { return m_selectedFile; }

    // Shows the snapshots of the file (null for none).
    void intputFile(File *file);
    void refresh();

    void openPopover();
    void doRollback();
    void close();
    // One step older / newer than the selected snapshot.
    void rollbackToPrev();
    void rollbackToForward();

    int numberOfChildrenOfItem(OutlineView *outlineView, void *item) override;
    void *childOfItem(OutlineView *outlineView, int index, void *item) override;
    bool isItemExpandable(OutlineView *outlineView, void *item) override;
    QVariant objectValueForTableColumn(OutlineView *outlineView, int column, void *item, int role) override;

private:
    void rollBackToRow(int row, bool ignoreUndo);
    const FileHistory *elementAt(int row) const;

    QPointer<OutlineView> m_rolebackview;
    QPointer<QLabel> m_coutLabel;
    std::unique_ptr<ViewController> m_popoverContent;
    std::unique_ptr<RBLPopover> m_historyPopover;
    QLabel *m_historyTitle = nullptr;           // Owned by the popover content.
    QPlainTextEdit *m_historyTextView = nullptr; // Owned by the popover content.
    std::vector<std::unique_ptr<FileHistory>> m_elements;
    QPointer<File> m_selectedFile;
};
