#pragma once

#include <QComboBox>
#include <QStringList>

// The kit's pop-up button: a menu of titled items with one selected. Its
// title may also be a text that is no item (setTitle()), shown until an
// item is chosen. Choosing an item with the mouse or the keyboard sends the
// action (activatedTitle()); setting the title or selection does not.
class PopUpButton : public QComboBox
{
    Q_OBJECT

public:
    explicit PopUpButton(QWidget *parent = nullptr);

    void addItemsWithTitles(const QStringList &titles);
    QStringList itemTitles() const;
    // The shown title, an item's or the text of setTitle().
    QString titleOfSelectedItem() const;
    // Selects the item of that title, or shows the text as the title.
    void setTitle(const QString &title);
    void selectItemAtIndex(int index);
    // Called before the menu opens (the menu delegate's menuWillOpen).
    void setMenuWillOpen(std::function<void()> block) { m_menuWillOpen = std::move(block); }

    void showPopup() override;

Q_SIGNALS:
    void activatedTitle(const QString &title);

private:
    void dropExtraTitle();

    // The index of the item that stands for a title of setTitle(), or -1.
    int m_extraIndex = -1;
    std::function<void()> m_menuWillOpen;
};
