// WebView: mouse, wheel, keys and text input, forwarded to the page with the
// browser's Input domain, and the pointer shape of the element under it.

#include "WebView.h"

#include "WebBridge.h"

#include <QHash>
#include <QInputMethodEvent>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace {

// The Input domain's modifier bits.
int modifiersOf(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::AltModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
        | (modifiers & Qt::MetaModifier ? 4 : 0) | (modifiers & Qt::ShiftModifier ? 8 : 0);
}

QString buttonName(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return QStringLiteral("left");
    case Qt::RightButton:
        return QStringLiteral("right");
    case Qt::MiddleButton:
        return QStringLiteral("middle");
    case Qt::BackButton:
        return QStringLiteral("back");
    case Qt::ForwardButton:
        return QStringLiteral("forward");
    default:
        return QStringLiteral("none");
    }
}

int buttonsOf(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) | (buttons & Qt::MiddleButton ? 4 : 0)
        | (buttons & Qt::BackButton ? 8 : 0) | (buttons & Qt::ForwardButton ? 16 : 0);
}

// A key without text: its DOM key name, code and Windows key code.
struct NamedKey
{
    const char *key;
    const char *code;
    int windowsCode;
};

const QHash<int, NamedKey> &namedKeys()
{
    static const QHash<int, NamedKey> keys = {
        {Qt::Key_Backspace, {"Backspace", "Backspace", 8}}, {Qt::Key_Tab, {"Tab", "Tab", 9}},
        {Qt::Key_Backtab, {"Tab", "Tab", 9}},               {Qt::Key_Return, {"Enter", "Enter", 13}},
        {Qt::Key_Enter, {"Enter", "NumpadEnter", 13}},      {Qt::Key_Escape, {"Escape", "Escape", 27}},
        {Qt::Key_PageUp, {"PageUp", "PageUp", 33}},         {Qt::Key_PageDown, {"PageDown", "PageDown", 34}},
        {Qt::Key_End, {"End", "End", 35}},                  {Qt::Key_Home, {"Home", "Home", 36}},
        {Qt::Key_Left, {"ArrowLeft", "ArrowLeft", 37}},     {Qt::Key_Up, {"ArrowUp", "ArrowUp", 38}},
        {Qt::Key_Right, {"ArrowRight", "ArrowRight", 39}},  {Qt::Key_Down, {"ArrowDown", "ArrowDown", 40}},
        {Qt::Key_Insert, {"Insert", "Insert", 45}},         {Qt::Key_Delete, {"Delete", "Delete", 46}},
        {Qt::Key_Shift, {"Shift", "ShiftLeft", 16}},        {Qt::Key_Control, {"Control", "ControlLeft", 17}},
        {Qt::Key_Alt, {"Alt", "AltLeft", 18}},              {Qt::Key_Meta, {"Meta", "MetaLeft", 91}},
        {Qt::Key_CapsLock, {"CapsLock", "CapsLock", 20}},   {Qt::Key_F1, {"F1", "F1", 112}},
        {Qt::Key_F2, {"F2", "F2", 113}},                    {Qt::Key_F3, {"F3", "F3", 114}},
        {Qt::Key_F4, {"F4", "F4", 115}},                    {Qt::Key_F5, {"F5", "F5", 116}},
        {Qt::Key_F6, {"F6", "F6", 117}},                    {Qt::Key_F7, {"F7", "F7", 118}},
        {Qt::Key_F8, {"F8", "F8", 119}},                    {Qt::Key_F9, {"F9", "F9", 120}},
        {Qt::Key_F10, {"F10", "F10", 121}},                 {Qt::Key_F11, {"F11", "F11", 122}},
        {Qt::Key_F12, {"F12", "F12", 123}},
    };
    return keys;
}

