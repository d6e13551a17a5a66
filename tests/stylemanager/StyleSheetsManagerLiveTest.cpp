#include "LivePanel.h"

#include "cssrules/CSSCopyInfo.h"
#include "interfaces/ExWebViewInterface.h"

#include "stylemanager/PatchingButton.h"
#include "stylemanager/StyleManagerWindow.h"
#include "stylemanager/StyleSheetsManagerDelegate.h"
#include "stylemanager/StyleSheetsManagerListCell.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/OutlineItemModel.h"
#include "platform/kit/TableView.h"
#include "platform/kit/Alert.h"
#include "toolkit/DragPayload.h"
#include "toolkit/SearchFieldEx.h"

#include <QMimeData>
#include <QPlainTextEdit>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace StyleSheetsManagerLiveTest {

namespace {

const QByteArray kSite = R"(/* layout */
.a { color: red; }
.b { color: blue; }
.a:hover { color: green; }
p > { color: gray; }
@media screen and (max-width: 600px) {
    .m1 { color: green; }
    .m2 { color: gray; }
}
@keyframes turn {
    from { opacity: 0; }
    to { opacity: 1; }
}
.c { color: black; }
)";

const QByteArray kOther = ".o { margin: 0; }\n.a { margin: 1px; }\n"
                          "@-webkit-keyframes spin { to { opacity: 1; } }\n@keyframes spin { to { opacity: 1; } }\n"
                          "@-moz-keyframes spin { to { opacity: 1; } }\n";

const QByteArray kPage = "<!DOCTYPE html><link rel=stylesheet href=site.css><link rel=stylesheet href=other.css>"
                         "<div id=x class=a>x</div><div id=y class=c>y</div><p class=c>p</p>";

// The preview, as far as outlining a rule's elements goes.
class OutlinePreview : public ExWebViewInterface
{
public:
    QWidget widget;
    QStringList calls;
    int outlined = 0;

    QWidget *view() override { return &widget; }
    int detectState() const override { return DetectOff; }
    void setDetectState(int) override {}
    bool isDetectViewShown() const override { return false; }
    void showDetectLayer() override {}
    void hideDetectLayer() override {}
    void displayElementMenu() override {}
    void showRelatedElementsBounds(const QList<DOMNodePtr> &nodes) override
    {
        calls << QStringLiteral("show");
        outlined = int(nodes.size());
    }
    void hideRelatedElementsBounds() override { calls << QStringLiteral("hide"); }
    void scrollIntoView(DOMNode *) override {}
    bool hasElementAtPoint(const QPointF &) const override { return false; }
    QImage captureImage() override { return {}; }
    QString mainFrameURL() const override { return {}; }
};

class StyleSheetsManager : public ::testing::Test
{
protected:
    StyleSheetsManager()
    {
        live.panel.setStyleSheetsManagerDelegate(&manager);
        manager.view()->resize(300, 500);
        // Every alert is answered and kept.
        Alert::setResponder([this](Alert &alert) {
            alerts << alert.messageText();
            return int(Alert::DefaultReturn);
        });
    }
    ~StyleSheetsManager() override
    {
        Alert::setResponder({});
        live.panel.setStyleSheetsManagerDelegate(nullptr);
    }

    void load()
    {
        ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSite}, {QStringLiteral("other.css"), kOther}, {QStringLiteral("index.html"), kPage}}));
        site = live.file(QStringLiteral("site.css"));
        other = live.file(QStringLiteral("other.css"));
        ASSERT_TRUE(site && other);
        live.panel.setPageDocument(live.document());
        manager.setRulesPanel(&live.panel);
    }
    // The rules listed at the style sheets' top level, comments left out.
    QStringList topSelectors() const
    {
        QStringList list;
        for (const auto &sheet : manager.rows()) {
            for (const auto &rule : sheet->children) {
                if (rule->declaration->type() != RuleType::Comment)
                    list << rule->declaration->selector();
            }
        }
        return list;
    }
    const StyleSheetsManagerDelegate::Row *row(const QString &selector, File *file = nullptr) const
    {
        for (const auto &sheet : manager.rows()) {
            for (const auto &top : sheet->children) {
                if (top->declaration->selector() == selector && (!file || top->declaration->parentFile() == file))
                    return top.get();
                for (const auto &child : top->children) {
                    if (child->declaration->selector() == selector)
                        return child.get();
                }
            }
        }
        return nullptr;
    }
    StyleSheetsManagerDelegate::Row *sheetRow(File *file) const { return manager.rowOfFile(file); }
    int rowIndex(const QString &selector, File *file = nullptr) const
    {
        return manager.outline()->rowForItem(const_cast<StyleSheetsManagerDelegate::Row *>(row(selector, file)));
    }
    QString count(const QString &selector) { return manager.countText(*row(selector, site)->declaration); }
    QString selectedSelector() const
    {
        const auto *item = manager.rowAt(manager.outline()->selectedRow());
        return item && item->declaration ? item->declaration->selector() : QString();
    }

    LivePanel live;
    StyleSheetsManagerDelegate manager;
    QStringList alerts;
    File *site = nullptr;
    File *other = nullptr;
};

