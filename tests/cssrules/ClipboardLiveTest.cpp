#include "LivePanel.h"
#include "TextFileViewer.h"

#include "cssrules/CSSCopyInfo.h"
#include "interfaces/DomNodeListDelegateInterface.h"
#include "interfaces/FileViewControllerInterface.h"
#include "interfaces/StyleSheetsManagerDelegateInterface.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/kit/Alert.h"
#include "toolkit/DragPayload.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace ClipboardLiveTest {

namespace {

const QByteArray kSheet = ".a {\n    color: red;\n    top: 1px;\n    left: 2px;\n}\n\n"
                          ".b {\n    right: 3px;\n}\n\n"
                          "@media (min-width: 1px) {\n    .m { bottom: 4px; }\n}\n";

const QByteArray kPage = "<!DOCTYPE html><link rel=stylesheet href=site.css><p id=t class='a b m'>x</p>";

// The filter of a style-sheet manager: each file given is added or taken out.
class FilterManager : public StyleSheetsManagerDelegateInterface
{
public:
    QWidget *selectorListView() override { return nullptr; }
    void reselectSelectorWithClickedSelector() override {}
    void setInChange(bool) override {}
    void refreshSelectorList() override {}
    QList<File *> filterFiles() override { return files; }
    void clearFileFilter() override { files.clear(); }
    void setFileFilter(File *file) override
    {
        if (!file)
            files.clear();
        else if (!files.removeOne(file))
            files.append(file);
    }
    void selectItemFromRule(const std::shared_ptr<StyleDeclaration> &) override {}
    QList<File *> files;
};

class Clipboard : public ::testing::Test
{
protected:
    Clipboard()
    {
        Alert::setResponder([this](Alert &alert) {
            alerts.append(alert.messageText());
            return int(Alert::DefaultReturn);
        });
    }
    ~Clipboard() override
    {
        Alert::setResponder({});
        EXPECT_TRUE(alerts.isEmpty()) << alerts.join(u'|').toStdString();
    }

    void load(const QByteArray &sheet = kSheet, const QList<std::pair<QString, QByteArray>> &more = {},
              const QByteArray &page = kPage)
    {
        QList<std::pair<QString, QByteArray>> files{{QStringLiteral("site.css"), sheet}, {QStringLiteral("index.html"), page}};
        files += more;
        ASSERT_TRUE(live.load(files));
        ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
        file = live.file(QStringLiteral("site.css"));
        original = *file->currentContent();
        live.panel.styleDeclarationsOf(file);
    }
    QString text() const { return *file->currentContent(); }
    // The live rule's declarations as the page has them.
    QString pageStyle(int rule)
    {
        live.fixture->settle();
        return live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules[%1].style.cssText").arg(rule)).toString();
    }
    CSSRulePtr row(const QString &selector, const QString &property = {})
    {
        const CSSRulePtr rule = live.ruleRow(selector);
        return property.isEmpty() ? rule : LivePanel::declaration(rule, property);
    }
    bool selectRows(const QList<CSSRulePtr> &rows)
    {
        QList<int> indexes;
        for (const CSSRulePtr &each : rows) {
            const int index = each ? live.panel.outline()->rowForItem(each.get()) : -1;
            if (index < 0)
                return false;
            indexes.append(index);
        }
        live.panel.outline()->selectRowIndexes(indexes, false);
        return true;
    }
    // Drags the rows and drops them at the target's child index.
    bool drag(const QList<CSSRulePtr> &rows, const CSSRulePtr &target, int childIndex, QMimeData &mime)
    {
        QList<void *> items;
        for (const CSSRulePtr &each : rows)
            items.append(each.get());
        OutlineViewEx *outline = live.panel.outline();
        if (!live.panel.writeItems(outline, items, &mime))
            return false;
        DraggingInfo info;
        info.pasteboard = &mime;
        info.source = outline;
        if (live.panel.validateDrop(outline, info, target.get(), childIndex) == Qt::IgnoreAction)
            return false;
        return live.panel.acceptDrop(outline, info, target.get(), childIndex);
    }
    void rebuild()
    {
        live.settleWrites();
        ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    }

