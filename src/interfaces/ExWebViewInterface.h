#pragma once

#include "platform/web/dom/DOMNode.h"

#include <QImage>
#include <QtGlobal>
#include <QList>
#include <QPointF>
#include <QString>

class QWidget;

// What the shell asks of the preview web view. Implemented by the preview
// (src/preview); called by the shell (AppDelegate, EXWindow), which reaches
// it through ProjectDelegateInterface::webview(). Until there is a preview,
// the shell skips these calls. The rules panel reaches it through
// PreviewHalfInterface::webview() to frame the elements a rule styles.
class ExWebViewInterface
{
public:
    // The preview's element-detect states.
    enum DetectState : int { DetectOff = 0, HoverDetect = 1, ElementLocked = 2 };

    virtual ~ExWebViewInterface() = default;

    // The view itself: its bounds and coordinate conversion.
    virtual QWidget *view() = 0;

    virtual int detectState() const = 0;
    virtual void setDetectState(int state) = 0;
    // Whether the element overlay is shown.
    virtual bool isDetectViewShown() const = 0;
    virtual void showDetectLayer() = 0;
    virtual void hideDetectLayer() = 0;
    // Announces the element menu of the locked element.
    virtual void displayElementMenu() = 0;
    // Frames the elements lightly over the page; hiding takes the frames away.
    virtual void showRelatedElementsBounds(const QList<DOMNodePtr> &elements) = 0;
    virtual void hideRelatedElementsBounds() = 0;
    // Makes the element the selected one and scrolls it into view.
    virtual void scrollIntoView(DOMNode *element) = 0;
    // Whether an element of the page lies under the point (view coordinates).
    virtual bool hasElementAtPoint(const QPointF &point) const = 0;
    // Whether the page itself shows at the point, no message bar over it: a
    // click there is the page's.
    virtual bool isPageShownAt(const QPointF &point) const
    {
        Q_UNUSED(point);
        return true;
    }

    // A picture of the page shown.
    virtual QImage captureImage() = 0;
    // The address of the page shown, empty when none.
    virtual QString mainFrameURL() const = 0;
};
