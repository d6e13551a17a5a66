#include "ShellProbe.h"

#include "AppDelegate.h"
#include "MainInterface.h"
#include "EXWindow.h"
#include "FileViewController.h"
#include "ProjectDelegate.h"

#include "code/CodeView.h"
#include "code/LargeTextView.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "cssrules/CSSRule.h"
#include "domtree/DOMNodeEx.h"
#include "domtree/DomInfoDelegate.h"
#include "domtree/DomTreeDelegate.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/Log.h"
#include "platform/kit/PathControl.h"
#include "platform/kit/SplitView.h"
#include "platform/kit/TableViewBase.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/engine/ChromiumProcess.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebPage.h"
#include "preview/BackgroundView.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"
#include "stylemanager/AnimationManager.h"
#include "stylemanager/KeyframeThumb.h"
#include "stylemanager/TimelineCell.h"
#include "workspace/File.h"
#include "workspace/PathComponentCell.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFormLayout>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitterHandle>
#include <QToolTip>
#include <QTreeView>

#include <functional>

namespace {

QJsonObject rectOf(const QWidget *widget, const QRect &local)
{
    const QPoint origin = widget->mapToGlobal(local.topLeft());
    return {{QStringLiteral("x"), origin.x()}, {QStringLiteral("y"), origin.y()},
            {QStringLiteral("w"), local.width()}, {QStringLiteral("h"), local.height()}};
}

bool isInPopover(const QWidget *widget)
{
    return widget->window()->windowFlags() & Qt::FramelessWindowHint;
}

// The shown widget of that name before a hidden one; asked for one in a
// popover, only those.
QWidget *widgetNamed(const QString &name, bool inPopover = false)
{
    QWidget *found = nullptr;
    for (QWidget *widget : QApplication::allWidgets()) {
        if (widget->objectName() != name || (inPopover && !isInPopover(widget)))
            continue;
        if (widget->isVisible())
            return widget;
        found = found ? found : widget;
    }
    return found;
}

// Every row of the view whose parents are expanded, in the order shown.
void forEachShownRow(const QAbstractItemView *view, const std::function<bool(const QModelIndex &)> &visit)
{
    const QAbstractItemModel *model = view->model();
    if (!model)
        return;
    std::function<bool(const QModelIndex &)> walk = [&](const QModelIndex &parent) {
        for (int row = 0; row < model->rowCount(parent); ++row) {
            const QModelIndex index = model->index(row, 0, parent);
            if (!visit(index))
                return false;
            const auto *tree = qobject_cast<const QTreeView *>(view);
            if (model->hasChildren(index) && (!tree || tree->isExpanded(index)) && !walk(index))
                return false;
        }
        return true;
    };
    walk(view->rootIndex());
}

// The part of a widget in sight: within each of its ancestors, in its
// window's coordinates.
QRect partInSight(const QWidget *widget)
{
    if (!widget->isVisible())
        return {};
    QRect seen(widget->mapTo(widget->window(), QPoint()), widget->size());
    for (const QWidget *parent = widget; !parent->isWindow(); parent = parent->parentWidget())
        seen &= QRect(parent->parentWidget()->mapTo(parent->window(), QPoint()), parent->parentWidget()->size());
    return seen;
}

} // namespace

void ShellProbe::startIfAsked(AppDelegate &delegate)
{
    const QString name = qEnvironmentVariable("QUILLMARK_PROBE");
    if (name.isEmpty())
        return;
    auto *server = new QLocalServer;
    QLocalServer::removeServer(name);
    if (!server->listen(name)) {
        QM_ERROR(QStringLiteral("the probe cannot listen on %1: %2").arg(name, server->errorString()));
        delete server;
        return;
    }
    new ShellProbe(delegate, server);
}

ShellProbe::ShellProbe(AppDelegate &delegate, QLocalServer *server) : QObject(&delegate), m_delegate(delegate)
{
    server->setParent(this);
    if (InspectUndoManager *undo = delegate.sharedUndoManager()) {
        connect(undo, &InspectUndoManager::didUndoChange, this, [this] { ++m_undone; });
        connect(undo, &InspectUndoManager::didRedoChange, this, [this] { ++m_redone; });
    }
    qApp->installEventFilter(this);
    connect(server, &QLocalServer::newConnection, this, [this, server] {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine()) {
                    const QJsonObject question = QJsonDocument::fromJson(socket->readLine()).object();
                    socket->write(QJsonDocument(answer(question)).toJson(QJsonDocument::Compact) + '\n');
                }
            });
        }
    });
}

