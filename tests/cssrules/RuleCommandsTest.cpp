#include "LivePanel.h"

#include "cssrules/AddDeclarationViewController.h"
#include "cssrules/CSSRuleEditButton.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "platform/kit/ButtonMatrix.h"
#include "toolkit/FocusTextField.h"
#include "toolkit/SearchFieldEx.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QTest>

#include <gtest/gtest.h>

namespace RuleCommandsTest {

namespace {

const QByteArray kSheet = ".a {\n    color: red;\n    top: 1px;\n    left: 2px;\n    right: 3px;\n    bottom: 4px;\n"
                          "    margin: 0;\n    padding: 0;\n    width: 1px;\n    height: 2px;\n}\n\n"
                          ".b {\n    z-index: 3;\n    opacity: 1;\n}\n\n"
                          "@media (min-width: 1px) {\n    .m { float: left; }\n}\n";

const QByteArray kPage = "<!DOCTYPE html><link rel=stylesheet href=site.css><p id=t class='a b m'>x</p><span id=''>y</span><em>z</em>";

class RuleCommands : public ::testing::Test
{
protected:
    RuleCommands()
    {
        Alert::setResponder([this](Alert &alert) {
            alerts.append(alert.messageText());
            return int(Alert::DefaultReturn);
        });
    }
    ~RuleCommands() override
    {
        Alert::setResponder({});
        EXPECT_TRUE(alerts.isEmpty()) << alerts.join(u'|').toStdString();
    }

    void load()
    {
        ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSheet}, {QStringLiteral("index.html"), kPage}}));
        ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
        file = live.file(QStringLiteral("site.css"));
        original = *file->currentContent();
    }
    QString text() const { return *file->currentContent(); }
    CSSRulePtr row(const QString &selector, const QString &property = {})
    {
        const CSSRulePtr rule = live.ruleRow(selector);
        return property.isEmpty() ? rule : LivePanel::declaration(rule, property);
    }
    // The menu button of a row, as its cell draws it in the outline.
    QRect buttonOf(const CSSRulePtr &rule)
    {
        OutlineViewEx *outline = live.panel.outline();
        const QModelIndex index = outline->indexForItem(rule.get());
        return CSSRuleEditButton::frameInCell(outline->visualRect(index));
    }
    // Clicks the row's button and answers the menu it opened (closed again).
    QString clickMenuButton(const CSSRulePtr &rule)
    {
        OutlineViewEx *outline = live.panel.outline();
        outline->scrollRowToVisible(outline->rowForItem(rule.get()));
        QTest::mouseClick(outline->viewport(), Qt::LeftButton, {}, buttonOf(rule).center());
        QWidget *popup = nullptr;
        TestUtil::waitUntil([&popup] { return (popup = QApplication::activePopupWidget()) != nullptr; }, 2000);
        if (!popup)
            return {};
        const QString name = popup->objectName();
        popup->close();
        return name;
    }

    QStringList alerts;
    LivePanel live;
    File *file = nullptr;
    QString original;
};

} // namespace

TEST_F(RuleCommands, TheMenuButtonOfARuleRowOpensTheMenuARightClickWouldWithoutSelectingTheRow)
{
    load();
    live.panel.view()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(live.panel.view()));
    const CSSRulePtr a = row(QStringLiteral(".a"));
    ASSERT_TRUE(live.selectRow(row(QStringLiteral(".b"), QStringLiteral("z-index"))));
    const int selected = live.panel.outline()->selectedRow();
    EXPECT_EQ(clickMenuButton(a), QStringLiteral("RuleMenu"));
    EXPECT_EQ(live.panel.menuOwnerRule(), a);
    EXPECT_EQ(live.panel.outline()->selectedRow(), selected);
    for (const CSSRulePtr &each : live.panel.rules()) {
        if (each->type() == RuleType::Media) {
            EXPECT_EQ(clickMenuButton(each), QStringLiteral("MediaRuleMenu"));
            EXPECT_EQ(live.panel.menuOwnerRule(), each);
        }
    }
    // The computed style and the browser's own rules have no menu.
    int withoutMenu = 0;
    for (const CSSRulePtr &each : live.panel.rules()) {
        if (each->computedStyleDec() || each->isWebKitStyle()) {
            EXPECT_FALSE(CSSRuleEditButton::isShownOn(*each)) << each->displayName().toStdString();
            ++withoutMenu;
        }
    }
    EXPECT_GT(withoutMenu, 0);
    EXPECT_FALSE(CSSRuleEditButton::isShownOn(*row(QStringLiteral(".a"), QStringLiteral("top"))));
}

