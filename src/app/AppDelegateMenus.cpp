// The menus' commands: the lists of applications able to open a file, the
// preview button, saving, capturing the preview, the help pages, and the font
// families of the page's style sheets.

#include "AppDelegate.h"
#include "EXWindow.h"
#include "MainMenu.h"

#include "code/CodeView.h"
#include "code/LargeTextView.h"
#include "foundation/InspectUndoManager.h"
#include "interfaces/CSSOutlineDelegateInterface.h"
#include "interfaces/ExWebViewInterface.h"
#include "interfaces/FileViewControllerInterface.h"
#include "interfaces/ProjectDelegateInterface.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/NamedImage.h"
#include "stylesheet/CSSProperty.h"
#include "stylesheet/StyleDeclaration.h"
#include "workspace/File.h"


#include <QAction>
#include <QApplication>
#include <QCollator>
#include <QDesktopServices>
#include <QFileDialog>
#include <QImageWriter>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QToolButton>

QString AppDelegate::helpPageURL()
{
    return QStringLiteral("https://quillmark.app/tutorial.html");
}

void AppDelegate::connectMenus()
{
    MainMenu &menu = *m_ui.mainMenu;
    auto always = [](QAction *) { return true; };
    auto on = [this, &menu](const QString &action, std::function<void()> call, MainMenu::Validator validator = {}) {
        menu.setTarget(action, [call = std::move(call)](QAction *) { call(); }, std::move(validator));
        Q_UNUSED(this);
    };

    // The project controller's commands (the file tree's, "Download
    // Tutorial...") get their targets when it is installed.
    on(QStringLiteral("save:"), [this] { save(); });
    on(QStringLiteral("captureImage:"), [this] { captureImage(); }, [this](QAction *) {
        return m_projectController && m_projectController->webview();
    });
    on(QStringLiteral("performClose:"), [] {
        if (QWidget *window = QApplication::activeWindow())
            window->close();
    });
    // Quitting closes the main window, which asks first: unsaved files are
    // never dropped without a question.
    on(QStringLiteral("terminate:"), [this] { m_ui.window->close(); });

    // Undo and Redo act on the shared history of this delegate's windows.
    auto undoManager = [this] {
        QWidget *key = QApplication::activeWindow();
        return windowWillReturnUndoManager(key ? key : m_ui.window);
    };
    menu.setTarget(
        QStringLiteral("undo:"), [undoManager](QAction *) { undoManager()->undo(); },
        [undoManager](QAction *item) {
            InspectUndoManager *manager = undoManager();
            const QString name = manager ? manager->undoActionName() : QString();
            item->setText(name.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo ") + name);
            return manager && manager->canUndo();
        });
    menu.setTarget(
        QStringLiteral("redo:"), [undoManager](QAction *) { undoManager()->redo(); },
        [undoManager](QAction *item) {
            InspectUndoManager *manager = undoManager();
            const QString name = manager ? manager->redoActionName() : QString();
            item->setText(name.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo ") + name);
            return manager && manager->canRedo();
        });
    InspectUndoManager *shared = sharedUndoManager();
    for (auto signal : {&InspectUndoManager::didCloseUndoGroup, &InspectUndoManager::didUndoChange,
                        &InspectUndoManager::didRedoChange, &InspectUndoManager::undoAvailabilityChanged})
        connect(shared, signal, &menu, &MainMenu::validateAll);

    // The edit commands go to the focused widget when it has them.
    for (const char *command : {"cut", "copy", "paste", "selectAll"}) {
        const QByteArray slot = QByteArray(command) + "()";
        menu.setTarget(
            QString::fromLatin1(command) + QLatin1Char(':'),
            [command](QAction *) {
                if (QWidget *focus = QApplication::focusWidget())
                    QMetaObject::invokeMethod(focus, command);
            },
            [slot, command](QAction *) {
                QWidget *focus = QApplication::focusWidget();
                if (!focus || focus->metaObject()->indexOfSlot(slot.constData()) < 0)
                    return false;
                // A view whose delegate may not answer the command says so.
                bool answers = true;
                if (focus->metaObject()->indexOfMethod("answersEditCommand(QString)") >= 0)
                    QMetaObject::invokeMethod(focus, "answersEditCommand", Q_RETURN_ARG(bool, answers),
                                              Q_ARG(QString, QString::fromLatin1(command)));
                return answers;
            });
    }
    on(QStringLiteral("makeMainfirstResponder:"), [this] { makeMainfirstResponder(); }, [this](QAction *) {
        return m_fileViewController && m_fileViewController->mainTextView();
    });

    on(QStringLiteral("toggleLeftview:"), [this] { toggleLeftview(); });
    on(QStringLiteral("toggleInspector:"), [this] { toggleInspector(); });
    on(QStringLiteral("toggleCenterBottomView:"), [this] { toggleCenterBottomView(); });
    on(QStringLiteral("toggleCenterBottomLeftView:"), [this] { toggleCenterBottomLeftView(); });
    on(QStringLiteral("toggleCenterBottomRightView:"), [this] { toggleCenterBottomRightView(); });
    on(QStringLiteral("toggleKeyframeEditor:"), [this] { m_ui.keyframePaneExpandButton->click(); });
    on(QStringLiteral("verticalRangeUp:"), [this] { verticalRangeUp(); });
    on(QStringLiteral("verticalRangeDown:"), [this] { verticalRangeDown(); });
    on(QStringLiteral("openCSSInspector:"), [this] { m_ui.styleInspectorButton->click(); }, [this](QAction *) {
        return m_ui.styleInspectorButton->isEnabled() && m_ui.window->isVisible();
    });
    on(QStringLiteral("layoutTwocolumns:"), [this] { layoutTwocolumns(); });
    on(QStringLiteral("layoutHover:"), [this] { layoutHover(); });
    on(QStringLiteral("toggleDetectionMode:"), [this] { toggleDetectionMode(); });
    on(QStringLiteral("openSidewebview:"), [this] { openSidewebview(); });
    menu.setTarget(QStringLiteral("fullWebView:"), [this](QAction *item) { fullWebView(item); }, always);
    on(QStringLiteral("showHelp:"), [this] { showHelp(); });
    on(QStringLiteral("openHelpIgnore:"), [this] { openHelpIgnore(); });

    connect(m_ui.fullWebViewButton, &QToolButton::clicked, this, [this] { fullWebView(m_ui.fullWebViewButton); });
    connect(m_ui.deepDetectionButton, &QToolButton::clicked, this, [this] { toggleDetectionMode(); });
    connect(m_ui.styleInspectorButton, &QToolButton::clicked, this,
            [this] { openCSSInspector(m_ui.styleInspectorButton); });
    connect(m_ui.previewMenu, &QMenu::aboutToShow, this, [this] { menuWillOpen(m_ui.previewMenu); });
    // The tree's list of applications is filled as its context menu opens:
    // an empty submenu would not open to be filled.
    connect(m_ui.fileMenu, &QMenu::aboutToShow, this, [this] {
        menuWillOpen(m_ui.openWithMenu);
        m_ui.openWithMenu->menuAction()->setEnabled(!m_ui.openWithMenu->isEmpty());
    });

    NotificationCenter::defaultCenter().addObserver(
        this, QStringLiteral("outlineviewActuallyMouseDown"), nullptr,
        [this](const Notification &notification) { outlineviewActuallyMouseDown(notification); });
    menu.validateAll();
}

// --- Applications for a file ------------------------------------------------------------------------

QList<DesktopApplication> AppDelegate::getHTMLPreviewableApplications(File *file) const
{
    if (!file)
        return {};
    const QUrl url(file->absolutePath());
    if (!url.isValid() || url.isEmpty())
        return {};
    QList<DesktopApplication> applications;
    for (const DesktopApplication &application : DesktopApplications::applicationsForURL(url)) {
        if (application.path.contains(QLatin1String(".Trash")) || applications.contains(application))
            continue;
        applications.append(application);
    }
    std::stable_sort(applications.begin(), applications.end(), [](const auto &a, const auto &b) {
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    });
    return applications;
}

void AppDelegate::menuWillOpen(QMenu *menu)
{
    if (!menu || menu->title() == QLatin1String("Help"))
        return;
    auto addApplications = [this, menu](File *file, void (AppDelegate::*action)(QAction *)) {
        int tag = 1;
        for (const DesktopApplication &application : getHTMLPreviewableApplications(file)) {
            QAction *item = menu->addAction(application.icon().pixmap(16, 16), application.name);
            item->setData(application.path);
            MainMenu::setTag(item, tag++);
            connect(item, &QAction::triggered, this, [this, item, action] { (this->*action)(item); });
        }
    };
    if (menu->title() == QLatin1String("Open File with External Editor")) {
        File *file = nullptr;
        if (m_projectController) {
            file = m_projectController->clickedFile();
            if (!file)
                file = m_projectController->selectedFile();
        }
        menu->clear();
        addApplications(file, &AppDelegate::openFileWithApp);
        return;
    }
    // The preview button's menu.
    File *file = m_projectController ? m_projectController->lastPreviewedFile() : nullptr;
    menu->clear();
    QAction *fullSize = menu->addAction(QStringLiteral("Full Size Preview"));
    fullSize->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W));
    fullSize->setShortcutContext(Qt::WidgetShortcut);
    fullSize->setIcon(QIcon(NamedImage::imageNamed(QStringLiteral("Quillmark")).scaled(
        16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    MainMenu::setTag(fullSize, 0);
    connect(fullSize, &QAction::triggered, this, [this, fullSize] { previewAction(fullSize); });
    menu->addSeparator();
    addApplications(file, &AppDelegate::previewAction);
}

static void openWithApplicationAt(const QString &filePath, const QString &applicationPath)
{
    const std::optional<DesktopApplication> application = DesktopApplications::applicationAtPath(applicationPath);
    if (!application) {
        QM_ERROR(QStringLiteral("no application at %1").arg(applicationPath));
        return;
    }
    DesktopApplications::openURLWithApplication(QUrl::fromLocalFile(filePath), *application);
}

void AppDelegate::previewAction(QAction *item)
{
    if (MainMenu::tag(item) == 0) {
        togglePreviewMode();
        return;
    }
    if (File *file = m_projectController ? m_projectController->lastPreviewedFile() : nullptr)
        openWithApplicationAt(file->path(), item->data().toString());
}

void AppDelegate::openFileWithApp(QAction *item)
{
    if (File *file = m_projectController ? m_projectController->clickedFile() : nullptr)
        openWithApplicationAt(file->path(), item->data().toString());
}

// --- Preview button --------------------------------------------------------------------------------------

void AppDelegate::fullWebView(QObject *sender)
{
    if (auto *item = qobject_cast<QAction *>(sender); item && MainMenu::menuTitle(item) == QLatin1String("Preview")) {
        togglePreviewMode();
        return;
    }
    ExWebViewInterface *preview = m_projectController ? m_projectController->webview() : nullptr;
    const QString address = preview ? preview->mainFrameURL() : QString();
    if (address.startsWith(QLatin1String("http"))) {
        QDesktopServices::openUrl(QUrl(address));
        return;
    }
    auto *button = qobject_cast<QWidget *>(sender);
    if (!button)
        return;
    m_ui.previewMenu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

// --- Save and capture ------------------------------------------------------------------------------------

void AppDelegate::save()
{
    // An edit made a moment ago is written into its file before anything is saved (#64).
    File::runPendingWrites();
    const int unsaved = m_projectController ? m_projectController->modifiedFileCount() : 0;
    // The code view with the keyboard saves its own file first; when that
    // fails its alert said why, and the save stops there.
    const QPointer<CodeView> codeView = qobject_cast<CodeView *>(QApplication::focusWidget());
    const QPointer<LargeTextView> largeView = qobject_cast<LargeTextView *>(QApplication::focusWidget());
    const bool refresh = QApplication::keyboardModifiers() & Qt::ShiftModifier;
    QPointer<File> target = codeView ? codeView->file() : largeView ? largeView->file() : nullptr;
    if ((codeView && !codeView->save()) || (largeView && !largeView->save()))
        return;
    // Then every other editor's edits, whichever view has the keyboard (#72).
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.postNotificationName(QStringLiteral("cssHasSavedByCommand"), this);
    center.postNotificationName(QStringLiteral("htmlHasSavedByCommand"), this);
    // And the file the user sees chosen: the project list's, or the code
    // pane's (#85).
    if (!codeView && !largeView && m_fileViewController)
        target = m_fileViewController->saveChosenFile(m_projectController ? m_projectController->selectedFile() : nullptr);
    // No file had edits to write (a save that failed said so in its alert):
    // the user is told so.
    if (m_fileViewController && !(target && target->isModified())
        && (!m_projectController || m_projectController->modifiedFileCount() == unsaved)) {
        m_fileViewController->showSaveNotice(
            target ? QStringLiteral("Nothing to save: \"%1\" has no unsaved changes.").arg(target->displayName())
                   : QStringLiteral("Nothing to save: no file is chosen."));
    }
    // With Shift the page is refreshed once everything is saved.
    if (refresh && codeView)
        codeView->doSaveAndRefresh();
    else if (refresh && largeView)
        largeView->save(Qt::ShiftModifier);
}

void AppDelegate::captureImage()
{
    ExWebViewInterface *preview = m_projectController ? m_projectController->webview() : nullptr;
    if (!preview)
        return;
    auto *panel = new QFileDialog(m_ui.window, QStringLiteral("Save Capture"));
    panel->setAcceptMode(QFileDialog::AcceptSave);
    panel->selectFile(QStringLiteral("capture.png"));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    connect(panel, &QFileDialog::fileSelected, this, [this](const QString &path) {
        ExWebViewInterface *shown = m_projectController ? m_projectController->webview() : nullptr;
        if (shown && !writeCapture(shown->captureImage(), path))
            QM_ERROR(QStringLiteral("could not write the capture to %1").arg(path));
    });
    panel->open();
}

bool AppDelegate::writeCapture(const QImage &image, const QString &path)
{
    if (image.isNull() || path.isEmpty())
        return false;
    QImageWriter writer(path, "png");
    return writer.write(image);
}

void AppDelegate::makeMainfirstResponder()
{
    QPlainTextEdit *textView = m_fileViewController ? m_fileViewController->mainTextView() : nullptr;
    if (!textView)
        return;
    if (QWidget *window = textView->window())
        window->activateWindow();
    textView->setFocus(Qt::OtherFocusReason);
    QTextCursor cursor = textView->textCursor();
    const int start = cursor.selectionStart();
    const int end = textView->document()->characterCount() - 1;
    cursor.setPosition(start >= end ? 0 : start);
    textView->setTextCursor(cursor);
}

// --- Help ----------------------------------------------------------------------------------------------------

void AppDelegate::showHelp()
{
    QDesktopServices::openUrl(QUrl(helpPageURL()));
}

void AppDelegate::openHelpIgnore()
{
    QUrl url(helpPageURL());
    url.setFragment(QStringLiteral("sec8_2"));
    QDesktopServices::openUrl(url);
}

// --- Font families ------------------------------------------------------------------------------------------

QStringList AppDelegate::usedFontFamilies(const QStringList &fontFamilyValues)
{
    QStringList families;
    for (QString value : fontFamilyValues) {
        value.remove(QLatin1Char('"'));
        value.remove(QLatin1Char('\''));
        if (!families.contains(value))
            families.append(value);
    }
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(families.begin(), families.end(),
              [&collator](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
    return families;
}

QStringList AppDelegate::getUsedFontFamilies() const
{
    QStringList values;
    if (m_cssOutlineDelegate) {
        for (File *file : m_cssOutlineDelegate->styleFiles()) {
            if (!file || !file->styleDeclarations())
                continue;
            for (const StyleDeclarationPtr &rule : *file->styleDeclarations()) {
                for (const CSSPropertyPtr &property : rule->properties()) {
                    if (property && property->property() == QLatin1String("font-family"))
                        values.append(property->value());
                }
            }
        }
    }
    return usedFontFamilies(values);
}
