#include "WriterTestUtil.h"

#include "cssrules/StyleSheetSource.h"
#include "cssrules/StyleSheetWriter.h"

#include <gtest/gtest.h>

namespace StyleSheetWriterIndentTest {

using namespace WriterTestUtil;

// A formatted sheet with a rule and a media block, each level one `unit` deeper.
QString indentedSheet(const QString &unit)
{
    return QStringLiteral(".a {\n%1color: red;\n}\n\n@media (min-width: 1px) {\n%1.m {\n%1%1top: 0;\n%1}\n}\n").arg(unit);
}

struct Unit
{
    const char *name;
    const char *unit;
};

class NewRulesIndent : public ::testing::TestWithParam<Unit>
{
protected:
    QString unit() const { return QString::fromLatin1(GetParam().unit); }
};

TEST_P(NewRulesIndent, ARuleAddedAtTheTopLevelTakesTheSheetsUnit)
{
    const QString text = indentedSheet(unit());
    const QString written = writtenAfter(text, settings(false, {}, {}), [](SheetModel &model) {
        model.add(RuleType::Style, QStringLiteral(".added"),
                  {{QStringLiteral("margin"), QStringLiteral("0")}, {QStringLiteral("padding"), QStringLiteral("1px")}});
    });
    EXPECT_EQ(written, text + QStringLiteral("\n.added {\n%1margin:0;\n%1padding:1px;\n}\n").arg(unit()))
        << written.toStdString();
}

TEST_P(NewRulesIndent, ARuleAddedInsideABlockTakesTheSheetsUnit)
{
    const QString text = indentedSheet(unit());
    const QString written = writtenAfter(text, settings(false, {}, {}), [](SheetModel &model) {
        model.add(RuleType::Style, QStringLiteral(".n"), {{QStringLiteral("left"), QStringLiteral("0")}}, true)
            ->setChildIndex(1);
    });
    const QString rule = QStringLiteral("\n%1.n {\n%1%1left:0;\n%1}").arg(unit());
    const qsizetype afterM = text.indexOf(QStringLiteral("%1}\n}").arg(unit())) + unit().size() + 1;
    EXPECT_EQ(written, QString(text).insert(afterM, rule)) << written.toStdString();
}

TEST_P(NewRulesIndent, ADeclarationAddedToAnEmptyRuleTakesTheSheetsUnit)
{
    const QString text = indentedSheet(unit()) + QStringLiteral("\n.empty {\n}\n");
    const QString written = writtenAfter(text, settings(false, {}, {}), [](SheetModel &model) {
        const StyleDeclarationPtr empty = model.withSelector(QStringLiteral(".empty"));
        empty->properties().append(declared(QStringLiteral("top"), QStringLiteral("1px")));
        empty->setModified(true);
    });
    EXPECT_EQ(written, indentedSheet(unit()) + QStringLiteral("\n.empty {\n%1top:1px;\n}\n").arg(unit()))
        << written.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Units, NewRulesIndent,
                         ::testing::Values(Unit{"Tab", "\t"}, Unit{"TwoSpaces", "  "}, Unit{"FourSpaces", "    "}),
                         [](const ::testing::TestParamInfo<Unit> &info) { return std::string(info.param.name); });

TEST(NewRulesIndentFallback, ASheetWithoutIndentedLinesTakesTheConfiguredUnit)
{
    const QString text = QStringLiteral(".a { color: red; }\n");
    const QString written = writtenAfter(text, settings(false, {}, {}), [](SheetModel &model) {
        model.add(RuleType::Style, QStringLiteral(".b"), {{QStringLiteral("top"), QStringLiteral("0")}});
    });
    EXPECT_EQ(written, text + QStringLiteral("\n.b {\n    top:0;\n}\n")) << written.toStdString();
}

} // namespace StyleSheetWriterIndentTest
