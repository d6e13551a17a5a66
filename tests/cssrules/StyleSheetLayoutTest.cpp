#include "WriterTestUtil.h"

#include "cssrules/StyleSheetLayout.h"
#include "cssrules/StyleSheetSource.h"
#include "cssrules/StyleSheetWriter.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace StyleSheetLayoutTest {

using namespace WriterTestUtil;

// A sheet in one layout: formatted ones from a template where "U" stands
// for one level of indentation, minified ones as they are.
struct SheetLayout
{
    const char *name;
    const char *unit; // null for the minified sheet
    bool crlf = false;
};

void PrintTo(const SheetLayout &layout, std::ostream *out)
{
    *out << layout.name;
}

// The text of the template in the layout.
QString laidOut(const SheetLayout &layout, QString formatted, const QString &minified)
{
    if (!layout.unit)
        return minified;
    formatted.replace(u'U', QString::fromLatin1(layout.unit));
    if (layout.crlf)
        formatted.replace(u'\n', QStringLiteral("\r\n"));
    return formatted;
}

const QString kFormatted = QStringLiteral(".a {\nUcolor: red;\nUtop: 0;\n}\n\n"
                                          "@media (min-width: 1px) {\nU.m {\nUUtop: 0;\nU}\n}\n\n"
                                          "@keyframes k {\nU0% {\nUUopacity: 0;\nU}\nU100% {\nUUopacity: 1;\nU}\n}\n\n"
                                          ".empty {\n}\n");
const QString kMinified = QStringLiteral(".a{color:red;top:0}@media (min-width:1px){.m{top:0}}"
                                         "@keyframes k{0%{opacity:0}100%{opacity:1}}.empty{}\n");

// One kind of text an edit creates: the edit of the model, and the sheet
// it leaves (template and minified, as the sheets above).
struct Creation
{
    const char *name;
    std::function<void(SheetModel &)> edit;
    QString formatted;
    QString minified;
};

// An item put into the model's list right after another.
StyleDeclarationPtr addAfter(SheetModel &model, const QString &after, int type, const QString &selector,
                             const QList<std::pair<QString, QString>> &properties, int childIndex)
{
    const StyleDeclarationPtr item = model.add(type, selector, properties, true);
    item->setChildIndex(childIndex);
    model.list.removeLast();
    model.list.insert(model.list.indexOf(model.withSelector(after)) + 1, item);
    model.file.setStyleDeclarations(model.list);
    return item;
}

void addDeclaration(SheetModel &model, const QString &selector, const QString &name, const QString &value)
{
    const StyleDeclarationPtr rule = model.withSelector(selector);
    const CSSPropertyPtr property = std::make_shared<CSSProperty>(name, value);
    property->setEnabled(true);
    rule->properties().append(property);
    rule->setModified(true);
}

