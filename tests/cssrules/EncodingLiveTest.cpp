#include "LivePanel.h"

#include "TestUtil.h"

#include "platform/foundation/StringEncoding.h"
#include "platform/kit/Alert.h"

#include <gtest/gtest.h>

// A value typed into the rules panel that the style sheet's encoding cannot
// hold: the user converts the sheet to UTF-8, or the edit is taken back from
// the text, the page and the panel alike.
namespace EncodingLiveTest {

namespace {

const QByteArray kLatinSheet("/* caf\xe9 */\n#b { --label: \"x\"; margin-top: 1px; }\n");

class LatinSheet : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(live.load({{QStringLiteral("latin.css"), kLatinSheet},
                               {QStringLiteral("index.html"),
                                "<!DOCTYPE html><meta charset=utf-8><link rel=stylesheet href=latin.css><p id=b>x</p>"}}));
        ASSERT_TRUE(live.select(live.element(QStringLiteral("b"))));
        sheet = live.file(QStringLiteral("latin.css"));
        ASSERT_TRUE(sheet);
        ASSERT_EQ(sheet->textEncoding(), quint32(StringEncoding::ISOLatin1));
        original = *sheet->currentContent();
    }
    void TearDown() override { Alert::setResponder({}); }

    // Answers every alert with that button; counts them.
    void answerWith(const QString &button)
    {
        Alert::setResponder([this, button](const Alert &alert) {
            ++alerts;
            return Alert::FirstButtonReturn + std::max(0, int(alert.buttonTitles().indexOf(button)));
        });
    }

    // Commits a value of the "--label" declaration of "#b", as Return does.
    void commitLabel(const QString &value)
    {
        row = LivePanel::declaration(live.ruleRow(QStringLiteral("#b")), QStringLiteral("--label"));
        ASSERT_TRUE(row) << live.dump().toStdString();
        ASSERT_TRUE(live.selectRow(row));
        live.panel.commitCSSValueChange(row, value, true);
        live.settleWrites();
    }

    LivePanel live;
    File *sheet = nullptr;
    QString original;
    CSSRulePtr row;
    int alerts = 0;
};

} // namespace

TEST_F(LatinSheet, CancellingTakesTheEditBackFromTheTextThePageAndThePanel)
{
    answerWith(QStringLiteral("Cancel"));
    commitLabel(QString::fromUtf16(u"\"\u2192\""));
    EXPECT_EQ(alerts, 1);
    EXPECT_EQ(*sheet->currentContent(), original);
    EXPECT_EQ(sheet->textEncoding(), quint32(StringEncoding::ISOLatin1));
    EXPECT_EQ(row->property()->value(), QStringLiteral("\"x\""));
    EXPECT_EQ(settledComputedValue(*live.fixture, QStringLiteral("b"), QStringLiteral("--label"), QStringLiteral("\"x\""))
                  .trimmed(),
              QStringLiteral("\"x\""));
    ASSERT_TRUE(sheet->save());
    EXPECT_EQ(TestUtil::readFile(live.fixture->folder() + QStringLiteral("/latin.css")), kLatinSheet);

    // The panel writes the next edit into the text it kept.
    commitLabel(QStringLiteral("\"y\""));
    EXPECT_EQ(alerts, 1);
    EXPECT_EQ(*sheet->currentContent(), QString(original).replace(QStringLiteral("\"x\""), QStringLiteral("\"y\"")));
}

TEST_F(LatinSheet, ConvertingKeepsTheEditAndSavesTheSheetAsUtf8)
{
    answerWith(QStringLiteral("Convert to UTF-8"));
    commitLabel(QString::fromUtf16(u"\"\u2192\""));
    EXPECT_EQ(alerts, 1);
    EXPECT_TRUE(sheet->currentContent()->contains(QString::fromUtf16(u"--label: \"\u2192\"")))
        << sheet->currentContent()->toStdString();
    ASSERT_TRUE(sheet->save());
    EXPECT_EQ(TestUtil::readFile(live.fixture->folder() + QStringLiteral("/latin.css")),
              QByteArray("/* caf\xc3\xa9 */\n#b { --label: \"\xe2\x86\x92\"; margin-top: 1px; }\n"));
}

} // namespace EncodingLiveTest