TEST_F(StyleSheetsManager, ListsEachSheetWithItsRulesCommentsAndBlocksOnceEach)
{
    load();
    ASSERT_EQ(manager.rows().size(), 2u);
    const auto *first = manager.rows()[0].get();
    EXPECT_EQ(first->file, site);
    // Comments are listed; of the keyframes forms the -webkit- one, or the
    // plain one when there is no -webkit- one; others never.
    EXPECT_EQ(first->children[0]->declaration->type(), RuleType::Comment);
    EXPECT_EQ(topSelectors(), (QStringList{".a", ".b", ".a:hover", "p >", "@media screen and (max-width: 600px)",
                                           "@keyframes turn", ".c", ".o", ".a", "@-webkit-keyframes spin"}));
    EXPECT_EQ(manager.outline()->itemModel()->data(manager.outline()->indexForItem(sheetRow(site)), Qt::DisplayRole),
              QStringLiteral("site.css [8]"));
    EXPECT_EQ(manager.outline()->itemModel()->data(manager.outline()->indexForItem(const_cast<StyleSheetsManagerDelegate::Row *>(
                                                       row(QStringLiteral("@-webkit-keyframes spin")))),
                                                   Qt::DisplayRole),
              QStringLiteral("@keyframes spin"));
    const auto *media = row(QStringLiteral("@media screen and (max-width: 600px)"));
    ASSERT_TRUE(media);
    ASSERT_EQ(media->children.size(), 2u);
    EXPECT_EQ(media->children[1]->declaration->selector(), QStringLiteral(".m2"));
    EXPECT_EQ(media->level, 1);
    EXPECT_EQ(media->children[1]->level, 2);
    // Style sheets and @media blocks are open; an @media block does not close.
    EXPECT_TRUE(manager.outline()->isItemExpanded(const_cast<StyleSheetsManagerDelegate::Row *>(media)));
    manager.outline()->collapseItem(const_cast<StyleSheetsManagerDelegate::Row *>(media));
    EXPECT_TRUE(manager.outline()->isItemExpanded(const_cast<StyleSheetsManagerDelegate::Row *>(media)));
    EXPECT_EQ(manager.filterLabel()->text(), QStringLiteral("All Style Sheets"));
}

TEST_F(StyleSheetsManager, CountsTheMatchedElementsAndFollowTheTree)
{
    load();
    EXPECT_EQ(count(QStringLiteral(".a")), QStringLiteral("(1)"));
    EXPECT_EQ(count(QStringLiteral(".c")), QStringLiteral("(2)"));
    EXPECT_EQ(count(QStringLiteral(".b")), QStringLiteral("(0)"));
    // Pseudo-classes are left out; a selector the engine refuses is unknown.
    EXPECT_EQ(count(QStringLiteral(".a:hover")), QStringLiteral("(1)"));
    EXPECT_EQ(count(QStringLiteral("p >")), QStringLiteral("(?)"));
    EXPECT_EQ(manager.countText(*row(QStringLiteral("@keyframes turn"))->declaration), QString());

    // The cell: grey with the faint patching image for a class matching
    // nothing, the button only for a lone class.
    StyleSheetsManagerListCell cell(&manager);
    const QPalette palette;
    const auto b = cell.lookOf(*row(QStringLiteral(".b")), false, palette);
    EXPECT_TRUE(b.patchingShown);
    EXPECT_FALSE(b.showButton);
    EXPECT_EQ(b.text, palette.color(QPalette::Disabled, QPalette::Text));
    EXPECT_TRUE(cell.lookOf(*row(QStringLiteral(".b")), true, palette).text != b.text);
    EXPECT_TRUE(cell.lookOf(*row(QStringLiteral(".a"), site), false, palette).showButton);
    EXPECT_FALSE(cell.lookOf(*row(QStringLiteral("p >")), false, palette).patchingShown);
    EXPECT_FALSE(StyleSheetsManagerListCell::isLoneClass(QStringLiteral(".menu li")));
    EXPECT_FALSE(StyleSheetsManagerListCell::isLoneClass(QStringLiteral("#menu")));
    EXPECT_EQ(cell.lookOf(*row(QStringLiteral("@media screen and (max-width: 600px)")), false, palette).text, QColor(185, 2, 143));

    // A class set on an element raises the count.
    ASSERT_TRUE(live.element(QStringLiteral("y"))->setAttribute(QStringLiteral("class"), QStringLiteral("c b")));
    EXPECT_EQ(count(QStringLiteral(".b")), QStringLiteral("(1)"));
}

TEST_F(StyleSheetsManager, ThePatchingButtonStandsOverTheLoneClassUnderThePointer)
{
    load();
    manager.view()->show();
    OutlineViewEx *list = manager.outline();
    const auto pointOf = [&](const QString &selector) {
        return list->visualRect(list->indexForRow(rowIndex(selector, site))).center();
    };
    manager.placePatchingButton(pointOf(QStringLiteral(".b")));
    PatchingButton *button = manager.patchingButton();
    ASSERT_TRUE(button->isVisible());
    EXPECT_EQ(button->styleDeclaration(), row(QStringLiteral(".b"))->declaration);
    // .b matches nothing: the faint image.
    EXPECT_EQ(button->imageState(), PatchingButton::State::None);
    manager.placePatchingButton(pointOf(QStringLiteral(".a:hover")));
    EXPECT_TRUE(button->isVisible());
    EXPECT_EQ(button->imageState(), PatchingButton::State::Up);
    manager.placePatchingButton(pointOf(QStringLiteral("p >")));
    EXPECT_FALSE(button->isVisible());
    manager.view()->hide();
}

