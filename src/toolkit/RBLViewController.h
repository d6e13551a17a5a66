#pragma once

#include "platform/kit/ViewController.h"

// A view controller told when its view appears and disappears, moves into a
// parent or a window and leaves it. The messages are empty here, for
// subclasses.
class RBLViewController : public ViewController
{
    Q_OBJECT

public:
    explicit RBLViewController(QObject *parent = nullptr);
    ~RBLViewController() override;

    void setView(QWidget *view) override;

    virtual void viewDidLoad() {}
    virtual void viewWillAppear() {}
    virtual void viewDidAppear() {}
    virtual void viewWillDisappear() {}
    virtual void viewDidDisappear() {}
    virtual void viewWillMoveToSuperview(QWidget *superview) { Q_UNUSED(superview); }
    virtual void viewDidMoveToSuperview() {}
    virtual void viewWillBeRemovedFromSuperview() {}
    virtual void viewWasRemovedFromSuperview() {}
    virtual void viewWillMoveToWindow(QWidget *window) { Q_UNUSED(window); }
    virtual void viewDidMoveToWindow() {}
    virtual void viewWillBeRemovedFromWindow() {}
    virtual void viewWasRemovedFromWindow() {}

protected:
    void loadView() override;
};
