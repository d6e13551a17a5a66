#include "LineNumberScrollView.h"

#include "CodeView.h"
#include "NoodleLineNumberView.h"

#include <QHBoxLayout>

LineNumberScrollView::LineNumberScrollView(QWidget *parent)
    : QWidget(parent)
    , m_layout(new QHBoxLayout(this))
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
}

LineNumberScrollView::~LineNumberScrollView() = default;

void LineNumberScrollView::setDocumentView(CodeView *view)
{
    if (m_documentView == view)
        return;
    delete m_documentView;
    m_documentView = view;
    if (view)
        m_layout->addWidget(view, 1);
    if (m_lineNumberView)
        m_lineNumberView->setClientView(view);
}

void LineNumberScrollView::setLineNumberVisible(bool visible)
{
    if (!visible || m_lineNumberView)
        return;
    m_lineNumberView = new NoodleLineNumberView(this);
    m_lineNumberView->setClientView(m_documentView);
    m_layout->insertWidget(0, m_lineNumberView);
}
