#include "WebView.h"

#include "ChromiumProcess.h"
#include "WebBridge.h"
#include "WebEngineCache.h"
#include "WebFrameMirror.h"
#include "WebPreferences.h"

#include "platform/foundation/Log.h"

#include <QBoxLayout>
#include <QChildEvent>
#include <QCheckBox>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QInputDialog>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>

WebView::WebView(QWidget *parent, WebPage::BrowserContext context)
    : QWidget(parent), m_page(new WebPage(this, context))
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_unavailable = ChromiumProcess::instance().errorString();
    connect(&ChromiumProcess::instance(), &ChromiumProcess::failedToStart, this, [this](const QString &message) {
        m_unavailable = message;
        update();
    });
    connect(m_page, &WebPage::frameArrived, this, &WebView::showFrame);
    // A picture whose renderer is gone may be of the page before (#80).
    connect(m_page, &WebPage::rendererGone, this, [this] {
        m_frame = QImage();
        update();
    });
    connect(m_page, &WebPage::dialogRequested, this, &WebView::openDialog);
    connect(m_page, &WebPage::dialogClosed, this, &WebView::closeDialog);
    connect(m_page, &WebPage::fileChooserRequested, this, &WebView::openFileChooser);
    makeNotRespondingBar();
    makeNoticeBar();
    connect(m_page, &WebPage::respondingChanged, this, [this](bool responding) {
        m_notResponding->setVisible(!responding);
        placeBars();
    });
    m_page->setViewport(size(), devicePixelRatioF());
}

WebView::~WebView()
{
    delete m_dialog;
}

WebBridge &WebView::bridge() const
{
    return m_page->bridge();
}

WebPreferences &WebView::preferences() const
{
    return m_page->preferences();
}

WebFrameMirror &WebView::mainFrame() const
{
    return bridge().mainFrameRecord();
}

DOMDocument *WebView::mainFrameDocument() const
{
    return mainFrame().document();
}

QString WebView::mainFrameURL() const
{
    return m_page->url().toString();
}

void WebView::setMainFrameURL(const QString &url)
{
    m_page->load(QUrl::fromUserInput(url));
}

void WebView::showFrame(const QImage &image, const WebFrameMetadata &metadata)
{
    const bool scrolled = metadata.scrollX != m_metadata.scrollX || metadata.scrollY != m_metadata.scrollY
        || metadata.pageScale != m_metadata.pageScale;
    m_frame = image;
    m_metadata = metadata;
    ++m_framesShown;
    if (scrolled) {
        for (WebFrameMirror *frame : bridge().frames())
            frame->engine()->invalidateScroll();
    }
    update();
    Q_EMIT frameShown(metadata);
}

void WebView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!m_frame.isNull()) {
        painter.drawImage(QRectF(QPointF(0, 0), m_frame.deviceIndependentSize()), m_frame);
        // Until the next frame comes after a resize, the rest stays white.
        const QSizeF shown = m_frame.deviceIndependentSize();
        if (shown.width() < width())
            painter.fillRect(QRectF(shown.width(), 0, width() - shown.width(), height()), Qt::white);
        if (shown.height() < height())
            painter.fillRect(QRectF(0, shown.height(), shown.width(), height() - shown.height()), Qt::white);
        return;
    }
    painter.fillRect(rect(), Qt::white);
    if (!m_unavailable.isEmpty()) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(rect().adjusted(24, 24, -24, -24), Qt::AlignCenter | Qt::TextWordWrap, m_unavailable);
    }
}

void WebView::makeNotRespondingBar()
{
    m_notResponding = new QFrame(this);
    m_notResponding->setObjectName(QStringLiteral("pageNotResponding"));
    m_notResponding->setAutoFillBackground(true);
    static_cast<QFrame *>(m_notResponding)->setFrameShape(QFrame::StyledPanel);
    auto *layout = new QHBoxLayout(m_notResponding);
    layout->setContentsMargins(10, 4, 6, 4);
    auto *label = new QLabel(tr("The page is not responding"), m_notResponding);
    auto *stop = new QPushButton(tr("Stop Page"), m_notResponding);
    stop->setObjectName(QStringLiteral("stopPage"));
    layout->addWidget(label, 1);
    layout->addWidget(stop);
    connect(stop, &QPushButton::clicked, m_page, &WebPage::stopUnresponsivePage);
    m_notResponding->hide();
}

