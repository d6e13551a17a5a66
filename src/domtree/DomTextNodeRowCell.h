#pragma once

#include "DOMNodeEx.h"
#include "DOMRowCell.h"

#include <QPlainTextEdit>

#include <functional>

// The cell of a text or comment row, which edits the node's text in place.
// Every change reaches the page at once ("domTextChange"); the end of the
// edit is one undo step, "Edit Text Node" ("domTextChanged"). Return ends
// the edit; Alt+Return splits a text with a line break element
// ("domTextSplit"), or starts a new line inside a script; Tab types a tab;
// Escape and leaving the row end the edit too.
class DomTextNodeRowCell : public DOMRowCell
{
    Q_OBJECT

public:
    // The editor over one row while it is edited.
    class Editor : public QPlainTextEdit
    {
    public:
        Editor(DomTextNodeRowCell *cell, DOMNodeEx *row, QWidget *parent);
        ~Editor() override;

        DOMNodeEx *nodeEx() const { return m_row.get(); }
        // Makes the field the keyboard's, holding the row's text.
        void beginEdit();
        // Ends the edit: one undo step when the text changed. Once.
        void endEdit();
        // Asks the tree to split the text at the caret, then ends the edit.
        void notifySplit();
        std::function<void()> finished;

    protected:
        bool eventFilter(QObject *watched, QEvent *event) override;

    private:
        void controlTextDidChange();
        // Whether the text changed since the edit began (or was last registered).
        bool registerEdit();

        DomTextNodeRowCell *m_cell; // Not owned; the cell that made the editor.
        DOMNodeExPtr m_row;
        QString m_oldText;
        // The node's text when the edit began or was last registered.
        QString m_oldNodeText;
        bool m_editing = false;
    };

    explicit DomTextNodeRowCell(DomTreeDelegate *domTreeDelegate, QObject *parent = nullptr);
    // The editor open in a view, or null.
    static Editor *editorIn(const QWidget *view);
    ~DomTextNodeRowCell() override;

    // The text an editor of the row starts with.
    static QString editingText(const DOMNodeEx &row);
    // A node's text as changeNodeText takes it (a comment with its markers).
    static QString nodeText(const DOMNode &node);
    // Writes a text into a text or comment node.
    void changeNodeText(const DOMNodePtr &node, const QString &text);
    // The undo and redo step of a text edit.
    void undoChangeNodeText(const DOMNodePtr &node, const QString &text);
    // The body of a comment's text: between its first "<!--" and "-->".
    static QString getCommentBody(const QString &text);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;
};