bool ShellProbe::eventFilter(QObject *watched, QEvent *event)
{
    // Counted once, at the window, before it reaches a widget.
    if (event->type() == QEvent::MouseButtonDblClick && watched->isWindowType())
        ++m_doubleClicks;
    return false;
}

QJsonObject ShellProbe::answer(const QJsonObject &question) const
{
    const QString kind = question.value(QStringLiteral("q")).toString();
    if (kind == QLatin1String("widget"))
        return widget(question.value(QStringLiteral("name")).toString(), question.value(QStringLiteral("inPopover")).toBool());
    if (kind == QLatin1String("row"))
        return row(question.value(QStringLiteral("view")).toString(), question.value(QStringLiteral("text")).toString());
    if (kind == QLatin1String("element"))
        return element(question.value(QStringLiteral("selector")).toString());
    if (kind == QLatin1String("state"))
        return state();
    if (kind == QLatin1String("page"))
        return page(question.value(QStringLiteral("expression")).toString());
    if (kind == QLatin1String("undo"))
        return undoNames();
    if (kind == QLatin1String("frame"))
        return frame();
    if (kind == QLatin1String("pageDialog"))
        return pageDialog();
    if (kind == QLatin1String("formRows"))
        return formRows(question.value(QStringLiteral("name")).toString());
    if (kind == QLatin1String("menu"))
        return menu(question.value(QStringLiteral("title")).toString());
    if (kind == QLatin1String("thumbs"))
        return thumbs();
    if (kind == QLatin1String("dividers"))
        return dividers();
    return {{QStringLiteral("error"), QStringLiteral("unknown question")}};
}

QJsonObject ShellProbe::widget(const QString &name, bool inPopover) const
{
    const QWidget *found = widgetNamed(name, inPopover);
    if (!found)
        return {{QStringLiteral("error"), QStringLiteral("no widget named ") + name}};
    QJsonObject answer = rectOf(found, found->rect());
    answer.insert(QStringLiteral("visible"), found->isVisible());
    answer.insert(QStringLiteral("enabled"), found->isEnabled());
    if (const auto *button = qobject_cast<const QAbstractButton *>(found)) {
        answer.insert(QStringLiteral("text"), button->text());
        answer.insert(QStringLiteral("checked"), button->isChecked());
    } else if (const auto *field = qobject_cast<const QLineEdit *>(found)) {
        answer.insert(QStringLiteral("text"), field->text());
        answer.insert(QStringLiteral("cursor"), field->cursorPosition());
    } else if (const auto *label = qobject_cast<const QLabel *>(found)) {
        answer.insert(QStringLiteral("text"), label->text());
    } else if (const auto *combo = qobject_cast<const QComboBox *>(found)) {
        answer.insert(QStringLiteral("text"), combo->currentText());
    } else if (const auto *editor = qobject_cast<const QPlainTextEdit *>(found)) {
        answer.insert(QStringLiteral("text"), editor->toPlainText());
        answer.insert(QStringLiteral("readOnly"), editor->isReadOnly());
    }
    if (const auto *view = qobject_cast<const QAbstractItemView *>(found)) {
        QJsonArray rows;
        // Each row's columns, the first one's text again included.
        QJsonArray cells;
        forEachShownRow(view, [&rows, &cells](const QModelIndex &index) {
            rows.append(index.data(Qt::DisplayRole).toString());
            QJsonArray columns;
            for (int column = 0; column < index.model()->columnCount(index.parent()); ++column)
                columns.append(index.siblingAtColumn(column).data(Qt::DisplayRole).toString());
            cells.append(columns);
            return true;
        });
        answer.insert(QStringLiteral("rows"), rows);
        answer.insert(QStringLiteral("cells"), cells);
        // What each row's cell draws at its width, which may be less.
        if (const auto *table = qobject_cast<const TableViewBase *>(view)) {
            QJsonArray shown;
            forEachShownRow(view, [&shown, table](const QModelIndex &index) {
                shown.append(table->shownText(index));
                return true;
            });
            answer.insert(QStringLiteral("shown"), shown);
        }
        // Each row's tool tip, and the rows drawn in the greyed text colour.
        QJsonArray tips;
        QJsonArray greyed;
        const QColor grey = view->palette().color(QPalette::Disabled, QPalette::Text);
        forEachShownRow(view, [&tips, &greyed, &grey](const QModelIndex &index) {
            tips.append(index.data(Qt::ToolTipRole).toString());
            const QVariant foreground = index.data(Qt::ForegroundRole);
            if (foreground.isValid() && foreground.value<QBrush>().color() == grey)
                greyed.append(index.data(Qt::DisplayRole).toString());
            return true;
        });
        answer.insert(QStringLiteral("tips"), tips);
        answer.insert(QStringLiteral("greyed"), greyed);
        QJsonArray selected;
        if (const QItemSelectionModel *selection = view->selectionModel()) {
            forEachShownRow(view, [&selected, selection](const QModelIndex &index) {
                if (selection->isRowSelected(index.row(), index.parent()))
                    selected.append(index.data(Qt::DisplayRole).toString());
                return true;
            });
        }
        answer.insert(QStringLiteral("selectedRows"), selected);
        // How many rows the view has room for, how far it is scrolled
        // sideways, and whether a cell is being edited.
        const auto *table = qobject_cast<const TableViewBase *>(view);
        const int rowHeight = table ? table->rowHeight() : view->sizeHintForRow(0);
        if (rowHeight > 0)
            answer.insert(QStringLiteral("rowRoom"), view->viewport()->height() / rowHeight);
        answer.insert(QStringLiteral("scrolledX"), view->horizontalScrollBar()->value());
        const QWidget *focus = QApplication::focusWidget();
        answer.insert(QStringLiteral("editing"), focus && view->viewport()->isAncestorOf(focus));
    }
    return answer;
}

