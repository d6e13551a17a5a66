#include "LineNumberScrollView.h"

#include "CodeView.h"
#include "LargeTextView.h"
#include "NoodleLineNumberView.h"

#include <QLabel>
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
    connect(view, &CodeView::noticeChanged, this, &LineNumberScrollView::setNotice);
    setNotice(view->textNotice());
    viewDidMoveToSuperview();
    if (m_lineNumberView)
        setupLineNumber();
}

void LineNumberScrollView::setLargeTextView(LargeTextView *view)
{
    if (m_largeTextView == view)
        return;
    delete m_largeTextView;
    m_largeTextView = view;
    if (!view)
        return;
    m_layout->addWidget(view, 1);
    connect(view, &LargeTextView::noticeChanged, this, &LineNumberScrollView::setNotice);
    setNotice(view->textNotice());
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

QString LineNumberScrollView::notice() const
{
    return m_notice && !m_notice->isHidden() ? m_notice->text() : QString();
}

void LineNumberScrollView::setNotice(const QString &text)
{
    if (text.isEmpty()) {
        if (m_notice)
            m_notice->hide();
        return;
    }
    if (!m_notice) {
        m_notice = new QLabel(this);
        m_notice->setObjectName(QStringLiteral("codeNotice"));
        m_notice->setWordWrap(true);
        m_notice->setTextFormat(Qt::PlainText);
        m_notice->setContentsMargins(8, 4, 8, 4);
        m_notice->setAutoFillBackground(true);
        QPalette colors = m_notice->palette();
        colors.setColor(QPalette::Window, QColor(255, 244, 200));
        colors.setColor(QPalette::WindowText, QColor(60, 50, 0));
        m_notice->setPalette(colors);
        // Above the view, below the find bar when there is one.
        m_layout->insertWidget(m_findBarView ? 1 : 0, m_notice);
    }
    m_notice->setText(text);
    m_notice->show();
}
