#include "RollbackDelegate.h"

#include "code/CodeView.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/NameDetailCell.h"
#include "platform/kit/OutlineView.h"
#include "platform/kit/ViewController.h"
#include "toolkit/RBLPopover.h"
#include "workspace/DateHumanInterval.h"
#include "workspace/File.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

RollbackDelegate::RollbackDelegate(OutlineView *rolebackview, QLabel *coutLabel, QObject *parent)
    : QObject(parent), m_rolebackview(rolebackview), m_coutLabel(coutLabel)
{
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("fileHistoryChanged"), nullptr,
                                                    [this](const Notification &) { refresh(); });

    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    m_historyTitle = new QLabel(content);
    m_historyTextView = new QPlainTextEdit(content);
    m_historyTextView->setReadOnly(true);
    m_historyTextView->setFont(CodeView::menloFont(11.0));
    auto *rollback = new QPushButton(tr("Rollback"), content);
    connect(rollback, &QPushButton::clicked, this, &RollbackDelegate::doRollback);
    layout->addWidget(m_historyTitle);
    layout->addWidget(m_historyTextView, 1);
    layout->addWidget(rollback, 0, Qt::AlignRight);
    m_popoverContent = std::make_unique<ViewController>();
    m_popoverContent->setView(content);
    m_historyPopover = std::make_unique<RBLPopover>(m_popoverContent.get());
    m_historyPopover->setContentSize(QSizeF(480, 320));
    m_historyPopover->setAnimates(true);

    if (m_rolebackview) {
        m_rolebackview->setDataSource(this);
        // A step's name, then its age, which gives way first where the
        // pane is narrow (#88).
        m_rolebackview->registerCell(QStringLiteral("rollbackcell"), new NameDetailCell(NameDetailCell::NameCut::AtEnd, Qt::ElideRight, m_rolebackview));
        OutlineDelegate delegate;
        delegate.cellIdentifierForTableColumn = [](OutlineView *, int, void *) { return QStringLiteral("rollbackcell"); };
        delegate.heightOfRowByItem = [](OutlineView *, void *) { return kRowHeight; };
        m_rolebackview->setDelegate(delegate);
        connect(m_rolebackview, &OutlineView::rowDoubleClicked, this, &RollbackDelegate::openPopover);
    }
}

RollbackDelegate::~RollbackDelegate()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    if (m_rolebackview)
        m_rolebackview->setDataSource(nullptr);
}

QList<FileHistory> RollbackDelegate::elements() const
{
    QList<FileHistory> list;
    for (const auto &element : m_elements)
        list.append(*element);
    return list;
}

void RollbackDelegate::intputFile(File *file)
{
    // The view may still compare old items while it takes the new ones.
    std::vector<std::unique_ptr<FileHistory>> old = std::move(m_elements);
    m_elements.clear();
    if (file) {
        for (const FileHistory &history : file->histories())
            m_elements.push_back(std::make_unique<FileHistory>(history));
    }
    if (m_rolebackview)
        m_rolebackview->reloadData();
    m_selectedFile = file;
    if (m_coutLabel)
        m_coutLabel->setText(QString::number(m_elements.size()));
}

void RollbackDelegate::refresh()
{
    intputFile(m_selectedFile);
}

const FileHistory *RollbackDelegate::elementAt(int row) const
{
    if (row < 0 || row >= int(m_elements.size()))
        return nullptr;
    return m_elements[size_t(row)].get();
}

void RollbackDelegate::openPopover()
{
    if (!m_rolebackview)
        return;
    const int row = m_rolebackview->selectedRow();
    const FileHistory *history = elementAt(row);
    if (!history)
        return;
    m_historyTitle->setText(tr("Modified at %1").arg(history->date().toString(QStringLiteral("HH:mm:ss"))));
    m_historyTextView->setPlainText(history->content());
    m_historyPopover->setBehavior(RBLPopover::Transient);
    m_historyPopover->showRelativeToRect(m_rolebackview->rectOfRow(row), m_rolebackview->viewport(),
                                         RectEdge::Below);
}

void RollbackDelegate::doRollback()
{
    if (m_rolebackview && m_selectedFile) {
        if (const FileHistory *history = elementAt(m_rolebackview->selectedRow())) {
            File *file = m_selectedFile;
            file->rollBackToHistory(*history);
            NotificationCenter::defaultCenter().postNotificationName(
                QStringLiteral("historyFileClicked"), this,
                {{QStringLiteral("file"), QVariant::fromValue(file)}});
        }
    }
    close();
}

void RollbackDelegate::close()
{
    if (m_historyPopover->isShown())
        m_historyPopover->close();
}

void RollbackDelegate::rollBackToRow(int row, bool ignoreUndo)
{
    const FileHistory *history = elementAt(row);
    if (!history || !m_selectedFile)
        return;
    // Copy first: rolling back takes no snapshot, but keep the record safe anyway.
    const FileHistory chosen = *history;
    File *file = m_selectedFile;
    file->rollBackToHistory(chosen);
    if (m_rolebackview)
        m_rolebackview->selectRowIndexes({row}, false);
    QVariantMap info{{QStringLiteral("file"), QVariant::fromValue(file)}};
    if (ignoreUndo)
        info.insert(QStringLiteral("ignoreUndo"), true);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("historyFileClicked"), this, info);
}

void RollbackDelegate::rollbackToPrev()
{
    if (!m_selectedFile || m_elements.empty() || !m_rolebackview)
        return;
    const int row = m_rolebackview->selectedRow();
    if (row == int(m_elements.size()) - 1)
        return;
    rollBackToRow(row < 0 ? 0 : row + 1, true);
}

void RollbackDelegate::rollbackToForward()
{
    if (!m_selectedFile || m_elements.empty() || !m_rolebackview)
        return;
    const int row = m_rolebackview->selectedRow();
    if (row == 0)
        return;
    rollBackToRow(row < 0 ? int(m_elements.size()) - 1 : row - 1, true);
}

int RollbackDelegate::numberOfChildrenOfItem(OutlineView *, void *item)
{
    return item ? 0 : int(m_elements.size());
}

void *RollbackDelegate::childOfItem(OutlineView *, int index, void *)
{
    return const_cast<FileHistory *>(elementAt(index));
}

bool RollbackDelegate::isItemExpandable(OutlineView *, void *)
{
    return false;
}

QVariant RollbackDelegate::objectValueForTableColumn(OutlineView *, int, void *item, int role)
{
    const auto *history = static_cast<const FileHistory *>(item);
    if (!history)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return history->name();
    case NameDetailCell::DetailRole:
        return DateHumanInterval::humanIntervalAgoSinceNow(history->date());
    case Qt::ToolTipRole:
        return QStringLiteral("%1, %2 (%3)")
            .arg(history->name(), DateHumanInterval::humanIntervalAgoSinceNow(history->date()),
                 history->date().toString(QStringLiteral("HH:mm:ss")));
    default:
        return {};
    }
}
