#include "LivePanel.h"

#include "interfaces/StyleEditorInterface.h"
#include "platform/foundation/NotificationCenter.h"
#include "stylesheet/CSSProperty.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace DeclarationUndoLiveTest {

namespace {

// One rule at the top, one in a media block and one in a supports block,
// each of its own element.
const QByteArray kFormatted = R"(.top {
    color: rgb(1, 2, 3);
}

@media screen {
    .inmedia {
        color: rgb(1, 2, 3);
    }
}

@supports (display: grid) {
    .insupports {
        color: rgb(1, 2, 3);
    }
}
)";

const QByteArray kMinified = ".top{color:rgb(1,2,3)}@media screen{.inmedia{color:rgb(1,2,3)}}"
                             "@supports (display:grid){.insupports{color:rgb(1,2,3)}}";

const QByteArray kPage = "<!DOCTYPE html><link rel=stylesheet href=site.css>"
                         "<p id=top class=top>a</p><p id=inmedia class=inmedia>b</p><p id=insupports class=insupports>c</p>";

const QString kBlack = QStringLiteral("rgb(0, 0, 0)");
const QString kStart = QStringLiteral("rgb(1, 2, 3)");

// Every value has a popover editor.
class AnyValueEditor : public StyleEditorInterface
{
public:
    QString typeByProp(const QString &) const override { return QStringLiteral("color"); }
    bool isEditable(const QString &) const override { return true; }
    void initializeEditorView(const QString &, const QString &) override {}
    QWidget *view() override { return &m_view; }

private:
    QWidget m_view;
};

void post(const QString &name, const QVariantMap &userInfo)
{
    NotificationCenter::defaultCenter().postNotificationName(name, nullptr, userInfo);
}

// What the page shows of the element's colour and indent.
struct Shown
{
    QString color;
    QString indent;
    bool operator==(const Shown &) const = default;
};

void PrintTo(const Shown &shown, std::ostream *out)
{
    *out << shown.color.toStdString() << " / " << shown.indent.toStdString();
}

class DeclarationPanel
{
public:
    explicit DeclarationPanel(const QByteArray &sheet)
    {
        loaded = live.load({{QStringLiteral("site.css"), sheet}, {QStringLiteral("index.html"), kPage}});
        live.panel.view()->resize(420, 800);
        live.panel.view()->show();
        live.panel.setStyleEditor(&editor);
        original = loaded ? text() : QString();
    }
    ~DeclarationPanel() { live.panel.setStyleEditor(nullptr); }

    QString text() { return *live.file(QStringLiteral("site.css"))->currentContent(); }

    Shown shown(const QString &id)
    {
        return {computedValue(*live.fixture, id, QStringLiteral("color")),
                computedValue(*live.fixture, id, QStringLiteral("text-indent"))};
    }

    // The element listed, and the row of its rule (at the top or in its block).
    CSSRulePtr ruleOf(const QString &id)
    {
        if (!live.select(live.element(id)))
            return nullptr;
        const QString selector = u'.' + id;
        for (const CSSRulePtr &row : live.panel.rules()) {
            if (row->displayName() == selector)
                return row;
            for (const CSSRulePtr &child : row->children()) {
                if (child->displayName() == selector && child->styleDeclaration())
                    return child;
            }
        }
        return nullptr;
    }

