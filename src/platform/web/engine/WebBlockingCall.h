#pragma once

// Marks the one blocking wait of the web layer: while it lives, the program
// reads the browser's pipe for one answer and runs nothing else (no event
// loop turns, no handlers; what arrives meanwhile is delivered afterwards).
class WebBlockingCall
{
public:
    WebBlockingCall() { ++s_depth; }
    ~WebBlockingCall() { --s_depth; }
    WebBlockingCall(const WebBlockingCall &) = delete;
    WebBlockingCall &operator=(const WebBlockingCall &) = delete;

    static bool isWaiting() { return s_depth > 0; }

private:
    static inline int s_depth = 0;
};
