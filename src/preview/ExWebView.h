#pragma once

#include "platform/web/engine/WebView.h"

// The live preview: the web view with the element-detection state that the
// panels share (0 off, 1 hover-detect, 2 element locked). Setting a state has
// no side effect of its own; the overlay and the geometry operations that
// read it come with the box-model overlay.
class ExWebView : public WebView
{
    Q_OBJECT

public:
    enum DetectState : int { DetectOff = 0, HoverDetect = 1, ElementLocked = 2 };

    explicit ExWebView(QWidget *parent = nullptr);
    ~ExWebView() override;

    int detectState() const { return m_detectState; }
    void setDetectState(int state) { m_detectState = state; }

private:
    int m_detectState = DetectOff;
};