void WebView::makeNoticeBar()
{
    auto *bar = new QFrame(this);
    bar->setObjectName(QStringLiteral("previewNotice"));
    bar->setAutoFillBackground(true);
    bar->setFrameShape(QFrame::StyledPanel);
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(10, 4, 6, 4);
    // Two lines at most: a message longer than that is cut short but for
    // its last sentence, and reads whole in its tool tip.
    m_noticeText = new QLabel(bar);
    m_noticeText->setObjectName(QStringLiteral("previewNoticeText"));
    m_noticeText->setTextFormat(Qt::PlainText);
    m_noticeText->setWordWrap(true);
    m_noticeText->setMinimumWidth(0);
    m_noticeText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *close = new QPushButton(tr("Close"), bar);
    close->setObjectName(QStringLiteral("closePreviewNotice"));
    layout->addWidget(m_noticeText, 1);
    layout->addWidget(close);
    connect(close, &QPushButton::clicked, this, &WebView::hideNotice);
    m_noticeBar = bar;
    m_noticeBar->hide();
}

void WebView::showNotice(const QString &message)
{
    if (message != m_notice || !m_noticeBar->isVisibleTo(this))
        QM_INFO(QStringLiteral("the preview says: %1").arg(message));
    m_notice = message;
    m_noticeBar->show();
    placeBars();
}

void WebView::hideNotice()
{
    m_notice.clear();
    m_noticeText->clear();
    m_noticeBar->hide();
}

QString WebView::notice() const
{
    return m_noticeBar->isVisibleTo(this) ? m_notice : QString();
}

bool WebView::isCoveredAt(const QPoint &point) const
{
    for (const QWidget *bar : {m_notResponding, m_noticeBar}) {
        if (bar->isVisibleTo(this) && bar->geometry().contains(point))
            return true;
    }
    return false;
}

QString WebView::noticeShown(const QString &message, const QFontMetricsF &metrics, double width)
{
    // Lines as a label wraps them at word boundaries.
    const auto wrappedLines = [&metrics, width](const QString &text) {
        const QRectF bounds = metrics.boundingRect(QRectF(0, 0, std::max(1.0, width), 1e6),
                                                   Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
        return int(std::lround(bounds.height() / metrics.lineSpacing()));
    };
    // A text on two lines: the words the first holds, the rest cut short.
    const auto twoLines = [&metrics, width](const QString &text) {
        qsizetype head = 0;
        for (qsizetype blank = text.indexOf(QLatin1Char(' ')); blank > 0 && metrics.horizontalAdvance(text.left(blank)) <= width;
             blank = text.indexOf(QLatin1Char(' '), blank + 1))
            head = blank;
        if (head == 0)
            return metrics.elidedText(text, Qt::ElideRight, width);
        return text.left(head) + QLatin1Char('\n') + metrics.elidedText(text.mid(head + 1), Qt::ElideRight, width);
    };
    if (width <= 0 || wrappedLines(message) <= 2)
        return message;
    // The last sentence says what the user is left with: it keeps the
    // second line and the ones before it share the first; where it needs
    // both lines itself, it has them.
    static const QRegularExpression s_sentenceEnd(QStringLiteral("(?<=[.!?])\\s+(?=\\S)"));
    QStringList sentences = message.split(s_sentenceEnd);
    const QString last = sentences.takeLast();
    if (sentences.isEmpty() || wrappedLines(last) > 1)
        return twoLines(last);
    return metrics.elidedText(sentences.join(QLatin1Char(' ')), Qt::ElideRight, width) + QLatin1Char('\n') + last;
}

void WebView::placeBars()
{
    // The message's text follows the bar's width, and the bar's height its text.
    if (m_noticeBar->isVisibleTo(this)) {
        m_noticeBar->resize(width(), m_noticeBar->height());
        m_noticeBar->layout()->activate();
        const QString shown = noticeShown(m_notice, QFontMetricsF(m_noticeText->font()), m_noticeText->width());
        m_noticeText->setText(shown);
        m_noticeText->setToolTip(shown == m_notice ? QString() : m_notice);
    }
    int top = 0;
    for (QWidget *bar : {m_notResponding, m_noticeBar}) {
        if (!bar->isVisibleTo(this))
            continue;
        const int height = bar->hasHeightForWidth() ? bar->heightForWidth(width()) : bar->sizeHint().height();
        bar->setGeometry(0, top, width(), height);
        top += height;
    }
    raiseBars();
}

void WebView::raiseBars()
{
    // Raising a bar tells this view again.
    if (m_raisingBars)
        return;
    m_raisingBars = true;
    for (QWidget *bar : {m_notResponding, m_noticeBar}) {
        if (bar)
            bar->raise();
    }
    m_raisingBars = false;
}

void WebView::childEvent(QChildEvent *event)
{
    QWidget::childEvent(event);
    // What a subclass or a caller lays over the page (an overlay, a handle)
    // stays under the bars, so that their text is read and their buttons
    // take the clicks.
    if (event->added() && event->child()->isWidgetType()) {
        event->child()->installEventFilter(this);
        raiseBars();
    }
}

bool WebView::eventFilter(QObject *watched, QEvent *event)
{
    if ((event->type() == QEvent::ZOrderChange || event->type() == QEvent::Show) && watched != m_notResponding
        && watched != m_noticeBar)
        raiseBars();
    return QWidget::eventFilter(watched, event);
}

void WebView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeBars();
    m_page->setViewport(size(), devicePixelRatioF());
    for (WebFrameMirror *frame : bridge().frames())
        frame->engine()->invalidateLayout();
}