QJsonObject ShellProbe::formRows(const QString &name) const
{
    const QWidget *found = widgetNamed(name);
    if (!found)
        return {{QStringLiteral("error"), QStringLiteral("no widget named ") + name}};
    QJsonArray shown;
    for (const QFormLayout *form : found->findChildren<QFormLayout *>()) {
        for (int row = 0; row < form->rowCount(); ++row) {
            const QLayoutItem *label = form->itemAt(row, QFormLayout::LabelRole);
            const QLayoutItem *field = form->itemAt(row, QFormLayout::FieldRole);
            const auto *title = label ? qobject_cast<const QLabel *>(label->widget()) : nullptr;
            const QWidget *editor = field ? field->widget() : nullptr;
            if (!title || !editor || !editor->isVisible())
                continue;
            const QRect whole(editor->mapTo(editor->window(), QPoint()), editor->size());
            if (partInSight(editor) == whole)
                shown.append(title->text());
        }
    }
    return {{QStringLiteral("shown"), shown}};
}

QJsonObject ShellProbe::dividers() const
{
    QJsonArray shown;
    for (const SplitView *split : m_delegate.ui().splitViews()) {
        if (!split->isVisible())
            continue;
        for (int index = 1; index < split->count(); ++index) {
            const QSplitterHandle *handle = split->handle(index);
            if (!handle || !handle->isVisible())
                continue;
            // The line drawn; the handle may reach beyond it for the pointer.
            QJsonObject divider = rectOf(handle, handle->contentsRect());
            divider.insert(QStringLiteral("splitView"), split->objectName());
            divider.insert(QStringLiteral("index"), index - 1);
            divider.insert(QStringLiteral("sideBySide"), split->orientation() == Qt::Horizontal);
            divider.insert(QStringLiteral("position"), split->positionOfDividerAtIndex(index - 1));
            divider.insert(QStringLiteral("collapsed"), split->isSubviewCollapsed(split->widget(index - 1))
                                                            || split->isSubviewCollapsed(split->widget(index)));
            shown.append(divider);
        }
    }
    return {{QStringLiteral("dividers"), shown}};
}

