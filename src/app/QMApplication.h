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

    // What must be set before the application object exists: its names (its
    // folders are found by them) and the process's heap. Answers argc.
    static int &prepareApplication(int &argc);

private:
    std::unique_ptr<AppDelegate> m_delegate;
};
