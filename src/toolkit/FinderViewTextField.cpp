#include "FinderViewTextField.h"

#include "FocusTextField.h"

#include "platform/foundation/NotificationCenter.h"

FinderViewTextField::FinderViewTextField(QWidget *parent)
    : TextField(parent)
{
}

FinderViewTextField::~FinderViewTextField() = default;

void FinderViewTextField::becomeFirstResponder(Qt::FocusReason reason)
{
    TextField::becomeFirstResponder(reason);
    FocusTextField::announceFocus(this, QStringLiteral("hasFocus"));
}

void FinderViewTextField::textDidEndEditing()
{
    TextField::textDidEndEditing();
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("finderViewTextFieldTextDidEndEditing"), this,
        {{QStringLiteral("stringValue"), text()}});
}
