#include "DomNodeRowCell.h"

#include "DOMNodeTextinput.h"
#include "DomNodeRowFormatter.h"
#include "DomTreeDelegate.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/OutlineView.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

QLineEdit *makeField(QLineEdit *field, const QFont &font)
{
    field->setFont(font);
    field->setFrame(false);
    field->setAttribute(Qt::WA_MacShowFocusRect, false);
    field->setTextMargins(0, 0, 0, 0);
    return field;
}

} // namespace

DomNodeRowCell::Editor::Editor(DOMNodeEx *row, const QFont &font, QWidget *parent)
    : QWidget(parent)
    , m_row(row ? row->shared_from_this() : nullptr)
    , m_font(font)
{
    setObjectName(QStringLiteral("attributeRowEditor"));
    setAutoFillBackground(true);
    m_throttle.setSingleShot(true);
    m_throttle.setInterval(300);
    QObject::connect(&m_throttle, &QTimer::timeout, this, [this] { notifyChangeAttribute(); });
}

DomNodeRowCell::Editor::~Editor() = default;

QString DomNodeRowCell::Editor::getNodeName() const
{
    return m_row && m_row->node() ? m_row->node()->nodeName() : QString();
}

QString DomNodeRowCell::Editor::getHead() const
{
    return QStringLiteral("<%1 ").arg(getNodeName().toLower());
}

double DomNodeRowCell::Editor::getNodeNamePadding() const
{
    return QFontMetricsF(m_font).horizontalAdvance(getHead());
}

QString DomNodeRowCell::Editor::getAttributeString() const
{
    // Built from the attributes themselves, not from the row's text, so that
    // "<", ">" and "/>" inside a value survive the edit.
    QStringList parts;
    const QList<QVariantMap> attributes = m_row && m_row->node() ? m_row->node()->attributeList() : QList<QVariantMap>();
    for (const QVariantMap &attribute : attributes) {
        const QString name = attribute.value(QStringLiteral("name")).toString();
        const QString value = attribute.value(QStringLiteral("value")).toString();
        if (value.isEmpty())
            parts.append(name);
        else if (value.contains(QLatin1Char('"')))
            parts.append(QStringLiteral("%1='%2'").arg(name, value));
        else
            parts.append(QStringLiteral("%1=\"%2\"").arg(name, value));
    }
    return parts.join(QLatin1Char(' '));
}

void DomNodeRowCell::Editor::createHeadDisplay()
{
    m_headDisplay = makeField(new QLineEdit(this), m_font);
    m_headDisplay->setReadOnly(true);
    m_headDisplay->setFocusPolicy(Qt::NoFocus);
    m_headDisplay->setText(getHead());
}

void DomNodeRowCell::Editor::createAttributeEditor()
{
    // The tree's own field: a row is edited on one line.
    m_attributeEditor = makeField(new DOMNodeTextinput(this), m_font);
    m_attributeEditor->setObjectName(QStringLiteral("attributeEditor"));
    m_attributeEditor->installEventFilter(this);
    setFocusProxy(m_attributeEditor);
}

void DomNodeRowCell::Editor::beginAttributeEdit()
{
    if (m_editing || !m_row)
        return;
    createHeadDisplay();
    createAttributeEditor();
    m_attributeEditor->setText(DomNodeRowFormatter::editingStringForObjectValue(getAttributeString()));
    m_attributeEditor->end(false);
    m_oldAttributes = m_row->node() ? m_row->node()->attributeList() : QList<QVariantMap>();
    m_oldAttributesText = m_attributeEditor->text();
    QObject::connect(m_attributeEditor, &QLineEdit::textEdited, this, [this] { controlTextDidChange(); });
    m_editing = true;
    resizeEvent(nullptr);
    m_attributeEditor->setFocus();
}

void DomNodeRowCell::Editor::resizeEvent(QResizeEvent *)
{
    if (!m_headDisplay || !m_attributeEditor)
        return;
    const int padding = int(getNodeNamePadding());
    m_headDisplay->setGeometry(0, 0, padding + 1, height());
    m_attributeEditor->setGeometry(padding, 0, qMax(0, width() - padding), height());
}

