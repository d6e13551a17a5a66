// StyleSheetsManagerDelegate: the list's selection, clicks and keys, and the
// declaration list that follows it.

#include "StyleSheetsManagerDelegate.h"
#include "StyleSheetsManagerDelegate_p.h"

#include "StyleSheetsManagerListRowView.h"

#include "cssrules/CSSOutlineDelegate.h"
#include "foundation/InspectUndoManager.h"
#include "interfaces/CreateSelectorManagerInterface.h"
#include "interfaces/FileViewControllerInterface.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>

namespace {

using Row = StyleSheetsManagerDelegate::Row;

using StyleSheetsManagerDelegatePrivate::rowOfItem;

bool isUndoingOrRedoing()
{
    InspectUndoManager *undo = File::sharedUndoManager();
    return undo && (undo->isUndoing() || undo->isRedoing());
}

} // namespace

OutlineDelegate StyleSheetsManagerDelegate::listDelegate()
{
    OutlineDelegate delegate;
    delegate.cellIdentifierForTableColumn = [](OutlineView *, int, void *) { return QStringLiteral("SelectorCell"); };
    delegate.rowViewForItem = [](OutlineView *, void *item) -> RowView * {
        const Row *row = rowOfItem(item);
        return new StyleSheetsManagerListRowView(row && row->declaration && row->declaration->type() == RuleType::Media);
    };
    delegate.selectionIndexesForProposedSelection = [this](OutlineView *, const QList<int> &proposed) {
        // A selection holds rules of one file, one kind, one level and one block.
        const QList<int> current = m_selectorListView->selectedRowIndexes();
        if (current.isEmpty() || proposed.size() <= 1)
            return proposed;
        const Row *first = rowAt(current.first());
        if (!first)
            return proposed;
        if (first->file)
            return QList<int>{current.first()};
        QList<int> kept;
        for (int index : proposed) {
            const Row *row = rowAt(index);
            if (!row || !row->declaration || row->level != first->level)
                continue;
            if (row->declaration->parentFile() != first->declaration->parentFile()
                || row->declaration->type() != first->declaration->type())
                continue;
            if (row->level != 1 && row->parent != first->parent)
                continue;
            kept.append(index);
        }
        return kept;
    };
    delegate.selectionDidChange = [this](OutlineView *) { selectionChanged(); };
    // An @media block stays open; while a rule is dragged, blocks open only with Ctrl held.
    delegate.shouldCollapseItem = [](OutlineView *, void *item) {
        const Row *row = rowOfItem(item);
        return !(row && row->declaration && row->declaration->type() == RuleType::Media);
    };
    delegate.shouldExpandItem = [this](OutlineView *, void *) {
        return !m_isDragging || (QGuiApplication::keyboardModifiers() & Qt::ControlModifier);
    };
    delegate.itemDidCollapse = [this](OutlineView *, void *item) {
        if (const Row *row = rowOfItem(item); row && row->file && !m_selecting)
            m_collapsedFiles.insert(row->file->path());
    };
    delegate.itemDidExpand = [this](OutlineView *, void *item) {
        if (const Row *row = rowOfItem(item); row && row->file)
            m_collapsedFiles.remove(row->file->path());
    };
    // Style rules, @media queries and keyframes names are renamed in place.
    delegate.shouldEditTableColumn = [this](OutlineView *, int, void *item) {
        const Row *row = rowOfItem(item);
        if (!row || !row->declaration || row->declaration->isUnspecified() || refusesEditing(row))
            return false;
        const int type = row->declaration->type();
        return type == RuleType::Style || type == RuleType::Media || type == RuleType::Keyframes
               || type == RuleType::MediaStyle;
    };
    delegate.delete_ = [this](QObject *) { removeSelected(); };
    delegate.cut = [this](QObject *) { cut(); };
    delegate.copy = [this](QObject *) { copy(); };
    delegate.paste = [this](QObject *) { paste(); };
    delegate.saveOutlineview = [this](QObject *) { saveOutlineview(); };
    delegate.focusToInput = [this](QKeyEvent *) { focusToInput(); };
    delegate.keyDown = [this](QKeyEvent *event) { keyDown(event); };
    delegate.mouseDown = [this](QMouseEvent *) { mouseDown(); };
    return delegate;
}

QList<Row *> StyleSheetsManagerDelegate::selectorListSelection() const
{
    QList<Row *> rows;
    if (!m_view)
        return rows;
    for (int index : m_selectorListView->selectedRowIndexes()) {
        if (Row *row = rowAt(index))
            rows.append(row);
    }
    return rows;
}