Qt::CursorShape cursorShape(const QString &cursor)
{
    static const QHash<QString, Qt::CursorShape> shapes = {
        {QStringLiteral("pointer"), Qt::PointingHandCursor}, {QStringLiteral("text"), Qt::IBeamCursor},
        {QStringLiteral("vertical-text"), Qt::IBeamCursor},  {QStringLiteral("crosshair"), Qt::CrossCursor},
        {QStringLiteral("move"), Qt::SizeAllCursor},         {QStringLiteral("all-scroll"), Qt::SizeAllCursor},
        {QStringLiteral("wait"), Qt::WaitCursor},            {QStringLiteral("progress"), Qt::BusyCursor},
        {QStringLiteral("help"), Qt::WhatsThisCursor},       {QStringLiteral("not-allowed"), Qt::ForbiddenCursor},
        {QStringLiteral("no-drop"), Qt::ForbiddenCursor},    {QStringLiteral("grab"), Qt::OpenHandCursor},
        {QStringLiteral("grabbing"), Qt::ClosedHandCursor},  {QStringLiteral("col-resize"), Qt::SplitHCursor},
        {QStringLiteral("row-resize"), Qt::SplitVCursor},    {QStringLiteral("ew-resize"), Qt::SizeHorCursor},
        {QStringLiteral("e-resize"), Qt::SizeHorCursor},     {QStringLiteral("w-resize"), Qt::SizeHorCursor},
        {QStringLiteral("ns-resize"), Qt::SizeVerCursor},    {QStringLiteral("n-resize"), Qt::SizeVerCursor},
        {QStringLiteral("s-resize"), Qt::SizeVerCursor},     {QStringLiteral("nesw-resize"), Qt::SizeBDiagCursor},
        {QStringLiteral("ne-resize"), Qt::SizeBDiagCursor},  {QStringLiteral("sw-resize"), Qt::SizeBDiagCursor},
        {QStringLiteral("nwse-resize"), Qt::SizeFDiagCursor}, {QStringLiteral("nw-resize"), Qt::SizeFDiagCursor},
        {QStringLiteral("se-resize"), Qt::SizeFDiagCursor},  {QStringLiteral("none"), Qt::BlankCursor},
    };
    return shapes.value(cursor, Qt::ArrowCursor);
}

} // namespace

QPointF WebView::pagePoint(const QPointF &point) const
{
    return point / m_page->zoomFactor();
}

void WebView::sendMouse(const QString &type, QMouseEvent *event, int clickCount)
{
    const QPointF point = pagePoint(event->position());
    QJsonObject params{{QStringLiteral("type"), type},
                       {QStringLiteral("x"), point.x()},
                       {QStringLiteral("y"), point.y()},
                       {QStringLiteral("modifiers"), modifiersOf(event->modifiers())},
                       {QStringLiteral("buttons"), buttonsOf(event->buttons())},
                       {QStringLiteral("button"), buttonName(event->button())}};
    if (clickCount > 0)
        params.insert(QStringLiteral("clickCount"), clickCount);
    m_page->sendInput(QStringLiteral("Input.dispatchMouseEvent"), params);
}

void WebView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    sendMouse(QStringLiteral("mousePressed"), event, 1);
}

void WebView::mouseDoubleClickEvent(QMouseEvent *event)
{
    sendMouse(QStringLiteral("mousePressed"), event, 2);
}

void WebView::mouseReleaseEvent(QMouseEvent *event)
{
    sendMouse(QStringLiteral("mouseReleased"), event, 1);
}

void WebView::mouseMoveEvent(QMouseEvent *event)
{
    sendMouse(QStringLiteral("mouseMoved"), event, 0);
    updateCursor(event->position());
}

void WebView::wheelEvent(QWheelEvent *event)
{
    // A notch of the wheel (120) scrolls 100 CSS pixels, as the browser's own windows do.
    const QPointF delta = !event->pixelDelta().isNull() ? QPointF(event->pixelDelta())
                                                         : QPointF(event->angleDelta()) * (100.0 / 120.0);
    const QPointF point = pagePoint(event->position());
    m_page->sendInput(QStringLiteral("Input.dispatchMouseEvent"),
                      {{QStringLiteral("type"), QStringLiteral("mouseWheel")},
                       {QStringLiteral("x"), point.x()},
                       {QStringLiteral("y"), point.y()},
                       {QStringLiteral("deltaX"), -delta.x()},
                       {QStringLiteral("deltaY"), -delta.y()},
                       {QStringLiteral("modifiers"), modifiersOf(event->modifiers())}});
    event->accept();
}

