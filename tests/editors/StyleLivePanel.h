#pragma once

#include "TestUtil.h"
#include "WebTestFixture.h"

#include "domtree/DomTreeTestSupport.h"
#include "editors/AttributeStyleEditorViewController.h"
#include "platform/web/engine/WebFrameMirror.h"

#include <QLineEdit>
#include <QTest>
#include <QUrl>

// The style-attribute panel beside the real DOM tree of a page shown
// offscreen, following the tree's selection; a second panel serves the
// tree's popover.
struct StyleLivePanel : DomTreeHarness
{
    explicit StyleLivePanel(const QByteArray &page)
        : DomTreeHarness(page)
        , fixture(WebTestFixture::sharedView())
    {
        loaded = fixture.loadUrl(QUrl::fromLocalFile(file->path()));
        if (!loaded)
            return;
        show(fixture.mainFrame().sharedDocument());
        settlePage = [this] { fixture.settle(); };
        pane.initEditor();
        QObject::connect(tree, &DomTreeDelegate::selectedNodeChanged, &pane, [this](DOMNode *node) {
            if (node && node->isElement())
                pane.setStyledObject(node);
            else
                pane.clearStyledObject();
        });
        popoverPanel.initEditor();
        tree->setAttributeStyleEditor(&popoverPanel);
    }
    QString inPage(const QString &script)
    {
        fixture.settle();
        return fixture.evaluate(script).toString();
    }
    void type(QLineEdit *field, const QString &text)
    {
        field->setFocus();
        field->setText(text);
        QTest::keyClick(field, Qt::Key_Return);
        settle();
    }

    WebTestFixture fixture;
    bool loaded = false;
    AttributeStyleEditorViewController pane;
    AttributeStyleEditorViewController popoverPanel;
};
