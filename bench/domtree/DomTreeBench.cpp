// Times the DOM tree panel on the 10,000-element bench page (parsed into a
// mirror, as the preview would show it) and prints each figure's median and
// minimum in milliseconds, "RESULT <what> <median> <min>":
//
//   rows     the tree built for the page and paired with the file's text
//   write    the write-back after an attribute edit (the file's new text)
//   generate the whole page generated, indented and minified
//   keystroke an inspector keystroke: the page changed, the row redrawn
//   expand-all the whole tree expanded and laid out (then collapsed again)
//   find-step a find bar step over every row, its match selected
//   colour-screen the rows of one screen coloured afresh
//   colour-100kb a start tag of 100 KB (a data URL) coloured
//
//   domtree_bench [ITERATIONS]

#include "domtree/DOMAttrString.h"
#include "domtree/DOMRowCell.h"
#include "domtree/DomInfoDelegate.h"
#include "domtree/DomNodeMap.h"
#include "domtree/DomTreeDelegate.h"
#include "domtree/DomTreeOutlineView.h"
#include "domtree/HTMLSourcePairing.h"
#include "foundation/InspectUndoManager.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/html/HTMLParser.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include "BenchSite.h"

#include "../BenchUtil.h"
#include "../OffscreenHome.h"
#include "../dom/BenchPage.h"

#include "toolkit/SearchFieldEx.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHBoxLayout>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>
#include <functional>
#include <vector>

