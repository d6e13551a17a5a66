#include "LivePanel.h"

#include <gtest/gtest.h>

namespace KeptRulesLiveTest {

namespace {

const QByteArray kSheet = "/* top */\nh1 {\n    color: black;\n    margin: 0;\n}\n\np { color: gray; }\n";
const QByteArray kPage = "<!DOCTYPE html><link rel=stylesheet href=site.css><h1 id=t>x</h1>";

// The rules panel over one sheet, asked whether a reload of the page keeps its rules.
class KeptRules : public ::testing::Test
{
protected:
    void load(const QVariantMap &settings = {})
    {
        ASSERT_TRUE(live.load({{QStringLiteral("site.css"), kSheet}, {QStringLiteral("index.html"), kPage}},
                              QStringLiteral("index.html"), settings));
        ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
        sheet = live.file(QStringLiteral("site.css"));
        live.panel.styleDeclarationsOf(sheet);
    }

    // Commits the h1 rule's colour, as Return does; the write waits for the batcher.
    void commitColor(const QString &value)
    {
        const CSSRulePtr row = LivePanel::declaration(live.ruleRow(QStringLiteral("h1")), QStringLiteral("color"));
        ASSERT_TRUE(row && live.selectRow(row)) << live.dump().toStdString();
        live.panel.commitCSSValueChange(row, value, true);
    }

    QString text() const { return *sheet->currentContent(); }

    LivePanel live;
    File *sheet = nullptr;
};

} // namespace

TEST_F(KeptRules, AnEditWaitingForItsWriteIsNotKept)
{
    load();
    commitColor(QStringLiteral("navy"));
    EXPECT_FALSE(live.panel.keepsRulesOf(sheet));
    live.settleWrites();
    EXPECT_TRUE(live.panel.keepsRulesOf(sheet));
}

TEST_F(KeptRules, AnEditKeptOutOfTheTextIsNotKept)
{
    load({{QStringLiteral("overrideCSS"), false}});
    commitColor(QStringLiteral("navy"));
    live.settleWrites();
    ASSERT_EQ(text().toUtf8(), kSheet);
    EXPECT_FALSE(live.panel.keepsRulesOf(sheet));
}

TEST_F(KeptRules, ATextChangedElsewhereIsNotKept)
{
    load();
    sheet->setContent(text() + QStringLiteral("a { top: 0 }\n"));
    EXPECT_FALSE(live.panel.keepsRulesOf(sheet));
}

} // namespace KeptRulesLiveTest
