#include "RBLViewController.h"

#include "ViewRBLViewControllerAdditions.h"

#include <QWidget>

RBLViewController::RBLViewController(QObject *parent)
    : ViewController(parent)
{
}

RBLViewController::~RBLViewController()
{
    if (isViewLoaded())
        ViewRBLViewControllerAdditions::rbl_setViewController(view(), nullptr);
}

void RBLViewController::setView(QWidget *view)
{
    ViewController::setView(view);
    if (view)
        ViewRBLViewControllerAdditions::rbl_setViewController(view, this);
}

void RBLViewController::loadView()
{
    ViewController::loadView();
    viewDidLoad();
}
