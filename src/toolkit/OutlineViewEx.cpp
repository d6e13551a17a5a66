#include "OutlineViewEx.h"

#include "LabelButton.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/KeyCodes.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <functional>
#include <utility>

OutlineViewEx::OutlineViewEx(QWidget *parent)
    : OutlineView(parent)
{
}

OutlineViewEx::~OutlineViewEx() = default;

void OutlineViewEx::mousePressEvent(QMouseEvent *event)
{
    // Only the left button is a mouse-down; the right one asks for the menu.
    if (event->button() != Qt::LeftButton) {
        OutlineView::mousePressEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    if (!m_disableDownToSelect) {
        if (!allowsMultipleSelection()) {
            const int row = rowAtPoint(point);
            if (row >= 0)
                selectRowIndexes({row}, false);
        }
        if (delegate().mouseDown)
            delegate().mouseDown(event);
    }

    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("outlineviewActuallyMouseDown"), this,
        {{QStringLiteral("outlineview"), QVariant::fromValue(static_cast<QObject *>(this))},
         {QStringLiteral("event"), QVariant::fromValue(event)}});

    if (m_disableDownToSelect) {
        // The view's own handling runs (disclosure marks, dragging) without
        // selecting anything, up to the release.
        if (!m_setAsideMode)
            m_setAsideMode = selectionMode();
        setSelectionMode(QAbstractItemView::NoSelection);
    }
    OutlineView::mousePressEvent(event);

    if (auto *label = qobject_cast<LabelButton *>(viewport()->childAt(point)))
        label->sendAction();
}

void OutlineViewEx::mouseReleaseEvent(QMouseEvent *event)
{
    OutlineView::mouseReleaseEvent(event);
    if (m_setAsideMode) {
        setSelectionMode(*m_setAsideMode);
        m_setAsideMode.reset();
    }
}

void OutlineViewEx::keyPressEvent(QKeyEvent *event)
{
    if (!delegate().keyDown) {
        event->ignore();
        return;
    }
    delegate().keyDown(event);

    // The edit keys, for a delegate that answers them.
    const std::pair<QKeySequence::StandardKey, std::function<void(QObject *)>> editKeys[] = {
        {QKeySequence::Cut, delegate().cut}, {QKeySequence::Copy, delegate().copy}, {QKeySequence::Paste, delegate().paste}};
    for (const auto &[key, command] : editKeys) {
        if (command && event->matches(key)) {
            command(this);
            event->accept();
            return;
        }
    }

    const int keyCode = KeyCodes::keyCode(event);
    if (keyCode == KeyCodes::Delete) {
        if (delegate().delete_)
            delegate().delete_(this);
        return;
    }
    if (keyCode != KeyCodes::Return) {
        OutlineView::keyPressEvent(event);
        return;
    }
    const quint64 flags = KeyCodes::modifierFlags(event);
    const quint64 shiftCommand = KeyCodes::ShiftKeyMask | KeyCodes::CommandKeyMask;
    if ((flags & shiftCommand) == shiftCommand) {
        if (delegate().focusToInput)
            delegate().focusToInput(event);
        return;
    }
    // Return edits the selected row's name when its cell can be edited.
    const int row = selectedRow();
    if (row >= 0 && isCellEditable(indexForRow(row, 0)))
        editColumn(0, row, true);
}

void OutlineViewEx::cut(QObject *sender)
{
    if (delegate().cut)
        delegate().cut(sender);
}

void OutlineViewEx::copy(QObject *sender)
{
    if (delegate().copy)
        delegate().copy(sender);
}

void OutlineViewEx::paste(QObject *sender)
{
    if (delegate().paste)
        delegate().paste(sender);
}

void OutlineViewEx::cut()
{
    cut(this);
}

void OutlineViewEx::copy()
{
    copy(this);
}

void OutlineViewEx::paste()
{
    paste(this);
}

bool OutlineViewEx::answersEditCommand(const QString &command) const
{
    if (command == QLatin1String("cut"))
        return bool(delegate().cut);
    if (command == QLatin1String("copy"))
        return bool(delegate().copy);
    if (command == QLatin1String("paste"))
        return bool(delegate().paste);
    return false;
}

void OutlineViewEx::delete_(QObject *sender)
{
    if (delegate().delete_)
        delegate().delete_(sender);
}

void OutlineViewEx::save(QObject *sender)
{
    if (delegate().saveOutlineview)
        delegate().saveOutlineview(sender);
}