QJsonObject ShellProbe::undoNames() const
{
    InspectUndoManager *undo = m_delegate.sharedUndoManager();
    if (!undo)
        return {{QStringLiteral("error"), QStringLiteral("no undo manager")}};
    return {{QStringLiteral("undoName"), undo->canUndo() ? undo->undoActionName() : QString()},
            {QStringLiteral("redoName"), undo->canRedo() ? undo->redoActionName() : QString()},
            {QStringLiteral("undone"), m_undone},
            {QStringLiteral("redone"), m_redone}};
}

QJsonObject ShellProbe::row(const QString &viewName, const QString &text) const
{
    auto *view = qobject_cast<QAbstractItemView *>(widgetNamed(viewName));
    if (!view)
        return {{QStringLiteral("error"), QStringLiteral("no item view named ") + viewName}};
    QModelIndex match;
    forEachShownRow(view, [&](const QModelIndex &index) {
        if (index.data(Qt::DisplayRole).toString().trimmed() == text)
            match = index;
        return !match.isValid();
    });
    if (!match.isValid())
        return {{QStringLiteral("error"), QStringLiteral("no row ") + text}};
    view->scrollTo(match);
    return rectOf(view->viewport(), view->visualRect(match));
}

QJsonObject ShellProbe::element(const QString &selector) const
{
    auto *tree = dynamic_cast<DomTreeDelegate *>(m_delegate.domTreeController());
    ExWebView *view = preview();
    if (!tree || !tree->document() || !view)
        return {{QStringLiteral("error"), QStringLiteral("no page")}};
    const std::optional<DOMNodeList> nodes = tree->document()->nodeArrayFromSelector(selector);
    if (!nodes || nodes->length() == 0)
        return {{QStringLiteral("error"), QStringLiteral("no element ") + selector}};
    const QRectF rect = view->rectWithElement(nodes->item(0));
    if (rect.isNull())
        return {{QStringLiteral("error"), QStringLiteral("no box for ") + selector}};
    return rectOf(view, rect.toAlignedRect());
}

ExWebView *ShellProbe::preview() const
{
    ProjectDelegate *projects = m_delegate.ui().projectController;
    auto *half = projects ? dynamic_cast<PreviewDelegate *>(projects->previewHalf()) : nullptr;
    return half ? half->webview() : nullptr;
}

QJsonObject ShellProbe::page(const QString &expression) const
{
    WebPage *shown = preview() ? preview()->webPage() : nullptr;
    const int context = shown ? shown->bridge().mainContextId() : 0;
    if (!context)
        return {{QStringLiteral("error"), QStringLiteral("no page")}};
    const std::optional<QJsonObject> reply =
        shown->sendAndWait(shown->sessionId(), QStringLiteral("Runtime.evaluate"),
                           {{QStringLiteral("expression"), expression},
                            {QStringLiteral("contextId"), context},
                            {QStringLiteral("returnByValue"), true}},
                           5000);
    if (!reply || reply->contains(QStringLiteral("exceptionDetails")))
        return {{QStringLiteral("error"), QStringLiteral("the page gave no value")}};
    return {{QStringLiteral("value"), reply->value(QStringLiteral("result")).toObject().value(QStringLiteral("value"))}};
}

QJsonObject ShellProbe::frame() const
{
    const ExWebView *view = preview();
    if (!view || view->currentFrame().isNull())
        return {{QStringLiteral("error"), QStringLiteral("no frame")}};
    const QSizeF drawn = view->currentFrame().deviceIndependentSize();
    return {{QStringLiteral("w"), drawn.width()}, {QStringLiteral("h"), drawn.height()},
            {QStringLiteral("viewW"), view->width()}, {QStringLiteral("viewH"), view->height()}};
}

