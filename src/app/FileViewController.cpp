#include "FileViewController.h"
#include "AppDelegate.h"
#include "Shell_p.h"

#include "views/DirectoryViewer.h"
#include "views/FontSampleView.h"
#include "views/ImageViewer.h"
#include "views/ProjectConfigView.h"

#include "code/CSSSyntax.h"
#include "code/CodeView.h"
#include "code/LargeTextView.h"
#include "code/HTMLSyntax.h"
#include "code/JSSyntax.h"
#include "code/LineNumberScrollView.h"
#include "code/TextFinder.h"
#include "foundation/InspectUndoManager.h"
#include "interfaces/CSSOutlineDelegateInterface.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "platform/kit/DesktopColors.h"
#include "workspace/File.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <QMimeDatabase>
#include <QScrollBar>
#include <QStackedLayout>

namespace {

// The file and code view whose editor had the focus last, for the whole program.
QPointer<File> s_saveTargetFile;
QPointer<CodeView> s_saveTargetView;

QString extensionOf(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot <= 0 ? QString() : name.mid(dot + 1);
}

// Whether the type of a name's extension is a kind of text.
bool extensionConformsToText(const QString &name)
{
    const QString extension = extensionOf(name);
    if (extension.isEmpty())
        return false;
    static const QMimeDatabase database;
    const QList<QMimeType> types = database.mimeTypesForFileName(QStringLiteral("a.") + extension);
    return !types.isEmpty() && types.first().inherits(QStringLiteral("text/plain"));
}

using ShellPrivate::fileOf;

// One colourer of each language serves every code view, made on first use;
// the application owns them.
template<typename Colorer>
SyntaxColoring *sharedColorer()
{
    static QPointer<SyntaxColoring> colorer;
    if (!colorer)
        colorer = new Colorer(QCoreApplication::instance());
    return colorer;
}

// The colourer of a file's language, or null for other text. A later match
// wins: a style sheet named ".html" is coloured as a page.
SyntaxColoring *colorerFor(File *file)
{
    const QString extension = extensionOf(file->displayName()).toLower();
    const int type = file->fileType();
    SyntaxColoring *colorer = nullptr;
    if (type == File::HTML || extension == QLatin1String("html"))
        colorer = sharedColorer<HTMLSyntax>();
    if (type == File::StyleSheet || extension == QLatin1String("css") || extension == QLatin1String("less")
        || extension == QLatin1String("scss"))
        colorer = sharedColorer<CSSSyntax>();
    if (type == File::Script || extension == QLatin1String("js"))
        colorer = sharedColorer<JSSyntax>();
    return colorer;
}

// The file's text has come into its view: the first snapshot is taken.
void textArrived(const QPointer<File> &file)
{
    if (!file)
        return;
    if (!file->content()) {
        QM_INFO(QStringLiteral("%1 has no text to show (unreadable, or in no known encoding)").arg(file->path()));
        return;
    }
    if (file->histories().isEmpty())
        file->addHistory();
}

// The find bar of a code view's frame, searching as the user types; the
// caller gives it the view to search.
TextFinder *addFindBar(LineNumberScrollView *frame)
{
    auto *finder = new TextFinder(frame);
    finder->setFindBarContainer(frame);
    finder->setIncrementalSearchingEnabled(true);
    return finder;
}

// Colours the view's text at the next turn, when it has a colourer.
void applySyntaxColor(CodeView *view)
{
    if (view && view->textStorageDelegate())
        view->textStorageDelegate()->applySyntaxColor(view);
}

} // namespace

