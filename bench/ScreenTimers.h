#pragma once

// What the whole-program screenshot tools do alike: a click on a page's
// element as a designer makes it, and the picture taken a little later.

#include "ScreenPicture.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebEngineCache.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <optional>

// After delayMs, a picture of the 1280 by 800 screen goes to output and the
// program ends, failing when it could not be written.
inline void shootScreenLater(QApplication &application, const QString &output, int delayMs)
{
    QTimer::singleShot(delayMs, &application, [&application, output] {
        const QImage screen = pictureOfScreen(QSize(1280, 800));
        const bool written = screen.save(output);
        std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
        application.exit(written ? 0 : 1);
    });
}

// With detection on, the pointer moves over the first element the selector
// finds and clicks it half a second later; then done runs. Without such an
// element, done runs at once.
inline void clickInPreview(PreviewDelegate &preview, const QString &selector, const std::function<void()> &done)
{
    ExWebView *view = preview.webview();
    DOMDocument *document = view ? view->mainFrameDocument() : nullptr;
    DOMElement *element = document ? document->querySelector(selector) : nullptr;
    const std::optional<DOMElementBox> box = element ? view->mainFrame().engine()->elementBox(*element) : std::nullopt;
    if (!box) {
        done();
        return;
    }
    preview.doDetectPreview(true);
    const QPointF point = box->viewRect.center();
    QMouseEvent move(QEvent::MouseMove, point, view->mapToGlobal(point), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QTimer::singleShot(500, view, [view, point, done] {
        QMouseEvent press(QEvent::MouseButtonPress, point, view->mapToGlobal(point), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(view, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, point, view->mapToGlobal(point), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(view, &release);
        done();
    });
}
