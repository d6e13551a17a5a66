#include "LineNumberScrollView.h"

#include "CodeView.h"
#include "NoodleLineNumberView.h"

#include <QVBoxLayout>

LineNumberScrollView::LineNumberScrollView(QWidget *parent)
    : QWidget(parent)
    , m_layout(new QVBoxLayout(this))
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
    if (!view)
        return;
    m_layout->addWidget(view, 1);
    viewDidMoveToSuperview();
    if (m_lineNumberView)
        setupLineNumber();
}

void LineNumberScrollView::viewDidMoveToSuperview()
{
    if (m_documentView)
        m_documentView->setAcceptDrops(true);
}

void LineNumberScrollView::setLineNumberVisible(bool visible)
{
    if (visible)
        setupLineNumber();
}

void LineNumberScrollView::setupLineNumber()
{
    if (!m_documentView)
        return;
    delete m_lineNumberView;
    m_lineNumberView = new NoodleLineNumberView(this);
    m_lineNumberView->setBackgroundColor(QColor::fromRgbF(250 / 255.0f, 250 / 255.0f, 250 / 255.0f, 1.0f));
    m_lineNumberView->setFont(CodeView::menloFont(10.0));
    m_documentView->setRulerView(m_lineNumberView);
    m_documentView->setRulerThickness(m_lineNumberView->requiredThickness());
    m_lineNumberView->show();
}

void LineNumberScrollView::removeLineNumber()
{
    if (m_documentView)
        m_documentView->setRulerThickness(0);
}

void LineNumberScrollView::setFindBarView(QWidget *bar)
{
    if (m_findBarView == bar)
        return;
    delete m_findBarView;
    m_findBarView = bar;
    if (bar) {
        m_layout->insertWidget(0, bar);
        bar->hide();
    }
}

bool LineNumberScrollView::isFindBarVisible() const
{
    return m_findBarView && !m_findBarView->isHidden();
}

void LineNumberScrollView::setFindBarVisible(bool visible)
{
    if (m_findBarView)
        m_findBarView->setVisible(visible);
}
