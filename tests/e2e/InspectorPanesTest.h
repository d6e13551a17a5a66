#pragma once

#include "SessionTest.h"

#include <QJsonObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <string>

// The panes of the main window on the screen the scenario runs on (ctest
// runs them at 1280x800 and at 1920x1080): their room, their dividers.
namespace InspectorPanesTest {

// The least the preview and the inspectors beside the code view have on this
// screen: the preview's pane (ruler and page) 40% of a screen 800 high and 45%
// of one 1080 high; rows of the DOM tree and the attributes, editors of the
// style attribute wholly in sight.
struct Room
{
    int preview;
    int treeRows;
    int attributeRows;
    int styleEditors;
};
Room roomOnThisScreen();
QSize screenSize();

QJsonObject widgetAnswer(Session &session, const char *name);
int rowRoom(Session &session, const char *view);
// The labels of the style attribute's editors wholly in sight.
QStringList styleEditorsShown(Session &session);
std::string text(const QRect &rect);

// A divider as the probe tells it (its line on the screen, its position),
// empty when it is not shown.
QJsonObject divider(Session &session, const QString &splitView, int index);
int dividerPosition(Session &session, const QString &splitView, int index);
// Presses `offset` pixels beside the divider's line, drags it by `by` and
// waits until it moved, dragging again (up to `attempts` drags) when it did
// not; false when it does not.
bool dragDivider(Session &session, const QString &splitView, int index, int offset, int by, int attempts = 3);

class InspectorPanes : public SessionTest
{
protected:
    // The preview and each inspector have at least the room of this screen.
    void expectRoomForTheWork(const char *when);
};

} // namespace InspectorPanesTest
