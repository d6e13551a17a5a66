#pragma once

#include "TargetRef.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>

class BalkInvocationManager;
class InspectUndoManager;
class QMainWindow;

// The application delegate: user-defaults fallbacks, launching and quitting,
// the main window, the shared undo manager and the deferred-write batcher.
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

    // The application's one undo manager, made on first use.
    InspectUndoManager *sharedUndoManager();
    // The deferred-write batcher, made at launch (or on first use before that).
    BalkInvocationManager *balkInvocationManager();

    // Queues the target's write-back of the file (`lazyWrite`, the target's
    // regeneration of the file's text) in the batcher: equal requests run
    // once, 0.1 s after the last new one, and the undo group of the edits is
    // closed at the end of the turn in which the writes ran. The call is
    // skipped when the target or the file is gone by then.
    void reserveWrite(const TargetRef &target, const TargetRef &file, std::function<void()> lazyWrite);

private:
    std::unique_ptr<QMainWindow> m_window;
    InspectUndoManager *m_sharedUndoManager = nullptr; // Owned (child).
    BalkInvocationManager *m_balkInvocationManager = nullptr; // Owned (child).
};