    // The editors, as the user works them.
    void typeIntoValueField(const CSSRulePtr &row, const QString &value)
    {
        OutlineViewEx *outline = live.panel.outline();
        ASSERT_TRUE(row && live.selectRow(row));
        ASSERT_TRUE(outline->editColumn(0, outline->rowForItem(row.get()), true));
        auto *field = outline->findChild<QLineEdit *>(QStringLiteral("valueNameDisplay"));
        ASSERT_TRUE(field);
        field->selectAll();
        QTest::keyClicks(field, value);
        QTest::keyClick(field, Qt::Key_Return);
    }
    void pickInPopover(const CSSRulePtr &row, const QString &value)
    {
        ASSERT_TRUE(row && live.selectRow(row));
        live.panel.doubleClick();
        ASSERT_TRUE(TestUtil::waitUntil([&] { return live.panel.isStyleEditorShown(); }, 3000));
        post(QStringLiteral("cssValueChanged"), {{QStringLiteral("value"), value}});
        live.panel.closeStyleEditor();
    }
    // Edit Rule Style and the style-attribute panel: the rule's whole text.
    void editRuleStyle(const CSSRulePtr &rule, const QString &before, const QString &after)
    {
        ASSERT_TRUE(rule && rule->rule());
        const QVariant live = QVariant::fromValue(rule->rule());
        post(QStringLiteral("StyleEditChange"), {{QStringLiteral("rule"), live}, {QStringLiteral("styleValue"), after}});
        post(QStringLiteral("StyleEditEnd"), {{QStringLiteral("rule"), live},
                                              {QStringLiteral("styleValue"), after},
                                              {QStringLiteral("oldValue"), before}});
    }
    void addFromTheField(const CSSRulePtr &rule, const QString &name, const QString &value)
    {
        ASSERT_TRUE(rule && live.selectRow(rule));
        ASSERT_TRUE(live.panel.addStyleProperty({QVariant::fromValue(std::make_shared<CSSProperty>(name, value))}));
    }
    void removeWithDelete(const CSSRulePtr &row)
    {
        ASSERT_TRUE(row && live.selectRow(row));
        live.panel.removeStyle();
    }

    // Typing into the sheet's code view: a step of its own, after which
    // the rules panel reads the text again.
    void typeIntoTheSheet()
    {
        File *sheet = live.file(QStringLiteral("site.css"));
        sheet->editContent(text().size(), 0, QStringLiteral("/* typed */"));
        live.undo.loopEnd();
        live.panel.styleDeclarationsOf(sheet);
    }

    // The edit, and typing into the sheet; then Undo of both, Redo of both
    // and Undo of both again: after each step the page shows what the text
    // says, and the last gives the text back.
    void expectUndoAndRedo(const QString &id, const std::function<void(const CSSRulePtr &)> &edit, const Shown &edited)
    {
        const Shown before = shown(id);
        const CSSRulePtr rule = ruleOf(id);
        ASSERT_TRUE(rule) << live.dump().toStdString();
        ASSERT_NO_FATAL_FAILURE(edit(rule));
        live.settleWrites();
        ASSERT_NE(text(), original);
        EXPECT_EQ(shown(id), edited) << "edited";
        EXPECT_EQ(pageSheetAgainstText(*live.fixture, text()), QString()) << "edited";
        typeIntoTheSheet();
        const auto step = [&](bool undo, const Shown &expected, const char *what) {
            if (undo)
                live.undo.undo();
            else
                live.undo.redo();
            // Undo and Redo write nothing later: the panel lists the element
            // again, as a click does.
            ruleOf(id);
            EXPECT_EQ(shown(id), expected) << what;
            EXPECT_EQ(pageSheetAgainstText(*live.fixture, text()), QString()) << what;
        };
        for (int round = 0; round < 2; ++round) {
            step(true, edited, "typing undone");
            step(true, before, "edit undone");
            EXPECT_EQ(text(), original);
            if (round == 0) {
                step(false, edited, "edit redone");
                step(false, edited, "typing redone");
            }
        }
        EXPECT_FALSE(live.undo.canUndo()) << live.undo.undoActionName().toStdString();
    }

    LivePanel live;
    AnyValueEditor editor;
    bool loaded = false;
    QString original;
};

} // namespace

