#pragma once

// The centre pane's file viewer on its own, 900 by 700 and not yet shown,
// with an undo manager of its own standing in for the application's.

#include "app/FileViewController.h"
#include "foundation/InspectUndoManager.h"
#include "workspace/File.h"

#include <QWidget>

struct CodePane
{
    CodePane()
        : viewer(&pane)
    {
        File::setUndoManagerProvider([this] { return &undo; });
        pane.resize(900, 700);
    }
    ~CodePane() { File::setUndoManagerProvider({}); }

    InspectUndoManager undo;
    QWidget pane;
    FileViewController viewer;
};
