#include "WorkspaceTestSupport.h"

#include "WebTestFixture.h"

#include "app/EXWindow.h"
#include "app/FileViewController.h"
#include "code/CodeView.h"
#include "domtree/DomTreeDelegate.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "platform/web/cssom/DOMStyleSheetList.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/WebPage.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"

#include <QTest>

#include <gtest/gtest.h>

// Typing into the code view of a sheet the page links (with a version query)
// reaches the page at once, as its Undo and Redo do: the page's copy of the
// sheet takes the text without a load, its rules kept where they stay (#84).
namespace SheetTypingInWindowTest {

namespace {

const QByteArray kPage = "<!DOCTYPE html>\n<html>\n<head>\n  <link rel=\"stylesheet\" href=\"css/site.css?v=1\">\n</head>\n"
                         "<body>\n  <p id=\"note\" class=\"card\">Note</p>\n  <div id=\"box\">Box</div>\n</body>\n</html>\n";
const QByteArray kSheet = ".card {\n  color: rgb(0, 0, 255);\n}\n@media screen {\n  #box {\n    padding-left: 4px;\n  }\n}\n";

class SheetTyping : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        TestUtil::writeFile(path("site/index.html"), kPage);
        TestUtil::writeFile(path("site/css/site.css"), kSheet);
        remember({path("site")});
        UserDefaults::standardUserDefaults().setBool(true, QStringLiteral("clearUndoAlert"));
        launch();
        preview = dynamic_cast<PreviewDelegate *>(controller()->previewHalf());
        domTree = dynamic_cast<DomTreeDelegate *>(delegate->domTreeController());
        ASSERT_TRUE(preview && domTree);
        delegate->ui().window->show();
        File *page = node("site/index.html");
        ASSERT_TRUE(page);
        ASSERT_NO_FATAL_FAILURE(select(page));
        controller()->doubleClick();
        ASSERT_TRUE(TestUtil::waitUntil(
            [&] {
                return domTree->indexFile() == page && domTree->document() && domTree->document()->getElementById(QStringLiteral("box"))
                       && domTree->document()->styleSheets().length() == 1 && !preview->isLoading();
            },
            20000));
        document = domTree->document();
    }

    InspectUndoManager *undo() const { return delegate->sharedUndoManager(); }

    // The page's computed values of #note's colour, #box's left padding and
    // top margin, as the page itself answers.
    QString shown()
    {
        const QString probe = QStringLiteral(
            "(function(){var n=getComputedStyle(document.getElementById('note'));"
            "var b=getComputedStyle(document.getElementById('box'));"
            "return n.color+'|'+b.paddingLeft+'|'+b.marginTop;})()");
        std::optional<QString> answer;
        preview->webview()->webPage()->runJavaScript(probe, WebPage::World::Bridge,
                                                     [&answer](const QVariant &value) { answer = value.toString(); });
        TestUtil::waitUntil([&] { return answer.has_value(); }, 5000);
        return answer.value_or(QStringLiteral("(no answer)"));
    }

    bool pageShows(const QString &expected)
    {
        return TestUtil::waitUntil([&] { return shown() == expected; }, 5000);
    }

    DOMCSSRulePtr liveRule(int index) const
    {
        const DOMCSSStyleSheetPtr sheet = document->styleSheets().item(0);
        return sheet ? sheet->cssRules().item(index) : nullptr;
    }

    PreviewDelegate *preview = nullptr;
    DomTreeDelegate *domTree = nullptr;
    DOMDocument *document = nullptr;
};

} // namespace

TEST_F(SheetTyping, TypingIntoTheSheetsCodeViewReachesThePageAtOnceAndSoDoUndoAndRedo)
{
    const QString loaded = QStringLiteral("rgb(0, 0, 255)|4px|0px");
    ASSERT_TRUE(pageShows(loaded)) << shown().toStdString();
    const DOMCSSRulePtr card = liveRule(0);
    const DOMCSSRulePtr media = liveRule(1);
    ASSERT_TRUE(card && media);

    // A value of a rule, one inside a media block, and a new rule.
    CodeView *view = codeViewAfter("site/css/site.css", QStringLiteral("color: rgb(0, 0, "));
    ASSERT_TRUE(view);
    keys(view, QStringLiteral("\x7f\x7f\x7f" "0"));
    ASSERT_TRUE(pageShows(QStringLiteral("rgb(0, 0, 0)|4px|0px"))) << shown().toStdString();
    view = codeViewAfter("site/css/site.css", QStringLiteral("padding-left: "));
    ASSERT_TRUE(view);
    keys(view, QStringLiteral("\x7f" "9"));
    ASSERT_TRUE(pageShows(QStringLiteral("rgb(0, 0, 0)|9px|0px"))) << shown().toStdString();
    view = codeViewAfter("site/css/site.css", QStringLiteral("9px;\n  }\n}\n"));
    ASSERT_TRUE(view);
    keys(view, QStringLiteral("#box { margin-top: 3px; }"));
    const QString typed = QStringLiteral("rgb(0, 0, 0)|9px|3px");
    ASSERT_TRUE(pageShows(typed)) << shown().toStdString();

    // Without a load: the same document, the rules that stayed the same objects.
    EXPECT_EQ(domTree->document(), document);
    EXPECT_EQ(liveRule(0), card);
    EXPECT_EQ(liveRule(1), media);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return document->styleSheets().item(0)->cssRules().length() == 3; }));

    for (int i = 0; i < 200 && undo()->canUndo(); ++i) {
        undo()->undo();
        TestUtil::spin(2);
    }
    EXPECT_EQ(node("site/css/site.css")->currentContent(), QString::fromUtf8(kSheet));
    EXPECT_TRUE(pageShows(loaded)) << shown().toStdString();
    for (int i = 0; i < 200 && undo()->canRedo(); ++i) {
        undo()->redo();
        TestUtil::spin(2);
    }
    EXPECT_TRUE(pageShows(typed)) << shown().toStdString();
    EXPECT_EQ(domTree->document(), document);
    EXPECT_EQ(liveRule(0), card);
}

} // namespace SheetTypingInWindowTest
