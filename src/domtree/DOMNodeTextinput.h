#pragma once

#include "platform/kit/TextField.h"

// The text field of the DOM tree's editing cells. Alt+Return, which would
// put a line break into the field, does nothing: a row is edited on one line.
class DOMNodeTextinput : public TextField
{
    Q_OBJECT

public:
    explicit DOMNodeTextinput(QWidget *parent = nullptr);
    ~DOMNodeTextinput() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
