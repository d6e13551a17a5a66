// DomNodeListDelegate: snippets made from DOM rows, rule texts and dropped
// text, and the popover that edits or deletes a snippet.

#include "DomNodeListDelegate.h"

#include "DomTreeDelegate.h"

#include "foundation/StringUtils.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/kit/Alert.h"
#include "platform/kit/ViewController.h"
#include "platform/web/dom/DOMDocument.h"
#include "preview/ExWebView.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/RBLPopover.h"

#include <QComboBox>
#include <QCursor>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

// --- Creating snippets -------------------------------------------------------------------------------------

void DomNodeListDelegate::addSnippetWithNode(DOMNodeEx *row)
{
    if (!row || !m_domTreeDelegate)
        return;
    addSnippet(m_domTreeDelegate->authorsText({row}), QStringLiteral("HTML"));
}

void DomNodeListDelegate::addSnippetwithText(const QString &text)
{
    addSnippet(text, QStringLiteral("Other"));
}

void DomNodeListDelegate::addSnippetWithCSSText(const QString &text)
{
    addSnippet(text, QStringLiteral("CSS"));
}

void DomNodeListDelegate::addSnippet(const QString &text, const QString &category)
{
    // Without the common indentation and the line break it leaves at the end.
    QString body = StringUtils::stringByRemoveIndentToTop(text);
    body.chop(body.endsWith(QLatin1Char('\n')) ? 1 : 0);
    if (body.trimmed().isEmpty())
        return;
    SnippetUtil::createAndAddSnippetTitle(titleWithBody(body), QStringLiteral("No Summary"), category, body);
    alertSnippetSaveFailure();
    showUserSnippetElements(category);
}

void DomNodeListDelegate::alertSnippetSaveFailure()
{
    const QString error = SnippetUtil::lastSaveError();
    if (error.isEmpty())
        return;
    Alert::runSaveFailure(QFileInfo(SnippetUtil::defaultDataPath()).fileName(), error,
                          QStringLiteral("The change is kept until Quillmark quits, but the file keeps the old snippets."));
}

QString DomNodeListDelegate::titleWithBody(const QString &body)
{
    QString title = body;
    title.remove(QStringLiteral("  "));
    title.remove(QLatin1Char('\t'));
    title.remove(QLatin1Char('\r'));
    title.remove(QLatin1Char('\n'));
    return title.left(24);
}

// --- The snippet popover -------------------------------------------------------------------------------------

void DomNodeListDelegate::buildSnippetPopover()
{
    m_snippetEditor = new QWidget;
    m_snippetEditor->setObjectName(QStringLiteral("snippetEditor"));
    auto *layout = new QVBoxLayout(m_snippetEditor);
    auto *form = new QFormLayout;
    m_snippeTitle = new QLineEdit(m_snippetEditor);
    m_snippeTitle->setObjectName(QStringLiteral("snippeTitle"));
    form->addRow(QStringLiteral("Title"), m_snippeTitle);
    m_snippetSummary = new QLineEdit(m_snippetEditor);
    m_snippetSummary->setObjectName(QStringLiteral("snippetSummary"));
    form->addRow(QStringLiteral("Summary"), m_snippetSummary);
    m_snippetLunguage = new QComboBox(m_snippetEditor);
    m_snippetLunguage->setObjectName(QStringLiteral("snippetLunguage"));
    m_snippetLunguage->addItems(SnippetUtil::categories());
    form->addRow(QStringLiteral("Category"), m_snippetLunguage);
    layout->addLayout(form);
    m_snippetBody = new QPlainTextEdit(m_snippetEditor);
    m_snippetBody->setObjectName(QStringLiteral("snippetBody"));
    m_snippetBody->setFont(m_domNodeList->font());
    m_snippetBody->setTabStopDistance(4 * m_snippetBody->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    layout->addWidget(m_snippetBody, 1);
    auto *buttons = new QHBoxLayout;
    auto *remove = new QPushButton(QIcon::fromTheme(QStringLiteral("edit-delete")), QStringLiteral("Delete"), m_snippetEditor);
    remove->setObjectName(QStringLiteral("deleteSnippet"));
    connect(remove, &QPushButton::clicked, this, [this] { deleteSnippet(); });
    buttons->addWidget(remove);
    buttons->addStretch(1);
    auto *done = new QPushButton(QStringLiteral("Done"), m_snippetEditor);
    done->setObjectName(QStringLiteral("snipetDoneEdit"));
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, [this] { snipetDoneEdit(); });
    buttons->addWidget(done);
    layout->addLayout(buttons);

    auto *content = new ViewController(this);
    content->setView(m_snippetEditor);
    m_snippetPopover = new RBLPopover(content, this);
    m_snippetPopover->setContentSize(QSizeF(320, 300));
    m_snippetPopover->setBehavior(RBLPopover::Transient);
    m_snippetPopover->setCanBecomeKey(true);
    m_snippetPopover->setDidShowBlock([this](RBLPopover *) {
        if (m_snippeTitle)
            m_snippeTitle->setFocus();
    });
}

