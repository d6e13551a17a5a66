#pragma once

#include <Qt>
#include <QString>

class QKeyEvent;

// The desktop kit's virtual key codes and modifier masks, and their mapping to
// Qt keys. Code written against the kit tells keys by these numbers (key code
// 51 is Delete, 36 Return); the numbers follow the key's place on a US
// keyboard, not the character it types, so Ctrl-] stays Ctrl-] on a German
// layout when the platform reports physical keys (X11 does).
namespace KeyCodes {

// Virtual key codes of the keys the program uses, by position.
enum KeyCode : int {
    A = 0, S = 1, D = 2, F = 3, H = 4, G = 5, Z = 6, X = 7, C = 8, V = 9, B = 11, Q = 12,
    W = 13, E = 14, R = 15, Y = 16, T = 17,
    Digit1 = 18, Digit2 = 19, Digit3 = 20, Digit4 = 21, Digit6 = 22, Digit5 = 23, Equal = 24,
    Digit9 = 25, Digit7 = 26, Minus = 27, Digit8 = 28, Digit0 = 29,
    RightBracket = 30, O = 31, U = 32, LeftBracket = 33, I = 34, P = 35,
    Return = 36, L = 37, J = 38, Quote = 39, K = 40, Semicolon = 41, Backslash = 42,
    Comma = 43, Slash = 44, N = 45, M = 46, Period = 47,
    Tab = 48, Space = 49, Grave = 50, Delete = 51, Escape = 53,
    KeypadEnter = 76,
    F5 = 96, F6 = 97, F7 = 98, F3 = 99, F8 = 100, F9 = 101, F11 = 103, F10 = 109, F12 = 111,
    Help = 114, Home = 115, PageUp = 116, ForwardDelete = 117, F4 = 118, End = 119, F2 = 120,
    PageDown = 121, F1 = 122,
    LeftArrow = 123, RightArrow = 124, DownArrow = 125, UpArrow = 126,
    // No key of the kit's: a modifier alone, or a key outside the table.
    Unknown = 0xFFFF,
};

// Modifier masks of the kit's event flags.
enum ModifierMask : quint64 {
    AlphaShiftKeyMask = 0x10000,
    ShiftKeyMask = 0x20000,
    ControlKeyMask = 0x40000,
    AlternateKeyMask = 0x80000,
    CommandKeyMask = 0x100000,
    NumericPadKeyMask = 0x200000,
    HelpKeyMask = 0x400000,
    FunctionKeyMask = 0x800000,
    DeviceIndependentModifierFlagsMask = 0xffff0000,
};

// Characters the kit reports for keys without a printable character.
enum FunctionKey : char16_t {
    UpArrowFunctionKey = 0xF700,
    DownArrowFunctionKey = 0xF701,
    LeftArrowFunctionKey = 0xF702,
    RightArrowFunctionKey = 0xF703,
    F1FunctionKey = 0xF704,
    InsertFunctionKey = 0xF727,
    DeleteFunctionKey = 0xF728,
    HomeFunctionKey = 0xF729,
    EndFunctionKey = 0xF72B,
    PageUpFunctionKey = 0xF72C,
    PageDownFunctionKey = 0xF72D,
};

// The Qt key at the key code's place on a US keyboard; Qt::Key_unknown for
// codes outside the table.
Qt::Key qtKey(int keyCode);

// The key code of a Qt key; Unknown when the kit has none.
int keyCodeForQtKey(int qtKey);

// The key code of an event: by the physical key when the platform reports it
// (X11), else by the Qt key.
int keyCode(const QKeyEvent *event);

// Command is Ctrl, Option is Alt, Control is Meta.
quint64 modifierFlags(Qt::KeyboardModifiers modifiers);
Qt::KeyboardModifiers qtModifiers(quint64 flags);

// The flags of an event, with the function-key flag on arrows, function keys,
// Home, End, Page Up/Down and Forward Delete, as the kit sets it.
quint64 modifierFlags(const QKeyEvent *event);

// The flags without the device-dependent low bits.
inline quint64 deviceIndependentFlags(quint64 flags)
{
    return flags & DeviceIndependentModifierFlagsMask;
}

// The characters of the key as the kit reports them without modifiers:
// Backspace is "\x7f", Return "\r", Enter "\x03", Tab "\t", Escape "\x1b",
// arrows and the other function keys their private-use characters; letters
// lower-case unless Shift is held.
QString charactersIgnoringModifiers(const QKeyEvent *event);

} // namespace KeyCodes

// The commands the kit's text fields and lists derive from keys, handed to a
// text field's delegate before the field acts on them.
enum class TextCommand {
    None,
    MoveUp,            // "moveUp:"
    MoveDown,          // "moveDown:"
    MoveLeft,          // "moveLeft:"
    MoveRight,         // "moveRight:"
    InsertNewline,     // "insertNewline:"
    InsertTab,         // "insertTab:"
    InsertBacktab,     // "insertBacktab:"
    CancelOperation,   // "cancelOperation:"
    DeleteBackward,    // "deleteBackward:"
    DeleteForward,     // "deleteForward:"
};

namespace KeyCodes {

// The command of a key press (plain or with Shift for Tab); None for typing.
TextCommand commandForKeyEvent(const QKeyEvent *event);

// The kit's selector text of a command, for logs.
QString commandName(TextCommand command);

} // namespace KeyCodes