int main(int argc, char **argv)
{
    QTemporaryDir home;
    if (!useOffscreenHome(home))
        return 1;
    QApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 15;

    // A project holding the page, as the tree writes it.
    const QString html = pageHtml();
    BenchSite site(home.filePath(QStringLiteral("site")), html);
    if (!site.file)
        return 1;
    InspectUndoManager &undo = site.undo;
    File *file = site.file;
    const std::shared_ptr<DOMDocument> document = site.document;

    QWidget window;
    window.resize(420, 700);
    auto *tree = new DomTreeDelegate(&window);
    tree->awakeFromNib();
    auto *inspector = new DomInfoDelegate(&window);
    inspector->awakeFromNib();
    tree->setDomInfoDelegate(inspector);
    auto *layout = new QHBoxLayout(&window);
    layout->addWidget(tree->view());
    layout->addWidget(inspector->view());
    window.show();
    tree->setIndexFile(file);

    std::vector<double> rows;
    for (int i = 0; i < iterations; ++i) {
        DomNodeMap::getInstance().clearMap();
        rows.push_back(timedMs([&] { tree->domNodeLists(document.get()); }));
        QCoreApplication::processEvents();
    }
    reportTimes("rows", rows);
    if (qEnvironmentVariableIsSet("QUILLMARK_BENCH_PARTS")) {
        std::vector<double> build, pairing, again, repairing, parse;
        // A comment typed before the end of the body: paired anew, and
        // paired anew from the pairing before, as the page follows typing.
        const QString typed = QString(html).insert(html.lastIndexOf(QLatin1String("</body>")), QLatin1String("<!--t-->"));
        for (int i = 0; i < iterations; ++i) {
            DomNodeMap::getInstance().clearMap();
            build.push_back(timedMs([&] { DOMNodeEx::initWithNode(document->documentElement()->shared_from_this(), nullptr); }));
            HTMLSourcePairing pairs;
            pairing.push_back(timedMs([&] { pairs.pair(html, *document); }));
            again.push_back(timedMs([&] { pairs.pair(typed, *document); }));
            pairs.pair(html, *document);
            repairing.push_back(timedMs([&] { pairs.pairChanged(typed, *document, pairs); }));
            parse.push_back(timedMs([&] { HTMLParser::parseDocument(html); }));
        }
        reportTimes("rows-build", build);
        reportTimes("rows-pair", pairing);
        reportTimes("rows-pair-again", again);
        reportTimes("rows-pair-changed", repairing);
        reportTimes("rows-parse-only", parse);
    }

    // An element deep in the page, selected as the user would.
    DOMElement *target = document->getElementById(QStringLiteral("s60"));
    tree->selectNode(target);
    waitUntil([&] { return inspector->inspectedNode() && inspector->inspectedNode()->node() == target; }, 2000);

    std::vector<double> writes;
    for (int i = 0; i < iterations; ++i) {
        const std::optional<QString> before = DOMEditRecord::attributeValue(target, QStringLiteral("title"));
        target->setAttribute(QStringLiteral("title"), QStringLiteral("edit %1").arg(i));
        tree->noteEdit(target, [&](DOMEditRecord &edits) { edits.noteAttribute(target, QStringLiteral("title"), before); });
        writes.push_back(timedMs([&] { tree->lazyWrite(file); }));
        undo.loopEnd();
        QCoreApplication::processEvents();
    }
    reportTimes("write", writes);
    const QString written = file->content().value_or(QString());
    if (!written.contains(QStringLiteral("title=\"edit")) && !written.contains(QStringLiteral("title='edit")))
        std::fprintf(stderr, "the write did not reach the file\n");

    std::vector<double> indented;
    std::vector<double> minified;
    for (int i = 0; i < iterations; ++i) {
        indented.push_back(timedMs([&] { tree->generateContentWithFormat(false, false); }));
        minified.push_back(timedMs([&] { tree->generateContentWithFormat(false, true); }));
    }
    reportTimes("generate-indented", indented);
    reportTimes("generate-minified", minified);

    std::vector<double> keystrokes;
    QString value = QStringLiteral("section");
    for (int i = 0; i < iterations * 4; ++i) {
        value += QLatin1Char('x');
        keystrokes.push_back(timedMs([&] {
            inspector->changeAttrValue(QStringLiteral("class"), value);
            tree->outline()->viewport()->repaint();
        }));
        undo.loopEnd();
    }
    reportTimes("keystroke", keystrokes);

    // The look and navigation of the tree.
    std::vector<double> expands;
    for (int i = 0; i < iterations; ++i) {
        expands.push_back(timedMs([&] {
            tree->expandAll();
            tree->outline()->doItemsLayout();
            tree->outline()->viewport()->repaint();
        }));
        tree->expandAll();
        QCoreApplication::processEvents();
    }
    reportTimes("expand-all", expands);

    tree->showSearchBar();
    tree->domSearchField()->setText(QStringLiteral("class=\"title\""));
    std::vector<double> finds;
    for (int i = 0; i < iterations * 4; ++i)
        finds.push_back(timedMs([&] { tree->searchDom(tree->domSearchField()); }));
    reportTimes("find-step", finds);

    std::vector<double> screens;
    const QPalette palette = tree->outline()->palette();
    for (int i = 0; i < iterations; ++i) {
        QList<DOMNodeEx *> shown;
        for (int row = 0; row < tree->outline()->numberOfRows() && shown.size() < 60; ++row)
            shown.append(static_cast<DOMNodeEx *>(tree->outline()->itemAtRow(row)));
        for (DOMNodeEx *row : std::as_const(shown))
            row->setAttrString(nullptr);
        screens.push_back(timedMs([&] {
            for (DOMNodeEx *row : std::as_const(shown))
                DOMRowCell::setTagColor(*row, false, palette);
        }));
    }
    reportTimes("colour-screen", screens);

    const QString data = QStringLiteral("data:image/png;base64,") + QString(100 * 1024, QLatin1Char('A'));
    DOMElement *image = document->body()->firstElementChild();
    image->setAttribute(QStringLiteral("src"), data);
    DOMNodeEx *imageRow = tree->searchFile(image);
    if (!imageRow)
        return 1;
    imageRow->createStartNode();
    std::vector<double> large;
    for (int i = 0; i < iterations; ++i) {
        imageRow->setAttrString(nullptr);
        large.push_back(timedMs([&] { DOMRowCell::setTagColor(*imageRow, false, palette); }));
    }
    reportTimes("colour-100kb", large);

    delete tree;
    delete inspector;
    DomNodeMap::getInstance().clearMap();
    return 0;
}
