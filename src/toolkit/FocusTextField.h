#pragma once

#include "platform/kit/TextField.h"

// A text field that announces when it gets the keyboard focus: it tells its
// delegate (controlDidBecomeFirstResponder) and then posts
// "ControlDidBecomeFirstResponder" with itself as object.
class FocusTextField : public TextField
{
    Q_OBJECT

public:
    explicit FocusTextField(QWidget *parent = nullptr);
    ~FocusTextField() override;

    // Tells the delegate, then posts the notification of that name.
    static void announceFocus(TextField *field, const QString &notificationName);

protected:
    void becomeFirstResponder(Qt::FocusReason reason) override;
};