void WebView::sendKey(QKeyEvent *event, bool press)
{
    QJsonObject params{{QStringLiteral("modifiers"), modifiersOf(event->modifiers())},
                       {QStringLiteral("autoRepeat"), event->isAutoRepeat()}};
    const auto named = namedKeys().constFind(event->key());
    const QString text = event->text();
    const bool printable = named == namedKeys().cend() && !text.isEmpty() && text.at(0).isPrint();
    if (named != namedKeys().cend()) {
        params.insert(QStringLiteral("key"), QLatin1String(named->key));
        params.insert(QStringLiteral("code"), QLatin1String(named->code));
        params.insert(QStringLiteral("windowsVirtualKeyCode"), named->windowsCode);
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            params.insert(QStringLiteral("text"), QStringLiteral("\r"));
    } else {
        const int key = event->key();
        const bool letter = key >= Qt::Key_A && key <= Qt::Key_Z;
        const bool digit = key >= Qt::Key_0 && key <= Qt::Key_9;
        params.insert(QStringLiteral("key"), text.isEmpty() ? QKeySequence(key).toString() : text);
        if (letter)
            params.insert(QStringLiteral("code"), QStringLiteral("Key") + QChar(key));
        else if (digit)
            params.insert(QStringLiteral("code"), QStringLiteral("Digit") + QChar(key));
        else if (key == Qt::Key_Space)
            params.insert(QStringLiteral("code"), QStringLiteral("Space"));
        if (letter || digit || key == Qt::Key_Space)
            params.insert(QStringLiteral("windowsVirtualKeyCode"), key);
        // Text goes with the key unless Ctrl or Meta make it a shortcut.
        if (printable && !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))) {
            params.insert(QStringLiteral("text"), text);
            params.insert(QStringLiteral("unmodifiedText"), text);
        }
    }
    QString type = QStringLiteral("keyUp");
    if (press)
        type = params.contains(QStringLiteral("text")) ? QStringLiteral("keyDown") : QStringLiteral("rawKeyDown");
    params.insert(QStringLiteral("type"), type);
    m_page->sendInput(QStringLiteral("Input.dispatchKeyEvent"), params);
}

void WebView::keyPressEvent(QKeyEvent *event)
{
    sendKey(event, true);
    event->accept();
}

void WebView::keyReleaseEvent(QKeyEvent *event)
{
    sendKey(event, false);
    event->accept();
}

bool WebView::focusNextPrevChild(bool)
{
    // Tab moves the focus inside the page, not out of the view.
    return false;
}

void WebView::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty()) {
        m_page->sendInput(QStringLiteral("Input.insertText"), {{QStringLiteral("text"), event->commitString()}});
    } else {
        int cursor = int(event->preeditString().size());
        for (const QInputMethodEvent::Attribute &attribute : event->attributes()) {
            if (attribute.type == QInputMethodEvent::Cursor)
                cursor = attribute.start;
        }
        m_page->sendInput(QStringLiteral("Input.imeSetComposition"), {{QStringLiteral("text"), event->preeditString()},
                                                                     {QStringLiteral("selectionStart"), cursor},
                                                                     {QStringLiteral("selectionEnd"), cursor}});
    }
    event->accept();
}

QVariant WebView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return QRect(mapFromGlobal(QCursor::pos()), QSize(1, 16));
    default:
        return QWidget::inputMethodQuery(query);
    }
}

void WebView::updateCursor(const QPointF &position)
{
    if (!followsPageCursor())
        return;
    // One question at a time; the latest position is asked next.
    m_cursorWanted = position;
    if (m_cursorAsked)
        return;
    m_cursorAsked = true;
    const QPointF asked = position;
    const QPointF point = pagePoint(position);
    m_page->runJavaScript(QStringLiteral("quillmark.cursorAt(%1, %2)").arg(point.x()).arg(point.y()),
                          WebPage::World::Bridge, [this, asked](const QVariant &cursor) {
                              m_cursorAsked = false;
                              if (followsPageCursor())
                                  setCursor(cursorShape(cursor.toString()));
                              if (m_cursorWanted != asked)
                                  updateCursor(m_cursorWanted);
                          });
}
