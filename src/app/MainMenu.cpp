#include "MainMenu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

static const char *const kActionProperty = "quillmarkAction";
static const char *const kTagProperty = "quillmarkTag";

MainMenu::MainMenu(QMenuBar *menuBar, QObject *parent)
    : QObject(parent)
    , m_menuBar(menuBar)
{
    // A disabled item's key does nothing: items that depend on which view
    // has the keyboard are asked again when it moves.
    // Asked at the next turn, once: the keyboard also moves while windows
    // are torn down.
    connect(qApp, &QApplication::focusChanged, this, [this] {
        if (m_validationPending)
            return;
        m_validationPending = true;
        QTimer::singleShot(0, this, [this] {
            m_validationPending = false;
            validateAll();
        });
    });
}

MainMenu::~MainMenu() = default;

QMenu *MainMenu::menuTitled(const QString &title)
{
    for (QAction *action : m_menuBar->actions()) {
        if (action->menu() && action->menu()->title() == title)
            return action->menu();
    }
    QMenu *menu = m_menuBar->addMenu(title);
    watch(menu);
    return menu;
}

QMenu *MainMenu::addSubmenu(QMenu *menu, const QString &title)
{
    QMenu *submenu = menu->addMenu(title);
    watch(submenu);
    return submenu;
}

QMenu *MainMenu::addContextMenu(const QString &title, QWidget *parent)
{
    auto *menu = new QMenu(title, parent);
    m_contextMenus.append(menu);
    watch(menu);
    return menu;
}

void MainMenu::watch(QMenu *menu)
{
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { validateMenu(menu); });
}

QAction *MainMenu::addItem(QMenu *menu, const QString &title, const QString &actionName,
                           const QKeySequence &keyEquivalent, int tag)
{
    QAction *item = menu->addAction(title);
    item->setProperty(kActionProperty, actionName);
    item->setProperty(kTagProperty, tag);
    if (!keyEquivalent.isEmpty()) {
        item->setShortcut(keyEquivalent);
        // A context menu shows the key of its command; the menu bar's item
        // of the same command is the one the key reaches, from every window
        // of the program (the style inspector, a popover with the keyboard);
        // a modal panel still keeps it.
        item->setShortcutContext(m_contextMenus.contains(menu) ? Qt::WidgetShortcut : Qt::ApplicationShortcut);
    }
    connect(item, &QAction::triggered, this, [this, item] { send(item); });
    m_items.append(item);
    validate(item);
    return item;
}

QAction *MainMenu::itemForAction(const QString &actionName) const
{
    const QList<QAction *> items = itemsForAction(actionName);
    return items.isEmpty() ? nullptr : items.first();
}

QList<QAction *> MainMenu::itemsForAction(const QString &actionName) const
{
    QList<QAction *> items;
    for (const QPointer<QAction> &item : m_items) {
        if (item && action(item) == actionName)
            items.append(item);
    }
    return items;
}

void MainMenu::setTarget(const QString &actionName, Handler handler, Validator validator)
{
    m_targets.insert(actionName, {std::move(handler), std::move(validator)});
    for (QAction *item : itemsForAction(actionName))
        validate(item);
}

void MainMenu::validate(QAction *item)
{
    const auto target = m_targets.constFind(action(item));
    if (target == m_targets.constEnd() || !target->handler) {
        item->setEnabled(false);
        return;
    }
    item->setEnabled(!target->validator || target->validator(item));
}

void MainMenu::validateMenu(QMenu *menu)
{
    for (QAction *item : menu->actions()) {
        if (m_items.contains(item))
            validate(item);
    }
}

void MainMenu::validateAll()
{
    for (const QPointer<QAction> &item : m_items) {
        if (item)
            validate(item);
    }
}

void MainMenu::send(QAction *item)
{
    // A shortcut fires without its menu opening: ask the target first.
    validate(item);
    if (!item->isEnabled())
        return;
    const auto target = m_targets.constFind(action(item));
    if (target != m_targets.constEnd() && target->handler)
        target->handler(item);
}

QString MainMenu::action(const QAction *item)
{
    return item ? item->property(kActionProperty).toString() : QString();
}

int MainMenu::tag(const QAction *item)
{
    return item ? item->property(kTagProperty).toInt() : 0;
}

void MainMenu::setTag(QAction *item, int tag)
{
    if (item)
        item->setProperty(kTagProperty, tag);
}

QString MainMenu::menuTitle(const QAction *item)
{
    if (!item)
        return {};
    for (QObject *object : item->associatedObjects()) {
        if (auto *menu = qobject_cast<QMenu *>(object))
            return menu->title();
    }
    return {};
}
