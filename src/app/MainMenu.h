#pragma once

#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

// The program's menus. Every item is known by the name of its action (the
// command it sends, as "togglePreviewMode:") and carries a tag; an item does
// what its target says and is enabled while its target's validator agrees,
// asked each time the item's menu opens, when the keyboard moves to another
// widget and whenever validateAll() runs (a disabled item's key does
// nothing). An item whose target is not installed yet stays disabled.
class MainMenu : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(QAction *item)>;
    using Validator = std::function<bool(QAction *item)>;

    explicit MainMenu(QMenuBar *menuBar, QObject *parent = nullptr);
    ~MainMenu() override;

    QMenuBar *menuBar() const { return m_menuBar; }

    // A menu of the menu bar (made on first use), or a submenu of one.
    QMenu *menuTitled(const QString &title);
    QMenu *addSubmenu(QMenu *menu, const QString &title);
    // A menu outside the menu bar (a view's context menu), validated like
    // the others each time it opens; the parent owns it.
    QMenu *addContextMenu(const QString &title, QWidget *parent);
    QAction *addItem(QMenu *menu, const QString &title, const QString &action,
                     const QKeySequence &keyEquivalent = {}, int tag = 0);

    // The first item sending the action, or null; every item sending it.
    QAction *itemForAction(const QString &action) const;
    QList<QAction *> itemsForAction(const QString &action) const;

    // Makes the target of every item sending the action. Without a validator
    // the items are enabled.
    void setTarget(const QString &action, Handler handler, Validator validator = {});
    bool hasTarget(const QString &action) const { return m_targets.contains(action); }

    void validateMenu(QMenu *menu);
    void validateAll();

    // What an item sends, and its tag.
    static QString action(const QAction *item);
    static int tag(const QAction *item);
    static void setTag(QAction *item, int tag);
    // The title of the menu an item belongs to, empty when none.
    static QString menuTitle(const QAction *item);

private:
    struct Target
    {
        Handler handler;
        Validator validator;
    };

    void validate(QAction *item);
    void send(QAction *item);
    void watch(QMenu *menu);

    QMenuBar *m_menuBar; // Not owned.
    QHash<QString, Target> m_targets;
    QList<QPointer<QAction>> m_items;
    QList<QPointer<QMenu>> m_contextMenus;
    bool m_validationPending = false;
};