void WebView::setZoomFactor(double factor)
{
    m_page->setZoomFactor(factor);
    // The page is laid out again for its new viewport.
    for (WebFrameMirror *frame : bridge().frames())
        frame->engine()->invalidateLayout();
}

void WebView::openDialog(const QString &type, const QString &message, const QString &defaultPrompt, bool offerToStop)
{
    closeDialog();
    const QString title = m_page->title().isEmpty() ? m_page->url().host() : m_page->title();
    // A page that asks again and again can be made to stop.
    QCheckBox *stop = nullptr;
    if (offerToStop) {
        stop = new QCheckBox(tr("Don't let this page show more dialogs"));
        stop->setObjectName(QStringLiteral("stopPageDialogs"));
    }
    const auto answer = [this, stop](bool accept, const QString &text = {}) {
        if (stop && stop->isChecked())
            m_page->stopDialogs();
        m_page->answerDialog(accept, text);
    };
    if (type == QLatin1String("prompt")) {
        auto *dialog = new QInputDialog(this);
        dialog->setWindowTitle(title);
        dialog->setLabelText(message);
        dialog->setTextValue(defaultPrompt);
        // Above its buttons, which come last.
        if (auto *layout = qobject_cast<QBoxLayout *>(dialog->layout()); layout && stop)
            layout->insertWidget(layout->count() - 1, stop);
        connect(dialog, &QDialog::finished, this, [this, dialog, answer](int result) {
            answer(result == QDialog::Accepted, result == QDialog::Accepted ? dialog->textValue() : QString());
            forgetDialog(dialog);
        });
        m_dialog = dialog;
    } else {
        auto *box = new QMessageBox(this);
        box->setWindowTitle(title);
        box->setText(message);
        if (type == QLatin1String("beforeunload")) {
            box->setText(tr("This page is asking you to confirm that you want to leave."));
            box->setInformativeText(message);
            box->addButton(tr("Leave Page"), QMessageBox::AcceptRole);
            box->addButton(tr("Stay on Page"), QMessageBox::RejectRole);
        } else if (type == QLatin1String("confirm")) {
            box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        } else {
            box->setStandardButtons(QMessageBox::Ok);
        }
        if (stop)
            box->setCheckBox(stop);
        connect(box, &QMessageBox::finished, this, [this, box, type, answer](int) {
            const QMessageBox::ButtonRole role = box->buttonRole(box->clickedButton());
            answer(type == QLatin1String("alert") || role == QMessageBox::AcceptRole);
            forgetDialog(box);
        });
        m_dialog = box;
    }
    if (stop && !stop->parent())
        stop->setParent(m_dialog);
    m_dialog->setObjectName(QStringLiteral("pageDialog"));
    // The page waits for its answer; the program does not.
    m_dialog->setWindowModality(Qt::NonModal);
    m_dialog->show();
}

void WebView::forgetDialog(QDialog *dialog)
{
    if (m_dialog == dialog)
        m_dialog.clear();
    dialog->deleteLater();
}

void WebView::closeDialog()
{
    // Answered already, or dismissed by the page: closed without an answer.
    if (QDialog *dialog = m_dialog.data()) {
        m_dialog.clear();
        dialog->disconnect(this);
        dialog->hide();
        dialog->deleteLater();
    }
}

void WebView::openFileChooser(bool multiple, int backendNodeId, const QString &sessionId)
{
    auto *dialog = new QFileDialog(this);
    dialog->setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog->setObjectName(QStringLiteral("pageFileDialog"));
    connect(dialog, &QFileDialog::filesSelected, this, [this, backendNodeId, sessionId](const QStringList &files) {
        m_page->chooseFiles(backendNodeId, sessionId, files);
    });
    connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    dialog->open();
}