QList<Creation> creations()
{
    return {
        {"ARuleAtTheTopLevel",
         [](SheetModel &model) {
             model.add(RuleType::Style, QStringLiteral(".n"),
                       {{QStringLiteral("margin"), QStringLiteral("0")}, {QStringLiteral("padding"), QStringLiteral("1px")}});
         },
         QString(kFormatted).replace(QStringLiteral(".empty {\n}"), QStringLiteral(".empty {\n}\n\n.n {\nUmargin: 0;\nUpadding: 1px;\n}")),
         QString(kMinified).replace(QStringLiteral(".empty{}"), QStringLiteral(".empty{}.n{margin:0;padding:1px}"))},
        {"ARuleInsideAMediaBlock",
         [](SheetModel &model) {
             addAfter(model, QStringLiteral(".m"), RuleType::Style, QStringLiteral(".n"), {{QStringLiteral("left"), QStringLiteral("0")}}, 1);
         },
         QString(kFormatted).replace(QStringLiteral("UUtop: 0;\nU}\n}"), QStringLiteral("UUtop: 0;\nU}\nU.n {\nUUleft: 0;\nU}\n}")),
         QString(kMinified).replace(QStringLiteral(".m{top:0}"), QStringLiteral(".m{top:0}.n{left:0}"))},
        {"AKeyframe",
         [](SheetModel &model) {
             addAfter(model, QStringLiteral("0%"), RuleType::Keyframe, QStringLiteral("50%"),
                      {{QStringLiteral("opacity"), QStringLiteral(".5")}}, 1);
         },
         QString(kFormatted).replace(QStringLiteral("UUopacity: 0;\nU}"), QStringLiteral("UUopacity: 0;\nU}\nU50% {\nUUopacity: .5;\nU}")),
         QString(kMinified).replace(QStringLiteral("0%{opacity:0}"), QStringLiteral("0%{opacity:0}50%{opacity:.5}"))},
        {"ADeclarationOfAnEmptyRule",
         [](SheetModel &model) { addDeclaration(model, QStringLiteral(".empty"), QStringLiteral("top"), QStringLiteral("1px")); },
         QString(kFormatted).replace(QStringLiteral(".empty {\n}"), QStringLiteral(".empty {\nUtop: 1px;\n}")),
         QString(kMinified).replace(QStringLiteral(".empty{}"), QStringLiteral(".empty{top:1px}"))},
        {"ADeclarationAfterTheOthers",
         [](SheetModel &model) { addDeclaration(model, QStringLiteral(".a"), QStringLiteral("left"), QStringLiteral("2px")); },
         QString(kFormatted).replace(QStringLiteral("Utop: 0;\n}"), QStringLiteral("Utop: 0;\nUleft: 2px;\n}")),
         QString(kMinified).replace(QStringLiteral(".a{color:red;top:0}"), QStringLiteral(".a{color:red;top:0;left:2px}"))},
        {"AMediaBlock",
         [](SheetModel &model) {
             model.add(RuleType::Media, QStringLiteral("@media print"));
             model.add(RuleType::Style, QStringLiteral(".p"), {{QStringLiteral("top"), QStringLiteral("0")}}, true);
         },
         kFormatted + QStringLiteral("\n@media print {\nU.p {\nUUtop: 0;\nU}\n}\n"),
         QString(kMinified).replace(QStringLiteral(".empty{}"), QStringLiteral(".empty{}@media print{.p{top:0}}"))},
        {"AKeyframesBlock",
         [](SheetModel &model) {
             model.add(RuleType::Keyframes, QStringLiteral("@keyframes n"));
             model.add(RuleType::Keyframe, QStringLiteral("0%"), {{QStringLiteral("opacity"), QStringLiteral("0")}}, true);
             model.add(RuleType::Keyframe, QStringLiteral("100%"), {}, true)->setChildIndex(1);
         },
         kFormatted + QStringLiteral("\n@keyframes n {\nU0% {\nUUopacity: 0;\nU}\nU100% {\nU}\n}\n"),
         QString(kMinified).replace(QStringLiteral(".empty{}"), QStringLiteral(".empty{}@keyframes n{0%{opacity:0}100%{}}"))},
        {"AKeyframesBlockWithItsPrefixedCopy",
         [](SheetModel &model) {
             model.add(RuleType::Keyframes, QStringLiteral("@-webkit-keyframes w"));
             model.add(RuleType::Keyframe, QStringLiteral("0%"), {{QStringLiteral("opacity"), QStringLiteral("0")}}, true);
         },
         kFormatted + QStringLiteral("\n@-webkit-keyframes w {\nU0% {\nUUopacity: 0;\nU}\n}\n\n@keyframes w {\nU0% {\nUUopacity: 0;\nU}\n}\n"),
         QString(kMinified).replace(QStringLiteral(".empty{}"),
                                    QStringLiteral(".empty{}@-webkit-keyframes w{0%{opacity:0}}@keyframes w{0%{opacity:0}}"))},
    };
}

class CreatedText : public ::testing::TestWithParam<SheetLayout>
{
};