TEST_F(StyleSheetsManager, AChosenRuleShowsInTheRulesPanelAndTheSelectionKeepsToOneFileKindAndBlock)
{
    load();
    OutlineViewEx *list = manager.outline();
    const int b = rowIndex(QStringLiteral(".b"));
    ASSERT_GE(b, 0);
    list->selectRowIndexes({b}, false);
    QTRY_COMPARE(live.panel.shownStyleDeclaration(), row(QStringLiteral(".b"))->declaration);
    EXPECT_EQ(live.panel.displaySelectorType(), CSSOutlineDelegate::StyleDeclarationRule);
    EXPECT_EQ(manager.declarationList()->numberOfRows(), 1);

    // Other files, levels, kinds and style sheets' rows are left out.
    const int o = rowIndex(QStringLiteral(".o"));
    const int m1 = rowIndex(QStringLiteral(".m1"));
    const int media = rowIndex(QStringLiteral("@media screen and (max-width: 600px)"));
    const int c = rowIndex(QStringLiteral(".c"), site);
    list->selectRowIndexes({b, m1, media, c, o}, false);
    EXPECT_EQ(list->selectedRowIndexes(), (QList<int>{b, c}));
    EXPECT_EQ(manager.declarationList()->numberOfRows(), 0);
    const int sheet = list->rowForItem(sheetRow(site));
    list->selectRowIndexes({sheet}, false);
    list->selectRowIndexes({sheet, b}, false);
    EXPECT_EQ(list->selectedRowIndexes(), QList<int>{sheet});

    // The rules panel's choice selects the row without showing it again.
    list->selectRowIndexes({b}, false);
    QTest::qWait(200);
    EXPECT_EQ(live.panel.shownStyleDeclaration(), row(QStringLiteral(".b"))->declaration);
    manager.selectItemFromRule(row(QStringLiteral(".o"))->declaration);
    EXPECT_EQ(selectedSelector(), QStringLiteral(".o"));
    QTest::qWait(200);
    EXPECT_EQ(live.panel.shownStyleDeclaration(), row(QStringLiteral(".b"))->declaration);
}

TEST_F(StyleSheetsManager, AChosenSheetLeavesTheSelectedElementsRulesInThePanel)
{
    load();
    ASSERT_TRUE(live.select(live.element(QStringLiteral("x"))));
    ASSERT_TRUE(live.ruleRow(QStringLiteral(".a")));
    OutlineViewEx *list = manager.outline();
    list->selectRowIndexes({list->rowForItem(sheetRow(other))}, false);
    // The manager follows its selection at the next turn; the panel may rebuild after it.
    QTest::qWait(200);
    EXPECT_EQ(live.panel.displaySelectorType(), CSSOutlineDelegate::ElementRules);
    QTRY_VERIFY(live.ruleRow(QStringLiteral(".a")));
    EXPECT_FALSE(live.panel.shownStyleDeclaration());
}

TEST_F(StyleSheetsManager, AChosenRuleOutlinesItsElementsAndOneMatchingNothingOutlinesNone)
{
    load();
    OutlinePreview preview;
    live.panel.setWebview([&preview] { return &preview; });
    OutlineViewEx *list = manager.outline();
    list->selectRowIndexes({rowIndex(QStringLiteral(".c"), site)}, false);
    QTRY_COMPARE(preview.calls.value(0), QStringLiteral("show"));
    EXPECT_EQ(preview.outlined, 2);
    preview.calls.clear();
    list->selectRowIndexes({rowIndex(QStringLiteral(".b"))}, false);
    QTRY_VERIFY(preview.calls.contains(QStringLiteral("hide")));
    EXPECT_FALSE(preview.calls.contains(QStringLiteral("show")));
    live.panel.setWebview({});
}

TEST_F(StyleSheetsManager, TheFileFilterTogglesSheetsAndNamesThemInTheLabelAndTheTable)
{
    load();
    manager.setFileFilter(other);
    EXPECT_EQ(topSelectors(), (QStringList{".o", ".a", "@-webkit-keyframes spin"}));
    EXPECT_EQ(manager.filterLabel()->text(), QStringLiteral("other.css"));
    EXPECT_EQ(manager.filterFiles(), QList<File *>{other});
    manager.setFileFilter(site);
    // In the sheets' order, whatever the order of choosing.
    EXPECT_EQ(manager.filterLabel()->text(), QStringLiteral("site.css, other.css"));
    manager.setFileFilter(other);
    EXPECT_EQ(manager.filterFiles(), QList<File *>{site});

    // The drop-down table: all, a separator, the sheets; marks on the filtered.
    manager.showFilterDropdown();
    ASSERT_TRUE(manager.filterTable());
    EXPECT_EQ(manager.filterTable()->numberOfRows(), 4);
    const auto checked = [&](int r) {
        return manager.objectValueForTableColumn(manager.filterTable(), 0, r, Qt::CheckStateRole).toInt() == Qt::Checked;
    };
    EXPECT_FALSE(checked(0));
    EXPECT_TRUE(checked(2));
    EXPECT_FALSE(checked(3));
    manager.filterTable()->selectRowIndexes({1}, false);
    EXPECT_EQ(manager.filterTable()->selectedRow(), -1);
    manager.filterTable()->selectRowIndexes({0}, false);
    EXPECT_TRUE(manager.filterFiles().isEmpty());
    EXPECT_TRUE(checked(0));
    EXPECT_EQ(manager.filterLabel()->text(), QStringLiteral("All Style Sheets"));
    EXPECT_EQ(StyleSheetsManagerDelegate::filterDropdownSize(112, 3), QSize(100, 99));
    EXPECT_EQ(StyleSheetsManagerDelegate::filterDropdownSize(112, 25), QSize(100, 422));
}

