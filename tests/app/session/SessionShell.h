#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

class AppDelegate;
class CSSOutlineDelegate;
class DOMDocument;
class DomTreeDelegate;
class File;
class FileViewController;
class InspectUndoManager;
class PreviewDelegate;
class ProjectDelegate;

// The panels of the launched program that a session sequence drives, found
// through its delegate, and the waits between steps: each on what the step
// waits for, never on a fixed time.
class SessionShell
{
public:
    explicit SessionShell(AppDelegate &delegate);
    bool isReady() const;

    // Runs the event loop until the condition holds or the time is up.
    static bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 30000);
    // Runs the events waiting now (timers due at once included).
    static void processEvents();

    DOMDocument *document() const;
    File *file(const QString &path) const;
    // The page shown by the preview, its document in the DOM tree.
    bool isShowing(File *page) const;
    // Opens the page from the file tree as a user does and waits until the
    // preview, the DOM tree and the rules panel show it.
    bool openPage(File *page, QString &failure);
    // Chooses the file in the file tree (the code view shows it).
    bool chooseInFileTree(File *file);
    // The writes asked for made, the undo step closed, the page caught up
    // with the edits replayed to it.
    void settle();
    // A script's answer in the bridge's world of the page; nullopt when the
    // page did not answer.
    std::optional<QVariant> evaluate(const QString &script, int timeoutMs = 20000);

    AppDelegate &delegate;
    ProjectDelegate *projects = nullptr;   // Not owned.
    PreviewDelegate *preview = nullptr;    // Not owned.
    DomTreeDelegate *tree = nullptr;       // Not owned.
    CSSOutlineDelegate *rules = nullptr;   // Not owned.
    FileViewController *viewer = nullptr;  // Not owned.
    InspectUndoManager *undo = nullptr;    // Not owned.
    int loads = 0;
};
