// Times editing from the DOM tree on a page whose list holds 1,000 items
// (parsed into a mirror, as the preview would show it), and prints each
// figure's median and minimum in milliseconds, "RESULT <what> <median> <min>":
//
//   replace        the list replaced by another element, children kept
//   wrap           the list wrapped by a new element
//   attr-keystroke a key typed in a row's attribute editor, before the
//                  throttled change reaches the page
//   text-keystroke a key typed in a text row's editor (the page follows at once)
//   paste          a copied 1,000-element list pasted into the body
//   drag-move      a drag of a row moved over the tree (one move event)
//   palette-search a key typed in the element palette's search field
//
//   domtree_edit_bench [ITERATIONS]

#include "domtree/DomNodeListDelegate.h"
#include "domtree/DomNodeMap.h"
#include "domtree/DomNodeRowCell.h"
#include "domtree/DomTextNodeRowCell.h"
#include "domtree/DomTreeDelegate.h"
#include "domtree/DomTreeOutlineView.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"
#include "foundation/Invocation.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/html/HTMLParser.h"
#include "toolkit/SearchFieldEx.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include "BenchSite.h"

#include "../BenchUtil.h"
#include "../OffscreenHome.h"

#include <QApplication>
#include <QClipboard>
#include <QDragMoveEvent>
#include <QMimeData>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdio>

namespace {

void typeKey(QWidget *field)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(field, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(field, &release);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    if (!useOffscreenHome(home))
        return 1;
    QApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 15;

    QString html = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<title>List</title>\n</head>\n<body>\n"
                                  "<p id='text'>Some text to type into</p>\n<ul id='list'>\n");
    for (int i = 0; i < 1000; ++i)
        html += QStringLiteral("<li class='item'>Item %1</li>\n").arg(i);
    html += QStringLiteral("</ul>\n</body>\n</html>\n");
    BenchSite site(home.filePath(QStringLiteral("site")), html);
    if (!site.file)
        return 1;
    InspectUndoManager &undo = site.undo;
    const std::shared_ptr<DOMDocument> document = site.document;

    QWidget window;
    window.resize(600, 700);
    auto *tree = new DomTreeDelegate(&window);
    tree->awakeFromNib();
    tree->view()->setParent(&window);
    tree->view()->resize(window.size());
    window.show();
    tree->setIndexFile(site.file);
    // Writes are batched as the application batches them.
    BalkInvocationManager batcher;
    tree->setWriteReserver([&](const TargetRef &target, const TargetRef &fileRef, std::function<void()> write) {
        batcher.addOperation(Invocation::invocationWithSelector(target, "lazyWrite:", {fileRef}, std::move(write)), true,
                             [&undo] { undo.reserveCloseGroupingAtEndOfRunLoop(); });
    });
    document->addEventListener(DOMEventType::subtreeModified, tree,
                               [tree](const DOMMutationEvent &event) { tree->domModified(event); });
    tree->domNodeLists(document.get());

    const auto settle = [tree, &batcher] {
        waitUntil([&] { return !tree->isDomModifyPending() && batcher.operations().isEmpty(); }, 5000);
        QCoreApplication::processEvents();
    };
    const auto measureOnList = [&](const char *label, const std::function<void()> &edit) {
        std::vector<double> times;
        for (int i = 0; i < iterations; ++i) {
            tree->setContextTargetNode(tree->searchFile(document->getElementById(QStringLiteral("list"))));
            times.push_back(timedMs(edit));
            settle();
            undo.loopEnd();
            undo.undo();
            settle();
        }
        reportTimes(label, times);
    };
    measureOnList("replace", [tree] { tree->swapNode(QStringLiteral("ol")); });
    measureOnList("wrap", [tree] { tree->containNode(QStringLiteral("section")); });

    // A key in each editor, the editor open on its row.
    const auto measureKeys = [&](const char *label, DOMNode *node, const std::function<QWidget *()> &field) {
        tree->selectNode(node);
        waitUntil([&] { return tree->selectedDomNodeEx() && tree->selectedDomNodeEx()->node() == node; }, 2000);
        tree->beginSelectedNodeEdit();
        QWidget *editor = field();
        if (!editor) {
            std::fprintf(stderr, "no editor for %s\n", label);
            return;
        }
        std::vector<double> times;
        for (int i = 0; i < iterations * 4; ++i) {
            times.push_back(timedMs([editor] { typeKey(editor); }));
            QCoreApplication::processEvents();
        }
        reportTimes(label, times);
        tree->escapeEdit();
        settle();
    };
    DOMElement *paragraph = document->getElementById(QStringLiteral("text"));
    measureKeys("attr-keystroke", paragraph, [tree]() -> QWidget * {
        auto *editor = DomNodeRowCell::editorIn(tree->outline());
        return editor ? editor->attributeEditor() : nullptr;
    });
    measureKeys("text-keystroke", paragraph->firstChild(), [tree]() -> QWidget * {
        return DomTextNodeRowCell::editorIn(tree->outline());
    });

    // A copied list of 1,000 items pasted into the body.
    {
        tree->selectNode(document->getElementById(QStringLiteral("list")));
        settle();
        tree->doClipNode();
        OutlineView *outline = tree->outline();
        outline->selectRowIndexes({outline->rowForItem(tree->searchDomNodeFromRoot(document->body()))}, false);
        std::vector<double> times;
        for (int i = 0; i < iterations; ++i) {
            outline->selectRowIndexes({outline->rowForItem(tree->searchDomNodeFromRoot(document->body()))}, false);
            times.push_back(timedMs([tree] { tree->paste(); }));
            settle();
            undo.loopEnd();
            undo.undo();
            settle();
        }
        reportTimes("paste", times);
    }

    // A row of the list dragged over the rows of the tree.
    {
        DOMNodeEx *item = tree->searchFile(document->getElementById(QStringLiteral("list"))->firstElementChild());
        QMimeData mime;
        if (!item || !tree->writeItems(tree->outline(), {item}, &mime)) {
            std::fprintf(stderr, "no drag of a row\n");
            return 1;
        }
        QWidget *viewport = tree->outline()->viewport();
        QDragEnterEvent enter(QPoint(80, 10), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        std::vector<double> times;
        // Each figure is the mean of 100 moves down the rows, one row apart.
        const int rowHeight = qMax(1, tree->outline()->rectOfRow(0).height());
        for (int i = 0; i < iterations; ++i) {
            const double total = timedMs([&] {
                for (int m = 0; m < 100; ++m) {
                    const QPoint at(80, rowHeight / 2 + (m % qMax(1, tree->outline()->numberOfRows())) * rowHeight);
                    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
                    QApplication::sendEvent(viewport, &move);
                }
            });
            times.push_back(total / 100);
        }
        reportTimes("drag-move", times);
        tree->draggingExited();
    }

    // The palette's search narrowing the templates as a word is typed.
    {
        DomNodeListDelegate palette;
        palette.awakeFromNib();
        std::vector<double> times;
        const QString word = QStringLiteral("input");
        for (int i = 0; i < iterations * 4; ++i) {
            const QString text = word.left(1 + i % word.size());
            times.push_back(timedMs([&] {
                palette.searchField()->setText(text);
                palette.search();
            }));
        }
        reportTimes("palette-search", times);
    }

    document->removeEventListeners(tree);
    delete tree;
    DomNodeMap::getInstance().clearMap();
    return 0;
}