TEST_F(StyleSheetsManager, SearchStepsThroughHitsWrapsAndFindsComments)
{
    load();
    EXPECT_TRUE(manager.searchIncrement(QStringLiteral(".m")));
    EXPECT_EQ(selectedSelector(), QStringLiteral(".m1"));
    EXPECT_TRUE(manager.searchIncrement(QStringLiteral(".m")));
    EXPECT_EQ(selectedSelector(), QStringLiteral(".m2"));
    EXPECT_TRUE(manager.searchIncrement(QStringLiteral(".m")));
    EXPECT_EQ(selectedSelector(), QStringLiteral(".m1"));
    EXPECT_FALSE(manager.searchIncrement(QStringLiteral("nothing")));
    EXPECT_EQ(selectedSelector(), QStringLiteral(".m1"));
    ASSERT_TRUE(manager.searchIncrement(QStringLiteral("layout")));
    const auto *hit = manager.rowAt(manager.outline()->selectedRow());
    ASSERT_TRUE(hit && hit->declaration);
    EXPECT_EQ(hit->declaration->type(), RuleType::Comment);
    // A new word starts from its first hit.
    manager.searchIncrement(QStringLiteral(".a"));
    EXPECT_EQ(selectedSelector(), QStringLiteral(".a"));
}

TEST_F(StyleSheetsManager, TabStaysInARowBeingEditedAndReturnRenamesTheRule)
{
    load();
    QWidget panel;
    auto *layout = new QVBoxLayout(&panel);
    layout->addWidget(manager.view());
    StyleManagerWindow window(&panel);
    panel.show();
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    OutlineViewEx *list = manager.outline();
    list->setFocus();
    EXPECT_FALSE(StyleManagerWindow::isEditingRule(list));
    ASSERT_TRUE(list->editColumn(0, rowIndex(QStringLiteral(".b")), true));
    QWidget *field = QApplication::focusWidget();
    ASSERT_TRUE(field && field != list);
    EXPECT_TRUE(StyleManagerWindow::isEditingRule(field));
    QTest::keyClick(field, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), field);
    EXPECT_TRUE(list->isEditing());

    // Return commits the typed name: the rule is renamed in page and file.
    const QString before = *site->currentContent();
    auto *line = qobject_cast<QLineEdit *>(field);
    ASSERT_TRUE(line);
    line->setText(QStringLiteral(".b2"));
    QTest::keyClick(field, Qt::Key_Return);
    live.settleWrites();
    EXPECT_FALSE(list->isEditing());
    EXPECT_EQ(*site->currentContent(), QString(before).replace(QStringLiteral(".b {"), QStringLiteral(".b2 {")));
    EXPECT_EQ(selectedSelector(), QStringLiteral(".b2"));
    layout->removeWidget(manager.view());
    manager.view()->setParent(nullptr);
}

TEST_F(StyleSheetsManager, AMouseDownInTheListDropsARenameAndAClickNeverStartsOne)
{
    load();
    QWidget panel;
    auto *layout = new QVBoxLayout(&panel);
    layout->addWidget(manager.view());
    panel.resize(400, 600);
    panel.show();
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    OutlineViewEx *list = manager.outline();
    const QString before = *site->currentContent();

    // Return on a selected rule edits its name; a click elsewhere in the
    // list drops what was typed.
    list->setFocus();
    list->selectRowIndexes({rowIndex(QStringLiteral(".b"))}, false);
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(list->isEditing());
    auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_TRUE(field);
    field->setText(QStringLiteral(".typed"));
    const QPoint elsewhere = list->rectOfRow(rowIndex(QStringLiteral(".c"))).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, elsewhere);
    live.settleWrites();
    EXPECT_FALSE(list->isEditing());
    EXPECT_EQ(*site->currentContent(), before);
    EXPECT_TRUE(row(QStringLiteral(".b")));
    EXPECT_EQ(selectedSelector(), QStringLiteral(".c"));

    // The click chose the row: clicking it again selects, it does not edit.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, elsewhere);
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    EXPECT_FALSE(list->isEditing());
    // Return still edits it, and the list's own commit still renames.
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(list->isEditing());
    field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_TRUE(field);
    field->setText(QStringLiteral(".c2"));
    QTest::keyClick(field, Qt::Key_Return);
    live.settleWrites();
    EXPECT_EQ(*site->currentContent(), QString(before).replace(QStringLiteral(".c {"), QStringLiteral(".c2 {")));
    layout->removeWidget(manager.view());
    manager.view()->setParent(nullptr);
}

