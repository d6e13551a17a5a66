#include "DomTextNodeRowCell.h"

#include "DomTreeDelegate.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/OutlineView.h"

#include <QKeyEvent>
#include <QPointer>

namespace {

bool isInScript(const DOMNode *node)
{
    const DOMNode *parent = node ? node->parentNode() : nullptr;
    return parent && parent->nodeName().compare(QLatin1String("script"), Qt::CaseInsensitive) == 0;
}

// edited: the user changed the text (an edit ended without a change is no edit).
void postText(const QString &name, const void *object, const DOMNodePtr &node, bool edited = true)
{
    NotificationCenter::defaultCenter().postNotificationName(
        name, object, {{QStringLiteral("domNode"), QVariant::fromValue(node.get())}, {QStringLiteral("edited"), edited}});
}

} // namespace

DomTextNodeRowCell::Editor::Editor(DomTextNodeRowCell *cell, DOMNodeEx *row, QWidget *parent)
    : QPlainTextEdit(parent)
    , m_cell(cell)
    , m_row(row ? row->shared_from_this() : nullptr)
{
    setObjectName(QStringLiteral("textRowEditor"));
    setFont(cell->domTreeDelegate()->rowMetrics().font);
    setFrameShape(QFrame::NoFrame);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(0);
    setTabChangesFocus(false);
}

DomTextNodeRowCell::Editor::~Editor() = default;

void DomTextNodeRowCell::Editor::beginEdit()
{
    if (m_editing || !m_row)
        return;
    setPlainText(editingText(*m_row));
    // The text starts selected, as a field's does.
    selectAll();
    m_oldText = toPlainText();
    m_oldNodeText = nodeText(*m_row->node());
    m_editing = true;
    connect(this, &QPlainTextEdit::textChanged, this, [this] { controlTextDidChange(); });
    // Installed after the view's own filter, this one sees the keys first:
    // Tab types a tab rather than moving to the next row.
    installEventFilter(this);
    setFocus();
}

void DomTextNodeRowCell::Editor::controlTextDidChange()
{
    if (!m_editing)
        return;
    m_cell->changeNodeText(m_row->sharedNode(), toPlainText());
}

bool DomTextNodeRowCell::Editor::registerEdit()
{
    const QString text = toPlainText();
    if (text == m_oldText)
        return false;
    const DOMNodePtr node = m_row->sharedNode();
    if (InspectUndoManager *undo = DomTreeDelegate::undoManager()) {
        undo->setActionName(QStringLiteral("Edit Text Node"));
        const QPointer<DomTextNodeRowCell> cell(m_cell);
        // The node's own text comes back, not the editor's display of it.
        undo->prepareWithInvocationTarget(m_cell->domTreeDelegate()->undoTarget(node), [cell, node, old = m_oldNodeText] {
            if (cell)
                cell->undoChangeNodeText(node, old);
        });
    }
    m_oldText = text;
    m_oldNodeText = nodeText(*node);
    return true;
}

void DomTextNodeRowCell::Editor::endEdit()
{
    if (!m_editing)
        return;
    m_editing = false;
    const bool edited = registerEdit();
    postText(QStringLiteral("domTextChanged"), m_cell, m_row->sharedNode(), edited);
}

void DomTextNodeRowCell::Editor::notifySplit()
{
    const QString text = toPlainText();
    const int caret = textCursor().position();
    QM_DEBUG(QStringLiteral("option %1").arg(caret));
    // The typing so far and the split are one undo step.
    m_editing = false;
    registerEdit();
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("domTextSplit"), this,
        {{QStringLiteral("text"), text},
         {QStringLiteral("range"),
          QVariantMap{{QStringLiteral("location"), caret}, {QStringLiteral("length"), int(text.size())}}}});
    if (finished)
        finished();
}

bool DomTextNodeRowCell::Editor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != this || event->type() != QEvent::KeyPress || !m_editing)
        return QPlainTextEdit::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Tab) {
        insertPlainText(QStringLiteral("\t"));
        return true;
    }
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    const DOMNode *node = m_row->node();
    if (!(key->modifiers() & Qt::AltModifier)) {
        // Return ends the edit, as in a field.
        if (finished)
            finished();
    } else if (node && isInScript(node)) {
        insertPlainText(QStringLiteral("\n"));
    } else if (node && !node->isComment()) {
        notifySplit();
    }
    return true;
}