QList<StyleDeclarationPtr> StyleSheetsManagerDelegate::selectedDeclarations() const
{
    QList<StyleDeclarationPtr> list;
    for (const Row *row : selectorListSelection()) {
        if (row->declaration)
            list.append(row->declaration);
    }
    return list;
}

QWidget *StyleSheetsManagerDelegate::selectorListView()
{
    return m_view ? m_selectorListView : nullptr;
}

void StyleSheetsManagerDelegate::selectionChanged()
{
    if (!m_view)
        return;
    m_declarationListView->reloadData();
    // The footer follows every change of the selection, quiet ones too (#67).
    updateSelectorInputView();
    if (m_selecting || m_inChange || isUndoingOrRedoing())
        return;
    QM_DEBUG(QStringLiteral("selector selection changed"));
    m_declarationListTimer.start(0);
    m_insertModeTimer.start();
}

void StyleSheetsManagerDelegate::updateCSSDeclarationList()
{
    m_declarationListTimer.stop();
    if (!m_rules || !m_view)
        return;
    const QList<Row *> selected = selectorListSelection();
    if (selected.size() == 1 && selected.first()->declaration) {
        const StyleDeclarationPtr rule = selected.first()->declaration;
        NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("deSelectDomNode"), this);
        QTimer::singleShot(100, this, [this, rule] { setRulesToCSSOutLine(rule); });
        highlightMatches(rule);
        return;
    }
    m_rules->hideRelatedElementsBounds();
    if (!selected.isEmpty() && selected.last()->file)
        m_rules->resigneStyleDeclarationSelection();
    else
        m_rules->updateRulesByStyleDeclaration(nullptr);
}

void StyleSheetsManagerDelegate::setRulesToCSSOutLine(const StyleDeclarationPtr &rule)
{
    // The rule may have gone with a rebuild in between.
    if (!m_rules || !rule || rule->isRemoved() || !rowOf(rule))
        return;
    const QList<StyleDeclarationPtr> selected = selectedDeclarations();
    if (selected.size() != 1 || selected.first() != rule)
        return;
    m_ignoreSelectFromRule = true;
    m_rules->updateRulesByStyleDeclaration(rule);
    m_ignoreSelectFromRule = false;
}

void StyleSheetsManagerDelegate::singleClick()
{
    fileNameTextFieldDisable(true);
    const QList<Row *> selected = selectorListSelection();
    if (!m_rules || selected.size() != 1 || !selected.first()->declaration)
        return;
    highlightMatches(selected.first()->declaration);
}

void StyleSheetsManagerDelegate::highlightMatches(const StyleDeclarationPtr &rule)
{
    if (rule->type() != RuleType::Style && rule->type() != RuleType::MediaStyle)
        return;
    // A rule matching nothing outlines nothing and leaves the rules panel empty.
    if (matchCount(*rule) > 0) {
        m_rules->highlightSelectorNodes(strippedSelector(rule->selector()));
    } else {
        m_rules->hideRelatedElementsBounds();
        m_rules->updateRulesByStyleDeclaration(nullptr);
    }
}

void StyleSheetsManagerDelegate::doubleClick()
{
    const Row *row = rowAt(m_selectorListView->clickedRow());
    if (!row || !m_rules)
        return;
    if (row->file) {
        if (CreateSelectorManagerInterface *dialog = m_rules->createSelectorManager()) {
            dialog->prepareSelection(row->file.data());
            dialog->setCreateSelectorMode(row->file);
        }
        if (FileViewControllerInterface *viewer = m_rules->fileViewController())
            viewer->viewFileWithScrollTop(row->file);
        return;
    }
    m_rules->selectCSS(row->declaration);
}

void StyleSheetsManagerDelegate::fileNameTextFieldDisable(bool disable)
{
    const int selected = m_view ? m_selectorListView->selectedRow() : -1;
    if (selected < 0)
        return;
    const Row *row = rowAt(selected);
    if (disable)
        m_fieldRefusingRow = row;
    else if (m_fieldRefusingRow == row)
        m_fieldRefusingRow = nullptr;
}

void StyleSheetsManagerDelegate::mouseDown()
{
    // The press usually takes the focus from the name field first, where
    // the list drops the edit itself (setAbortsEditingOnMouseDown).
    if (m_view && m_selectorListView->selectedRow() >= 0 && m_selectorListView->isEditing())
        m_selectorListView->abortEditing();
}

void StyleSheetsManagerDelegate::keyDown(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return;
    // Return edits the selected row's name (the list starts the edit).
    fileNameTextFieldDisable(false);
    const QList<Row *> selected = selectorListSelection();
    if (selected.size() != 1 || !selected.first()->file || !m_rules)
        return;
    // Return on a style sheet asks for a new rule in it.
    File *file = selected.first()->file;
    if (CreateSelectorManagerInterface *dialog = m_rules->createSelectorManager()) {
        dialog->setCreateSelectorMode(file);
        dialog->prepareSelection(file);
        if (m_rules->displayStyleSheetManager())
            dialog->present(m_view);
    }
    event->accept();
}

