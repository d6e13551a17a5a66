#include "editors/ColorTextEditor.h"
#include "editors/ColorTextEditorDelegate.h"
#include "editors/FieldMark.h"
#include "editors/HexColorTextInput.h"
#include "editors/RGBAColorTextInput.h"
#include "editors/RGBColorTextInput.h"
#include "platform/kit/ButtonMatrix.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class RecordingDelegate : public ColorTextEditorDelegate
{
public:
    void colorDidChange(const RGBAColor &color) override { colors.append(color); }
    void colorTextDidChange(const QString &text, const std::optional<RGBAColor> &color) override
    {
        texts.append(text);
        if (color)
            colors.append(*color);
    }
    QList<RGBAColor> colors;
    QStringList texts;
};

struct TextEditor
{
    TextEditor()
    {
        editor.setEditorDelegate(&delegate);
        editor.show();
    }
    // Types into the field as a user does: select all, then the keys.
    void type(QLineEdit *field, const QString &keys)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, keys);
    }
    ColorTextEditor editor;
    RecordingDelegate delegate;
};

} // namespace

TEST(ColorTextEditor, SettingAColorShowsItInEveryFormWithoutTellingTheDelegate)
{
    TextEditor t;
    t.editor.setColor(RGBAColor{1, 0.5, 0, 0.25});
    EXPECT_EQ(t.editor.hexInput()->hexTextInput()->text(), QStringLiteral("ff7f00"));
    EXPECT_EQ(t.editor.rgbInput()->gTextInput()->text(), QStringLiteral("127"));
    EXPECT_EQ(t.editor.rgbaInput()->aTextInput()->text(), QStringLiteral("0.25"));
    EXPECT_TRUE(t.delegate.colors.isEmpty());

    // The alpha keeps the decimals its field shows; a whole number shows one.
    t.editor.rgbaInput()->aTextInput()->setText(QStringLiteral("1"));
    t.editor.setColor(RGBAColor{0, 0, 0, 0.5});
    EXPECT_EQ(t.editor.rgbaInput()->aTextInput()->text(), QStringLiteral("0.5"));
    t.editor.rgbaInput()->aTextInput()->setText(QStringLiteral("0.125"));
    t.editor.setColor(RGBAColor{0, 0, 0, 0.5});
    EXPECT_EQ(t.editor.rgbaInput()->aTextInput()->text(), QStringLiteral("0.500"));
}

TEST(ColorTextEditor, HexCommitsAtThreeOrSixDigitsAndKeepsTheTypedTextUntilEditingEnds)
{
    TextEditor t;
    t.editor.setUnit(0);
    QLineEdit *hex = t.editor.hexInput()->hexTextInput();
    t.type(hex, QStringLiteral("f"));
    EXPECT_EQ(hex->text(), QStringLiteral("f"));
    t.type(hex, QString());
    QTest::keyClicks(hex, QStringLiteral("ff"));
    EXPECT_TRUE(t.delegate.colors.isEmpty());
    QTest::keyClicks(hex, QStringLiteral("f"));
    EXPECT_EQ(hex->text(), QStringLiteral("fff"));
    ASSERT_EQ(t.delegate.colors.size(), 1);
    EXPECT_EQ(t.delegate.colors.last(), (RGBAColor{1, 1, 1, 1}));
    // The other forms follow at once.
    EXPECT_EQ(t.editor.rgbInput()->rTextInput()->text(), QStringLiteral("255"));

    // Ending the edit commits what is there and shows the six digits.
    QTest::keyClick(hex, Qt::Key_Return);
    EXPECT_EQ(hex->text(), QStringLiteral("ffffff"));
    EXPECT_EQ(t.delegate.colors.size(), 2);
    // An end of editing without a keystroke commits nothing.
    const qsizetype count = t.delegate.colors.size();
    hex->clearFocus();
    EXPECT_EQ(t.delegate.colors.size(), count);
}