QJsonObject ShellProbe::state() const
{
    QJsonObject answer;
    answer.insert(QStringLiteral("browserPid"), ChromiumProcess::instance().processId());
    answer.insert(QStringLiteral("doubleClicks"), m_doubleClicks);
    if (const QWidget *modal = QApplication::activeModalWidget()) {
        answer.insert(QStringLiteral("modal"), modal->windowTitle());
        answer.insert(QStringLiteral("modalActive"), modal->isActiveWindow());
        if (const auto *box = qobject_cast<const QMessageBox *>(modal)) {
            answer.insert(QStringLiteral("modalText"), box->text());
            answer.insert(QStringLiteral("modalInfo"), box->informativeText());
        }
    }
    if (QToolTip::isVisible())
        answer.insert(QStringLiteral("toolTip"), QToolTip::text());
    if (const QWidget *popup = QApplication::activePopupWidget())
        answer.insert(QStringLiteral("popup"), QString::fromLatin1(popup->metaObject()->className()));
    if (const QWidget *active = QApplication::activeWindow())
        answer.insert(QStringLiteral("activeWindow"), active->windowTitle());
    if (const QWidget *focus = QApplication::focusWidget()) {
        answer.insert(QStringLiteral("focus"), focus->objectName().isEmpty()
                                                   ? QString::fromLatin1(focus->metaObject()->className())
                                                   : focus->objectName());
        if (const auto *field = qobject_cast<const QLineEdit *>(focus))
            answer.insert(QStringLiteral("focusText"), field->text());
    }
    if (m_delegate.ui().loadStatusTextField)
        answer.insert(QStringLiteral("status"), m_delegate.ui().loadStatusTextField->text());
    answer.insert(QStringLiteral("panesPlaced"), m_delegate.arePanesPlaced());
    if (InspectUndoManager *undo = m_delegate.sharedUndoManager()) {
        answer.insert(QStringLiteral("canUndo"), undo->canUndo());
        answer.insert(QStringLiteral("canRedo"), undo->canRedo());
    }
    if (auto *tree = dynamic_cast<DomTreeDelegate *>(m_delegate.domTreeController())) {
        answer.insert(QStringLiteral("treeRows"), int(tree->domNodeList().size()));
        if (tree->indexFile())
            answer.insert(QStringLiteral("treeFile"), tree->indexFile()->path());
        if (DOMDocument *document = tree->document()) {
            const std::optional<DOMNodeList> titles = document->nodeArrayFromSelector(QStringLiteral("title"));
            if (titles && titles->length() > 0)
                answer.insert(QStringLiteral("documentTitle"), titles->item(0)->textContent());
        }
        if (const DOMNodeEx *selected = tree->selectedDomNodeEx())
            answer.insert(QStringLiteral("selected"), selected->displayName());
        if (DomInfoDelegate *inspector = tree->domInfoDelegate(); inspector && inspector->inspectedNode())
            answer.insert(QStringLiteral("inspected"), inspector->inspectedNode()->displayName());
    }
    ProjectDelegate *projects = m_delegate.ui().projectController;
    if (projects) {
        // The files holding edits not yet on disk.
        QJsonArray unsaved;
        for (File *root : projects->projects()) {
            for (File *file : root->editedFiles()) {
                if (file->isModified())
                    unsaved.append(file->relativePathFromRoot());
            }
        }
        answer.insert(QStringLiteral("unsaved"), unsaved);
    }
    if (auto *preview = projects ? dynamic_cast<PreviewDelegate *>(projects->previewHalf()) : nullptr;
        preview && preview->webview()) {
        answer.insert(QStringLiteral("loading"), preview->isLoading());
        const ExWebView *view = preview->webview();
        // What the preview says over the page, when it says anything.
        if (const QString notice = view->notice(); !notice.isEmpty())
            answer.insert(QStringLiteral("notice"), notice);
        answer.insert(QStringLiteral("overlay"), view->isDetectViewShown() && view->detectView()
                                                     && view->detectView()->isVisible() && view->detectView()->element());
    }
    if (FileViewController *files = m_delegate.ui().fileViewController) {
        // What the centre pane names in its header, and the file whose text
        // it shows (none when it shows nothing, or no text).
        if (const PathControl *header = files->breadcramb()) {
            QStringList titles;
            QStringList shownTitles;
            for (const std::shared_ptr<PathCell> &cell : header->pathComponentCells()) {
                titles.append(cell->title());
                shownTitles.append(header->shownTitle(int(shownTitles.size())));
            }
            answer.insert(QStringLiteral("codeHeader"), titles.join(QStringLiteral(" > ")));
            answer.insert(QStringLiteral("codeHeaderShown"), shownTitles.join(QStringLiteral(" > ")));
            const auto *last = header->pathComponentCells().empty()
                                   ? nullptr
                                   : dynamic_cast<const PathComponentCell *>(header->pathComponentCells().back().get());
            if (last && last->file())
                answer.insert(QStringLiteral("codeHeaderFile"), last->file()->path());
        }
        QWidget *shown = files->shownView();
        const auto *code = shown ? shown->findChild<const CodeView *>() : nullptr;
        const auto *large = shown ? shown->findChild<const LargeTextView *>() : nullptr;
        if (File *file = code ? code->file() : large ? large->file() : nullptr) {
            answer.insert(QStringLiteral("codeFile"), file->path());
            answer.insert(QStringLiteral("codeText"), code ? code->string() : large->string());
        }
    }
    if (auto *rules = dynamic_cast<CSSOutlineDelegate *>(m_delegate.cssOutlineDelegate())) {
        QJsonArray shown;
        for (const CSSRulePtr &rule : rules->rules())
            shown.append(QJsonObject{{QStringLiteral("selector"), rule->selectorName()},
                                     {QStringLiteral("file"), rule->fileName()}});
        answer.insert(QStringLiteral("rules"), shown);
    }
    return answer;
}

