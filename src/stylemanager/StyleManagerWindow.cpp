#include "StyleManagerWindow.h"

#include "StyleSheetsManagerListCell.h"

#include "cssrules/CSSRuleRowCell.h"
#include "platform/kit/TableViewBase.h"

#include <QApplication>
#include <QKeyEvent>

StyleManagerWindow::StyleManagerWindow(QWidget *panel) : QObject(panel), m_panel(panel)
{
    // Key events reach the field before the list's cell sees them only from
    // the application's filter.
    qApp->installEventFilter(this);
}

StyleManagerWindow::~StyleManagerWindow()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool StyleManagerWindow::isEditingRule(const QWidget *focus)
{
    // The field in edit is a child of a view's viewport, over its cell.
    const QWidget *editor = nullptr;
    for (const QWidget *widget = focus; widget; widget = widget->parentWidget()) {
        const auto *view = qobject_cast<const TableViewBase *>(widget);
        if (!view) {
            if (widget->parentWidget() && !qobject_cast<const TableViewBase *>(widget->parentWidget()))
                editor = widget;
            continue;
        }
        if (!view->isEditing() || !editor)
            return false;
        const QAbstractItemDelegate *cell = view->cellForIndex(view->indexAt(editor->geometry().center()));
        return qobject_cast<const StyleSheetsManagerListCell *>(cell) || qobject_cast<const CSSRuleRowCell *>(cell);
    }
    return false;
}

bool StyleManagerWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key != Qt::Key_Tab && key != Qt::Key_Backtab)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || !m_panel || !m_panel->isAncestorOf(widget) || widget != QApplication::focusWidget())
        return false;
    if (!isEditingRule(widget))
        return false;
    event->accept();
    return true;
}
