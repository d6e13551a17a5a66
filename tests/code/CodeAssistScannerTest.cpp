#include "code/CodeAssistScanner.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// The text with "|" at the caret.
std::pair<QString, int> caretIn(QString text)
{
    const int caret = int(text.indexOf(u'|'));
    text.remove(caret, 1);
    return {text, caret};
}

int codeTypeOf(const QString &marked, bool styleSheet = false)
{
    const auto [text, caret] = caretIn(marked);
    return CodeAssistScanner::classify(text, caret, styleSheet).codeType;
}

} // namespace

TEST(CodeAssistScanner, WordsStopWhereEachKindOfWordEnds)
{
    EXPECT_EQ(CodeAssistScanner::word(u"<div cl", 7), QStringLiteral("cl"));
    EXPECT_EQ(CodeAssistScanner::word(u"<b>x", 4), QString()) << "a > first gives no word";
    EXPECT_EQ(CodeAssistScanner::word(u"abc", 3), QString()) << "the start of the text gives none";
    EXPECT_EQ(CodeAssistScanner::cssWord(u"{ color: re", 11), QStringLiteral("color: re"));
    EXPECT_EQ(CodeAssistScanner::cssWord(u"{ color: #f0", 12), QStringLiteral("#f0"));
    EXPECT_EQ(CodeAssistScanner::valueWord(u"{ color: re", 11), QStringLiteral(" re"));
}

TEST(CodeAssistScanner, TagNamesAndTagTexts)
{
    EXPECT_EQ(CodeAssistScanner::headForInsertionPoint(u"<div class=\"a\">", 5), QStringLiteral("div"));
    EXPECT_EQ(CodeAssistScanner::headForInsertionPoint(u"</div>", 3), QString()) << "a closing tag";
    EXPECT_EQ(CodeAssistScanner::headForInsertionPoint(u"a { <b", 6), QString());
    EXPECT_EQ(CodeAssistScanner::headForInsertionPoint(u"{ <b>", 4), QStringLiteral("b"));
    EXPECT_EQ(CodeAssistScanner::parentTagText(u"<a href=\"x\">", 4), QStringLiteral("<a href=\"x\">"));
    EXPECT_EQ(CodeAssistScanner::parentTagText(u"<a>text", 5), QString());
    EXPECT_EQ(CodeAssistScanner::parentTagText(u"<a href", 4), QString()) << "no > after it";
}

TEST(CodeAssistScanner, ClassifiesMarkupStyleSheetsAndScripts)
{
    EXPECT_EQ(codeTypeOf(QStringLiteral("<p>\n<|")), 1);
    EXPECT_EQ(codeTypeOf(QStringLiteral("<div cl|></div>")), 2);
    EXPECT_EQ(codeTypeOf(QStringLiteral("<p>hello wor|</p>")), -1) << "text between tags";
    EXPECT_EQ(codeTypeOf(QStringLiteral("<style>|")), -1);
    EXPECT_EQ(codeTypeOf(QStringLiteral("<script>|")), -1);
    EXPECT_EQ(codeTypeOf(QStringLiteral("a {\n\tco|\n}"), true), 4);
    EXPECT_EQ(codeTypeOf(QStringLiteral("a {\n\tco|\n}"), false), 4) << "braces outside tags";
    EXPECT_EQ(codeTypeOf(QStringLiteral("var o = {\n\ta|\n}")), 6);
    EXPECT_EQ(codeTypeOf(QStringLiteral("a {}\nb|"), true), -1);

    const auto [text, caret] = caretIn(QStringLiteral("<div id=\"a\" class=\"|\"></div>"));
    const CodeAssistScanner::Classification found = CodeAssistScanner::classify(text, caret, false);
    EXPECT_EQ(found.attributeName, QStringLiteral(" class"));
    EXPECT_EQ(found.currentTag, QStringLiteral("div"));
    EXPECT_EQ(found.tagText, QStringLiteral("<div id=\"a\" class=\"\">"));
}

TEST(CodeAssistScanner, BadInputNeverReadsOutsideTheText)
{
    // Every caret of every text, the ends and beyond included.
    const QStringList texts = {
        QString(), QStringLiteral("<"), QStringLiteral(">"), QStringLiteral("\""), QStringLiteral("{"),
        QStringLiteral("}"), QStringLiteral("=\""), QStringLiteral("<a b=\""), QStringLiteral("</"),
        QStringLiteral("#"), QStringLiteral("\n\n"), QStringLiteral("a{=}<\"</>:;#"),
    };
    for (const QString &text : texts) {
        for (int caret = -2; caret <= text.size() + 2; ++caret) {
            CodeAssistScanner::word(text, caret);
            CodeAssistScanner::cssWord(text, caret);
            CodeAssistScanner::valueWord(text, caret);
            CodeAssistScanner::headForInsertionPoint(text, caret);
            CodeAssistScanner::parentTagText(text, caret);
            CodeAssistScanner::classify(text, caret, false);
            CodeAssistScanner::classify(text, caret, true);
        }
    }
    EXPECT_EQ(CodeAssistScanner::classify(QString(), 0, false).codeType, -1);
    EXPECT_EQ(CodeAssistScanner::classify(QStringLiteral("<a"), 9, false).codeType, -1);

    // A one-megabyte line with unbalanced marks, caret at both ends and in
    // the middle.
    QString line = QStringLiteral("<div class=\"x {").repeated(1) + QString(1 << 20, u'a') + QStringLiteral("\" <");
    for (int caret : {0, int(line.size()) / 2, int(line.size())}) {
        CodeAssistScanner::classify(line, caret, false);
        CodeAssistScanner::word(line, caret);
    }
    EXPECT_EQ(CodeAssistScanner::classify(line, int(line.size()), false).codeType, 1);
}