QJsonObject ShellProbe::pageDialog() const
{
    ProjectDelegate *projects = m_delegate.ui().projectController;
    auto *preview = projects ? dynamic_cast<PreviewDelegate *>(projects->previewHalf()) : nullptr;
    const QDialog *dialog = preview && preview->webview() ? preview->webview()->pageDialog() : nullptr;
    if (!dialog || !dialog->isVisible())
        return {{QStringLiteral("open"), false}};
    QJsonObject answer = rectOf(dialog, dialog->rect());
    answer.insert(QStringLiteral("open"), true);
    if (const auto *box = qobject_cast<const QMessageBox *>(dialog))
        answer.insert(QStringLiteral("text"), box->text());
    answer.insert(QStringLiteral("offersToStop"), dialog->findChild<QWidget *>(QStringLiteral("stopPageDialogs")) != nullptr);
    return answer;
}

QJsonObject ShellProbe::menu(const QString &title) const
{
    const auto found = [&title](const QWidget *owner, const QList<QAction *> &actions,
                                const std::function<QRect(QAction *)> &geometry) -> QJsonObject {
        for (QAction *action : actions) {
            if (QString(action->text()).remove(u'&') != title)
                continue;
            QJsonObject answer = rectOf(owner, geometry(action));
            answer.insert(QStringLiteral("enabled"), action->isEnabled());
            return answer;
        }
        return {};
    };
    if (auto *shown = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
        const QJsonObject item = found(shown, shown->actions(), [shown](QAction *action) { return shown->actionGeometry(action); });
        if (!item.isEmpty())
            return item;
    }
    QMainWindow *window = m_delegate.ui().window;
    if (QMenuBar *bar = window ? window->menuBar() : nullptr) {
        const QJsonObject entry = found(bar, bar->actions(), [bar](QAction *action) { return bar->actionGeometry(action); });
        if (!entry.isEmpty())
            return entry;
    }
    return {{QStringLiteral("error"), QStringLiteral("no menu item ") + title}};
}

QJsonObject ShellProbe::thumbs() const
{
    QJsonArray shown;
    for (QWidget *widget : QApplication::allWidgets()) {
        const auto *thumb = qobject_cast<const KeyframeThumb *>(widget);
        const QWidget *track = thumb ? thumb->parentWidget() : nullptr;
        const auto *cell = track ? qobject_cast<const TimelineCell *>(track->parentWidget()) : nullptr;
        if (!cell || !cell->objectValue() || !thumb->keyframe() || partInSight(thumb).isEmpty())
            continue;
        QJsonObject entry = rectOf(thumb, thumb->rect());
        entry.insert(QStringLiteral("animation"), AnimationManager::nameOfRule(*cell->objectValue()));
        entry.insert(QStringLiteral("key"), KeyframeThumb::offsetOf(thumb->keyframe()->selector(), thumb->offsetIndex()));
        // The line the thumbs' middles run along, 0% to 100%.
        const int half = thumb->width() / 2;
        entry.insert(QStringLiteral("trackX"), track->mapToGlobal(QPoint(half, 0)).x());
        entry.insert(QStringLiteral("trackW"), track->width() - 2 * half);
        shown.append(entry);
    }
    return {{QStringLiteral("thumbs"), shown}};
}
