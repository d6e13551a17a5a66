#pragma once

#include "TestUtil.h"
#include "WebTestFixture.h"

#include "DomTreeTestSupport.h"

#include "platform/kit/Alert.h"
#include "platform/web/engine/WebFrameMirror.h"

#include <QUrl>

// The DOM tree panel over a page shown by the real engine: alerts are
// answered with their first button and collected.
struct LiveDomTreePage : DomTreeHarness
{
    explicit LiveDomTreePage(const QByteArray &page)
        : DomTreeHarness(page)
        , fixture(WebTestFixture::sharedView())
    {
        Alert::setResponder([this](Alert &alert) {
            alerts.append(alert.messageText());
            return int(Alert::FirstButtonReturn);
        });
        loaded = fixture.loadUrl(QUrl::fromLocalFile(file->path()));
        if (loaded)
            show(fixture.mainFrame().sharedDocument());
    }
    ~LiveDomTreePage() { Alert::setResponder({}); }
    QString inPage(const QString &script)
    {
        fixture.settle();
        return fixture.evaluate(script).toString();
    }
    // The ids of an element's element children, in the page.
    QString childIds(const char *id)
    {
        return inPage(QStringLiteral("Array.from(document.getElementById('%1').children).map(e => e.id || e.localName).join(',')")
                          .arg(QString::fromLatin1(id)));
    }
    void undoStep()
    {
        undo.loopEnd();
        undo.undo();
        settle();
    }
    void redoStep()
    {
        undo.redo();
        settle();
    }
    void target(const DOMNode *node) { tree->setContextTargetNode(rowOf(node)); }

    WebTestFixture fixture;
    bool loaded = false;
    QStringList alerts;
};