TEST_F(RuleCommands, RemoveAllDeclarationsEmptiesTheMenusRuleAsOneUndoStep)
{
    load();
    QMenu *menu = live.panel.prepareRuleMenu(row(QStringLiteral(".b")), 0);
    QAction *removeAll = nullptr;
    for (QAction *item : menu->actions()) {
        if (item->text() == QLatin1String("Remove All Declarations"))
            removeAll = item;
    }
    ASSERT_NE(removeAll, nullptr);
    removeAll->trigger();
    live.settleWrites();
    EXPECT_EQ(text(), QString(original).replace(QStringLiteral(".b {\n    z-index: 3;\n    opacity: 1;\n}"),
                                                QStringLiteral(".b {\n}")));
    EXPECT_EQ(live.fixture->evaluate(QStringLiteral("document.styleSheets[0].cssRules[1].style.cssText")).toString(), QString());
    live.undo.undo();
    live.settleWrites();
    EXPECT_EQ(text(), original);
    EXPECT_FALSE(live.undo.canUndo());
}

TEST_F(RuleCommands, TheAddDeclarationInputTakingTheKeysScrollsTheRuleOfTheSelectedDeclarationToTheTop)
{
    load();
    live.panel.view()->resize(420, 160);
    live.panel.view()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(live.panel.view()));
    OutlineViewEx *outline = live.panel.outline();
    const CSSRulePtr b = row(QStringLiteral(".b"));
    ASSERT_TRUE(live.selectRow(LivePanel::declaration(b, QStringLiteral("opacity"))));
    EXPECT_EQ(live.panel.removeAfterSelection(), b);
    QScrollBar *scroller = outline->verticalScrollBar();
    scroller->setValue(0);
    const int expected = std::min(scroller->maximum(), outline->rectOfRow(outline->rowForItem(b.get())).top());
    ASSERT_GT(expected, 0);

    // Another control taking the keys scrolls nothing.
    TextField other;
    FocusTextField::announceFocus(&other, QStringLiteral("ControlDidBecomeFirstResponder"));
    EXPECT_EQ(scroller->value(), 0);
    other.setObjectName(QStringLiteral("addDeclarationInput"));
    FocusTextField::announceFocus(&other, QStringLiteral("ControlDidBecomeFirstResponder"));
    EXPECT_EQ(scroller->value(), expected);

    // The popover's input does the same as it takes the keys.
    scroller->setValue(0);
    live.panel.showAddDeclarationPopover(b);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return scroller->value() == expected; }, 2000)) << scroller->value();
    live.panel.closeAddDeclarationPopover();

    // Without a selected declaration nothing is remembered to scroll to.
    outline->deselectAll();
    scroller->setValue(0);
    FocusTextField::announceFocus(&other, QStringLiteral("ControlDidBecomeFirstResponder"));
    EXPECT_EQ(scroller->value(), 0);
}

TEST_F(RuleCommands, AnIdSelectorStartsFromTheElementsIdAndIsEmptyWithoutOne)
{
    load();
    EXPECT_EQ(CSSOutlineDelegate::selectorForId(live.element(QStringLiteral("t"))), QStringLiteral("#t"));
    DOMNode *em = live.document()->body()->lastChild();
    ASSERT_EQ(em->nodeName().toLower(), QStringLiteral("em"));
    EXPECT_EQ(CSSOutlineDelegate::selectorForId(em), QString());
    EXPECT_EQ(CSSOutlineDelegate::selectorForId(em->firstChild()), QString());
    // An empty id is still an id.
    EXPECT_EQ(CSSOutlineDelegate::selectorForId(em->previousSibling()), QStringLiteral("#"));
}

TEST_F(RuleCommands, ARefusedSelectorIsQuotedWithTheLineBreakOfItsRuleText)
{
    load();
    EXPECT_FALSE(live.panel.createSelector(QStringLiteral("a["), QStringLiteral("color:red;"), file, nullptr));
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.takeFirst(), QStringLiteral("Selector \"a[ {color:red;}\n\" is Invalid CSS Syntax."));
    live.settleWrites();
    EXPECT_EQ(text(), original);
}