FileViewController::FileViewController(QWidget *view, QObject *parent)
    : QObject(parent)
    , m_view(view)
    , m_stack(new QStackedLayout(view))
    , m_empty(new QWidget(view))
    , m_directoryViewer(new DirectoryViewer(view))
    , m_imageViewer(new ImageViewer(view))
    , m_fontView(new FontSampleView(view))
    , m_saveNoticeTimer(new QTimer(this))
{
    m_saveNoticeTimer->setSingleShot(true);
    connect(m_saveNoticeTimer, &QTimer::timeout, this, [this] {
        if (m_saveNotice)
            m_saveNotice->hide();
    });
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_empty);
    m_stack->addWidget(m_directoryViewer);
    m_stack->addWidget(m_imageViewer);
    m_stack->addWidget(m_fontView);
    // A view taken out of the stack (its file gone) makes the layout show
    // a neighbour, another file's view under this file's header (#78): the
    // pane shows the main file's view or nothing.
    connect(m_stack, &QStackedLayout::widgetRemoved, this, [this] { show(m_mainFile ? m_mainFile->view() : nullptr); });

    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.addObserver(this, QStringLiteral("codeViewBecameFirstResponder"), nullptr,
                       [this](const Notification &n) { codeViewBecameFirstResponder(n); });
    center.addObserver(this, QStringLiteral("fileSavedByCommandS"), nullptr,
                       [this](const Notification &n) { fileSavedByCommandS(n); });
    center.addObserver(this, QStringLiteral("historyFileClicked"), nullptr,
                       [this](const Notification &n) { historyFileClicked(n); });
}

FileViewController::~FileViewController()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

QPlainTextEdit *FileViewController::mainTextView()
{
    // A view outlives its file until the next turn.
    return m_mainFile ? m_mainTextView.data() : nullptr;
}

File *FileViewController::saveTargetFile()
{
    return s_saveTargetFile.data();
}

CodeView *FileViewController::saveTargetView()
{
    return s_saveTargetView.data();
}

bool FileViewController::isText(File *file)
{
    if (extensionConformsToText(file->displayName()) || file->isKindOfText())
        return true;
    const int type = file->fileType();
    return type == File::HTML || type == File::StyleSheet || type == File::Script || type == File::OtherText;
}

// --- Showing files ------------------------------------------------------------------

void FileViewController::viewFile(File *file)
{
    if (!file)
        return;
    QPointer<File> shown = file;
    openFile(file);
    if (m_saveOption && shown && shown->rootFile()) {
        m_saveOption->setProject(shown->rootFile());
        m_saveOption->reload();
    }
}

void FileViewController::reloadProjectConfigView()
{
    if (m_saveOption)
        m_saveOption->reload();
}

void FileViewController::viewFileWithNoOpen(File *file)
{
    if (file)
        openFile(file);
}

void FileViewController::viewFileWithScrollTop(File *file)
{
    viewFile(file);
    if (m_mainTextView) {
        m_mainTextView->moveCursor(QTextCursor::Start);
        m_mainTextView->verticalScrollBar()->setValue(0);
    }
}

void FileViewController::openFile(File *file)
{
    if (!file)
        return;
    // A file deleted elsewhere that holds unsaved edits is shown with them.
    if (file->isLocalFile() && !file->isResourceGroup() && !file->exists() && !file->isMissingOnDisk()) {
        // The header names the file now: no other file's view stays under it.
        m_mainFile = nullptr;
        m_mainTextView = nullptr;
        show(nullptr);
        Alert::beep();
        // One that is still there, out of reach, stays in the list (#80).
        if (const std::optional<QString> why = File::whyUnreadable(file->path())) {
            Alert::runAlertPanel(QStringLiteral("Unreadable file"),
                                 QStringLiteral("Selected file cannot be read: %1.").arg(*why), QStringLiteral("OK"));
            return;
        }
        const int answer = Alert::runAlertPanel(QStringLiteral("Missing file"),
                                                QStringLiteral("Selected file has been moved or deleted."),
                                                QStringLiteral("OK"), QString());
        if (answer == Alert::DefaultReturn) {
            NotificationCenter::defaultCenter().postNotificationName(
                QStringLiteral("deleteMissingFile"), this, {{QStringLiteral("file"), QVariant::fromValue(file)}});
        }
        return;
    }

    m_mainFile = file;
    show(nullptr);

    if (file->view()) {
        // Shown before: the same view, with the file's text as it is now.
        if (file->isResourceGroup()) {
            postWebResourceGroupSelected();
        } else if (file->view() == m_imageViewer) {
            m_imageViewer->setImageFile(file);
        } else if (file->view() == m_fontView) {
            m_fontView->setFontFile(file);
        } else if (isText(file)) {
            if (auto *codeView = qobject_cast<CodeView *>(file->textView())) {
                codeView->reloadContent();
                applySyntaxColor(codeView);
            } else if (auto *largeView = qobject_cast<LargeTextView *>(file->textView())) {
                largeView->reloadContent();
            }
        }
    } else {
        adopt(file, createView(file));
    }
    // Files dropped on the thumbnails go into the folder shown; a resource
    // group of the preview takes none.
    if (file->view() == m_directoryViewer)
        m_directoryViewer->setDirectory(file->isLocalFile() && QFileInfo(file->path()).isDir() ? file : nullptr);

    show(file->view());
    m_mainTextView = qobject_cast<CodeView *>(file->textView());
    UserDefaults::standardUserDefaults().setObject(file->path(), QStringLiteral("lastSelectedMainFilePath"));
}

