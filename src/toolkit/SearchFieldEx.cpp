#include "SearchFieldEx.h"

#include "platform/kit/NamedImage.h"

#include <QAction>
#include <QMenu>

SearchFieldEx::SearchFieldEx(QWidget *parent)
    : TextField(parent)
    , m_historyMenu(new QMenu(QStringLiteral("_historyMenu"), this))
    , m_searchButton(new QAction(this))
{
    setClearButtonEnabled(true);
    setPlaceholderText(QStringLiteral("Search"));
    m_searchButton->setIcon(NamedImage::templateImage(QStringLiteral("edit-find"), QStringLiteral("search")));
    m_searchButton->setToolTip(QStringLiteral("Recent Searches"));
    addAction(m_searchButton, QLineEdit::LeadingPosition);
    connect(m_searchButton, &QAction::triggered, this, [this] {
        if (!m_historyMenu->isEmpty())
            m_historyMenu->popup(mapToGlobal(rect().bottomLeft()));
    });
    refreshSearchMenu();
}

SearchFieldEx::~SearchFieldEx() = default;

void SearchFieldEx::setRecentSearches(const QStringList &entries)
{
    m_recentSearches = entries;
    refreshSearchMenu();
}

void SearchFieldEx::textDidBeginEditing()
{
    // The text before the first change of this edit, so that an edit of a
    // single keystroke counts as a change too.
    m_oldText = textWhenEditingBegan();
    TextField::textDidBeginEditing();
}

void SearchFieldEx::textDidEndEditing()
{
    TextField::textDidEndEditing();
    if (text() != m_oldText)
        addHistory(text());
}

void SearchFieldEx::addHistory(const QString &text)
{
    if (text.isEmpty())
        return;
    m_recentSearches.removeAll(text);
    m_recentSearches.prepend(text);
    refreshSearchMenu();
}

void SearchFieldEx::clearHistory()
{
    m_recentSearches.clear();
    refreshSearchMenu();
}

void SearchFieldEx::refreshSearchMenu()
{
    // The old items go later: the one chosen is still sending its signal.
    const QList<QAction *> old = m_historyMenu->actions();
    for (QAction *item : old) {
        m_historyMenu->removeAction(item);
        item->deleteLater();
    }
    for (const QString &entry : std::as_const(m_recentSearches)) {
        QAction *item = m_historyMenu->addAction(entry);
        item->setData(entry);
        connect(item, &QAction::triggered, this, [this, item] { selectHistory(item); });
    }
    if (!m_recentSearches.isEmpty()) {
        m_historyMenu->addSeparator();
        m_historyMenu->addAction(QStringLiteral("Clear History"), this, &SearchFieldEx::clearHistory);
    }
    m_searchButton->setEnabled(!m_recentSearches.isEmpty());
}

void SearchFieldEx::selectHistory(QAction *item)
{
    if (!item)
        return;
    const QString entry = item->data().toString();
    setText(entry);
    Q_EMIT activated();
    if (m_searchFieldDelegate.searchFieldSelectItem)
        m_searchFieldDelegate.searchFieldSelectItem(this, item);
    if (delegate().controlTextDidChange)
        delegate().controlTextDidChange(this);
    addHistory(entry);
}

void SearchFieldEx::setCancelButtonCell(QAction *cell)
{
    setClearButtonEnabled(false);
    if (cell)
        addAction(cell, QLineEdit::TrailingPosition);
}
