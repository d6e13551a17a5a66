#include "ValueCellView.h"

#include <QActionGroup>
#include <QTimer>

Menu::Menu(QWidget *parent)
    : QMenu(parent)
{
}

ValueCellView::ValueCellView(QWidget *parent)
    : QToolButton(parent)
    , m_menu(new Menu(this))
{
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setAutoRaise(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setFocusPolicy(Qt::StrongFocus);
    setMenu(m_menu);
    connect(m_menu, &QMenu::triggered, this, [this](QAction *action) {
        // The table may be rebuilt by the choice: hand it over after the
        // menu's own handling has ended.
        QTimer::singleShot(0, this, [this, category = m_menu->category(), title = action->data().toString()] {
            if (m_delegate)
                m_delegate(category, title);
        });
    });
}

void ValueCellView::setObjectValue(const CompileSetting &setting)
{
    m_setting = setting;
    m_menu->setCategory(setting.label());
    m_menu->clear();
    auto *group = new QActionGroup(m_menu);
    const QString chosen = setting.getValueOfSelectedIndex();
    for (const QString &value : setting.values()) {
        QAction *action = m_menu->addAction(value);
        action->setData(value);
        action->setCheckable(true);
        action->setChecked(value == chosen);
        group->addAction(action);
    }
    setText(chosen);
    setAccessibleName(setting.label());
}
