#include "ExOutlineView.h"

#include "platform/kit/KeyCodes.h"

#include <QKeyEvent>

ExOutlineView::ExOutlineView(QWidget *parent)
    : OutlineView(parent)
{
}

ExOutlineView::~ExOutlineView() = default;

void *ExOutlineView::selectedItem() const
{
    const int row = selectedRow();
    return row >= 0 ? itemAtRow(row) : nullptr;
}

bool ExOutlineView::performKeyEquivalent(QKeyEvent *event)
{
    if (!event || event->type() != QEvent::KeyPress)
        return false;
    const QString characters = KeyCodes::charactersIgnoringModifiers(event);
    if (characters.isEmpty())
        return false;
    const char16_t key = characters.at(0).unicode();
    const quint64 flags = KeyCodes::deviceIndependentFlags(KeyCodes::modifierFlags(event));
    const OutlineDelegate &hooks = delegate();

    const bool deleteKey = (key == 127 && flags != KeyCodes::CommandKeyMask)
        || (key == KeyCodes::DeleteFunctionKey && flags == KeyCodes::FunctionKeyMask);
    if (deleteKey && hooks.tableViewDidRecieveDeleteKey) {
        hooks.tableViewDidRecieveDeleteKey(this);
        return true;
    }
    if (key == 32 && hooks.tableDidRecieveSpaceKey) {
        hooks.tableDidRecieveSpaceKey(this);
        return true;
    }
    if (key == 13 && hooks.tableDidRecieveEnterKey) {
        hooks.tableDidRecieveEnterKey(this);
        return true;
    }
    return false;
}

void ExOutlineView::keyPressEvent(QKeyEvent *event)
{
    if (performKeyEquivalent(event)) {
        event->accept();
        return;
    }
    OutlineView::keyPressEvent(event);
}