File *StyleSheetsManagerDelegate::updateSelectorInputView()
{
    const QList<Row *> selected = selectorListSelection();
    const Row *last = selected.isEmpty() ? nullptr : selected.last();
    File *file = !last ? nullptr : last->file ? last->file.data() : last->declaration->parentFile();
    m_selectorInputView->setEnabled(last);
    m_insertTargetLabel->setText(file ? file->displayName() : QString());
    return file;
}

void StyleSheetsManagerDelegate::updateSelectorInsertMode()
{
    File *file = updateSelectorInputView();
    const QList<Row *> selected = selectorListSelection();
    if (selected.isEmpty())
        return;
    const Row *last = selected.last();
    CreateSelectorManagerInterface *dialog = m_rules ? m_rules->createSelectorManager() : nullptr;
    if (file) {
        if (dialog && !dialog->selectedFile())
            dialog->setCreateSelectorMode(file);
        NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("insertFileChanged"), this,
                                                                 {{QStringLiteral("file"), QVariant::fromValue(file)}});
    }
    if (dialog && selected.size() == 1) {
        if (last->file)
            dialog->prepareSelection(last->file.data());
        else
            dialog->prepareSelection(last->declaration);
    }
}

void StyleSheetsManagerDelegate::showAddSelector()
{
    CreateSelectorManagerInterface *dialog = m_rules ? m_rules->createSelectorManager() : nullptr;
    if (!dialog)
        return;
    // The new rule goes after the last chosen rule, or first in the chosen style sheet.
    const QList<Row *> selected = selectorListSelection();
    const Row *last = selected.isEmpty() ? nullptr : selected.last();
    if (last && last->declaration && last->declaration->type() == RuleType::Media) {
        if (const CSSRulePtr media = m_rules->cssRuleByStyleDeclaration(last->declaration))
            dialog->setCreateSelectorInMediaMode(media);
    } else if (last) {
        File *file = last->file ? last->file.data() : last->declaration->parentFile();
        dialog->setCreateSelectorMode(file);
        if (last->file)
            dialog->prepareSelection(file);
        else
            dialog->prepareSelection(last->declaration);
    } else {
        dialog->setCreateSelectorMode(nullptr);
    }
    if (m_rules->displayStyleSheetManager())
        dialog->present(m_view);
}

void StyleSheetsManagerDelegate::focusToInput()
{
    showAddSelector();
}

void StyleSheetsManagerDelegate::saveOutlineview()
{
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("savedByCommand"), this);
}

void StyleSheetsManagerDelegate::reselectSelectorWithClickedSelector()
{
    if (m_view)
        m_declarationListTimer.start(100);
}

void StyleSheetsManagerDelegate::selectRuleRow(const StyleDeclarationPtr &rule, bool quietly)
{
    if (!m_view || (quietly && m_ignoreSelectFromRule))
        return;
    Row *row = rowOf(rule);
    if (!row)
        return;
    // The style sheet first, then the block.
    if (Row *sheet = rowOfFile(rule->parentFile()))
        m_selectorListView->expandItem(sheet);
    if (row->parent && row->level == 2)
        m_selectorListView->expandItem(row->parent);
    const int index = m_selectorListView->rowForItem(row);
    if (index < 0)
        return;
    m_selecting = quietly;
    m_selectorListView->selectRowIndexes({index}, false);
    m_selecting = false;
    m_selectorListView->scrollRowToVisible(index);
}

void StyleSheetsManagerDelegate::selectItemFromRule(const std::shared_ptr<StyleDeclaration> &rule)
{
    // The rules panel chose it: it is not shown again.
    selectRuleRow(rule, true);
}

void StyleSheetsManagerDelegate::selectItemFromRuleWithUpdate(const StyleDeclarationPtr &rule)
{
    selectRuleRow(rule, false);
}

bool StyleSheetsManagerDelegate::selectItem(Row *row)
{
    if (!row || !m_view)
        return false;
    int index = m_selectorListView->rowForItem(row);
    if (index < 0) {
        for (Row *parent = row->parent; parent; parent = parent->parent)
            m_selectorListView->expandItem(parent);
        index = m_selectorListView->rowForItem(row);
    }
    if (index < 0)
        return false;
    m_selectorListView->selectRowIndexes({index}, false);
    m_selectorListView->scrollRowToVisible(index);
    return true;
}