// Every kind of text an edit creates is written as the sheet around it
// writes its own: minified in a minified sheet, with the formatted sheet's
// blanks, indentation and line breaks (#77).
TEST_P(CreatedText, TakesTheLayoutOfTheSheet)
{
    const StyleSheetWriterSettings each = settings(false, {QStringLiteral("-webkit")}, {});
    const QString text = laidOut(GetParam(), kFormatted, kMinified);
    for (const Creation &creation : creations()) {
        const QString written = writtenAfter(text, each, creation.edit);
        EXPECT_EQ(written.toStdString(), laidOut(GetParam(), creation.formatted, creation.minified).toStdString())
            << creation.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, CreatedText,
                         ::testing::Values(SheetLayout{"Minified", nullptr}, SheetLayout{"TwoSpaces", "  "},
                                           SheetLayout{"FourSpaces", "    "}, SheetLayout{"Tabs", "\t"},
                                           SheetLayout{"TwoSpacesWithCRLF", "  ", true}),
                         [](const ::testing::TestParamInfo<SheetLayout> &info) { return std::string(info.param.name); });

// A sheet that joins two layouts (a minified sheet pasted after a formatted
// one) gives each part its own.
TEST(StyleSheetLayout, IsReadFromTheItemsNearestThePlace)
{
    QString text;
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral(".f%1 { top: 0; }\n").arg(i);
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral(".m%1{top:0}").arg(i);
    SheetModel model;
    model.read(text, settings(false, {}, {}));
    const auto source = StyleSheetSource::read(text, model.list);
    const StyleSheetLayout first = StyleSheetLayout::of(*source, 0, QStringLiteral("\t"));
    EXPECT_EQ(first.colon, QStringLiteral(": "));
    EXPECT_EQ(first.beforeBrace, QStringLiteral(" "));
    EXPECT_TRUE(first.lastSemicolon);
    EXPECT_EQ(first.ruleGap, QStringLiteral("\n"));
    const StyleSheetLayout last = StyleSheetLayout::of(*source, text.size(), QStringLiteral("\t"));
    EXPECT_EQ(last.colon, QStringLiteral(":"));
    EXPECT_EQ(last.beforeBrace, QString());
    EXPECT_FALSE(last.lastSemicolon);
    // No indented line: the unit given.
    EXPECT_EQ(last.indent, QStringLiteral("\t"));
}

TEST(StyleSheetLayout, ASheetWithoutItemsIsWrittenAsTheGeneratorsWriteIt)
{
    const QString written = writtenAfter(QString(), settings(false, {}, {}), [](SheetModel &model) {
        model.add(RuleType::Style, QStringLiteral(".b"), {{QStringLiteral("top"), QStringLiteral("0")}});
    });
    EXPECT_EQ(written, QStringLiteral(".b {\n    top:0;\n}\n\n")) << written.toStdString();
}

} // namespace StyleSheetLayoutTest

