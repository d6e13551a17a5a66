#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <memory>

class QMainWindow;

// The application delegate: user-defaults fallbacks, launching and quitting,
// and the main window.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    AppDelegate();
    ~AppDelegate() override;

    // Registers the user-defaults fallbacks; runs before anything else reads them.
    static void initialize();
    static QVariantMap defaultValues();

    static AppDelegate *instance();

    void applicationDidFinishLaunching();
    void applicationWillTerminate();

    void saveFloatToUserDefaults(float value, const QString &key);
    float loadFloatFromUserDefaultsForKey(const QString &key) const;

    QMainWindow *window() const { return m_window.get(); }

private:
    std::unique_ptr<QMainWindow> m_window;
};