TEST(RuleCombinations, TheKindSelectorChoosesWhatTheComboBoxOffersByItsPrefix)
{
    CSSOutlineDelegate panel;
    QComboBox *combo = panel.comboBox();
    ButtonMatrix *kind = panel.styleKindSelector();
    EXPECT_EQ(kind->selectedTag(), 0);
    EXPECT_EQ(panel.numberOfItemsInComboBox(), 12);
    EXPECT_EQ(panel.comboBoxObjectValueForItemAtIndex(0), QStringLiteral("Animation Easy"));
    EXPECT_EQ(combo->count(), 12);

    combo->setEditText(QStringLiteral("rect"));
    EXPECT_EQ(panel.getComboBoxItems(),
              (QStringList{QStringLiteral("Rect"), QStringLiteral("Rect Gradation"), QStringLiteral("Rect Round"),
                           QStringLiteral("Rect Shadow")}));
    // Another kind empties the text.
    kind->cellWithTag(1)->click();
    EXPECT_EQ(kind->selectedTag(), 1);
    EXPECT_EQ(combo->currentText(), QString());
    EXPECT_GT(panel.numberOfItemsInComboBox(), 100);

    // Typing BOR offers the names that begin with bor, not those that hold it.
    combo->setEditText(QStringLiteral("BOR"));
    const QStringList items = panel.getComboBoxItems();
    EXPECT_TRUE(items.contains(QStringLiteral("border")));
    EXPECT_TRUE(items.contains(QStringLiteral("border-color")));
    for (const QString &item : items)
        EXPECT_TRUE(item.startsWith(QLatin1String("bor"))) << item.toStdString();
    EXPECT_FALSE(items.contains(QStringLiteral("-webkit-border-image")));
    // The list is read again as it opens, and the text stays as typed.
    combo->showPopup();
    EXPECT_EQ(combo->count(), items.size());
    EXPECT_EQ(combo->currentText(), QStringLiteral("BOR"));
    combo->hidePopup();
    EXPECT_TRUE(CSSOutlineDelegate::getComboBoxItems(2, QString()).isEmpty());
}

TEST(RuleCombinations, TheAddDeclarationInputAnnouncesThatItTookTheKeys)
{
    AddDeclarationViewController popover;
    popover.view()->show();
    popover.view()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(popover.view()));
    QStringList announced;
    NotificationCenter::defaultCenter().addObserver(&announced, QStringLiteral("ControlDidBecomeFirstResponder"), nullptr,
                                                    [&announced](const Notification &n) {
                                                        announced.append(n.objectAs<QObject>()->objectName());
                                                    });
    popover.searchTextField()->setFocus(Qt::OtherFocusReason);
    EXPECT_TRUE(TestUtil::waitUntil([&announced] { return announced.contains(QStringLiteral("addDeclarationInput")); }, 2000));
    NotificationCenter::defaultCenter().removeObserver(&announced);
}

// The style caches its picture of an arrow per palette: a row painted again
// must hand it the same palette, or each paint adds a picture to the cache.
TEST(RuleCommandsButton, ARuleRowsArrowIsPaintedWithThePaletteOfItsColourEveryTime)
{
    class ArrowPalettes : public QProxyStyle
    {
    public:
        void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                           const QWidget *widget) const override
        {
            if (element == PE_IndicatorArrowDown)
                keys.append(option->palette.cacheKey());
            QProxyStyle::drawPrimitive(element, option, painter, widget);
        }
        mutable QList<qint64> keys;
    };
    ArrowPalettes style; // outlives the widget, which does not own it
    QWidget view;
    view.setStyle(&style);
    QImage image(200, 20, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.widget = &view;
    option.rect = QRect(0, 0, 200, 20);
    for (int paint = 0; paint < 3; ++paint)
        CSSRuleEditButton::paint(&painter, option);
    option.state |= QStyle::State_Selected;
    for (int paint = 0; paint < 2; ++paint)
        CSSRuleEditButton::paint(&painter, option);
    ASSERT_EQ(style.keys.size(), 5);
    EXPECT_EQ(style.keys[1], style.keys[0]);
    EXPECT_EQ(style.keys[2], style.keys[0]);
    EXPECT_EQ(style.keys[4], style.keys[3]);
    EXPECT_NE(style.keys[3], style.keys[0]); // another colour on the selection
}

} // namespace RuleCommandsTest
