#pragma once

#include "CodeView.h"
#include "NoodleLineNumberView.h"

#include <QPointer>
#include <QWidget>

class QHBoxLayout;

// The frame around a code view: the view fills it, and the line-number ruler
// stands at its left once setLineNumberVisible(true) installed it.
class LineNumberScrollView : public QWidget
{
    Q_OBJECT

public:
    explicit LineNumberScrollView(QWidget *parent = nullptr);
    ~LineNumberScrollView() override;

    CodeView *documentView() const { return m_documentView; }
    // The view shown; the frame takes ownership.
    void setDocumentView(CodeView *view);

    NoodleLineNumberView *lineNumberView() const { return m_lineNumberView; }
    // True installs the ruler (once); false does nothing.
    void setLineNumberVisible(bool visible);

private:
    QHBoxLayout *m_layout;
    QPointer<CodeView> m_documentView;
    QPointer<NoodleLineNumberView> m_lineNumberView;
};