    QStringList alerts;
    LivePanel live;
    File *file = nullptr;
    QString original;
};

} // namespace

TEST_F(Clipboard, TwoCopiedDeclarationsArePastedInOrderAndUndoneInOneStep)
{
    load();
    ASSERT_TRUE(selectRows({row(QStringLiteral(".a"), QStringLiteral("top")), row(QStringLiteral(".a"), QStringLiteral("left"))}));
    // The Edit menu reaches the focused outline's slot.
    ASSERT_TRUE(QMetaObject::invokeMethod(live.panel.outline(), "copy"));
    ASSERT_EQ(live.panel.copyInfos().size(), 2);
    ASSERT_TRUE(selectRows({row(QStringLiteral(".b"))}));
    ASSERT_TRUE(QMetaObject::invokeMethod(live.panel.outline(), "paste"));
    live.settleWrites();
    EXPECT_EQ(text(), QString(original).replace(QStringLiteral("right: 3px;\n"),
                                                QStringLiteral("right: 3px;\n    top: 1px;\n    left: 2px;\n")));
    EXPECT_EQ(pageStyle(1), QStringLiteral("right: 3px; top: 1px; left: 2px;"));
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Copy Property"));
    live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(pageStyle(1), QStringLiteral("right: 3px;"));
    EXPECT_FALSE(live.undo.canUndo());
}

TEST_F(Clipboard, CtrlVOnADeclarationPastesIntoItsRule)
{
    load();
    live.panel.setCopyInfos({row(QStringLiteral(".a"), QStringLiteral("color"))->copyInfo()});
    ASSERT_TRUE(selectRows({row(QStringLiteral(".b"), QStringLiteral("right"))}));
    QTest::keyClick(live.panel.outline(), Qt::Key_V, Qt::ControlModifier);
    live.settleWrites();
    EXPECT_EQ(text(), QString(original).replace(QStringLiteral("right: 3px;\n"), QStringLiteral("right: 3px;\n    color: red;\n")));
    EXPECT_EQ(pageStyle(1), QStringLiteral("right: 3px; color: red;"));
}

TEST_F(Clipboard, ARulePastedOntoAMediaRowBecomesItsFirstRule)
{
    load();
    live.panel.setCopyInfos({row(QStringLiteral(".b"))->copyInfo()});
    CSSRulePtr media;
    for (const CSSRulePtr &each : live.panel.rules()) {
        if (each->type() == RuleType::Media)
            media = each;
    }
    ASSERT_TRUE(media) << live.dump().toStdString();
    live.panel.pasteInto(media);
    live.settleWrites();
    EXPECT_EQ(text(), QString(original).replace(QStringLiteral("@media (min-width: 1px) {\n"),
                                                QStringLiteral("@media (min-width: 1px) {\n    .b { right: 3px; }\n")))
        << text().toStdString();
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Copy Selector"));
    live.fixture->settle();
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules[2].cssRules[0].selectorText")).toString(),
              QStringLiteral(".b"));
    live.undo.undo();
    EXPECT_EQ(text(), original);
}

