#include "CodeView.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "workspace/File.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>

namespace {

bool isUndoKey(const QKeyEvent *event)
{
    return event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo);
}

} // namespace

CodeView::CodeView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("codeView"));
    // The shared undo manager keeps the steps, with the File's content.
    setUndoRedoEnabled(false);
    setFrameShape(QFrame::NoFrame);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    setFont(font);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabStopDistance(36.0);
    setCenterOnScroll(false);

    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_settingText)
            didChangeText();
    });
    connect(this, &QPlainTextEdit::updateRequest, this, [this] { Q_EMIT textAreaUpdated(); });

    NotificationCenter::defaultCenter().addObserver(
        this, QStringLiteral("reloadContent"), nullptr, [this](const Notification &notification) {
            if (m_file && notification.object == m_file.data() && !m_settingText)
                reloadContent();
        });
}

CodeView::~CodeView()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

void CodeView::setFile(File *file)
{
    m_file = file;
}

QRectF CodeView::textBlockGeometry(const QTextBlock &block) const
{
    return blockBoundingGeometry(block).translated(contentOffset());
}

void CodeView::setTextSilently(const QString &text)
{
    const bool was = m_settingText;
    m_settingText = true;
    setPlainText(text);
    m_settingText = was;
}

void CodeView::reloadContent()
{
    if (!m_file)
        return;
    const QString text = m_file->currentContent().value_or(QString());
    if (text == toPlainText())
        return;
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    const int scroll = verticalScrollBar()->value();
    setTextSilently(text);
    // The selection comes back when the new text still reaches past its end.
    if (text.size() > end) {
        cursor = textCursor();
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        setTextCursor(cursor);
    }
    verticalScrollBar()->setValue(scroll);
}

void CodeView::didChangeText()
{
    if (!m_file)
        return;
    InspectUndoManager *undo = File::sharedUndoManager();
    if (undo)
        undo->setActionName(QStringLiteral("type"));
    m_settingText = true;
    m_file->setContent(toPlainText());
    m_settingText = false;
    if (undo)
        undo->reserveCloseGroupingAtEndOfRunLoop();
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("refreshFileContent"), this, {{QStringLiteral("file"), QVariant::fromValue(m_file.data())}});
}

bool CodeView::save(Qt::KeyboardModifiers modifiers)
{
    if (!m_file)
        return false;
    File *file = m_file;
    m_settingText = true;
    file->setContent(toPlainText());
    m_settingText = false;
    if (!file->save()) {
        Alert alert;
        alert.setMessageText(QStringLiteral("\"%1\" could not be saved.").arg(file->displayName()));
        alert.setInformativeText(file->lastSaveError());
        alert.addButtonWithTitle(QStringLiteral("OK"));
        alert.runModal(window());
        return false;
    }
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.postNotificationName(QStringLiteral("fileSavedByCommandS"), this);
    if (modifiers & Qt::ShiftModifier)
        center.postNotificationName(QStringLiteral("saveAndRefresh"), this);
    return true;
}

bool CodeView::event(QEvent *event)
{
    // Undo and Redo belong to the shared history: leave their keys to the
    // menu rather than take them as editing keys.
    if (event->type() == QEvent::ShortcutOverride && isUndoKey(static_cast<QKeyEvent *>(event))) {
        event->ignore();
        return true;
    }
    return QPlainTextEdit::event(event);
}

void CodeView::keyPressEvent(QKeyEvent *event)
{
    // Reached only where no menu holds the keys.
    if (isUndoKey(event)) {
        if (InspectUndoManager *undo = File::sharedUndoManager()) {
            if (event->matches(QKeySequence::Undo) && undo->canUndo())
                undo->undo();
            else if (event->matches(QKeySequence::Redo) && undo->canRedo())
                undo->redo();
        }
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void CodeView::focusInEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusInEvent(event);
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("codeViewBecameFirstResponder"), this,
        {{QStringLiteral("file"), QVariant::fromValue(m_file.data())},
         {QStringLiteral("textView"), QVariant::fromValue(static_cast<QObject *>(this))}});
}
