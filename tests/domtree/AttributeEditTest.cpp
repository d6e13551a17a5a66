#include "TestPrinters.h"

#include "domtree/AttributeEdit.h"

#include <gtest/gtest.h>

namespace AttributeEditTest {

namespace {

struct Row
{
    const char *name;
    const char *file;
    const char *before;
    const char *after;
    const char *written;
};

// The file's style takes the declarations that differ between the page's
// style before and after an edit, in the file's own layout.
const Row s_styleRows[] = {
    {"AddedAfterTheLastWithItsSpacing", "color: red", "color: red", "color: red; width:10px;", "color: red; width: 10px"},
    {"AddedAfterATrailingSemicolon", "color:red;", "color:red;", "color:red; top:1px;", "color:red; top:1px;"},
    {"AddedOnItsOwnLine", "\n  color: red;\n", "color: red;", "color: red; top: 1px;", "\n  color: red;\n  top: 1px;\n"},
    {"ChangedWhereItStands", "top: 1px; color: red", "top: 1px; color: red", "top: 2px; color: red", "top: 2px; color: red"},
    {"RemovedFirst", "a: 1; b: 2; c: 3", "a: 1; b: 2; c: 3", "b: 2; c: 3", "b: 2; c: 3"},
    {"RemovedInTheMiddle", "a: 1; b: 2; c: 3", "a: 1; b: 2; c: 3", "a: 1; c: 3", "a: 1; c: 3"},
    {"RemovedLastWithoutSemicolon", "a: 1; b: 2", "a: 1; b: 2", "a: 1", "a: 1"},
    {"RemovedLastWithSemicolon", "a: 1; b: 2;", "a: 1; b: 2;", "a: 1;", "a: 1;"},
    {"RemovedFromItsOwnLine", "\n  a: 1;\n  b: 2;\n", "a: 1; b: 2;", "b: 2;", "\n  b: 2;\n"},
    {"TheScriptsDeclarationsStayOut", "color: red", "color: red; display: list-item; top: 206.5px;",
     "color: red; display: list-item; top: 206.5px; width:10px;", "color: red; width: 10px"},
    {"AValueWithASemicolonInsideIsOnePiece", "background: url('a;b.png')", "background: url('a;b.png')",
     "background: url('a;b.png'); top: 0", "background: url('a;b.png'); top: 0"},
    {"ANameOfAnyCaseIsTheSame", "COLOR: red", "color: red", "color: blue", "COLOR: blue"},
    {"APieceWithoutANameChangesNothing", "color: red", "color: red", "color: red; w", "color: red"},
};

class StyleChanges : public testing::TestWithParam<Row>
{
};

} // namespace

TEST_P(StyleChanges, GoIntoTheFilesOwnText)
{
    const Row &row = GetParam();
    const AttributeEdit edit = AttributeEdit::between(QStringLiteral("style"), QString::fromUtf8(row.before),
                                                      QString::fromUtf8(row.after));
    EXPECT_EQ(edit.appliedTo(QString::fromUtf8(row.file)), QString::fromUtf8(row.written));
}

INSTANTIATE_TEST_SUITE_P(Rows, StyleChanges, testing::ValuesIn(s_styleRows),
                         [](const testing::TestParamInfo<Row> &info) { return std::string(info.param.name); });

TEST(AttributeEdit, AStyleOrClassTheAuthorNeverWroteIsMadeOrLeftOut)
{
    // Only the user's declaration, in the panel's layout.
    const AttributeEdit width = AttributeEdit::between(QStringLiteral("style"), QStringLiteral("display: block;"),
                                                       QStringLiteral("display:block; width:10px;"));
    EXPECT_EQ(width.appliedTo(std::nullopt), QStringLiteral("width:10px;"));
    // Taken back: no empty attribute.
    AttributeEdit back = width;
    back.follow(AttributeEdit::between(QStringLiteral("style"), QStringLiteral("display:block; width:10px;"),
                                       QStringLiteral("display:block;")));
    EXPECT_EQ(back.appliedTo(std::nullopt), std::nullopt);
    // The author's empty attribute stays.
    EXPECT_EQ(back.appliedTo(QString()), QString());

    const AttributeEdit added = AttributeEdit::between(QStringLiteral("class"), QStringLiteral("slide present"),
                                                       QStringLiteral("slide present big"));
    EXPECT_EQ(added.appliedTo(std::nullopt), QStringLiteral("big"));
    EXPECT_EQ(added.appliedTo(QStringLiteral("slide")), QStringLiteral("slide big"));
}

TEST(AttributeEdit, ClassNamesComeAndGoAsWholeWords)
{
    const AttributeEdit edit = AttributeEdit::between(QStringLiteral("class"), QStringLiteral("a present b"),
                                                      QStringLiteral("b c present"));
    EXPECT_EQ(edit.appliedTo(QStringLiteral("ab a  b")), QStringLiteral("ab b c"));
    EXPECT_EQ(edit.appliedTo(QStringLiteral("b a")), QStringLiteral("b c"));
    // Nothing the user changed: the file's text as it is.
    EXPECT_EQ(AttributeEdit::between(QStringLiteral("class"), QStringLiteral("a"), QStringLiteral(" a ")).appliedTo(QStringLiteral("x  y")),
              QStringLiteral("x  y"));
}

TEST(AttributeEdit, AWholeValueOrARemovalWinsOverWhatCameBefore)
{
    AttributeEdit edit = AttributeEdit::between(QStringLiteral("style"), QString(), QStringLiteral("top: 1px"));
    edit.follow(AttributeEdit::between(QStringLiteral("style"), QStringLiteral("top: 1px"), std::nullopt));
    EXPECT_EQ(edit.appliedTo(QStringLiteral("color: red")), std::nullopt);
    // Given again after the removal: from nothing, not from the file's.
    edit.follow(AttributeEdit::between(QStringLiteral("style"), std::nullopt, QStringLiteral("left: 0")));
    EXPECT_EQ(edit.appliedTo(QStringLiteral("color: red")), QStringLiteral("left:0;"));

    AttributeEdit title = AttributeEdit::between(QStringLiteral("title"), QStringLiteral("a"), QStringLiteral("b"));
    EXPECT_EQ(title.appliedTo(QStringLiteral("x")), QStringLiteral("b"));
    EXPECT_TRUE(AttributeEdit::between(QStringLiteral("style"), QStringLiteral("a: 1"), QStringLiteral("a:1;")).isEmpty());
}

TEST(AttributeEdit, AValueTypedWholeIsWrittenAsTypedWhereThePageHeldTheFilesValue)
{
    using Given = AttributeEdit::Given;
    const QString style = QStringLiteral("style");
    // Spacing of its own, and pieces that are no declarations.
    EXPECT_EQ(AttributeEdit::between(style, std::nullopt, QStringLiteral("color: red; margin: 018"), Given::Whole)
                  .appliedTo(std::nullopt),
              QStringLiteral("color: red; margin: 018"));
    EXPECT_EQ(AttributeEdit::between(style, QStringLiteral("color: red"), QStringLiteral("a b  c10"), Given::Whole)
                  .appliedTo(QStringLiteral("color: red")),
              QStringLiteral("a b  c10"));
    EXPECT_EQ(AttributeEdit::between(QStringLiteral("class"), QStringLiteral("button"), QStringLiteral("button  large"), Given::Whole)
                  .appliedTo(QStringLiteral("button")),
              QStringLiteral("button  large"));
    // Typed back to what it was: nothing to write.
    EXPECT_FALSE(AttributeEdit::between(style, QStringLiteral("a: 1"), QStringLiteral("a:1;"), Given::Whole).isEmpty());
    AttributeEdit back = AttributeEdit::between(style, QStringLiteral("a: 1"), QStringLiteral("a:1;"), Given::Whole);
    back.follow(AttributeEdit::between(style, QStringLiteral("a:1;"), QStringLiteral("a: 1"), Given::Whole));
    EXPECT_TRUE(back.isEmpty());

    // A script had changed the page's value: only the user's declarations
    // go into the file's own.
    const AttributeEdit scripted = AttributeEdit::between(style, QStringLiteral("color: red; top: 1px"),
                                                          QStringLiteral("color: blue;top: 1px; junk"), Given::Whole);
    EXPECT_EQ(scripted.appliedTo(QStringLiteral("color: red")), QStringLiteral("color: blue"));
    // Or changed it between two of the user's edits.
    AttributeEdit broken = AttributeEdit::between(style, QStringLiteral("a: 1"), QStringLiteral("a: 2"), Given::Whole);
    broken.follow(AttributeEdit::between(style, QStringLiteral("a: 2; top: 1px"), QStringLiteral("a: 3;top: 1px"), Given::Whole));
    EXPECT_EQ(broken.appliedTo(QStringLiteral("a: 1")), QStringLiteral("a: 3"));

    // A panel's declaration after the typed value goes into it, spaced as it is.
    AttributeEdit typed = AttributeEdit::between(style, std::nullopt, QStringLiteral("color:red ;x"), Given::Whole);
    typed.follow(AttributeEdit::between(style, QStringLiteral("color:red ;x"), QStringLiteral("color:red; top:1px;"),
                                        Given::Parts, QStringLiteral("color:red;")));
    EXPECT_EQ(typed.appliedTo(std::nullopt), QStringLiteral("color:red ;x;top:1px"));
}

} // namespace AttributeEditTest