void DomNodeListDelegate::doubleClick()
{
    if (paletteListMode() == Templates)
        return;
    m_doubleClickPoint = QCursor::pos();
    DelayedPerform::cancel(this, "showSnippetPopover", {});
    DelayedPerform::perform(this, "showSnippetPopover", {}, 0.25, [this] { showSnippetPopover(); });
}

void DomNodeListDelegate::showSnippetPopover()
{
    // A pointer that moved since the double click started a drag instead.
    if (QCursor::pos() != m_doubleClickPoint)
        return;
    const Element *element = selectedElement();
    if (!element || !element->snippet || !m_domNodeList)
        return;
    if (!m_snippetPopover)
        buildSnippetPopover();
    const QVariantMap &snippet = *element->snippet;
    m_snippeTitle->setText(snippet.value(QStringLiteral("title")).toString());
    m_snippetSummary->setText(snippet.value(QStringLiteral("summary")).toString());
    m_snippetLunguage->setCurrentText(snippet.value(QStringLiteral("category")).toString());
    m_snippetBody->setPlainText(snippet.value(QStringLiteral("content")).toString());
    const int row = m_domNodeList->selectedRow();
    m_snippetPopover->showRelativeToRect(m_domNodeList->frameOfCellAtColumn(0, row), m_domNodeList->viewport(),
                                         RectEdge::Left);
}

void DomNodeListDelegate::snipetDoneEdit()
{
    const Element *element = selectedElement();
    if (!element || !element->snippet || !m_snippeTitle)
        return;
    QVariantMap &snippet = *element->snippet;
    const QString category = snippet.value(QStringLiteral("category")).toString();
    snippet.insert(QStringLiteral("title"), m_snippeTitle->text());
    snippet.insert(QStringLiteral("summary"), m_snippetSummary->text());
    snippet.insert(QStringLiteral("category"), m_snippetLunguage->currentText());
    snippet.insert(QStringLiteral("content"), m_snippetBody->toPlainText());
    if (!SnippetUtil::save())
        alertSnippetSaveFailure();
    m_snippetPopover->close();
    showUserSnippetElements(category);
}

void DomNodeListDelegate::deleteSnippet()
{
    const Element *element = selectedElement();
    if (!element || !element->snippet)
        return;
    const SnippetPtr snippet = element->snippet;
    SnippetUtil::removeSnippet(snippet);
    if (!SnippetUtil::save())
        alertSnippetSaveFailure();
    showUserSnippetElements(snippet->value(QStringLiteral("category")).toString());
    if (m_snippetPopover)
        m_snippetPopover->close();
}

DOMNodePtr DomNodeListDelegate::getCopy(ExWebView *webview)
{
    DOMDocument *document = webview ? webview->mainFrameDocument() : nullptr;
    DOMNode *html = document ? document->childAt(1) : nullptr;
    if (!html)
        return nullptr;
    for (DOMNode *body = html->firstChild(); body; body = body->nextSibling()) {
        if (body->nodeName().compare(QLatin1String("body"), Qt::CaseInsensitive) != 0)
            continue;
        for (DOMNode *child = body->firstChild(); child; child = child->nextSibling()) {
            if (child->isElement())
                return child->cloneNode(true);
        }
        return nullptr;
    }
    return nullptr;
}