bool FileViewController::isSharedView(const QWidget *view) const
{
    return view == m_directoryViewer || view == m_imageViewer || view == m_fontView;
}

void FileViewController::adopt(File *file, QWidget *view)
{
    file->setView(view);
    if (!view || isSharedView(view))
        return;
    m_stack->addWidget(view);
    // The views go with their file, out of sight at once: no key reaches a
    // view whose file is gone.
    connect(file, &QObject::destroyed, this, [this, view = QPointer<QWidget>(view)] {
        if (view && m_stack->currentWidget() == view)
            show(nullptr);
    });
    connect(file, &QObject::destroyed, view, &QObject::deleteLater);
}

void FileViewController::show(QWidget *view)
{
    m_stack->setCurrentWidget(view && m_stack->indexOf(view) >= 0 ? view : m_empty);
}

QWidget *FileViewController::createView(File *file)
{
    const bool exists = file->exists();
    if (exists) {
        if (file->isRoot() || QFileInfo(file->path()).isDir()) {
            m_directoryViewer->setDirectory(file);
            return m_directoryViewer;
        }
        if (file->fileType() == File::Image) {
            m_imageViewer->setImageFile(file);
            return m_imageViewer;
        }
        if (extensionConformsToText(file->displayName()))
            return createViewSource(file);
        if (file->isKindOfText()) {
            QM_DEBUG(QStringLiteral("text"));
            return createViewSource(file);
        }
        if (file->isFont()) {
            m_fontView->setFontFile(file);
            return m_fontView;
        }
        QM_INFO(QStringLiteral("%1 is no text, picture, folder or font: the centre pane has nothing to show for it")
                    .arg(file->path()));
        return nullptr;
    }
    if (!file->isWebframeFile() && file->isResourceGroup()) {
        postWebResourceGroupSelected();
        m_directoryViewer->setDirectory(nullptr);
        return m_directoryViewer;
    }
    if (file->fileType() == File::Image) {
        m_imageViewer->setImageFile(file);
        return m_imageViewer;
    }
    return createViewSource(file);
}

LineNumberScrollView *FileViewController::createViewSource(File *file)
{
    if (!isText(file) && !file->isWebframeFile())
        return nullptr;

    if (LargeTextView::suits(file))
        return createLargeViewSource(file);
    auto *scrollView = new LineNumberScrollView(m_view);
    auto *codeView = new CodeView(scrollView);
    codeView->setFile(file);
    scrollView->setDocumentView(codeView);
    scrollView->setLineNumberVisible(true);
    if (!file->isLocalFile()) {
        // A loaded resource, not a project's file: a faint grey page.
        QPalette colors = codeView->palette();
        colors.setColor(QPalette::Base, DesktopColors::adapted(QColor::fromRgbF(250 / 255.0f, 250 / 255.0f, 250 / 255.0f, 1),
                                                                  codeView->textPalette()));
        codeView->setPalette(colors);
    }
    codeView->setFont(CodeView::menloFont(11.0));
    SyntaxColoring *colorer = colorerFor(file);
    if (colorer) {
        colorer->setTextView(codeView);
        codeView->setTextStorageDelegate(colorer);
    }
    // A file not read yet is read on a worker thread: a large one would
    // hold the window for its read, digest and decoding.
    codeView->loadFileText([file = QPointer<File>(file)] { textArrived(file); });
    file->setTextView(codeView);

    TextFinder *finder = addFindBar(scrollView);
    finder->setClient(codeView);
    codeView->setTextFinder(finder);
    codeView->setFileviewController(this);
    codeView->setPopup(m_popup);
    codeView->setPopover(m_popover);
    applySyntaxColor(codeView);
    return scrollView;
}

