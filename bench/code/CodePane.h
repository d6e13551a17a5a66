#pragma once

// The centre pane's file viewer on its own, 900 by 700 and not yet shown,
// with an undo manager of its own standing in for the application's, over
// the files of a site folder.

#include "app/FileViewController.h"
#include "foundation/InspectUndoManager.h"
#include "workspace/File.h"

#include <QWidget>

struct CodePane
{
    explicit CodePane(const QString &site)
        : viewer(&pane)
        , root(site, true, nullptr)
    {
        File::setUndoManagerProvider([this] { return &undo; });
        pane.resize(900, 700);
    }
    ~CodePane() { File::setUndoManagerProvider({}); }

    // A file of the site by name; null when there is none.
    File *file(const QString &name) { return FileViewController::searchDirectory(name, root.children()); }

    InspectUndoManager undo;
    QWidget pane;
    FileViewController viewer;
    File root;
};