TEST_F(Clipboard, APastedPrefixedPropertyGetsOnlyTheCopiesItsRuleWrites)
{
    load(".a {\n    transition: top 1s;\n}\n\n.b {\n    right: 3px;\n}\n\n.m {\n    -webkit-user-select: none;\n    user-select: none;\n}\n");
    const std::shared_ptr<CSSCopyInfo> copied = row(QStringLiteral(".a"), QStringLiteral("transition"))->copyInfo();
    ASSERT_TRUE(copied->property());
    // The rule keeps the formal name; the file gets no copy the rule does not write (#77).
    live.panel.addCSSCopy(copied, row(QStringLiteral(".b")), -1);
    live.settleWrites();
    EXPECT_TRUE(text().contains(QStringLiteral(".b {\n    right: 3px;\n    transition: top 1s;\n}"))) << text().toStdString();
    // A rule that writes "-webkit-" copies gets that one.
    live.panel.addCSSCopy(copied, row(QStringLiteral(".m")), -1);
    live.settleWrites();
    EXPECT_TRUE(text().contains(QStringLiteral("    user-select: none;\n    -webkit-transition: top 1s;\n    transition: top 1s;\n}")))
        << text().toStdString();
}

TEST_F(Clipboard, APasteOntoARowThatTakesNothingOfItsKindChangesNothing)
{
    load();
    // A rule onto a rule, a declaration onto a media block.
    live.panel.setCopyInfos({row(QStringLiteral(".b"))->copyInfo()});
    live.panel.pasteInto(row(QStringLiteral(".a")));
    CSSRulePtr media;
    for (const CSSRulePtr &each : live.panel.rules()) {
        if (each->type() == RuleType::Media)
            media = each;
    }
    live.panel.setCopyInfos({row(QStringLiteral(".a"), QStringLiteral("color"))->copyInfo()});
    live.panel.pasteInto(media);
    live.settleWrites();
    EXPECT_EQ(text(), original);
    EXPECT_FALSE(live.undo.canUndo());
}

TEST_F(Clipboard, ADeclarationDraggedUpItsRuleReordersPageAndFileAndUndoRestoresBoth)
{
    load();
    const CSSRulePtr a = row(QStringLiteral(".a"));
    QMimeData mime;
    ASSERT_TRUE(drag({row(QStringLiteral(".a"), QStringLiteral("left"))}, a, 0, mime));
    // A declaration carries no class name for the DOM tree.
    EXPECT_EQ(DragPayload::cssRuleDrag(&mime), QString());
    live.settleWrites();
    EXPECT_EQ(text(), QString(original).replace(QStringLiteral("    color: red;\n    top: 1px;\n    left: 2px;\n"),
                                                QStringLiteral("    left: 2px;\n    color: red;\n    top: 1px;\n")))
        << text().toStdString();
    EXPECT_EQ(pageStyle(0), QStringLiteral("left: 2px; color: red; top: 1px;"));
    EXPECT_EQ(live.undo.undoActionName(), QStringLiteral("Move Property"));
    // The moved row is selected once the list stands again.
    EXPECT_TRUE(TestUtil::waitUntil([&] {
        const CSSRulePtr selected = live.panel.getSelectedCSSRule();
        return selected && selected->propName() == QStringLiteral("left");
    }, 3000));
    live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(pageStyle(0), QStringLiteral("color: red; top: 1px; left: 2px;"));
}

TEST_F(Clipboard, ADeclarationDraggedIntoAnotherRuleLeavesTheFirst)
{
    load();
    QMimeData mime;
    ASSERT_TRUE(drag({row(QStringLiteral(".a"), QStringLiteral("top"))}, row(QStringLiteral(".b")), 0, mime));
    live.settleWrites();
    EXPECT_EQ(text(), QStringLiteral(".a {\n    color: red;\n    left: 2px;\n}\n\n.b {\n    top: 1px;\n    right: 3px;\n}\n\n"
                                     "@media (min-width: 1px) {\n    .m { bottom: 4px; }\n}\n"))
        << text().toStdString();
    EXPECT_EQ(pageStyle(0), QStringLiteral("color: red; left: 2px;"));
    EXPECT_EQ(pageStyle(1), QStringLiteral("top: 1px; right: 3px;"));
    live.undo.undo();
    EXPECT_EQ(text(), original);
}

