#include "FileRowCell.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/NamedImage.h"
#include "platform/kit/OutlineView.h"
#include "toolkit/FinderViewTextField.h"
#include "workspace/File.h"

#include <QKeyEvent>
#include <QPainter>

FileRowCell::FileRowCell(QObject *parent)
    : QStyledItemDelegate(parent)
    , m_modifideIcon(NamedImage::templateImage(QString(), QStringLiteral("modified")))
{
}

FileRowCell::~FileRowCell() = default;

FinderViewTextField *FileRowCell::displayField() const
{
    return m_displayField;
}

bool FileRowCell::isModified(const File *file)
{
    // Modified is worked out against the disk text, which may be read lazily.
    return file && const_cast<File *>(file)->isModified();
}

bool FileRowCell::isModifiedIconShown(const File *file) const
{
    return m_markShown.value(file, false);
}

std::optional<int> FileRowCell::stemLength(const QString &name)
{
    // A leading dot starts a hidden name, not an extension.
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == name.size() - 1)
        return std::nullopt;
    const int extension = name.size() - dot - 1;
    if (name.size() <= extension)
        return std::nullopt;
    return name.size() - extension - 1;
}

void FileRowCell::controlDidBecomeFirstResponder(const Notification &notification)
{
    auto *field = notification.objectAs<FinderViewTextField>();
    if (!field)
        return;
    if (const std::optional<int> length = stemLength(field->text()))
        field->setSelection(0, *length);
}

void FileRowCell::paint(QPainter *painter, const QStyleOptionViewItem &option,
                        const QModelIndex &index) const
{
    const auto *file = static_cast<const File *>(OutlineView::itemForIndex(index));
    const bool modified = isModified(file);
    // The mark's state changes only when it differs.
    if (m_markShown.value(file, false) != modified)
        m_markShown.insert(file, modified);

    QStyleOptionViewItem text = option;
    if (modified)
        text.rect.setRight(option.rect.right() - s_markSize - 4);
    QStyledItemDelegate::paint(painter, text, index);
    if (modified) {
        const QRect mark(option.rect.right() - s_markSize - 2, option.rect.center().y() - s_markSize / 2 + 1,
                         s_markSize, s_markSize);
        m_modifideIcon.paint(painter, mark, Qt::AlignCenter,
                             (option.state & QStyle::State_Selected) ? QIcon::Selected : QIcon::Normal);
    }
}

QWidget *FileRowCell::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                   const QModelIndex &) const
{
    auto *field = new FinderViewTextField(parent);
    field->setFrame(false);
    TextFieldDelegate hooks;
    hooks.controlDidBecomeFirstResponder = [cell = const_cast<FileRowCell *>(this)](
                                               const Notification &notification) {
        cell->controlDidBecomeFirstResponder(notification);
    };
    field->setDelegate(std::move(hooks));
    m_displayField = field;
    return field;
}

void FileRowCell::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    QStyledItemDelegate::setEditorData(editor, index);
    if (auto *field = qobject_cast<FinderViewTextField *>(editor)) {
        field->setProperty(s_nameProperty, field->text());
        // Installed after the view's own filter, so it sees Escape first.
        field->installEventFilter(const_cast<FileRowCell *>(this));
    }
}

bool FileRowCell::eventFilter(QObject *object, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        if (auto *field = qobject_cast<FinderViewTextField *>(object))
            field->setText(field->property(s_nameProperty).toString());
    }
    // The view's filter goes on to close the field.
    return false;
}
