#pragma once

#include <QJsonObject>
#include <QObject>

class AppDelegate;
class ExWebView;
class QLocalServer;

// Answers questions about the windows over a local socket, for the
// end-to-end tests that drive the program through the window system: where
// a widget, a row or an element of the page is on the screen, and what the
// panels show. It only reads; input comes through the window system as a
// user's does. Started when QUILLMARK_PROBE names the socket.
//
// One JSON object per line each way: {"q": "widget", "name": objectName,
// optionally "inPopover": true for one shown in a popover},
// {"q": "row", "view": objectName, "text": shown text}, {"q": "element",
// "selector": CSS selector}, {"q": "state"}, {"q": "undo"}, {"q": "page",
// "expression": a script expression}, whose value the page gives (read in the
// world of the preview's bridge, so the page's own scripts do not stand in the
// way), {"q": "frame"}: the size the preview draws its latest frame at,
// beside the preview's own, {"q": "pageDialog"} (the dialog the previewed
// page opened: its text and whether it offers to stop the page's dialogs),
// {"q": "formRows", "name": objectName}: the labels of the form rows in
// that widget whose editors are wholly in sight, {"q": "menu", "title":
// text}: an item of the menu shown, else a title of the main window's menu
// bar, {"q": "thumbs"}: the keyframe thumbs the timeline shows, each with
// its animation's name, its key and where its track runs, and {"q":
// "dividers"}: each divider of the windows' split views, the line drawn for
// it on the screen with its position and whether a pane beside it is
// collapsed. The state counts the double clicks the windows were given, so
// that a test can tell one from two single clicks.
class ShellProbe : public QObject
{
    Q_OBJECT

public:
    static void startIfAsked(AppDelegate &delegate);

    QJsonObject answer(const QJsonObject &question) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ShellProbe(AppDelegate &delegate, QLocalServer *server);

    QJsonObject widget(const QString &name, bool inPopover = false) const;
    QJsonObject row(const QString &viewName, const QString &text) const;
    QJsonObject element(const QString &selector) const;
    QJsonObject state() const;
    QJsonObject page(const QString &expression) const;
    // The names of the steps Undo and Redo would take (empty for none), and
    // how many steps were undone so far.
    QJsonObject undoNames() const;
    QJsonObject frame() const;
    ExWebView *preview() const;
    QJsonObject pageDialog() const;
    QJsonObject formRows(const QString &name) const;
    QJsonObject menu(const QString &title) const;
    QJsonObject thumbs() const;
    QJsonObject dividers() const;

    AppDelegate &m_delegate;
    int m_undone = 0;
    int m_redone = 0;
    int m_doubleClicks = 0;
};
