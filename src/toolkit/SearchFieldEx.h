#pragma once

#include "platform/kit/TextField.h"

#include <QStringList>

#include <functional>

class QAction;
class QMenu;
class SearchFieldEx;

// Told when an entry of a search field's history is chosen.
struct SearchFieldDelegate
{
    std::function<void(SearchFieldEx *, QAction *item)> searchFieldSelectItem;
};

// A search field with its own menu of recent searches behind the magnifier: a
// text that was changed by an edit enters the history when editing ends, the
// newest first and each once; choosing an entry searches for it again.
class SearchFieldEx : public TextField
{
    Q_OBJECT

public:
    explicit SearchFieldEx(QWidget *parent = nullptr);
    ~SearchFieldEx() override;

    QStringList recentSearches() const { return m_recentSearches; }
    void setRecentSearches(const QStringList &entries);

    void addHistory(const QString &text);
    void clearHistory();
    void refreshSearchMenu();
    void selectHistory(QAction *item);

    QMenu *historyMenu() const { return m_historyMenu; }
    QString oldText() const { return m_oldText; }

    const SearchFieldDelegate &searchFieldDelegate() const { return m_searchFieldDelegate; }
    void setSearchFieldDelegate(SearchFieldDelegate delegate) { m_searchFieldDelegate = std::move(delegate); }

    // Puts a button in place of the field's clear button (the project's
    // address field shows a reload button there).
    void setCancelButtonCell(QAction *cell);

protected:
    void textDidBeginEditing() override;
    void textDidEndEditing() override;

private:
    QMenu *m_historyMenu; // Owned (child).
    QAction *m_searchButton; // Owned (child).
    QStringList m_recentSearches;
    QString m_oldText;
    SearchFieldDelegate m_searchFieldDelegate;
};
