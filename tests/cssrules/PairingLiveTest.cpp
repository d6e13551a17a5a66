#include "LivePanel.h"

#include <gtest/gtest.h>

namespace PairingLiveTest {

namespace {

// Rules of one selector more than once, and media blocks holding rules of
// the same selectors: the pairing goes by order among equal keys.
const QByteArray kSheet = ".a { color: red; }\n"
                          "@media (min-width: 1px) {\n"
                          "    .a { margin: 1px; }\n"
                          "    .b { margin: 2px; }\n"
                          "}\n"
                          ".b { top: 1px; }\n"
                          ".a { top: 2px; }\n"
                          "@media (min-width: 2px) {\n"
                          "    .a { padding: 1px; }\n"
                          "}\n"
                          ".c { left: 0; }\n";

const QByteArray kPage = "<!DOCTYPE html><link rel=stylesheet href=site.css><p id=t class='a b c'>x</p>";

// The rows of a panel: each root row and its children, with their values and files.
QString rowsOf(const CSSOutlineDelegate &panel)
{
    QString out;
    const std::function<void(const CSSRulePtr &, int)> row = [&](const CSSRulePtr &each, int depth) {
        if (each->computedStyleDec())
            return;
        out += QString(depth * 2, u' ') + each->displayName() + u' ' + each->valueName() + u' ' + each->fileName()
               + (each->isFirstAssigned() ? QString() : QStringLiteral(" ~"));
        if (each->styleDeclaration())
            out += QStringLiteral(" @%1").arg(each->styleDeclaration()->range().location);
        out += u'\n';
        for (const CSSRulePtr &child : each->children())
            row(child, depth + 1);
    };
    for (const CSSRulePtr &each : panel.rules())
        row(each, 0);
    return out;
}

class Pairing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSheet}, {QStringLiteral("index.html"), kPage}}));
        file = live.file(QStringLiteral("site.css"));
        ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    }
    StyleDeclarationPtr item(const QString &selector, int nth = 0)
    {
        for (const StyleDeclarationPtr &declaration : live.panel.styleDeclarationsOf(file)) {
            if (!declaration->isRemoved() && !declaration->isInBraket() && declaration->selector() == selector && nth-- == 0)
                return declaration;
        }
        return nullptr;
    }
    // The rows the panel shows now, against those of a new panel that
    // pairs the page's rules and the file's items from scratch.
    void expectRowsOfAFreshSelection()
    {
        live.settleWrites();
        ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
        CSSOutlineDelegate fresh;
        fresh.awakeFromNib();
        fresh.setStyleFiles({file});
        QSignalSpy built(&fresh, &CSSOutlineDelegate::rebuilt);
        fresh.updateRulesByElement(live.element(QStringLiteral("t")));
        ASSERT_TRUE(!built.isEmpty() || built.wait(10000));
        EXPECT_EQ(rowsOf(live.panel).toStdString(), rowsOf(fresh).toStdString());
        EXPECT_FALSE(rowsOf(live.panel).isEmpty());
    }

    LivePanel live;
    File *file = nullptr;
};

} // namespace

TEST_F(Pairing, RowsAfterRulesAreAddedAndRemovedAreThoseOfAFreshSelection)
{
    // A rule of a selector the sheet has twice already, between them.
    live.panel.createSelector(QStringLiteral(".a"), QStringLiteral("bottom: 3px;"), file, item(QStringLiteral(".b")));
    expectRowsOfAFreshSelection();
    // The first of the three goes.
    live.panel.doRemoveSelector(item(QStringLiteral(".a")));
    expectRowsOfAFreshSelection();
    // A new rule at the end, then one undo after another.
    live.panel.createSelector(QStringLiteral(".c"), QStringLiteral("right: 1px;"), file, item(QStringLiteral(".c")));
    expectRowsOfAFreshSelection();
    live.undo.undo();
    expectRowsOfAFreshSelection();
    live.undo.undo();
    expectRowsOfAFreshSelection();
    live.undo.undo();
    expectRowsOfAFreshSelection();
    EXPECT_EQ(*file->currentContent(), QString::fromUtf8(kSheet));
}

} // namespace PairingLiveTest
