#pragma once

#include "DOMNodeEx.h"
#include "DOMRowCell.h"

#include <QList>
#include <QPointer>
#include <QTimer>
#include <QVariantMap>
#include <QWidget>

#include <functional>

class QLineEdit;

// The cell of an element row, which edits the element's attributes in place:
// the tag's head ("<div ") stays fixed at the left and the attribute text is
// typed beside it. Each pause of 0.3 s in typing posts "attributeEditChange"
// (the page follows at once, without undo); the end of the edit posts
// "attributeEditEnd" with the attributes taken when it began, which the tree
// makes one undo step of. Return and Escape end the edit while every name
// is valid; otherwise they keep the editor open (Return says why).
class DomNodeRowCell : public DOMRowCell
{
    Q_OBJECT

public:
    // The editor over one row while it is edited.
    class Editor : public QWidget
    {
    public:
        Editor(DOMNodeEx *row, const QFont &font, QWidget *parent);
        ~Editor() override;

        DOMNodeEx *nodeEx() const { return m_row.get(); }
        QString getNodeName() const;
        // "<" and the lower-cased tag name and a blank.
        QString getHead() const;
        double getNodeNamePadding() const;
        // The element's attributes as the editor shows them: each value
        // quoted, with single quotes when it holds a double one.
        QString getAttributeString() const;
        void beginAttributeEdit();
        // Posts the end of the edit, once; the editor may stay until the view closes it.
        void endAttributeEdit();
        void notifyChangeAttribute();
        void notifyEndEditAttribute();
        // Whether every name of the text is one the document takes; the
        // first refused name goes to refused.
        bool validateAttribute(const QString &text, QString *refused = nullptr) const;
        QLineEdit *attributeEditor() const { return m_attributeEditor; }
        QLineEdit *headDisplay() const { return m_headDisplay; }
        const QList<QVariantMap> &oldAttributes() const { return m_oldAttributes; }
        // Called when the edit is to end (Return, Escape, the focus left).
        std::function<void()> finished;

    protected:
        bool eventFilter(QObject *watched, QEvent *event) override;
        void resizeEvent(QResizeEvent *event) override;

    private:
        void createHeadDisplay();
        void createAttributeEditor();
        void controlTextDidChange();

        DOMNodeExPtr m_row;
        QFont m_font;
        QLineEdit *m_headDisplay = nullptr;     // Owned (child).
        QLineEdit *m_attributeEditor = nullptr; // Owned (child).
        QList<QVariantMap> m_oldAttributes;
        QString m_oldAttributesText;
        QTimer m_throttle;
        bool m_editing = false;
    };

    explicit DomNodeRowCell(DomTreeDelegate *domTreeDelegate, QObject *parent = nullptr);
    // The editor open in a view, or null.
    static Editor *editorIn(const QWidget *view);
    ~DomNodeRowCell() override;

    // Whether a row is edited by this cell: an element's opening row.
    static bool isEditableRow(const DOMNodeEx *row);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;
};
