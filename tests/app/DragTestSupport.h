#pragma once

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QWidget>

// A widget that takes every drag and outlives the tests. Qt asks the last
// widget that took a drag again at the next drag, so a test that sends drag
// events ends by handing the drag to it: the widgets of the test are gone
// by the next one.
class DropSink : public QWidget
{
public:
    DropSink() { setAcceptDrops(true); }

    static void takeLastDrag()
    {
        static DropSink sink;
        QMimeData data;
        data.setText(QStringLiteral("end"));
        QDragEnterEvent enter(QPoint(1, 1), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&sink, &enter);
    }

protected:
    void dragEnterEvent(QDragEnterEvent *event) override { event->acceptProposedAction(); }
};
