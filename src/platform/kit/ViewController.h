#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// The controller of one view (the kit's view controller). The view is made on
// first use by loadView(); the controller owns it and deletes it with itself
// unless a parent widget deleted it first.
class ViewController : public QObject
{
    Q_OBJECT

public:
    explicit ViewController(QObject *parent = nullptr);
    ~ViewController() override;

    QWidget *view();
    bool isViewLoaded() const { return !m_view.isNull(); }
    virtual void setView(QWidget *view);

protected:
    // Makes the view; the default is an empty widget.
    virtual void loadView();

private:
    QPointer<QWidget> m_view;
};