// --- The cell ----------------------------------------------------------------------------------------

DomTextNodeRowCell::DomTextNodeRowCell(DomTreeDelegate *domTreeDelegate, QObject *parent)
    : DOMRowCell(domTreeDelegate, parent)
{
}

DomTextNodeRowCell::~DomTextNodeRowCell() = default;

DomTextNodeRowCell::Editor *DomTextNodeRowCell::editorIn(const QWidget *view)
{
    return dynamic_cast<Editor *>(openEditorIn(view, QStringLiteral("textRowEditor")));
}

QString DomTextNodeRowCell::editingText(const DOMNodeEx &row)
{
    const DOMNode *node = row.node();
    if (!node)
        return {};
    if (node->isComment())
        return QStringLiteral("<!--%1-->").arg(node->nodeValue());
    if (isInScript(node))
        return node->textContent();
    return row.displayName();
}

QString DomTextNodeRowCell::getCommentBody(const QString &text)
{
    const qsizetype open = text.indexOf(QLatin1String("<!--"));
    const qsizetype close = text.indexOf(QLatin1String("-->"));
    if (open < 0 || close < 0 || close < open + 4)
        return text;
    return text.mid(open + 4, close - open - 4);
}

void DomTextNodeRowCell::changeNodeText(const DOMNodePtr &node, const QString &text)
{
    DomTreeDelegate *tree = domTreeDelegate();
    if (!node)
        return;
    const bool wasIgnoring = tree->ignoreDomModify();
    tree->setIgnoreDomModify(true);
    if (node->isText())
        node->setTextContent(text);
    else if (node->isComment())
        node->setNodeValue(getCommentBody(text));
    tree->setIgnoreDomModify(wasIgnoring);
    InspectUndoManager *undo = DomTreeDelegate::undoManager();
    if (!undo || !(undo->isUndoing() || undo->isRedoing()))
        postText(QStringLiteral("domTextChange"), this, node);
}

QString DomTextNodeRowCell::nodeText(const DOMNode &node)
{
    return node.isComment() ? QStringLiteral("<!--%1-->").arg(node.nodeValue()) : node.textContent();
}

void DomTextNodeRowCell::undoChangeNodeText(const DOMNodePtr &node, const QString &text)
{
    const QString current = nodeText(*node);
    changeNodeText(node, text);
    postText(QStringLiteral("domTextChanged"), this, node);
    if (InspectUndoManager *undo = DomTreeDelegate::undoManager()) {
        const QPointer<DomTextNodeRowCell> cell(this);
        undo->prepareWithInvocationTarget(domTreeDelegate()->undoTarget(node), [cell, node, current] {
            if (cell)
                cell->undoChangeNodeText(node, current);
        });
    }
}

QWidget *DomTextNodeRowCell::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    auto *row = static_cast<DOMNodeEx *>(OutlineView::itemForIndex(index));
    if (!row || !row->node() || !row->node()->isCharacterData() || row->isInReference())
        return nullptr;
    // A text the file does not hold is the page script's: typing into it
    // could not reach the file.
    if (!domTreeDelegate()->canWriteEditsOf({row->node()}))
        return nullptr;
    auto *self = const_cast<DomTextNodeRowCell *>(this);
    auto *editor = new Editor(self, row, parent);
    editor->finished = closerOf(editor);
    return editor;
}

void DomTextNodeRowCell::setEditorData(QWidget *editor, const QModelIndex &) const
{
    auto *text = dynamic_cast<Editor *>(editor);
    if (!text)
        return;
    text->beginEdit();
    // The row, one line until now, shows the text whole while it is edited.
    domTreeDelegate()->setRowEditedInPlace(text->nodeEx());
}

void DomTextNodeRowCell::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    if (auto *text = dynamic_cast<Editor *>(editor))
        text->endEdit();
    domTreeDelegate()->setRowEditedInPlace(nullptr);
    DOMRowCell::destroyEditor(editor, index);
}