TEST_F(Clipboard, DropsFromTwoRulesOfARuleRowOrOntoARowAreRefused)
{
    load();
    QMimeData mime;
    const CSSRulePtr b = row(QStringLiteral(".b"));
    EXPECT_FALSE(drag({row(QStringLiteral(".a"), QStringLiteral("top")), row(QStringLiteral(".b"), QStringLiteral("right"))}, b, 0, mime));
    EXPECT_FALSE(drag({row(QStringLiteral(".a"))}, b, 0, mime));
    EXPECT_FALSE(drag({row(QStringLiteral(".a"), QStringLiteral("top"))}, b, -1, mime));
    // The computed style and the browser's rules do not move.
    EXPECT_FALSE(drag({live.panel.rules().first()->children().value(0)}, b, 0, mime));
    live.settleWrites();
    EXPECT_EQ(text(), original);
    EXPECT_FALSE(live.undo.canUndo());
}

TEST_F(Clipboard, TheRuleMenuEnablesTheSelectionItemsForItsOwnDeclarations)
{
    load();
    const CSSRulePtr a = row(QStringLiteral(".a"));
    const auto selectionItems = [](QMenu *menu) {
        QList<bool> enabled;
        for (QAction *item : menu->actions()) {
            if (item->data().toInt() == CSSOutlineDelegate::kSelectedDeclarationTag)
                enabled.append(item->isEnabled());
        }
        return enabled;
    };
    ASSERT_TRUE(selectRows({row(QStringLiteral(".a"), QStringLiteral("top"))}));
    QMenu *menu = live.panel.prepareRuleMenu(a, 0);
    EXPECT_EQ(menu->objectName(), QStringLiteral("RuleMenu"));
    EXPECT_EQ(selectionItems(menu), QList<bool>({true, true}));
    EXPECT_EQ(live.panel.menuOwnerRule(), a);
    ASSERT_TRUE(selectRows({row(QStringLiteral(".b"), QStringLiteral("right"))}));
    EXPECT_EQ(selectionItems(live.panel.prepareRuleMenu(a, 0)), QList<bool>({false, false}));
    live.panel.outline()->deselectAll();
    EXPECT_EQ(selectionItems(live.panel.prepareRuleMenu(a, 0)), QList<bool>({false, false}));
    // A button with a tag opens the keyframe menu whatever its rule.
    EXPECT_EQ(live.panel.prepareRuleMenu(a, 1)->objectName(), QStringLiteral("KeyframeMenu"));
    for (const CSSRulePtr &each : live.panel.rules()) {
        if (each->type() == RuleType::Media) {
            EXPECT_EQ(live.panel.prepareRuleMenu(each, 0)->objectName(), QStringLiteral("MediaRuleMenu"));
        }
    }
}

TEST_F(Clipboard, AddImportantThenRemoveImportantGivesBackTheBytes)
{
    load();
    const CSSRulePtr color = row(QStringLiteral(".a"), QStringLiteral("color"));
    QMenu menu;
    live.panel.fillPropertyMenu(&menu, color);
    ASSERT_EQ(menu.actions().size(), 1);
    EXPECT_EQ(menu.actions().first()->text(), QStringLiteral("Add Important"));
    menu.actions().first()->trigger();
    live.settleWrites();
    EXPECT_EQ(text(), QString(original).replace(QStringLiteral("color: red;"), QStringLiteral("color: red !important;")));
    EXPECT_EQ(pageStyle(0), QStringLiteral("color: red !important; top: 1px; left: 2px;"));
    rebuild();
    const CSSRulePtr important = row(QStringLiteral(".a"), QStringLiteral("color"));
    live.panel.fillPropertyMenu(&menu, important);
    ASSERT_EQ(menu.actions().size(), 1);
    EXPECT_EQ(menu.actions().first()->text(), QStringLiteral("Remove Important"));
    menu.actions().first()->trigger();
    live.settleWrites();
    EXPECT_EQ(text(), original);
    // Rules and lines the page's own style computes take no priority.
    live.panel.fillPropertyMenu(&menu, live.panel.rules().first()->children().value(0));
    EXPECT_TRUE(menu.isEmpty());
}

