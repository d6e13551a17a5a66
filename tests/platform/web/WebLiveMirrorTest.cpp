#include "WebTestFixture.h"

#include "TestUtil.h"
#include "WebTestUtil.h"

#include "platform/web/DOMDocument.h"
#include "platform/web/DOMElement.h"
#include "platform/web/WebBridge.h"
#include "platform/web/WebFrameMirror.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

namespace {

const QByteArray s_page = R"(<!DOCTYPE html>
<html lang="en"><head><title>Live</title><style>.a { color: red; }</style></head>
<body><div id="main" class="a">Hello <b>world</b><!-- note --></div>
<ul><li>1</li><li class="x">2</li></ul>
<svg width="10" height="10"><circle r="4"/></svg>
<template id="t"><p>in template</p></template>
</body></html>)";

} // namespace

TEST(WebLiveMirror, MirrorEqualsThePageAfterLoad)
{
    WebTestFixture fixture(WebTestFixture::sharedView());
    fixture.writeFile(QStringLiteral("index.html"), s_page);
    ASSERT_TRUE(fixture.loadPage(QStringLiteral("index.html")));
    DOMDocument *document = fixture.mainFrame().document();
    ASSERT_TRUE(document);
    const QString pageHtml = fixture.evaluate(QStringLiteral("document.documentElement.outerHTML")).toString();
    EXPECT_EQ(document->documentElement()->outerHTML(), pageHtml);
}
