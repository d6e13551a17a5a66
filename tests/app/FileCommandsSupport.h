#pragma once

#include "WorkspaceTestSupport.h"

#include "app/EXWindow.h"
#include "app/MainMenu.h"
#include "app/views/FileRowCell.h"
#include "toolkit/FinderViewTextField.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QStandardPaths>
#include <QTimer>

#include <functional>

// HOME points at a folder while the object lives: the desktop's Trash of
// files under it is then inside it.
class TemporaryHome
{
public:
    explicit TemporaryHome(const QString &path)
        : m_old(qgetenv("HOME"))
    {
        qputenv("HOME", path.toLocal8Bit());
    }
    ~TemporaryHome() { qputenv("HOME", m_old); }

    // Where a trashed item of that name lies.
    static QString trashed(const QString &name)
    {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash/files/")
            + name;
    }

private:
    QByteArray m_old;
};

// The file tree's commands as a user reaches them: the File menu, the
// context menu of a row, and the keys.
class FileCommandsTest : public WorkspaceTest
{
protected:
    MainMenu &menu() const { return *delegate->ui().mainMenu; }
    QAction *item(const char *action) const { return menu().itemForAction(QString::fromLatin1(action)); }

    QAction *contextItem(const char *action) const
    {
        for (QAction *each : delegate->ui().fileMenu->actions()) {
            if (MainMenu::action(each) == QLatin1String(action))
                return each;
        }
        return nullptr;
    }

    // Opens the context menu of the row; while it is open, `whileOpen`
    // runs, then the menu closes and the command of `action` (when given)
    // runs as a click on it would.
    void contextMenu(File *row, const char *action = nullptr, const std::function<void()> &whileOpen = {})
    {
        QMenu *menu = delegate->ui().fileMenu;
        const QRect rect = tree()->visualRect(tree()->indexForItem(row));
        bool opened = false;
        QTimer::singleShot(0, tree(), [&] {
            opened = menu->isVisible();
            if (whileOpen)
                whileOpen();
            QAction *command = action ? contextItem(action) : nullptr;
            const bool enabled = command && command->isEnabled();
            menu->hide();
            // A desktop keeps the main window active under its popups; the
            // offscreen platform takes activation away when a popup goes and
            // hands it back only when asked.
            TestUtil::spin(20);
            QWidget *window = delegate->ui().window;
            window->activateWindow();
            TestUtil::waitUntil([window] { return QApplication::activeWindow() == window; }, 1000);
            TestUtil::spin(20);
            if (command) {
                EXPECT_TRUE(enabled) << action;
                if (enabled)
                    command->trigger();
            }
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, rect.center(), tree()->viewport()->mapToGlobal(rect.center()));
        QApplication::sendEvent(tree()->viewport(), &event);
        EXPECT_TRUE(opened);
    }

    // Gives the tree the keyboard, as after a click into it.
    void focusTree()
    {
        delegate->ui().window->activateWindow();
        tree()->setFocus(Qt::OtherFocusReason);
        TestUtil::waitUntil([this] { return QApplication::focusWidget() == tree(); }, 1000);
    }

    // The name field of the row being renamed, once it has the keyboard.
    FinderViewTextField *nameField()
    {
        TestUtil::waitUntil([] { return qobject_cast<FinderViewTextField *>(QApplication::focusWidget()); }, 1000);
        auto *field = qobject_cast<FinderViewTextField *>(QApplication::focusWidget());
        return field && tree()->isAncestorOf(field) ? field : nullptr;
    }

    void launchWithSite() { remember({path("site"), path("other")}), launch(); }
};