TEST_F(Clipboard, TheFilterSurvivesAReloadByDisplayName)
{
    load(kSheet, {{QStringLiteral("other.css"), ".o { top: 0; }\n"}},
         "<!DOCTYPE html><link rel=stylesheet href=site.css><link rel=stylesheet href=other.css><p id=t class='a o'>x</p>");
    FilterManager manager;
    live.panel.setStyleSheetsManagerDelegate(&manager);
    live.panel.setStyleFiles({file, live.file(QStringLiteral("other.css"))});
    live.panel.rebuildStyleSheetsMenu();
    const QList<QAction *> items = live.panel.styleSheetsButton()->menu()->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items.at(0)->text(), QStringLiteral("All Style Sheets"));
    EXPECT_EQ(items.at(3)->text(), QStringLiteral("other.css"));

    QSignalSpy built(&live.panel, &CSSOutlineDelegate::rebuilt);
    items.at(3)->trigger();
    ASSERT_TRUE(!built.isEmpty() || built.wait(10000));
    EXPECT_EQ(live.panel.lastFilterFileNames(), QStringList{QStringLiteral("other.css")});
    EXPECT_FALSE(live.ruleRow(QStringLiteral(".a")));
    EXPECT_TRUE(live.ruleRow(QStringLiteral(".o")));

    // A new page: the manager's filter is emptied, the names bring it back.
    manager.clearFileFilter();
    live.panel.updateCSSFileFilter();
    EXPECT_EQ(manager.files, QList<File *>{live.file(QStringLiteral("other.css"))});
    live.panel.resetSelectedStyleSheet();
    EXPECT_TRUE(manager.files.isEmpty());
    EXPECT_TRUE(live.panel.lastFilterFileNames().isEmpty());
    live.panel.setStyleSheetsManagerDelegate(nullptr);
}

TEST_F(Clipboard, ABurstOfLoadedSheetsRebuildsThePopUpOnce)
{
    load();
    QSignalSpy rebuilt(&live.panel, &CSSOutlineDelegate::styleSheetsMenuRebuilt);
    for (int i = 0; i < 5; ++i)
        live.panel.setAndRefreshStyleFiles({file});
    EXPECT_TRUE(rebuilt.wait(3000));
    // No refresh is due any more.
    TestUtil::waitUntilSettled([&] { return !DelayedPerform::isPending(&live.panel, "refreshStyleFiles"); });
    EXPECT_EQ(rebuilt.size(), 1);
}

// --- The vendor-prefix check --------------------------------------------------------------------------

namespace {

QVariantMap prefixConfig(bool mozOn, bool msOn)
{
    QVariantMap config = ProjectUtil::getProjectConfig(QString());
    config.insert(QStringLiteral("vendarPrefix"),
                  QVariantList{QVariantMap{{QStringLiteral("prefix"), QStringLiteral("-webkit")}, {QStringLiteral("on"), true}},
                               QVariantMap{{QStringLiteral("prefix"), QStringLiteral("-moz")}, {QStringLiteral("on"), mozOn}},
                               QVariantMap{{QStringLiteral("prefix"), QStringLiteral("-ms")}, {QStringLiteral("on"), msOn}}});
    return config;
}

} // namespace

TEST(VendorPrefixCheck, TwoHitsReportTheLastAndNoneWhenEveryPrefixIsOn)
{
    const QStringList texts{QStringLiteral(".a {\n  -moz-appearance: none;\n}\n"),
                            QStringLiteral("\n\n.b { color: red; }\n.c {\n  -ms-zoom: 1;\n}\n")};
    const auto hit = CSSOutlineDelegate::scanVendorPrefixes(texts, prefixConfig(false, false));
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->sheet, 1);
    EXPECT_EQ(hit->prefix, QStringLiteral("-ms-"));
    EXPECT_EQ(hit->property, QStringLiteral("zoom"));
    EXPECT_EQ(hit->line, 4);
    EXPECT_FALSE(CSSOutlineDelegate::scanVendorPrefixes(texts, prefixConfig(true, true)));
    const auto moz = CSSOutlineDelegate::scanVendorPrefixes(texts, prefixConfig(false, true));
    ASSERT_TRUE(moz);
    EXPECT_EQ(moz->sheet, 0);
}

