#pragma once

#include "platform/kit/TextField.h"

// The name field of a file-tree row: announces its focus as "hasFocus" (to its
// delegate first), and when editing ends posts
// "finderViewTextFieldTextDidEndEditing" with {"stringValue": the text}.
class FinderViewTextField : public TextField
{
    Q_OBJECT

public:
    explicit FinderViewTextField(QWidget *parent = nullptr);
    ~FinderViewTextField() override;

protected:
    void becomeFirstResponder(Qt::FocusReason reason) override;
    void textDidEndEditing() override;
};