LineNumberScrollView *FileViewController::createLargeViewSource(File *file)
{
    auto *scrollView = new LineNumberScrollView(m_view);
    auto *largeView = new LargeTextView(scrollView);
    largeView->setFile(file);
    scrollView->setLargeTextView(largeView);
    largeView->setColorer(colorerFor(file));
    largeView->loadFileText([file = QPointer<File>(file)] { textArrived(file); });
    file->setTextView(largeView);

    addFindBar(scrollView)->setLargeClient(largeView);
    return scrollView;
}

QWidget *FileViewController::getCurrentScrollView() const
{
    return m_mainFile ? m_mainFile->view() : nullptr;
}

QWidget *FileViewController::shownView() const
{
    QWidget *shown = m_stack->currentWidget();
    return shown == m_empty ? nullptr : shown;
}

// --- Saving ------------------------------------------------------------------------------

void FileViewController::codeViewBecameFirstResponder(const Notification &notification)
{
    s_saveTargetFile = fileOf(notification);
    s_saveTargetView = qobject_cast<CodeView *>(notification.userInfo.value(QStringLiteral("textView")).value<QObject *>());
}

void FileViewController::fileSavedByCommandS(const Notification &)
{
    saveDocument();
}

void FileViewController::saveDocument()
{
    File *file = s_saveTargetFile.data();
    if (!file || !file->textView())
        return;
    saveFile(file, s_saveTargetView.data());
}

File *FileViewController::saveChosenFile(File *chosen)
{
    // The project list's choice when it holds unsaved text, else the file
    // the pane shows as text (#85).
    File *file = chosen && chosen->content() && chosen->isModified() ? chosen : m_mainFile.data();
    if (!file || (file != chosen && !file->textView()))
        return nullptr;
    // A file without unsaved edits is not written again.
    if (file->isModified())
        saveFile(file, qobject_cast<CodeView *>(file->textView()));
    return file;
}

bool FileViewController::saveFile(File *file, CodeView *view)
{
    // A view without the file's text (none could be read) gives it none.
    const std::optional<QString> held = file->content();
    if (view && held && view->string() != *held) {
        file->setContent(view->string());
        if (InspectUndoManager *undo = File::sharedUndoManager())
            undo->reserveCloseGroupingAtEndOfRunLoop();
    }
    // A file its own view has just written (Ctrl+S there) is not written again.
    if (file->isModified() && !file->save()) {
        Alert::runSaveFailure(file->displayName(), file->lastSaveError(),
                              file->isModified() ? QStringLiteral("The changes are kept; the file stays marked as modified.")
                                                 : QString(),
                              m_view ? m_view->window() : nullptr);
        return false;
    }
    NotificationCenter &center = NotificationCenter::defaultCenter();
    if (view) {
        // The file's text, which is the disk's when the user chose that one.
        center.postNotificationName(QStringLiteral("fileSaved"), this,
                                    {{QStringLiteral("file"), QVariant::fromValue(file)},
                                     {QStringLiteral("content"), file->content().value_or(view->string())}});
    }
    // The rules are read again from the text saved, unless the rules panel
    // keeps them in step with it: its rows hold those rules, and an edit of
    // a row whose rule was replaced would reach the page alone (#78).
    AppDelegate *app = AppDelegate::instance();
    CSSOutlineDelegateInterface *rules = app ? app->cssOutlineDelegate() : nullptr;
    if (extensionOf(file->displayName()) == QLatin1String("css") && !(rules && rules->keepsRulesOf(file)))
        file->parseStyleSheet();
    center.postNotificationName(QStringLiteral("saveFileContent"), this,
                                {{QStringLiteral("file"), QVariant::fromValue(file)}});
    return true;
}

