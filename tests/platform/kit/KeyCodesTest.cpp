#include "platform/kit/KeyCodes.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

QKeyEvent press(int key, Qt::KeyboardModifiers modifiers = {}, const QString &text = {})
{
    return QKeyEvent(QEvent::KeyPress, key, modifiers, text);
}

TEST(KeyCodes, MapsTheKeysTheProgramTellsByNumberToQtKeysAndBack)
{
    EXPECT_EQ(KeyCodes::qtKey(36), Qt::Key_Return);
    EXPECT_EQ(KeyCodes::qtKey(51), Qt::Key_Backspace);
    EXPECT_EQ(KeyCodes::qtKey(53), Qt::Key_Escape);
    EXPECT_EQ(KeyCodes::qtKey(48), Qt::Key_Tab);
    EXPECT_EQ(KeyCodes::qtKey(125), Qt::Key_Down);
    EXPECT_EQ(KeyCodes::qtKey(126), Qt::Key_Up);
    EXPECT_EQ(KeyCodes::qtKey(1), Qt::Key_S);
    EXPECT_EQ(KeyCodes::qtKey(30), Qt::Key_BracketRight);
    EXPECT_EQ(KeyCodes::qtKey(9999), Qt::Key_unknown);
    for (int code : {0, 1, 30, 36, 39, 42, 43, 48, 49, 51, 53, 117, 123, 124, 125, 126})
        EXPECT_EQ(KeyCodes::keyCodeForQtKey(KeyCodes::qtKey(code)), code) << code;
}

TEST(KeyCodes, TellsShiftedCharactersByTheirKey)
{
    QKeyEvent brace = press(Qt::Key_BraceRight, Qt::ShiftModifier, QStringLiteral("}"));
    EXPECT_EQ(KeyCodes::keyCode(&brace), KeyCodes::RightBracket);
    QKeyEvent backtab = press(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(KeyCodes::keyCode(&backtab), KeyCodes::Tab);
    QKeyEvent shift = press(Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(KeyCodes::keyCode(&shift), KeyCodes::Unknown);
}

TEST(KeyCodes, MapsCommandToCtrlAndOptionToAlt)
{
    EXPECT_EQ(KeyCodes::modifierFlags(Qt::ControlModifier | Qt::ShiftModifier), 0x120000u);
    EXPECT_EQ(KeyCodes::modifierFlags(Qt::AltModifier), 0x80000u);
    EXPECT_EQ(KeyCodes::modifierFlags(Qt::MetaModifier), 0x40000u);
    EXPECT_EQ(KeyCodes::qtModifiers(0x100000 | 0x20000), Qt::ControlModifier | Qt::ShiftModifier);
    QKeyEvent down = press(Qt::Key_Down);
    EXPECT_EQ(KeyCodes::modifierFlags(&down), quint64(KeyCodes::FunctionKeyMask));
    QKeyEvent forwardDelete = press(Qt::Key_Delete);
    EXPECT_EQ(KeyCodes::deviceIndependentFlags(KeyCodes::modifierFlags(&forwardDelete)),
              quint64(KeyCodes::FunctionKeyMask));
}

TEST(KeyCodes, ReportsTheKitsCharactersForKeysWithoutText)
{
    QKeyEvent backspace = press(Qt::Key_Backspace, {}, QStringLiteral("\b"));
    EXPECT_EQ(KeyCodes::charactersIgnoringModifiers(&backspace), QString(QChar(127)));
    QKeyEvent forwardDelete = press(Qt::Key_Delete);
    EXPECT_EQ(KeyCodes::charactersIgnoringModifiers(&forwardDelete), QString(QChar(0xF728)));
    QKeyEvent enter = press(Qt::Key_Return, {}, QStringLiteral("\r"));
    EXPECT_EQ(KeyCodes::charactersIgnoringModifiers(&enter), QStringLiteral("\r"));
    QKeyEvent ctrlS = press(Qt::Key_S, Qt::ControlModifier, QString(QChar(0x13)));
    EXPECT_EQ(KeyCodes::charactersIgnoringModifiers(&ctrlS), QStringLiteral("s"));
    QKeyEvent space = press(Qt::Key_Space, {}, QStringLiteral(" "));
    EXPECT_EQ(KeyCodes::charactersIgnoringModifiers(&space), QStringLiteral(" "));
}

TEST(KeyCodes, DerivesTheTextCommandsOfKeys)
{
    QKeyEvent down = press(Qt::Key_Down);
    EXPECT_EQ(KeyCodes::commandForKeyEvent(&down), TextCommand::MoveDown);
    QKeyEvent enter = press(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(KeyCodes::commandForKeyEvent(&enter), TextCommand::InsertNewline);
    QKeyEvent escape = press(Qt::Key_Escape);
    EXPECT_EQ(KeyCodes::commandForKeyEvent(&escape), TextCommand::CancelOperation);
    QKeyEvent backspace = press(Qt::Key_Backspace);
    EXPECT_EQ(KeyCodes::commandForKeyEvent(&backspace), TextCommand::DeleteBackward);
    QKeyEvent letter = press(Qt::Key_A, {}, QStringLiteral("a"));
    EXPECT_EQ(KeyCodes::commandForKeyEvent(&letter), TextCommand::None);
    QKeyEvent ctrlDown = press(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(KeyCodes::commandForKeyEvent(&ctrlDown), TextCommand::None);
    EXPECT_EQ(KeyCodes::commandName(TextCommand::CancelOperation), QStringLiteral("cancelOperation:"));
}

} // namespace
