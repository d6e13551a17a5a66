#include "DOMInfoCell.h"

#include "DomInfoDelegate.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/DesktopColors.h"

#include <QLineEdit>
#include <QPainter>

DOMInfoCell::DOMInfoCell(DomInfoDelegate *dominfoDelegate, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_dominfoDelegate(dominfoDelegate)
{
}

DOMInfoCell::~DOMInfoCell() = default;

void DOMInfoCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem shown = option;
    initStyleOption(&shown, index);
    if (!(option.state & QStyle::State_Selected)) {
        // Names in slate, values in blue, as on a light desktop.
        const QColor light = index.column() == 0 ? QColor(52, 66, 89) : QColor(56, 107, 218);
        shown.palette.setColor(QPalette::Text, DesktopColors::adapted(light, option.palette));
    }
    QStyledItemDelegate::paint(painter, shown, index);
}

QWidget *DOMInfoCell::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    auto *editor = new QLineEdit(parent);
    editor->setFrame(false);
    const QString name = index.siblingAtColumn(0).data(Qt::DisplayRole).toString();
    const QPointer<DomInfoDelegate> inspector(m_dominfoDelegate);
    connect(editor, &QLineEdit::textEdited, editor, [inspector, name](const QString &text) {
        if (inspector)
            inspector->changeAttrValue(name, text);
    });
    return editor;
}

void DOMInfoCell::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *field = static_cast<QLineEdit *>(editor);
    // The live changes have reached the model already: only a new editor
    // takes the value.
    if (field->isModified())
        return;
    m_oldText = index.data(Qt::EditRole).toString();
    field->setText(m_oldText);
}

void DOMInfoCell::setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &) const
{
    const QString text = static_cast<QLineEdit *>(editor)->text();
    if (text == m_oldText)
        return;
    m_oldText = text;
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("attrChanged"), this);
    if (m_dominfoDelegate)
        m_dominfoDelegate->valueChanged();
}
