#include "FocusTextField.h"

#include "platform/foundation/NotificationCenter.h"

FocusTextField::FocusTextField(QWidget *parent)
    : TextField(parent)
{
}

FocusTextField::~FocusTextField() = default;

void FocusTextField::announceFocus(TextField *field, const QString &notificationName)
{
    Notification notification;
    notification.name = notificationName;
    notification.object = field;
    if (field->delegate().controlDidBecomeFirstResponder)
        field->delegate().controlDidBecomeFirstResponder(notification);
    NotificationCenter::defaultCenter().postNotification(notification);
}

void FocusTextField::becomeFirstResponder(Qt::FocusReason reason)
{
    TextField::becomeFirstResponder(reason);
    announceFocus(this, QStringLiteral("ControlDidBecomeFirstResponder"));
}
