#include "PopUpButton.h"

PopUpButton::PopUpButton(QWidget *parent)
    : QComboBox(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(3);
    connect(this, &QComboBox::activated, this, [this](int index) {
        const QString title = itemText(index);
        if (index != m_extraIndex)
            dropExtraTitle();
        Q_EMIT activatedTitle(title);
    });
}

void PopUpButton::addItemsWithTitles(const QStringList &titles)
{
    dropExtraTitle();
    addItems(titles);
}

QStringList PopUpButton::itemTitles() const
{
    QStringList titles;
    for (int i = 0; i < count(); ++i) {
        if (i != m_extraIndex)
            titles.append(itemText(i));
    }
    return titles;
}

QString PopUpButton::titleOfSelectedItem() const
{
    return currentText();
}

void PopUpButton::setTitle(const QString &title)
{
    for (int i = 0; i < count(); ++i) {
        if (i != m_extraIndex && itemText(i) == title) {
            dropExtraTitle();
            setCurrentIndex(findText(title, Qt::MatchExactly));
            return;
        }
    }
    if (m_extraIndex < 0) {
        addItem(title);
        m_extraIndex = count() - 1;
    } else {
        setItemText(m_extraIndex, title);
    }
    setCurrentIndex(m_extraIndex);
}

void PopUpButton::selectItemAtIndex(int index)
{
    dropExtraTitle();
    setCurrentIndex(index);
}

void PopUpButton::showPopup()
{
    if (m_menuWillOpen)
        m_menuWillOpen();
    QComboBox::showPopup();
}

void PopUpButton::dropExtraTitle()
{
    if (m_extraIndex < 0)
        return;
    const int index = m_extraIndex;
    m_extraIndex = -1;
    const QSignalBlocker blocker(this);
    const int current = currentIndex();
    removeItem(index);
    if (current == index)
        setCurrentIndex(0);
}