namespace StyleSheetLayoutRealSheets {

using namespace WriterTestUtil;

// A real framework sheet (an excerpt in data/layout, its source named in
// its first line) and its layout as a person reading it says it is.
struct RealSheet
{
    const char *name;
    bool minified;
    const char *indent; // null for a minified sheet
    const char *colon;
    const char *beforeBrace;
    bool lastSemicolon;
    const char *ruleGap; // null where the sheet writes both
};

void PrintTo(const RealSheet &sheet, std::ostream *out)
{
    *out << sheet.name;
}

class RealSheetLayout : public ::testing::TestWithParam<RealSheet>
{
};

// #86: read from the rules and declarations, never from the comments (the
// licence at the top of a minified sheet, the "=====" lines of a formatted
// one indented by one blank).
TEST_P(RealSheetLayout, IsWhatAPersonReadingItSays)
{
    const RealSheet &sheet = GetParam();
    const QString text = readData(QStringLiteral("layout/") + QLatin1String(sheet.name));
    ASSERT_FALSE(text.isEmpty());
    SheetModel model;
    model.read(text, settings(false, {}, {}));
    const auto source = StyleSheetSource::read(text, model.list);
    for (const qsizetype near : {qsizetype(0), text.size() / 2, text.size()}) {
        const StyleSheetLayout layout = StyleSheetLayout::of(*source, near, QStringLiteral("\t"));
        EXPECT_EQ(layout.minified, sheet.minified) << near;
        if (sheet.indent) {
            EXPECT_EQ(layout.indent, QLatin1String(sheet.indent)) << near;
        }
        EXPECT_EQ(layout.colon, QLatin1String(sheet.colon)) << near;
        EXPECT_EQ(layout.beforeBrace, QLatin1String(sheet.beforeBrace)) << near;
        EXPECT_EQ(layout.lastSemicolon, sheet.lastSemicolon) << near;
        if (sheet.ruleGap) {
            EXPECT_EQ(layout.ruleGap, QLatin1String(sheet.ruleGap)) << near;
        }
        EXPECT_EQ(layout.lineBreak, QStringLiteral("\n")) << near;
    }
}

INSTANTIATE_TEST_SUITE_P(
    FrameworkSheets, RealSheetLayout,
    ::testing::Values(RealSheet{"uikit.css", false, "  ", ": ", " ", true, "\n"},
                      RealSheet{"bootstrap.css", false, "  ", ": ", " ", true, "\n\n"},
                      RealSheet{"bootstrap.min.css", true, nullptr, ":", "", false, nullptr},
                      RealSheet{"sb-admin-2.min.css", true, nullptr, ":", "", false, nullptr},
                      RealSheet{"adminlte.css", false, "  ", ": ", " ", true, "\n\n"},
                      RealSheet{"adminlte.min.css", true, nullptr, ":", "", false, nullptr},
                      RealSheet{"material-dashboard.css", false, "  ", ": ", " ", true, "\n\n"},
                      RealSheet{"reveal-reset.css", true, nullptr, ":", "", false, nullptr},
                      RealSheet{"reveal.css", true, nullptr, ":", "", false, nullptr},
                      RealSheet{"impress-demo.css", false, "    ", ": ", " ", true, nullptr}),
    [](const ::testing::TestParamInfo<RealSheet> &info) {
        return QString::fromLatin1(info.param.name).remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9]"))).toStdString();
    });

// #86: in uikit.css a rule's only declaration switched off and on again
// comes back as it stood, and a new rule is indented as the sheet's rules.
TEST(UikitSheet, NewTextFollowsItsTwoBlankIndentation)
{
    const QString text = readData(QStringLiteral("layout/uikit.css"));
    {
        SheetModel model;
        model.read(text, settings(false, {}, {}));
        const auto source = StyleSheetSource::read(text, model.list);
        StyleDeclarationPtr rule;
        for (const StyleDeclarationPtr &item : std::as_const(model.list)) {
            if (item->selector() == QLatin1String("body"))
                rule = item;
        }
        ASSERT_TRUE(rule && rule->properties().size() == 1) << (rule ? rule->properties().size() : -1);
        rule->properties().constFirst()->setEnabled(false);
        rule->setModified(true);
        const StyleSheetWriter::Result off = StyleSheetWriter(settings(false, {}, {})).write(model.list, source.get());
        ASSERT_TRUE(off.ok);
        ASSERT_FALSE(off.text.contains(QLatin1String("body {\n  margin: 0;"))) << off.text.toStdString();
        rule->properties().constFirst()->setEnabled(true);
        rule->setModified(true);
        const StyleSheetWriter::Result on = StyleSheetWriter(settings(false, {}, {})).write(model.list, off.source.get());
        ASSERT_TRUE(on.ok);
        EXPECT_EQ(on.text.toStdString(), text.toStdString()) << lineDiff(text, on.text).toStdString();
    }
    const QString added = writtenAfter(text, settings(false, {}, {}), [](SheetModel &model) {
        model.add(RuleType::Style, QStringLiteral(".n"), {{QStringLiteral("top"), QStringLiteral("0")}});
    });
    EXPECT_TRUE(added.endsWith(QStringLiteral("}\n.n {\n  top: 0;\n}\n"))) << lineDiff(text, added).toStdString();
}

} // namespace StyleSheetLayoutRealSheets