TEST_F(Clipboard, TheCheckAlertsOnceItsTextsAreScannedEvenWhenTheFileListChangesMeanwhile)
{
    load(".a {\n    -moz-appearance: none;\n}\n");
    QStringList messages;
    Alert::setResponder([&messages](Alert &alert) {
        messages.append(alert.messageText());
        return int(Alert::SecondButtonReturn);
    });
    QSignalSpy checked(&live.panel, &CSSOutlineDelegate::vendorPrefixChecked);
    live.panel.setStyleFiles({file});
    live.panel.checkVendorPrefixSetting();
    ASSERT_TRUE(checked.wait(5000));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.first(), QStringLiteral("A style sheet 'site.css' has property \n'-moz-appearance' at the line 1.\n"
                                               "Please go to project setting and turn '-moz-' on."));

    // The file list changes while the check runs: the texts were taken before.
    live.panel.checkVendorPrefixSetting();
    live.panel.setStyleFiles({});
    ASSERT_TRUE(checked.wait(5000));
    EXPECT_EQ(messages.size(), 2);
}

TEST(RulesComboBox, OffersTheNamesThatBeginWithTheTextWhateverTheCase)
{
    const QStringList names = CSSOutlineDelegate::getComboBoxItems(1, QStringLiteral("BOR"));
    ASSERT_FALSE(names.isEmpty());
    EXPECT_TRUE(names.contains(QStringLiteral("border")));
    EXPECT_TRUE(names.contains(QStringLiteral("border-color")));
    for (const QString &name : names)
        EXPECT_TRUE(name.startsWith(QStringLiteral("bor"))) << name.toStdString();
    EXPECT_FALSE(CSSOutlineDelegate::getComboBoxItems(0, QString()).isEmpty());
    EXPECT_TRUE(CSSOutlineDelegate::getComboBoxItems(2, QString()).isEmpty());
}


TEST_F(Clipboard, OpenInCodeViewSelectsTheRuleButOnlyShowsOneThatEndsTheText)
{
    load(".a {\n    color: red;\n}\n.b { right: 3px; }");
    TextFileViewer pane;
    live.panel.setFileViewController(&pane);
    live.panel.prepareRuleMenu(row(QStringLiteral(".a")), 0);
    live.panel.openCode();
    EXPECT_EQ(pane.shown, file);
    EXPECT_EQ(pane.text.textCursor().selectedText(), QStringLiteral("{\u2029    color: red;\u2029}"));
    // The last rule reaches the end of the text: the cursor goes there, nothing is selected.
    QPlainTextEdit *shown = live.panel.selectCSS(row(QStringLiteral(".b"))->styleDeclaration());
    EXPECT_EQ(shown, &pane.text);
    EXPECT_FALSE(pane.text.textCursor().hasSelection());
    EXPECT_EQ(pane.text.textCursor().position(), text().indexOf(QStringLiteral("{ right")));
    live.panel.setFileViewController(nullptr);
}

TEST_F(Clipboard, ASnippetOfARuleInsideAMediaBlockIsTheRuleAlone)
{
    load();
    CSSRulePtr media;
    for (const CSSRulePtr &each : live.panel.rules()) {
        if (each->type() == RuleType::Media)
            media = each;
    }
    ASSERT_TRUE(media && !media->children().isEmpty());
    EXPECT_EQ(live.panel.snippetText(media->children().first()), QStringLiteral(".m {\n\tbottom:4px;\n}"));
    EXPECT_EQ(live.panel.snippetText(row(QStringLiteral(".b"))), QStringLiteral(".b {\n    right:3px;\n}\n\n"));
    EXPECT_TRUE(live.panel.snippetText(row(QStringLiteral(".b"), QStringLiteral("right"))).isEmpty());
}