TEST_F(StyleSheetsManager, RemovingTwoRulesIsOneUndoStepForPageModelAndFile)
{
    load();
    const QString before = *site->currentContent();
    OutlineViewEx *list = manager.outline();
    const int b = list->rowForItem(const_cast<StyleSheetsManagerDelegate::Row *>(row(QStringLiteral(".b"))));
    const int c = list->rowForItem(const_cast<StyleSheetsManagerDelegate::Row *>(row(QStringLiteral(".c"), site)));
    list->selectRowIndexes({b, c}, false);
    ASSERT_EQ(manager.selectedDeclarations().size(), 2);
    manager.removeSelected();
    live.settleWrites();
    EXPECT_FALSE(topSelectors().contains(QStringLiteral(".b")));
    EXPECT_FALSE(topSelectors().contains(QStringLiteral(".c")));
    EXPECT_FALSE(site->currentContent()->contains(QStringLiteral(".b {")));
    EXPECT_FALSE(site->currentContent()->contains(QStringLiteral(".c {")));
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Remove Selector"));
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules.length")).toInt(), 4);

    live.undo.undo();
    live.settleWrites();
    EXPECT_EQ(*site->currentContent(), before);
    EXPECT_TRUE(topSelectors().contains(QStringLiteral(".b")));
    EXPECT_TRUE(topSelectors().contains(QStringLiteral(".c")));
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules.length")).toInt(), 6);
}

TEST_F(StyleSheetsManager, CutRulesPasteInTheirOrderAfterTheSelectedRuleAndEachEditIsOneUndoStep)
{
    load();
    const QString before = *site->currentContent();
    OutlineViewEx *list = manager.outline();
    list->selectRowIndexes({rowIndex(QStringLiteral(".a"), site), rowIndex(QStringLiteral(".b"))}, false);
    // The Edit menu's command reaches the list.
    list->cut();
    live.settleWrites();
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Cut Selector"));
    // The clipboard is the rules panel's.
    EXPECT_EQ(live.panel.copyInfos().size(), 2);
    EXPECT_EQ(manager.copiedRules().size(), 2);
    EXPECT_FALSE(site->currentContent()->contains(QStringLiteral(".b {")));

    list->selectRowIndexes({rowIndex(QStringLiteral(".c"))}, false);
    list->paste();
    live.settleWrites();
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Paste Selector"));
    QStringList tops = topSelectors();
    const qsizetype c = tops.indexOf(QStringLiteral(".c"));
    ASSERT_GE(c, 0);
    EXPECT_EQ(tops.mid(c, 3), (QStringList{".c", ".a", ".b"}));
    const QString text = *site->currentContent();
    EXPECT_LT(text.indexOf(QStringLiteral(".c {")), text.indexOf(QStringLiteral(".a {")));
    EXPECT_LT(text.indexOf(QStringLiteral(".a {")), text.indexOf(QStringLiteral(".b {")));
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("Array.from(document.styleSheets[0].cssRules).slice(-2).map(function (r) "
                                                    "{ return r.selectorText; }).join(',')")).toString(),
              QStringLiteral(".a,.b"));

    live.undo.undo();
    live.settleWrites();
    live.undo.undo();
    live.settleWrites();
    EXPECT_EQ(*site->currentContent(), before);
}

TEST_F(StyleSheetsManager, DuplicateAddsTheCopyAfterTheRuleAndInsideItsMediaBlock)
{
    load();
    OutlineViewEx *list = manager.outline();
    manager.selectItemFromRule(row(QStringLiteral(".m1"))->declaration);
    manager.duplicate();
    live.settleWrites();
    const auto *media = row(QStringLiteral("@media screen and (max-width: 600px)"));
    ASSERT_TRUE(media);
    ASSERT_EQ(media->children.size(), 3u);
    EXPECT_EQ(media->children[1]->declaration->selector(), QStringLiteral(".m1"));
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Duplicate Selector"));
    EXPECT_GE(list->selectedRow(), 0);
}

TEST_F(StyleSheetsManager, RenameNormalisesSpacingKeepsAttributeTextAndUndoesInOneStep)
{
    load();
    const QString before = *site->currentContent();
    ASSERT_TRUE(manager.renameRule(row(QStringLiteral(".b"))->declaration, QStringLiteral("div>.b,p   .x")));
    live.settleWrites();
    EXPECT_TRUE(topSelectors().contains(QStringLiteral("div > .b, p .x")));
    EXPECT_FALSE(topSelectors().contains(QStringLiteral(".b")));
    // Only the selector changes in the file, where the rule stands.
    EXPECT_EQ(*site->currentContent(), QString(before).replace(QStringLiteral(".b { color: blue; }"),
                                                                QStringLiteral("div > .b, p .x { color: blue; }")));
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Rename Selector"));
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules[1].selectorText")).toString(),
              QStringLiteral("div > .b, p .x"));
    live.undo.undo();
    live.settleWrites();
    EXPECT_EQ(*site->currentContent(), before);
    EXPECT_TRUE(topSelectors().contains(QStringLiteral(".b")));
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules[1].selectorText")).toString(), QStringLiteral(".b"));

    ASSERT_TRUE(manager.renameRule(row(QStringLiteral(".c"), site)->declaration, QStringLiteral("a[title=\"x>y\"]")));
    live.settleWrites();
    EXPECT_TRUE(topSelectors().contains(QStringLiteral("a[title=\"x>y\"]")));
    EXPECT_TRUE(site->currentContent()->contains(QStringLiteral("a[title=\"x>y\"] { color: black; }")));

    // A name the page refuses changes nothing.
    const QString now = *site->currentContent();
    EXPECT_FALSE(manager.renameRule(row(QStringLiteral(".b"))->declaration, QStringLiteral("p >")));
    live.settleWrites();
    EXPECT_EQ(*site->currentContent(), now);
    EXPECT_TRUE(topSelectors().contains(QStringLiteral(".b")));
}

