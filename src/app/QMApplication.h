#pragma once

#include <QApplication>

#include <memory>

class AppDelegate;

// The application object. Building it loads the main interface: the
// application delegate and the long-lived controllers it owns.
class QMApplication : public QApplication
{
    Q_OBJECT

public:
    QMApplication(int &argc, char **argv);
    ~QMApplication() override;

    AppDelegate *delegate() const { return m_delegate.get(); }

private:
    std::unique_ptr<AppDelegate> m_delegate;
};
