// DomTreeDelegate: the element find bar above the tree, and expanding or
// collapsing the whole tree.

#include "DomTreeDelegate.h"

#include "DomTreeOutlineView.h"

#include "platform/kit/OutlineItemModel.h"
#include "toolkit/SearchFieldEx.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

void DomTreeDelegate::buildFindBar()
{
    auto *layout = qobject_cast<QVBoxLayout *>(m_view->layout());
    if (!layout || !m_outlineView)
        return;
    m_findBar = new QWidget(m_view);
    m_findBar->setObjectName(QStringLiteral("domFindBar"));
    m_findBar->setFixedHeight(25);
    auto *row = new QHBoxLayout(m_findBar);
    row->setContentsMargins(4, 1, 4, 1);
    row->setSpacing(4);
    m_domSearchField = new SearchFieldEx(m_findBar);
    m_domSearchField->setObjectName(QStringLiteral("domSearchField"));
    m_domSearchField->setPlaceholderText(tr("Find Element"));
    m_domSearchField->setEnabled(false);
    row->addWidget(m_domSearchField, 1);
    m_resultNumLabel = new QLabel(m_findBar);
    m_resultNumLabel->setObjectName(QStringLiteral("resultNumLabel"));
    m_resultNumLabel->setMinimumWidth(m_resultNumLabel->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
    m_resultNumLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    row->addWidget(m_resultNumLabel);
    auto *done = new QToolButton(m_findBar);
    done->setObjectName(QStringLiteral("domFindBarDone"));
    done->setIcon(QIcon::fromTheme(QStringLiteral("window-close")));
    if (done->icon().isNull())
        done->setText(QStringLiteral("\u00d7"));
    done->setAutoRaise(true);
    done->setFocusPolicy(Qt::NoFocus);
    done->setToolTip(tr("Hide Element Find Bar (Escape)"));
    row->addWidget(done);
    layout->insertWidget(layout->indexOf(m_outlineView), m_findBar);
    m_findBar->hide();

    TextFieldDelegate fieldDelegate;
    fieldDelegate.controlTextDidChange = [this](TextField *) { controlTextDidChange(); };
    fieldDelegate.doCommandBySelector = [this](TextField *, TextCommand command) {
        if (command != TextCommand::CancelOperation)
            return false;
        hideSearchBar();
        return true;
    };
    m_domSearchField->setDelegate(fieldDelegate);
    connect(m_domSearchField, &TextField::activated, this, [this] { searchDom(m_domSearchField); });
    connect(done, &QToolButton::clicked, this, [this] { hideSearchBar(); });

    // The find key opens the bar while the tree (or the bar) has the keyboard;
    // the code editor keeps the same key for its own find bar.
    auto *find = new QAction(m_view);
    find->setShortcuts(QKeySequence::keyBindings(QKeySequence::Find));
    find->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(find, &QAction::triggered, this, [this] {
        if (!m_findBarVisible) {
            showSearchBar();
            return;
        }
        m_domSearchField->setFocus(Qt::ShortcutFocusReason);
        m_domSearchField->selectAll();
    });
    m_view->addAction(find);
}

SearchFieldEx *DomTreeDelegate::domSearchField() const
{
    return m_domSearchField;
}

QLabel *DomTreeDelegate::resultNumLabel() const
{
    return m_resultNumLabel;
}

void DomTreeDelegate::setShowFindbarMenuItem(QAction *item)
{
    m_showFindbarMenuItem = item;
    if (item)
        item->setText(m_findBarVisible ? QStringLiteral("Hide Element Find Bar") : QStringLiteral("Show Element Find Bar"));
}

void DomTreeDelegate::setExpandTreeMenuItem(QAction *item)
{
    m_expandTreeMenuItem = item;
    if (item)
        item->setText(m_treeFullyExpanded ? QStringLiteral("Collapse All Elements") : QStringLiteral("Expand All Elements"));
}

void DomTreeDelegate::showSearchBar()
{
    if (m_findBarVisible) {
        hideSearchBar();
        return;
    }
    if (!m_findBar)
        return;
    m_findBar->show();
    m_domSearchField->setEnabled(true);
    m_domSearchField->setFocus(Qt::ShortcutFocusReason);
    m_findBarVisible = true;
    if (m_showFindbarMenuItem)
        m_showFindbarMenuItem->setText(QStringLiteral("Hide Element Find Bar"));
}

void DomTreeDelegate::hideSearchBar()
{
    if (!m_findBar)
        return;
    // The keyboard stays in the tree rather than leaving for the next widget.
    const bool hadFocus = m_findBar->isAncestorOf(QApplication::focusWidget());
    m_domSearchField->setText(QString());
    m_resultNumLabel->clear();
    m_domSearchField->setEnabled(false);
    m_findBar->hide();
    if (hadFocus && m_outlineView)
        m_outlineView->setFocus(Qt::ShortcutFocusReason);
    m_findBarVisible = false;
    if (m_showFindbarMenuItem)
        m_showFindbarMenuItem->setText(QStringLiteral("Show Element Find Bar"));
}

void DomTreeDelegate::controlTextDidChange()
{
    searchDom(nullptr);
}

void DomTreeDelegate::searchDom(SearchFieldEx *sender)
{
    if (!m_domSearchField)
        return;
    const QString word = m_domSearchField->text();
    if (word.isEmpty()) {
        m_resultNumLabel->clear();
        return;
    }
    // Typing leaves the remembered word unset, so that the Return after it
    // starts at the first match again.
    if (m_findWord != word) {
        m_findWord = sender ? sender->text() : QString();
        m_findIndex = 0;
    }
    m_findResults.clear();
    m_resultNumLabel->clear();
    QList<const DOMNodeExPtr *> pending;
    for (qsizetype i = m_domNodeList.size() - 1; i >= 0; --i)
        pending.append(&m_domNodeList.at(i));
    while (!pending.isEmpty()) {
        const DOMNodeExPtr &row = *pending.takeLast();
        if (!row->isCloseNode() && row->displayName().contains(word, Qt::CaseSensitive))
            m_findResults.append(row);
        const QList<DOMNodeExPtr> &children = row->children();
        for (qsizetype i = children.size() - 1; i >= 0; --i)
            pending.append(&children.at(i));
    }
    const int count = int(m_findResults.size());
    m_resultNumLabel->setText(QString::number(count));
    if (count == 0)
        return;
    int match = m_findIndex;
    if (match >= count) {
        match = 0;
        m_findIndex = 0;
    } else {
        m_findIndex = match + 1 == count ? 0 : match + 1;
    }
    if (DOMNodeEx *item = searchNodeFromRoot(m_findResults.at(match).get()))
        selectItem(item);
}

void DomTreeDelegate::expandAll()
{
    if (!m_outlineView)
        return;
    if (m_treeFullyExpanded) {
        collapseAll();
        m_treeFullyExpanded = false;
        if (m_expandTreeMenuItem)
            m_expandTreeMenuItem->setText(QStringLiteral("Expand All Elements"));
        return;
    }
    // Level by level without recursion, each row's children known to the
    // outline once the row is open; the rows are laid out once, afterwards.
    m_bulkExpansion = true;
    m_outlineView->layoutRowsLater();
    QList<void *> pending = m_outlineView->itemModel()->childrenOfItem(nullptr);
    while (!pending.isEmpty()) {
        void *item = pending.takeLast();
        if (!isItemExpandable(m_outlineView, item))
            continue;
        m_outlineView->expandItem(item);
        pending.append(m_outlineView->itemModel()->childrenOfItem(item));
    }
    m_bulkExpansion = false;
    m_treeFullyExpanded = true;
    if (m_expandTreeMenuItem)
        m_expandTreeMenuItem->setText(QStringLiteral("Collapse All Elements"));
    if (const int selected = m_outlineView->selectedRow(); selected >= 0)
        m_outlineView->scrollRowToVisible(selected);
}

void DomTreeDelegate::collapseAll()
{
    if (!m_outlineView)
        return;
    // The open rows, parents before their children; closed innermost first.
    QList<void *> open;
    QList<void *> pending = m_outlineView->itemModel()->childrenOfItem(nullptr);
    while (!pending.isEmpty()) {
        void *item = pending.takeLast();
        if (!m_outlineView->isItemExpanded(item))
            continue;
        open.append(item);
        pending.append(m_outlineView->itemModel()->childrenOfItem(item));
    }
    m_bulkExpansion = true;
    m_outlineView->layoutRowsLater();
    for (qsizetype i = open.size() - 1; i >= 0; --i)
        m_outlineView->collapseItem(open.at(i));
    m_bulkExpansion = false;
}
