#pragma once

#include <QHash>
#include <QIcon>
#include <QPointer>
#include <QStyledItemDelegate>

#include <functional>
#include <optional>

class File;
class FinderViewTextField;
class ProjectDelegate;
struct Notification;

// The cell of the file-tree rows (registered for "RootItemCell" and
// "ItemCell"): the row's icon and name, and a mark at its end while the file
// has unsaved changes. The name is renamed in place in a FinderViewTextField
// (displayField), which selects the name without its extension when it gets
// the focus. One cell draws every row; it keeps per file whether the mark was
// last shown.
class FileRowCell : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit FileRowCell(QObject *parent = nullptr);
    ~FileRowCell() override;

    ProjectDelegate *projectDelegate() const { return m_projectDelegate; }
    void setProjectDelegate(ProjectDelegate *delegate) { m_projectDelegate = delegate; }
    QIcon modifideIcon() const { return m_modifideIcon; }
    // The name field of the row being renamed, else null.
    FinderViewTextField *displayField() const;

    static bool isModified(const File *file);

    // Whether the mark was shown when the file's row was last drawn.
    bool isModifiedIconShown(const File *file) const;

    // The name field got the focus: the name without its final dot and
    // extension is selected.
    void controlDidBecomeFirstResponder(const Notification &notification);
    // The length of that part of a name, when the name has an extension.
    static std::optional<int> stemLength(const QString &name);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;

protected:
    // Escape gives the field its name back before the editing ends, so
    // that nothing is renamed.
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    static constexpr int s_markSize = 12;
    // The name the field started with.
    static constexpr const char *s_nameProperty = "quillmarkName";

    ProjectDelegate *m_projectDelegate = nullptr; // Not owned.
    QIcon m_modifideIcon;
    mutable QPointer<FinderViewTextField> m_displayField;
    mutable QHash<const File *, bool> m_markShown;
};
