#include "WorkspaceTestSupport.h"

#include "WebTestFixture.h"

#include "app/EXWindow.h"
#include "app/MainMenu.h"
#include "app/PanePlaceholder.h"
#include "domtree/DomTreeDelegate.h"
#include "editors/AttributeStyleEditorViewController.h"
#include "editors/LengthEditor.h"
#include "editors/NumberField.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "toolkit/RBLPopover.h"

#include <QAction>
#include <QTest>

#include <gtest/gtest.h>

namespace StyleAttributeInWindowTest {

namespace {

const QByteArray s_page = "<!DOCTYPE html>\n<html>\n  <body>\n    <h1 id='title' style='margin: 0'>Home</h1>\n"
                          "    <p id='welcome'>welcome</p>\n  </body>\n</html>\n";

// The main window with a page in the preview, its DOM tree and the
// style-attribute pane.
class StyleAttributeInWindow : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        TestUtil::writeFile(path("site/index.html"), s_page);
        remember({path("site")});
        launch();
        tree = dynamic_cast<DomTreeDelegate *>(delegate->domTreeController());
        ASSERT_TRUE(tree);
        delegate->ui().window->show();
        File *page = node("site/index.html");
        ASSERT_TRUE(page);
        select(page);
        controller()->doubleClick();
        ASSERT_TRUE(TestUtil::waitUntil([&] { return tree->document() && !tree->domNodeList().isEmpty(); }, 15000));
        pane = delegate->ui().window->findChild<AttributeStyleEditorViewController *>(
            QStringLiteral("styleAttributePanel"));
        ASSERT_TRUE(pane);
    }

    DOMElement *byId(const char *id) const { return tree->document()->getElementById(QString::fromLatin1(id)); }

    DomTreeDelegate *tree = nullptr;
    AttributeStyleEditorViewController *pane = nullptr;
};

} // namespace

TEST_F(StyleAttributeInWindow, ThePaneFollowsTheTreeAndItsEditIsUndoneFromTheEditMenu)
{
    EXPECT_EQ(delegate->ui().styleAttributePane->contentView(), pane->view());
    EXPECT_FALSE(pane->view()->isEnabled());
    tree->selectNode(byId("title"));
    ASSERT_TRUE(TestUtil::waitUntil([&] { return pane->styledElement() == byId("title"); }));
    EXPECT_TRUE(pane->view()->isEnabled());

    auto *height = qobject_cast<LengthEditor *>(pane->editorForProperty(QStringLiteral("height")));
    height->valueInput()->setText(QStringLiteral("40"));
    height->valueChange();
    EXPECT_EQ(byId("title")->getAttribute(QStringLiteral("style")), QStringLiteral("margin:0; height:40px;"));
    File *page = node("site/index.html");
    ASSERT_TRUE(TestUtil::waitUntil([&] { return page->content()->contains(QStringLiteral("style='margin: 0; height: 40px'")); }));

    QAction *undo = delegate->ui().mainMenu->itemForAction(QStringLiteral("undo:"));
    ASSERT_TRUE(undo);
    undo->trigger();
    ASSERT_TRUE(TestUtil::waitUntil([&] { return page->content() == QString::fromUtf8(s_page); }))
        << page->content()->toStdString() << byId("title")->getAttribute(QStringLiteral("style")).toStdString();
    EXPECT_EQ(byId("title")->getAttribute(QStringLiteral("style")), QStringLiteral("margin: 0"));
    EXPECT_TRUE(height->valueInput()->text().isEmpty());
}

TEST_F(StyleAttributeInWindow, FormatStyleAttributionShowsTheClickedElementInAPopover)
{
    tree->selectNode(byId("welcome"));
    tree->setContextTargetNode(tree->selectedDomNodeEx());
    tree->showAttributeStyleEditor();
    RBLPopover *popover = tree->attributeStyleEditorPopover();
    ASSERT_TRUE(popover && popover->isShown());
    auto *panel = delegate->ui().window->findChild<AttributeStyleEditorViewController *>(
        QStringLiteral("styleAttributePopoverPanel"));
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->styledElement(), byId("welcome"));
    EXPECT_NE(panel, pane);
    popover->close();
}

} // namespace StyleAttributeInWindowTest