TEST_F(Clipboard, MakeSnippetHandsTheRulesTextToThePaletteOnceThereIsOne)
{
    struct Palette : DomNodeListDelegateInterface
    {
        void addSnippetWithNode(DOMNodeEx *) override {}
        void addSnippetwithText(const QString &) override {}
        void addSnippetWithCSSText(const QString &text) override { texts << text; }
        QStringList texts;
    } palette;
    load();
    const CSSRulePtr b = row(QStringLiteral(".b"));
    const auto makeSnippet = [](QMenu *menu) { return menu->findChild<QAction *>(QStringLiteral("makeSnippet")); };
    ASSERT_TRUE(makeSnippet(live.panel.prepareRuleMenu(b, 0)));
    EXPECT_FALSE(makeSnippet(live.panel.prepareRuleMenu(b, 0))->isEnabled());
    live.panel.setDomNodeListDelegate(&palette);
    QAction *item = makeSnippet(live.panel.prepareRuleMenu(b, 0));
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    EXPECT_EQ(palette.texts, QStringList{live.panel.snippetText(b)});
    live.panel.setDomNodeListDelegate(nullptr);
}

TEST_F(Clipboard, TwoDeclarationsOfOneRuleDraggedIntoAnotherGoInAtTheDropInTheirOrder)
{
    load();
    QMimeData mime;
    ASSERT_TRUE(drag({row(QStringLiteral(".a"), QStringLiteral("color")), row(QStringLiteral(".a"), QStringLiteral("left"))},
                     row(QStringLiteral(".b")), 1, mime));
    live.settleWrites();
    EXPECT_EQ(pageStyle(0), QStringLiteral("top: 1px;"));
    EXPECT_EQ(pageStyle(1), QStringLiteral("right: 3px; color: red; left: 2px;"));
    EXPECT_TRUE(text().contains(QStringLiteral(".b {\n    right: 3px;\n    color: red;\n    left: 2px;\n}"))) << text().toStdString();
    live.undo.undo();
    EXPECT_EQ(text(), original);
    EXPECT_EQ(pageStyle(1), QStringLiteral("right: 3px;"));
}

TEST_F(Clipboard, TheMenuKeyAndARightClickOpenTheMenuOfTheirRow)
{
    load();
    live.panel.view()->show();
    OutlineViewEx *outline = live.panel.outline();
    ASSERT_TRUE(selectRows({row(QStringLiteral(".a"), QStringLiteral("color"))}));
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0), QPoint());
    QApplication::sendEvent(outline, &key);
    QWidget *popup = QApplication::activePopupWidget();
    ASSERT_TRUE(popup);
    EXPECT_EQ(popup->objectName(), QStringLiteral("PropertyMenu"));
    popup->close();

    const QRect rule = outline->rectOfRow(outline->rowForItem(row(QStringLiteral(".b")).get()));
    QContextMenuEvent click(QContextMenuEvent::Mouse, rule.center(), outline->viewport()->mapToGlobal(rule.center()));
    QApplication::sendEvent(outline->viewport(), &click);
    popup = QApplication::activePopupWidget();
    ASSERT_TRUE(popup);
    EXPECT_EQ(popup->objectName(), QStringLiteral("RuleMenu"));
    EXPECT_EQ(live.panel.menuOwnerRule(), row(QStringLiteral(".b")));
    // The clicked row is selected with it.
    EXPECT_EQ(live.panel.getSelectedCSSRule(), row(QStringLiteral(".b")));
    popup->close();
}

} // namespace ClipboardLiveTest