TEST_F(StyleSheetsManager, ACaseOnlyRenameKeepsThePlaceAndBlocksAreRenamedWithTheirRules)
{
    load();
    const QString before = *site->currentContent();
    ASSERT_TRUE(manager.renameRule(row(QStringLiteral(".b"))->declaration, QStringLiteral(".B")));
    live.settleWrites();
    EXPECT_EQ(topSelectors().mid(0, 3), (QStringList{".a", ".B", ".a:hover"}));
    live.undo.undo();
    live.settleWrites();
    EXPECT_EQ(*site->currentContent(), before);

    // An @media query: the block keeps its rules, one undo step.
    ASSERT_TRUE(manager.renameRule(row(QStringLiteral("@media screen and (max-width: 600px)"))->declaration,
                                   QStringLiteral("@media print")));
    live.settleWrites();
    const auto *print = row(QStringLiteral("@media print"));
    ASSERT_TRUE(print);
    EXPECT_EQ(print->children.size(), 2u);
    EXPECT_FALSE(row(QStringLiteral("@media screen and (max-width: 600px)")));
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Rename Selector"));
    live.undo.undo();
    live.settleWrites();
    EXPECT_EQ(*site->currentContent(), before);

    // A keyframes row shows its name without the prefix: ending the edit unchanged does nothing.
    EXPECT_FALSE(manager.renameRule(row(QStringLiteral("@-webkit-keyframes spin"))->declaration, QStringLiteral("@keyframes spin")));
}

TEST_F(StyleSheetsManager, MenuCommandsFollowTheClickedRowAndARemovalSelectsTheRowBelow)
{
    load();
    OutlineViewEx *list = manager.outline();
    EXPECT_FALSE(manager.validateMenuItem(QStringLiteral("Remove")));
    list->selectRowIndexes({rowIndex(QStringLiteral(".b"))}, false);
    EXPECT_TRUE(manager.validateMenuItem(QStringLiteral("Remove")));
    EXPECT_FALSE(manager.validateMenuItem(QStringLiteral("Paste")));

    const int b = rowIndex(QStringLiteral(".b"));
    manager.removeSelected();
    live.settleWrites();
    QTRY_COMPARE(list->selectedRow(), b);
    EXPECT_EQ(selectedSelector(), QStringLiteral(".a:hover"));

    // The save key in the list asks the panels to save.
    int saves = 0;
    NotificationCenter::defaultCenter().addObserver(&saves, QStringLiteral("savedByCommand"), &manager,
                                                    [&saves](const Notification &) { ++saves; });
    manager.saveOutlineview();
    NotificationCenter::defaultCenter().removeObserver(&saves);
    EXPECT_EQ(saves, 1);
}

TEST_F(StyleSheetsManager, DeclarationsCopiedInTheRulesPanelPasteIntoTheChosenRule)
{
    load();
    auto info = std::make_shared<CSSCopyInfo>();
    info->setProperty(std::make_shared<CSSProperty>(QStringLiteral("padding"), QStringLiteral("2px")));
    live.panel.setCopyInfos({info});
    manager.outline()->selectRowIndexes({rowIndex(QStringLiteral(".b"))}, false);
    manager.paste();
    live.settleWrites();
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Copy Declaration"));
    EXPECT_TRUE(site->currentContent()->contains(QStringLiteral("padding: 2px"))) << site->currentContent()->toStdString();
}

TEST_F(StyleSheetsManager, TheFooterNamesTheChosenRulesSheetAfterEveryChangeOfTheList)
{
    load();
    const QWidget *footer = manager.view()->findChild<QWidget *>(QStringLiteral("selectorInputView"));
    const QLabel *target = manager.view()->findChild<QLabel *>(QStringLiteral("insertTargetLabel"));
    ASSERT_TRUE(footer && target);
    EXPECT_FALSE(footer->isEnabled());
    manager.outline()->selectRowIndexes({rowIndex(QStringLiteral(".o"))}, false);
    QTRY_COMPARE(target->text(), QStringLiteral("other.css"));
    EXPECT_TRUE(footer->isEnabled());
    // The list now leaves the chosen rule's sheet out: nothing is chosen.
    manager.setFileFilter(site);
    EXPECT_EQ(target->text(), QString());
    EXPECT_FALSE(footer->isEnabled());
    // The rules panel's choice selects the row without a word.
    manager.selectItemFromRule(row(QStringLiteral(".b"))->declaration);
    EXPECT_EQ(target->text(), QStringLiteral("site.css"));
    EXPECT_TRUE(footer->isEnabled());
}

TEST_F(StyleSheetsManager, ARefreshKeepsTheSelectedRule)
{
    load();
    manager.selectItemFromRule(row(QStringLiteral(".c"))->declaration);
    manager.refreshSelectorList();
    EXPECT_EQ(selectedSelector(), QStringLiteral(".c"));
}

} // namespace

namespace {

using Row = StyleSheetsManagerDelegate::Row;

Row *mutableRow(const Row *row)
{
    return const_cast<Row *>(row);
}

} // namespace

