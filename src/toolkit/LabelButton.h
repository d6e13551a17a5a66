#pragma once

#include <QLabel>

// A label that acts as a button: a mouse-down sends its action at once. The
// element label of the preview's detect overlay is one; outline views hand it
// the mouse-downs that hit it inside their rows. Space or Return sends the
// action when it has the keyboard focus.
class LabelButton : public QLabel
{
    Q_OBJECT

public:
    explicit LabelButton(QWidget *parent = nullptr);
    explicit LabelButton(const QString &text, QWidget *parent = nullptr);
    ~LabelButton() override;

    void sendAction();

Q_SIGNALS:
    void activated();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
