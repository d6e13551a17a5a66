#include "KeyCodes.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace KeyCodes {

namespace {

// One key: the kit's code, the Qt key on a US layout, and the Linux input
// (evdev) code of the same physical key; X11 reports evdev + 8.
struct KeyEntry
{
    int keyCode;
    int qtKey;
    int evdev;
};

constexpr KeyEntry s_keys[] = {
    {A, Qt::Key_A, 30}, {S, Qt::Key_S, 31}, {D, Qt::Key_D, 32}, {F, Qt::Key_F, 33},
    {H, Qt::Key_H, 35}, {G, Qt::Key_G, 34}, {Z, Qt::Key_Z, 44}, {X, Qt::Key_X, 45},
    {C, Qt::Key_C, 46}, {V, Qt::Key_V, 47}, {B, Qt::Key_B, 48}, {Q, Qt::Key_Q, 16},
    {W, Qt::Key_W, 17}, {E, Qt::Key_E, 18}, {R, Qt::Key_R, 19}, {Y, Qt::Key_Y, 21},
    {T, Qt::Key_T, 20}, {Digit1, Qt::Key_1, 2}, {Digit2, Qt::Key_2, 3}, {Digit3, Qt::Key_3, 4},
    {Digit4, Qt::Key_4, 5}, {Digit6, Qt::Key_6, 7}, {Digit5, Qt::Key_5, 6},
    {Equal, Qt::Key_Equal, 13}, {Digit9, Qt::Key_9, 10}, {Digit7, Qt::Key_7, 8},
    {Minus, Qt::Key_Minus, 12}, {Digit8, Qt::Key_8, 9}, {Digit0, Qt::Key_0, 11},
    {RightBracket, Qt::Key_BracketRight, 27}, {O, Qt::Key_O, 24}, {U, Qt::Key_U, 22},
    {LeftBracket, Qt::Key_BracketLeft, 26}, {I, Qt::Key_I, 23}, {P, Qt::Key_P, 25},
    {Return, Qt::Key_Return, 28}, {L, Qt::Key_L, 38}, {J, Qt::Key_J, 36},
    {Quote, Qt::Key_Apostrophe, 40}, {K, Qt::Key_K, 37}, {Semicolon, Qt::Key_Semicolon, 39},
    {Backslash, Qt::Key_Backslash, 43}, {Comma, Qt::Key_Comma, 51}, {Slash, Qt::Key_Slash, 53},
    {N, Qt::Key_N, 49}, {M, Qt::Key_M, 50}, {Period, Qt::Key_Period, 52},
    {Tab, Qt::Key_Tab, 15}, {Space, Qt::Key_Space, 57}, {Grave, Qt::Key_QuoteLeft, 41},
    {Delete, Qt::Key_Backspace, 14}, {Escape, Qt::Key_Escape, 1},
    {KeypadEnter, Qt::Key_Enter, 96},
    {F1, Qt::Key_F1, 59}, {F2, Qt::Key_F2, 60}, {F3, Qt::Key_F3, 61}, {F4, Qt::Key_F4, 62},
    {F5, Qt::Key_F5, 63}, {F6, Qt::Key_F6, 64}, {F7, Qt::Key_F7, 65}, {F8, Qt::Key_F8, 66},
    {F9, Qt::Key_F9, 67}, {F10, Qt::Key_F10, 68}, {F11, Qt::Key_F11, 87}, {F12, Qt::Key_F12, 88},
    {Help, Qt::Key_Insert, 110}, {Home, Qt::Key_Home, 102}, {PageUp, Qt::Key_PageUp, 104},
    {ForwardDelete, Qt::Key_Delete, 111}, {End, Qt::Key_End, 107},
    {PageDown, Qt::Key_PageDown, 109},
    {LeftArrow, Qt::Key_Left, 105}, {RightArrow, Qt::Key_Right, 106},
    {DownArrow, Qt::Key_Down, 108}, {UpArrow, Qt::Key_Up, 103},
};

// Shifted characters of a US keyboard report the key of their unshifted form.
int unshiftedQtKey(int key)
{
    switch (key) {
    case Qt::Key_Exclam: return Qt::Key_1;
    case Qt::Key_At: return Qt::Key_2;
    case Qt::Key_NumberSign: return Qt::Key_3;
    case Qt::Key_Dollar: return Qt::Key_4;
    case Qt::Key_Percent: return Qt::Key_5;
    case Qt::Key_AsciiCircum: return Qt::Key_6;
    case Qt::Key_Ampersand: return Qt::Key_7;
    case Qt::Key_Asterisk: return Qt::Key_8;
    case Qt::Key_ParenLeft: return Qt::Key_9;
    case Qt::Key_ParenRight: return Qt::Key_0;
    case Qt::Key_Underscore: return Qt::Key_Minus;
    case Qt::Key_Plus: return Qt::Key_Equal;
    case Qt::Key_BraceLeft: return Qt::Key_BracketLeft;
    case Qt::Key_BraceRight: return Qt::Key_BracketRight;
    case Qt::Key_Bar: return Qt::Key_Backslash;
    case Qt::Key_Colon: return Qt::Key_Semicolon;
    case Qt::Key_QuoteDbl: return Qt::Key_Apostrophe;
    case Qt::Key_Less: return Qt::Key_Comma;
    case Qt::Key_Greater: return Qt::Key_Period;
    case Qt::Key_Question: return Qt::Key_Slash;
    case Qt::Key_AsciiTilde: return Qt::Key_QuoteLeft;
    case Qt::Key_Backtab: return Qt::Key_Tab;
    default: return key;
    }
}

bool isFunctionKey(int qtKey)
{
    return (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F35) || qtKey == Qt::Key_Left
        || qtKey == Qt::Key_Right || qtKey == Qt::Key_Up || qtKey == Qt::Key_Down
        || qtKey == Qt::Key_Home || qtKey == Qt::Key_End || qtKey == Qt::Key_PageUp
        || qtKey == Qt::Key_PageDown || qtKey == Qt::Key_Delete || qtKey == Qt::Key_Insert;
}

} // namespace