void FileViewController::showSaveNotice(const QString &text)
{
    if (!m_view)
        return;
    if (!m_saveNotice) {
        m_saveNotice = new QLabel(m_view);
        m_saveNotice->setObjectName(QStringLiteral("saveNotice"));
        m_saveNotice->setWordWrap(true);
        m_saveNotice->setTextFormat(Qt::PlainText);
        m_saveNotice->setContentsMargins(8, 4, 8, 4);
        m_saveNotice->setAutoFillBackground(true);
        m_saveNotice->setForegroundRole(QPalette::ToolTipText);
        m_saveNotice->setBackgroundRole(QPalette::ToolTipBase);
        // Over the pane, never in the way of a click or a key.
        m_saveNotice->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_saveNotice->setFocusPolicy(Qt::NoFocus);
    }
    m_saveNotice->setText(text);
    m_saveNotice->setToolTip(text);
    const int width = m_view->width();
    const int height = m_saveNotice->heightForWidth(width);
    m_saveNotice->setGeometry(0, std::max(0, m_view->height() - height), width, height);
    m_saveNotice->show();
    m_saveNotice->raise();
    m_saveNoticeTimer->start(5000);
}

QString FileViewController::saveNotice() const
{
    return m_saveNotice && m_saveNotice->isVisible() ? m_saveNotice->text() : QString();
}

// --- History -------------------------------------------------------------------------------

void FileViewController::historyFileClicked(const Notification &notification)
{
    File *history = fileOf(notification);
    if (!history || !m_mainFile || history->path() != m_mainFile->path())
        return;
    if (auto *largeView = qobject_cast<LargeTextView *>(m_mainFile->textView())) {
        largeView->replaceAll(history->currentContent().value_or(QString()));
        return;
    }
    if (!m_mainTextView)
        return;
    CodeView *view = m_mainTextView;
    const int scroll = view->verticalScrollBar()->value();
    const QTextCursor kept = view->textCursor();
    const int start = kept.selectionStart();
    const int end = kept.selectionEnd();
    const QString text = history->currentContent().value_or(QString());
    if (notification.userInfo.contains(QStringLiteral("ignoreUndo"))) {
        view->setString(text);
        view->didChangeText();
    } else {
        // As if typed over the whole text: one undo step.
        view->selectAll();
        view->insertPlainText(text);
        QTextCursor cursor = view->textCursor();
        cursor.clearSelection();
        view->setTextCursor(cursor);
    }
    if (text.size() > end) {
        QTextCursor cursor = view->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        view->setTextCursor(cursor);
    }
    view->verticalScrollBar()->setValue(scroll);
    applySyntaxColor(view);
}

void FileViewController::postWebResourceGroupSelected()
{
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("webResourceGroupSelected"), this,
        {{QStringLiteral("file"), QVariant::fromValue(m_mainFile.data())}});
}

// --- Lookups -------------------------------------------------------------------------------

File *FileViewController::searchDirectory(const QString &displayName, const QList<File *> &files)
{
    for (File *file : files) {
        if (!file)
            continue;
        if (file->displayName() == displayName)
            return file;
        if (!file->isLeaf()) {
            if (File *found = searchDirectory(displayName, file->children()))
                return found;
        }
    }
    return nullptr;
}

File *FileViewController::cssFileRecomended(File *folder)
{
    if (!folder)
        return nullptr;
    for (const char *name : {"index.css", "global.css", "style.css"}) {
        if (File *found = searchDirectory(QString::fromLatin1(name), folder->children()))
            return found;
    }
    return nullptr;
}

bool FileViewController::existInHistory(File *file, const QList<File *> &history)
{
    return history.contains(file);
}
