#pragma once

class SCEvent;
class SCEvents;

// The receiver of a folder watcher's events.
class SCEventListenerProtocol
{
public:
    virtual ~SCEventListenerProtocol() = default;
    virtual void pathWatcher(SCEvents *pathWatcher, const SCEvent &event) = 0;
};