TEST_F(StyleSheetsManager, RuleDragsKeepToOneLevelAndLandOnlyInFilesAndMediaBlocks)
{
    load();
    OutlineViewEx *list = manager.outline();
    QMimeData mime;
    Row *b = mutableRow(row(QStringLiteral(".b")));
    Row *m1 = mutableRow(row(QStringLiteral(".m1")));
    Row *media = mutableRow(row(QStringLiteral("@media screen and (max-width: 600px)")));
    Row *keyframes = mutableRow(row(QStringLiteral("@keyframes turn")));
    EXPECT_FALSE(manager.writeItems(list, {b, m1}, &mime));
    EXPECT_FALSE(manager.writeItems(list, {sheetRow(site)}, &mime));
    ASSERT_TRUE(manager.writeItems(list, {b}, &mime));
    EXPECT_EQ(manager.dragItems().size(), 1);

    DraggingInfo info;
    info.pasteboard = &mime;
    info.source = list;
    EXPECT_EQ(manager.validateDrop(list, info, media, 0), Qt::MoveAction);
    EXPECT_EQ(manager.validateDrop(list, info, sheetRow(site), 5), Qt::MoveAction);
    EXPECT_EQ(manager.validateDrop(list, info, nullptr, 4), Qt::IgnoreAction);
    EXPECT_EQ(manager.validateDrop(list, info, keyframes, -1), Qt::IgnoreAction);
    EXPECT_EQ(manager.validateDrop(list, info, b, -1), Qt::IgnoreAction);
    // Right after itself: nothing to do.
    EXPECT_FALSE(manager.acceptDrop(list, info, sheetRow(site), 3));

    // A block is not dropped into a block.
    ASSERT_TRUE(manager.writeItems(list, {keyframes}, &mime));
    EXPECT_EQ(manager.validateDrop(list, info, media, 0), Qt::IgnoreAction);
}

TEST_F(StyleSheetsManager, ARuleDraggedIntoAMediaBlockMovesInPageAndFileAsOneUndoStep)
{
    load();
    const QString before = *site->currentContent();
    OutlineViewEx *list = manager.outline();
    QMimeData mime;
    ASSERT_TRUE(manager.writeItems(list, {mutableRow(row(QStringLiteral(".b")))}, &mime));
    DraggingInfo info;
    info.pasteboard = &mime;
    info.source = list;
    ASSERT_TRUE(manager.acceptDrop(list, info, mutableRow(row(QStringLiteral("@media screen and (max-width: 600px)"))), 1));
    live.settleWrites();
    const auto *media = row(QStringLiteral("@media screen and (max-width: 600px)"));
    ASSERT_EQ(media->children.size(), 3u);
    EXPECT_EQ(media->children[1]->declaration->selector(), QStringLiteral(".b"));
    EXPECT_FALSE(topSelectors().contains(QStringLiteral(".b")));
    const QString text = *site->currentContent();
    EXPECT_LT(text.indexOf(QStringLiteral(".m1 {")), text.indexOf(QStringLiteral(".b {")));
    EXPECT_LT(text.indexOf(QStringLiteral(".b {")), text.indexOf(QStringLiteral(".m2 {")));
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Move Selector"));
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules[2].cssRules[1].selectorText")).toString(),
              QStringLiteral(".b"));

    live.undo.undo();
    live.settleWrites();
    EXPECT_EQ(*site->currentContent(), before);
    EXPECT_TRUE(topSelectors().contains(QStringLiteral(".b")));
}

TEST_F(StyleSheetsManager, RulesDroppedRightAfterOneOfThemKeepEveryRuleInPageAndFile)
{
    load();
    const QString before = *site->currentContent();
    OutlineViewEx *list = manager.outline();
    QMimeData mime;
    ASSERT_TRUE(manager.writeItems(list, {mutableRow(row(QStringLiteral(".a"), site)), mutableRow(row(QStringLiteral(".b")))}, &mime));
    DraggingInfo info;
    info.pasteboard = &mime;
    info.source = list;
    // After .a, which is itself dragged: the two land where they were.
    ASSERT_TRUE(manager.acceptDrop(list, info, sheetRow(site), 2));
    live.settleWrites();
    EXPECT_TRUE(alerts.isEmpty());
    EXPECT_EQ(topSelectors().mid(0, 3), (QStringList{".a", ".b", ".a:hover"}));
    const QString text = *site->currentContent();
    EXPECT_EQ(text.count(QStringLiteral(".a {")), 1) << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral(".b {")), 1) << text.toStdString();
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("Array.from(document.styleSheets[0].cssRules).slice(0, 2).map(function (r) "
                                                    "{ return r.selectorText; }).join(',')")).toString(),
              QStringLiteral(".a,.b"));
    live.undo.undo();
    live.settleWrites();
    EXPECT_EQ(*site->currentContent(), before);
}