void DomNodeRowCell::Editor::controlTextDidChange()
{
    m_throttle.start();
}

bool DomNodeRowCell::Editor::validateAttribute(const QString &text, QString *refused) const
{
    const DOMDocument *document = m_row && m_row->node() ? m_row->node()->ownerDocument() : nullptr;
    if (!document)
        return false;
    if (const std::optional<DOMAttributeError> error = document->validateAttribute(text)) {
        QM_DEBUG(QStringLiteral("Attributes Validation Error"));
        if (refused)
            *refused = error->attributeName;
        return false;
    }
    return true;
}

void DomNodeRowCell::Editor::notifyChangeAttribute()
{
    if (!m_editing)
        return;
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("attributeEditChange"), this,
        {{QStringLiteral("node"), QVariant::fromValue(m_row.get())},
         {QStringLiteral("attributeText"), m_attributeEditor->text()}});
}

void DomNodeRowCell::Editor::notifyEndEditAttribute()
{
    QVariantList old;
    for (const QVariantMap &attribute : std::as_const(m_oldAttributes))
        old.append(attribute);
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("attributeEditEnd"), this,
        {{QStringLiteral("node"), QVariant::fromValue(m_row.get())},
         {QStringLiteral("attributeText"), m_attributeEditor->text()},
         {QStringLiteral("oldAttribute"), old},
         {QStringLiteral("oldAttributeText"), m_oldAttributesText}});
}

void DomNodeRowCell::Editor::endAttributeEdit()
{
    if (!m_editing)
        return;
    m_editing = false;
    m_throttle.stop();
    // Text that is still invalid when the editor goes ends as the edit began.
    if (!validateAttribute(m_attributeEditor->text()))
        m_attributeEditor->setText(m_oldAttributesText);
    notifyEndEditAttribute();
}

bool DomNodeRowCell::Editor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_attributeEditor || !m_editing)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool isReturn = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!isReturn && key->key() != Qt::Key_Escape)
            return false;
        QString refused;
        if (validateAttribute(m_attributeEditor->text(), &refused)) {
            if (finished)
                finished();
        } else if (isReturn) {
            DomTreeDelegate::showInvalidAttributeAlert(refused);
        }
        return true;
    }
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // The alert of an invalid name takes the focus for a moment only.
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason && finished)
            finished();
    }
    return false;
}

// --- The cell ----------------------------------------------------------------------------------------

DomNodeRowCell::DomNodeRowCell(DomTreeDelegate *domTreeDelegate, QObject *parent)
    : DOMRowCell(domTreeDelegate, parent)
{
}

DomNodeRowCell::~DomNodeRowCell() = default;

DomNodeRowCell::Editor *DomNodeRowCell::editorIn(const QWidget *view)
{
    return dynamic_cast<Editor *>(openEditorIn(view, QStringLiteral("attributeRowEditor")));
}

bool DomNodeRowCell::isEditableRow(const DOMNodeEx *row)
{
    return row && row->node() && row->node()->isElement() && !row->isCloseNode() && !row->isReferenceNode()
        && !row->isInReference();
}

QWidget *DomNodeRowCell::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    auto *row = static_cast<DOMNodeEx *>(OutlineView::itemForIndex(index));
    if (!isEditableRow(row))
        return nullptr;
    auto *editor = new Editor(row, domTreeDelegate()->rowMetrics().font, parent);
    editor->finished = closerOf(editor);
    return editor;
}

void DomNodeRowCell::setEditorData(QWidget *editor, const QModelIndex &) const
{
    if (auto *attributes = dynamic_cast<Editor *>(editor))
        attributes->beginAttributeEdit();
}

void DomNodeRowCell::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    if (auto *attributes = dynamic_cast<Editor *>(editor))
        attributes->endAttributeEdit();
    DOMRowCell::destroyEditor(editor, index);
}