Qt::Key qtKey(int keyCode)
{
    for (const KeyEntry &entry : s_keys) {
        if (entry.keyCode == keyCode)
            return Qt::Key(entry.qtKey);
    }
    return Qt::Key_unknown;
}

int keyCodeForQtKey(int key)
{
    const int unshifted = unshiftedQtKey(key);
    for (const KeyEntry &entry : s_keys) {
        if (entry.qtKey == unshifted)
            return entry.keyCode;
    }
    return Unknown;
}

int keyCode(const QKeyEvent *event)
{
    if (!event)
        return Unknown;
    // Only X11 reports the physical key in a known numbering; the other
    // platforms (and synthetic events) fall back to the layout's key.
    if (event->nativeScanCode() > 8 && QGuiApplication::platformName() == QLatin1String("xcb")) {
        const int evdev = int(event->nativeScanCode()) - 8;
        for (const KeyEntry &entry : s_keys) {
            if (entry.evdev == evdev)
                return entry.keyCode;
        }
    }
    return keyCodeForQtKey(event->key());
}

quint64 modifierFlags(Qt::KeyboardModifiers modifiers)
{
    quint64 flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= ShiftKeyMask;
    if (modifiers & Qt::ControlModifier)
        flags |= CommandKeyMask;
    if (modifiers & Qt::AltModifier)
        flags |= AlternateKeyMask;
    if (modifiers & Qt::MetaModifier)
        flags |= ControlKeyMask;
    if (modifiers & Qt::KeypadModifier)
        flags |= NumericPadKeyMask;
    return flags;
}

Qt::KeyboardModifiers qtModifiers(quint64 flags)
{
    Qt::KeyboardModifiers modifiers;
    if (flags & ShiftKeyMask)
        modifiers |= Qt::ShiftModifier;
    if (flags & CommandKeyMask)
        modifiers |= Qt::ControlModifier;
    if (flags & AlternateKeyMask)
        modifiers |= Qt::AltModifier;
    if (flags & ControlKeyMask)
        modifiers |= Qt::MetaModifier;
    if (flags & NumericPadKeyMask)
        modifiers |= Qt::KeypadModifier;
    return modifiers;
}