TEST_F(StyleSheetsManager, ASnippetAddsItsBlockWithItsRulesAndThenItsRuleInOrder)
{
    load();
    OutlineViewEx *list = manager.outline();
    QMimeData mime;
    DragPayload::setDomNodeDragCopy(&mime, QVariantMap{{QStringLiteral("category"), QStringLiteral("CSS")},
                                                       {QStringLiteral("content"),
                                                        QStringLiteral("/* note */\n@media print {\n  .p1 { color: red; }\n"
                                                                       "  .p2 { color: blue; }\n}\n.after { margin: 0; }\n")}});
    DraggingInfo info;
    info.pasteboard = &mime;
    EXPECT_EQ(manager.validateDrop(list, info, sheetRow(site), 2), Qt::MoveAction);
    ASSERT_TRUE(manager.acceptDrop(list, info, sheetRow(site), 2));
    live.settleWrites();
    EXPECT_EQ(topSelectors().mid(0, 4), (QStringList{".a", "@media print", ".after", ".b"}));
    const auto *print = row(QStringLiteral("@media print"));
    ASSERT_TRUE(print);
    EXPECT_EQ(print->children.size(), 2u);
    const QString text = *site->currentContent();
    EXPECT_LT(text.indexOf(QStringLiteral(".p2 {")), text.indexOf(QStringLiteral(".after {")));
    EXPECT_LT(text.indexOf(QStringLiteral(".after {")), text.indexOf(QStringLiteral(".b {")));

    // Not a CSS snippet: refused.
    QMimeData element;
    DragPayload::setDomNodeDragCopy(&element, QStringLiteral("div"));
    info.pasteboard = &element;
    EXPECT_EQ(manager.validateDrop(list, info, sheetRow(site), 2), Qt::IgnoreAction);
}

TEST_F(StyleSheetsManager, AMediaBlockTheFileHasAlreadyIsRefusedWithAnAlert)
{
    load();
    const QString before = *site->currentContent();
    QMimeData mime;
    DragPayload::setDomNodeDragCopy(&mime, QVariantMap{{QStringLiteral("category"), QStringLiteral("CSS")},
                                                       {QStringLiteral("content"),
                                                        QStringLiteral("@media SCREEN and (max-width: 600px) { .z { top: 0; } }")}});
    DraggingInfo info;
    info.pasteboard = &mime;
    EXPECT_TRUE(manager.acceptDrop(manager.outline(), info, sheetRow(site), 2));
    live.settleWrites();
    EXPECT_EQ(alerts, QStringList{QStringLiteral("\"@media SCREEN and (max-width: 600px)\"\nis Already exists.")});
    EXPECT_EQ(*site->currentContent(), before);
}

TEST_F(StyleSheetsManager, AWordFromAnIdValueBecomesAnIdRuleAndAnyOtherWordAClassRule)
{
    load();
    QPlainTextEdit code;
    code.setPlainText(QStringLiteral("<div id=\"header\" class=\"menu\">"));
    QTextCursor cursor = code.textCursor();
    cursor.setPosition(9);
    cursor.setPosition(15, QTextCursor::KeepAnchor);
    code.setTextCursor(cursor);
    QMimeData mime;
    mime.setText(QStringLiteral("header"));
    DraggingInfo info;
    info.pasteboard = &mime;
    info.source = &code;
    EXPECT_EQ(StyleSheetsManagerDelegate::generateSelectorForIdOrClass(info), QStringLiteral("#header"));
    cursor.setPosition(24);
    cursor.setPosition(28, QTextCursor::KeepAnchor);
    code.setTextCursor(cursor);
    mime.setText(QStringLiteral("menu"));
    EXPECT_EQ(StyleSheetsManagerDelegate::generateSelectorForIdOrClass(info), QStringLiteral(".menu"));

    EXPECT_EQ(manager.validateDrop(manager.outline(), info, sheetRow(site), 2), Qt::CopyAction);
    ASSERT_TRUE(manager.acceptDrop(manager.outline(), info, sheetRow(site), 2));
    live.settleWrites();
    EXPECT_EQ(topSelectors().mid(0, 3), (QStringList{".a", ".menu", ".b"}));
    EXPECT_TRUE(site->currentContent()->contains(QStringLiteral(".menu")));
}

TEST_F(StyleSheetsManager, ARuleThePageRefusesInItsNewPlaceStaysWhereItWas)
{
    load();
    const QString before = *site->currentContent();
    OutlineViewEx *list = manager.outline();
    QMimeData mime;
    ASSERT_TRUE(manager.writeItems(list, {mutableRow(row(QStringLiteral("p >")))}, &mime));
    DraggingInfo info;
    info.pasteboard = &mime;
    info.source = list;
    manager.acceptDrop(list, info, mutableRow(row(QStringLiteral("@media screen and (max-width: 600px)"))), 0);
    live.settleWrites();
    EXPECT_TRUE(topSelectors().contains(QStringLiteral("p >")));
    EXPECT_EQ(row(QStringLiteral("@media screen and (max-width: 600px)"))->children.size(), 2u);
    EXPECT_EQ(*site->currentContent(), before);
    EXPECT_EQ(alerts.size(), 1);
}

TEST_F(StyleSheetsManager, NothingIsDroppedBeforeALeadingCharset)
{
    ASSERT_TRUE(live.load({{QStringLiteral("site.css"), QByteArray("@charset \"utf-8\";\n.a { color: red; }\n")},
                           {QStringLiteral("index.html"), QByteArray("<!DOCTYPE html><link rel=stylesheet href=site.css><p class=a>")}}));
    live.panel.setPageDocument(live.document());
    manager.setRulesPanel(&live.panel);
    QMimeData mime;
    mime.setText(QStringLiteral("word"));
    DraggingInfo info;
    info.pasteboard = &mime;
    const QStringList tops = topSelectors();
    ASSERT_FALSE(tops.isEmpty());
    auto *sheet = manager.rows().front().get();
    EXPECT_EQ(manager.validateDrop(manager.outline(), info, sheet, 0), Qt::IgnoreAction);
    EXPECT_EQ(manager.validateDrop(manager.outline(), info, sheet, 1), Qt::CopyAction);
}

} // namespace StyleSheetsManagerLiveTest
