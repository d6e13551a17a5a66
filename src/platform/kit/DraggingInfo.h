#pragma once

#include <QPoint>
#include <Qt>

class QMimeData;
class QObject;

// What a drop target is told about a drag passing over it: the pasteboard, the
// source, the operations the source allows, the keys held and where the
// pointer is (in the target's viewport).
struct DraggingInfo
{
    const QMimeData *pasteboard = nullptr; // Not owned.
    QObject *source = nullptr;             // Not owned; null for drags from other programs.
    Qt::DropActions sourceOperationMask = Qt::IgnoreAction;
    Qt::DropAction proposedAction = Qt::IgnoreAction;
    Qt::KeyboardModifiers modifiers;
    QPoint location;
};