quint64 modifierFlags(const QKeyEvent *event)
{
    if (!event)
        return 0;
    quint64 flags = modifierFlags(event->modifiers());
    if (isFunctionKey(event->key()))
        flags |= FunctionKeyMask;
    return flags;
}

QString charactersIgnoringModifiers(const QKeyEvent *event)
{
    if (!event)
        return {};
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const int key = event->key();
    switch (key) {
    case Qt::Key_Backspace: return QString(QChar(0x7f));
    case Qt::Key_Return: return QStringLiteral("\r");
    case Qt::Key_Enter: return QString(QChar(0x03));
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return QStringLiteral("\t");
    case Qt::Key_Escape: return QString(QChar(0x1b));
    case Qt::Key_Space: return QStringLiteral(" ");
    case Qt::Key_Up: return QString(QChar(UpArrowFunctionKey));
    case Qt::Key_Down: return QString(QChar(DownArrowFunctionKey));
    case Qt::Key_Left: return QString(QChar(LeftArrowFunctionKey));
    case Qt::Key_Right: return QString(QChar(RightArrowFunctionKey));
    case Qt::Key_Insert: return QString(QChar(InsertFunctionKey));
    case Qt::Key_Delete: return QString(QChar(DeleteFunctionKey));
    case Qt::Key_Home: return QString(QChar(HomeFunctionKey));
    case Qt::Key_End: return QString(QChar(EndFunctionKey));
    case Qt::Key_PageUp: return QString(QChar(PageUpFunctionKey));
    case Qt::Key_PageDown: return QString(QChar(PageDownFunctionKey));
    default: break;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return QString(QChar(char16_t(F1FunctionKey + (key - Qt::Key_F1))));
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        const QChar letter(char16_t('a' + (key - Qt::Key_A)));
        return shift ? QString(letter.toUpper()) : QString(letter);
    }
    // With Ctrl held the event's text is a control character; the key itself
    // still names a printable Latin-1 character.
    if (key >= 0x20 && key < 0x7f)
        return QString(QChar(char16_t(key)));
    return event->text();
}

TextCommand commandForKeyEvent(const QKeyEvent *event)
{
    if (!event)
        return TextCommand::None;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = mods == Qt::NoModifier;
    switch (event->key()) {
    case Qt::Key_Up: return plain ? TextCommand::MoveUp : TextCommand::None;
    case Qt::Key_Down: return plain ? TextCommand::MoveDown : TextCommand::None;
    case Qt::Key_Left: return plain ? TextCommand::MoveLeft : TextCommand::None;
    case Qt::Key_Right: return plain ? TextCommand::MoveRight : TextCommand::None;
    case Qt::Key_Return:
    case Qt::Key_Enter: return plain ? TextCommand::InsertNewline : TextCommand::None;
    case Qt::Key_Tab: return plain ? TextCommand::InsertTab : TextCommand::None;
    case Qt::Key_Backtab: return TextCommand::InsertBacktab;
    case Qt::Key_Escape: return TextCommand::CancelOperation;
    case Qt::Key_Backspace:
        return (plain || mods == Qt::ShiftModifier) ? TextCommand::DeleteBackward : TextCommand::None;
    case Qt::Key_Delete: return plain ? TextCommand::DeleteForward : TextCommand::None;
    default: return TextCommand::None;
    }
}

QString commandName(TextCommand command)
{
    switch (command) {
    case TextCommand::None: return {};
    case TextCommand::MoveUp: return QStringLiteral("moveUp:");
    case TextCommand::MoveDown: return QStringLiteral("moveDown:");
    case TextCommand::MoveLeft: return QStringLiteral("moveLeft:");
    case TextCommand::MoveRight: return QStringLiteral("moveRight:");
    case TextCommand::InsertNewline: return QStringLiteral("insertNewline:");
    case TextCommand::InsertTab: return QStringLiteral("insertTab:");
    case TextCommand::InsertBacktab: return QStringLiteral("insertBacktab:");
    case TextCommand::CancelOperation: return QStringLiteral("cancelOperation:");
    case TextCommand::DeleteBackward: return QStringLiteral("deleteBackward:");
    case TextCommand::DeleteForward: return QStringLiteral("deleteForward:");
    }
    return {};
}

} // namespace KeyCodes
