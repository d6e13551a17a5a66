#pragma once

#include "StyleEditorView.h"

#include "interfaces/StyleEditorInterface.h"

#include <QObject>
#include <QPointer>

#include <functional>


// The content of the rules panel's value popover: chooses the editor of a
// property (typeByProp(), by exact, case-sensitive name) and installs a
// fresh one for each opening, deleting the one before. A type whose editor
// is not built here answers "noEditor", so the panel never opens an empty
// popover. The view is the controller's; the popover only shows it.
class StyleEditorViewController : public QObject, public StyleEditorInterface
{
    Q_OBJECT

public:
    explicit StyleEditorViewController(QObject *parent = nullptr);
    ~StyleEditorViewController() override;

    // The type of the table, whether or not its editor is built.
    static QString tableTypeByProp(const QString &property);

    QString typeByProp(const QString &property) const override;
    bool isEditable(const QString &property) const override;
    void initializeEditorView(const QString &property, const QString &value) override;
    QWidget *view() override;

    // A new editor of the type, or null.
    StyleEditorView *getEditorViewByType(const QString &type) const;
    // The editor of the last opening, or null.
    StyleEditorView *editorView() const { return m_editor; }

private:
    QPointer<QWidget> m_view;           // Owned, unless a popover that still holds it deleted it.
    QPointer<StyleEditorView> m_editor; // Owned (child of the view).
};
