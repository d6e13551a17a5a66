#pragma once

#include "foundation/InspectUndoManager.h"
#include "workspace/File.h"

// Stands in for the shell, which hands File its shared undo manager at
// start-up: while it lives, File's edits register with this one.
class SharedUndoManager
{
public:
    SharedUndoManager()
    {
        File::setUndoManagerProvider([this] { return &m_undo; });
    }
    ~SharedUndoManager() { File::setUndoManagerProvider({}); }
    SharedUndoManager(const SharedUndoManager &) = delete;
    SharedUndoManager &operator=(const SharedUndoManager &) = delete;

    InspectUndoManager &operator*() { return m_undo; }
    InspectUndoManager *operator->() { return &m_undo; }

private:
    InspectUndoManager m_undo;
};