// "antiquewhite" once read as the hex digits of "antique" (#66).
TEST(ColorTextEditor, TheHexFieldTakesWhatCSSNamesAndRefusesWhatIsNoColour)
{
    TextEditor t;
    t.editor.setUnit(0);
    t.editor.setColor(RGBAColor{0, 0, 1, 1});
    QLineEdit *hex = t.editor.hexInput()->hexTextInput();
    t.type(hex, QStringLiteral("antiquewhite"));
    EXPECT_EQ(t.delegate.texts, QStringList{QStringLiteral("antiquewhite")});
    EXPECT_EQ(t.delegate.colors.last(), (RGBAColor{250 / 255.0, 235 / 255.0, 215 / 255.0, 1}));
    EXPECT_EQ(hex->text(), QStringLiteral("antiquewhite"));

    // A name more typing may lengthen waits for the end of editing.
    t.type(hex, QStringLiteral("Blue"));
    EXPECT_EQ(t.delegate.texts.size(), 1);
    QTest::keyClick(hex, Qt::Key_Return);
    EXPECT_EQ(t.delegate.texts.last(), QStringLiteral("Blue"));
    for (const char *keyword : {"transparent", "currentcolor"}) {
        t.type(hex, QString::fromLatin1(keyword));
        QTest::keyClick(hex, Qt::Key_Return);
        EXPECT_EQ(t.delegate.texts.last(), QString::fromLatin1(keyword));
    }
    // Four and eight digits carry an alpha.
    t.type(hex, QStringLiteral("#ff000080"));
    EXPECT_NEAR(t.delegate.colors.last().alpha, 128 / 255.0, 1e-9);

    // Text that is no colour commits nothing and is marked until it reads.
    const qsizetype committed = t.delegate.colors.size() + t.delegate.texts.size();
    t.type(hex, QStringLiteral("antique"));
    QTest::keyClick(hex, Qt::Key_Return);
    EXPECT_EQ(t.delegate.colors.size() + t.delegate.texts.size(), committed);
    EXPECT_TRUE(FieldMark::isRefused(hex));
    EXPECT_EQ(hex->text(), QStringLiteral("antique"));
    QTest::keyClicks(hex, QStringLiteral("white"));
    EXPECT_FALSE(FieldMark::isRefused(hex));
}

TEST(ColorTextEditor, ChannelsTakeDecimalsAndPercentagesAndRefuseOtherText)
{
    TextEditor t;
    t.editor.setUnit(2);
    RGBAColorTextInput *rgba = t.editor.rgbaInput();
    t.type(rgba->rTextInput(), QStringLiteral("50%"));
    EXPECT_EQ(t.delegate.colors.last().red, 0.5);
    t.type(rgba->aTextInput(), QStringLiteral(".15"));
    EXPECT_EQ(t.delegate.colors.last().alpha, 0.15);
    const qsizetype committed = t.delegate.colors.size();
    t.type(rgba->gTextInput(), QStringLiteral("x1"));
    QTest::keyClick(rgba->gTextInput(), Qt::Key_Return);
    EXPECT_EQ(t.delegate.colors.size(), committed);
    EXPECT_TRUE(FieldMark::isRefused(rgba->gTextInput()));
}

TEST(ColorTextEditor, ChannelsAreClampedAndTheFieldTypedInIsLeftAlone)
{
    TextEditor t;
    t.editor.setUnit(2);
    RGBAColorTextInput *rgba = t.editor.rgbaInput();
    t.type(rgba->rTextInput(), QStringLiteral("300"));
    EXPECT_EQ(rgba->rTextInput()->text(), QStringLiteral("300"));
    ASSERT_FALSE(t.delegate.colors.isEmpty());
    EXPECT_EQ(t.delegate.colors.last().red, 1.0);
    t.type(rgba->aTextInput(), QStringLiteral("1.5"));
    EXPECT_EQ(t.delegate.colors.last().alpha, 1.0);
    t.type(rgba->aTextInput(), QStringLiteral("-2"));
    EXPECT_EQ(t.delegate.colors.last().alpha, 0.0);
    t.type(rgba->gTextInput(), QStringLiteral("abc"));
    EXPECT_EQ(t.delegate.colors.last().green, 0.0);
    EXPECT_EQ(t.editor.hexInput()->hexTextInput()->text(), QStringLiteral("ff0000"));
}

TEST(ButtonMatrix, SelectsByTagOrPositionAndSendsTheTagOfAClickedCell)
{
    ButtonMatrix matrix;
    // Tags need not follow positions.
    matrix.addCell(new QRadioButton(QStringLiteral("px")), 0, 0, 0);
    matrix.addCell(new QRadioButton(QStringLiteral("%")), 2, 0, 1);
    matrix.addCell(new QRadioButton(QStringLiteral("rem")), 3, 0, 2);
    EXPECT_EQ(matrix.selectedTag(), -1);
    EXPECT_TRUE(matrix.selectCellAtPosition(1));
    EXPECT_EQ(matrix.selectedTag(), 2);
    EXPECT_FALSE(matrix.selectCellWithTag(7));
    int clicked = -1;
    QObject::connect(&matrix, &ButtonMatrix::cellClicked, [&clicked](int tag) { clicked = tag; });
    matrix.cellWithTag(3)->click();
    EXPECT_EQ(clicked, 3);
    EXPECT_EQ(matrix.selectedTag(), 3);
}