// #84: every editor's add, change and removal of a declaration, at the top
// and in blocks, in a formatted and a minified sheet, with the sheet typed
// into between the edit and its undo (its rules read again): Undo and Redo
// take the page with the text each time.
TEST(DeclarationUndo, UndoAndRedoOfEveryEditorsDeclarationEditTakeThePageWithThemAfterTheSheetWasTypedInto)
{
    const Shown added{kStart, QStringLiteral("7px")};
    const Shown changed{QStringLiteral("rgb(4, 5, 6)"), QStringLiteral("0px")};
    const Shown removed{kBlack, QStringLiteral("0px")};
    for (const auto &[layout, sheet] : {std::pair("formatted", kFormatted), std::pair("minified", kMinified)}) {
        DeclarationPanel panel(sheet);
        ASSERT_TRUE(panel.loaded);
        for (const QString &id : {QStringLiteral("top"), QStringLiteral("inmedia"), QStringLiteral("insupports")}) {
            SCOPED_TRACE(std::string(layout) + " sheet, ." + id.toStdString());
            const auto color = [](const CSSRulePtr &rule) { return LivePanel::declaration(rule, QStringLiteral("color")); };
            {
                SCOPED_TRACE("added from the field");
                panel.expectUndoAndRedo(id, [&](const CSSRulePtr &rule) {
                    panel.addFromTheField(rule, QStringLiteral("text-indent"), QStringLiteral("7px"));
                }, added);
            }
            {
                SCOPED_TRACE("typed into the value field");
                panel.expectUndoAndRedo(id, [&](const CSSRulePtr &rule) {
                    panel.typeIntoValueField(color(rule), QStringLiteral("rgb(4, 5, 6)"));
                }, changed);
            }
            {
                SCOPED_TRACE("picked in the popover");
                panel.expectUndoAndRedo(id, [&](const CSSRulePtr &rule) {
                    panel.pickInPopover(color(rule), QStringLiteral("rgb(4, 5, 6)"));
                }, changed);
            }
            {
                SCOPED_TRACE("removed with Delete");
                panel.expectUndoAndRedo(id, [&](const CSSRulePtr &rule) { panel.removeWithDelete(color(rule)); }, removed);
            }
            for (const auto &[what, after, shown] :
                 {std::tuple("added", QStringLiteral("color: rgb(1, 2, 3); text-indent: 7px"), added),
                  std::tuple("changed", QStringLiteral("color: rgb(4, 5, 6)"), changed),
                  std::tuple("removed", QString(), removed)}) {
                SCOPED_TRACE(std::string("rule style ") + what);
                const QString written = after;
                panel.expectUndoAndRedo(id, [&](const CSSRulePtr &rule) {
                    panel.editRuleStyle(rule, QStringLiteral("color: rgb(1, 2, 3);"), written);
                }, shown);
            }
        }
    }
}

// #84: a rule made or taken out, at the top or in a block, with the sheet
// typed into before its undo: the page loses or gets back that rule, in its
// place, with the text.
TEST(DeclarationUndo, UndoAndRedoOfARuleMadeOrTakenOutTakeThePageWithThemAfterTheSheetWasTypedInto)
{
    DeclarationPanel panel(kFormatted);
    ASSERT_TRUE(panel.loaded);
    CSSOutlineDelegate &rules = panel.live.panel;
    File *sheet = panel.live.file(QStringLiteral("site.css"));
    const auto item = [&](const QString &selector) {
        for (const StyleDeclarationPtr &each : rules.styleDeclarationsOf(sheet)) {
            if (!each->isRemoved() && each->selector() == selector)
                return each;
        }
        return StyleDeclarationPtr();
    };
    const Shown made{QStringLiteral("rgb(7, 8, 9)"), QStringLiteral("0px")};
    const Shown removed{kBlack, QStringLiteral("0px")};
    {
        SCOPED_TRACE("made at the top");
        panel.expectUndoAndRedo(QStringLiteral("top"), [&](const CSSRulePtr &) {
            rules.createSelector(QStringLiteral("#top"), QStringLiteral("color: rgb(7, 8, 9);"), sheet, item(QStringLiteral(".top")));
        }, made);
    }
    {
        SCOPED_TRACE("made in the media block");
        panel.expectUndoAndRedo(QStringLiteral("inmedia"), [&](const CSSRulePtr &) {
            rules.createSelectorBodyInMediaAfterAt(QStringLiteral("#inmedia"), QStringLiteral("color: rgb(7, 8, 9);"),
                                                   item(QStringLiteral("@media screen")), nullptr);
        }, made);
    }
    for (const QString &id : {QStringLiteral("top"), QStringLiteral("inmedia")}) {
        SCOPED_TRACE("taken out: ." + id.toStdString());
        panel.expectUndoAndRedo(id, [&](const CSSRulePtr &) { rules.doRemoveSelector(item(u'.' + id)); }, removed);
    }
}

} // namespace DeclarationUndoLiveTest
