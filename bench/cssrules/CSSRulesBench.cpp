// Figures of the CSS rules panel on a 10,000-element page with bootstrap.css:
// selecting an element until its rows are shown with the cascade marked
// (the page's answers included), a keystroke in a value until the page's
// computed style shows it, and one edit's write-back of bootstrap.css once
// the batch runs. Run by hand, offscreen:
//   ./bench/cssrules/cssrules_bench [bootstrap.css]

#include "cssrules/AddDeclarationViewController.h"
#include "cssrules/AddSelectorViewController.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "cssrules/StyleSheetSource.h"
#include "cssrules/StyleSheetWriter.h"
#include "stylesheet/StyleSheetParser.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"
#include "foundation/Invocation.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/engine/ChromiumProcess.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebEngineCache.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebPage.h"
#include "platform/web/engine/WebView.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/SearchFieldEx.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include "RulesBenchSupport.h"

#include "../BenchUtil.h"
#include "../OffscreenHome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// Nine elements a card, 1,111 cards (the page of the preview's benchmark).
QByteArray page()
{
    QByteArray html = "<!DOCTYPE html><html><head><meta charset='utf-8'><link rel='stylesheet' href='bootstrap.css'>"
                      "<link rel='stylesheet' href='bench.css'></head><body><div class='container'>\n";
    for (int i = 0; i < 1111; ++i) {
        html += "<div class='row'><div class='col-md-4 card'><div class='card-body'><h5 class='card-title'>Card "
                + QByteArray::number(i) + "</h5><p class='card-text text-muted'>Some <em>quick</em> text.</p>"
                "<a href='#' class='btn btn-primary" + QByteArray(i == 555 ? " bench-target' id='target" : "")
                + "'>Go</a><ul class='list-group'><li class='list-group-item'>A</li></ul></div></div></div>\n";
    }
    return html + "</div></body></html>";
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    useOffscreenHome(home);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!copyBootstrap(argc, argv, dir.path()))
        return 1;
    QFile benchCss(dir.filePath(QStringLiteral("bench.css")));
    benchCss.open(QIODevice::WriteOnly);
    benchCss.write(".bench-target {\n  outline-style: solid;\n  outline-width: 1px;\n}\n");
    benchCss.close();
    QFile html(dir.filePath(QStringLiteral("index.html")));
    html.open(QIODevice::WriteOnly);
    html.write(page());
    html.close();
    ProjectUtil::getProjectConfig(dir.path());
    ProjectUtil::setCurrentProjectPath(dir.path());
    File root(dir.path(), true, nullptr);
    File *sheet = nullptr;
    File *benchSheet = nullptr;
    for (File *child : root.children()) {
        if (child->displayName() == QLatin1String("bootstrap.css"))
            sheet = child;
        if (child->displayName() == QLatin1String("bench.css"))
            benchSheet = child;
    }

    InspectUndoManager undo;
    BalkInvocationManager batcher;
    CSSOutlineDelegate panel;
    wirePanel(panel, undo, batcher);

    WebView *view = showPage(html.fileName());
    if (!view)
        return 1;
    DOMDocument *document = view->mainFrameDocument();
    panel.setStyleFiles({sheet, benchSheet});
    WebBridge &bridge = view->bridge();

    // Twenty elements of different kinds, spread over the page.
    const QStringList tags = {QStringLiteral("a"), QStringLiteral("h5"), QStringLiteral("p"), QStringLiteral("li"),
                              QStringLiteral("em"), QStringLiteral("ul"), QStringLiteral("div")};
    QList<DOMElement *> elements;
    for (int i = 0; elements.size() < 20; ++i) {
        const DOMNodeList list = document->getElementsByTagName(tags.at(i % tags.size()));
        elements.append(static_cast<DOMElement *>(list.item((i * 37) % list.length())));
    }
    const auto select = [&](DOMElement *element) {
        QSignalSpy built(&panel, &CSSOutlineDelegate::rebuilt);
        panel.updateRulesByElement(element);
        if (built.isEmpty())
            built.wait(10000);
        // Shown: the rows laid out and drawn.
        panel.view()->repaint();
    };
    {
        QElapsedTimer timer;
        timer.start();
        select(document->getElementById(QStringLiteral("target")));
        std::printf("first selection after the load (the page's first layout, the sheet read and paired): %.1f ms\n",
                    timer.nsecsElapsed() / 1e6);
    }
    const int blockingBefore = bridge.blockingCalls();
    std::vector<double> selections;
    int rows = 0;
    for (DOMElement *element : std::as_const(elements)) {
        QElapsedTimer timer;
        timer.start();
        select(element);
        selections.push_back(timer.nsecsElapsed() / 1e6);
        rows += int(panel.rules().size());
    }
    // The part of it that is the program's own: the list built again from
    // the answers at hand.
    std::vector<double> builds;
    for (DOMElement *element : std::as_const(elements)) {
        select(element);
        QElapsedTimer timer;
        timer.start();
        const QList<CSSRulePtr> list = panel.rulesByElement(element, CSSOutlineDelegate::ElementKind, false);
        builds.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::printf("the list of an element built from the answers at hand: %s\n", qPrintable(figures(builds)));
    std::printf("select an element until its rows are shown, cascade marked, round trip included: %s; "
                "%.1f rules a element; blocking calls %d\n",
                qPrintable(figures(selections)), double(rows) / elements.size(), bridge.blockingCalls() - blockingBefore);

    // Keystrokes until the page's computed style shows them: in a rule of the
    // one element, and in .btn, whose change restyles all 1,111 buttons.
    DOMElement *target = document->getElementById(QStringLiteral("target"));
    const auto typeInto = [&](const QString &selector, const QString &name, const QString &computed, const QString &unit) {
        select(target);
        const CSSRulePtr row = declarationOf(panel, selector, name);
        if (!row) {
            std::fprintf(stderr, "no %s row of %s\n", qPrintable(name), qPrintable(selector));
            return std::vector<double>();
        }
        panel.outline()->selectRowIndexes({panel.outline()->rowForItem(row.get())}, false);
        std::vector<double> keystrokes;
        for (int run = 1; run <= 40; ++run) {
            const QString value = QStringLiteral("%1%2").arg(run % 2 ? 3 + run : 2 + run).arg(unit);
            QElapsedTimer timer;
            timer.start();
            NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("cssValueChanged"), nullptr,
                                                                     {{QStringLiteral("value"), value}});
            bool done = false;
            WebEngineQuestions questions;
            questions.computedStyles.append({target, QString()});
            view->mainFrame().engine()->prefetch(questions, [&] { done = true; });
            waitUntil([&] { return done; });
            keystrokes.push_back(timer.nsecsElapsed() / 1e6);
            QString seen;
            for (const auto &[property, shown] : document->getComputedStyle(target, QString())) {
                if (property == computed)
                    seen = shown;
            }
            if (seen != value)
                std::fprintf(stderr, "computed %s %s, expected %s\n", qPrintable(computed), qPrintable(seen), qPrintable(value));
        }
        return keystrokes;
    };
    std::printf("keystroke until the page's computed style shows it (outline-width of .bench-target): %s\n",
                qPrintable(figures(typeInto(QStringLiteral(".bench-target"), QStringLiteral("outline-width"),
                                            QStringLiteral("outline-width"), QStringLiteral("px")))));
    std::printf("the same in .btn (--bs-btn-padding-x, all 1,111 buttons restyled), for information: %s\n",
                qPrintable(figures(typeInto(QStringLiteral(".btn"), QStringLiteral("--bs-btn-padding-x"),
                                            QStringLiteral("padding-left"), QStringLiteral("px")))));

    // One commit, then the batch that writes bootstrap.css.
    std::vector<double> writes;
    for (int run = 0; run < 12; ++run) {
        select(target);
        const CSSRulePtr edited = declarationOf(panel, QStringLiteral(".btn"), QStringLiteral("--bs-btn-padding-x"));
        panel.commitCSSValueChange(edited, QStringLiteral("%1rem").arg(run + 1), true);
        QElapsedTimer timer;
        timer.start();
        batcher.execute();
        writes.push_back(timer.nsecsElapsed() / 1e6);
        undo.loopEnd();
    }
    std::printf("one edit's write-back of bootstrap.css (%lld characters), the batch's run: %s\n",
                qlonglong(sheet->currentContent()->size()), qPrintable(figures(writes)));
    std::printf("round trips %d, blocking calls %d\n", bridge.roundTrips(), bridge.blockingCalls());

    // Structure commands and their undo, each from the command until the
    // page, the model and the rebuilt panel show it (the 0.1 s write batch
    // runs afterwards, untimed).
    {
        const auto itemOf = [&](File *file, const QString &selector) -> StyleDeclarationPtr {
            for (const StyleDeclarationPtr &item : panel.styleDeclarationsOf(file)) {
                if (!item->isRemoved() && item->selector() == selector)
                    return item;
            }
            return nullptr;
        };
        std::vector<double> commandsAlone;
        const auto timed = [&](const std::function<void()> &command) {
            QSignalSpy built(&panel, &CSSOutlineDelegate::rebuilt);
            QElapsedTimer timer;
            timer.start();
            command();
            commandsAlone.push_back(timer.nsecsElapsed() / 1e6);
            if (built.isEmpty())
                built.wait(5000);
            return timer.nsecsElapsed() / 1e6;
        };
        const QString before = *sheet->currentContent();
        const auto settle = [&] {
            batcher.execute();
            undo.loopEnd();
        };
        std::vector<double> creates, createUndos, removes, removeUndos, wideRemoves, wideRemoveUndos, adds, addUndos;
        for (int run = 0; run < 12; ++run) {
            select(target);
            creates.push_back(timed([&] {
                panel.createSelector(QStringLiteral(".bench-new"), QStringLiteral("top: 1px;"), sheet, itemOf(sheet, QStringLiteral(".btn")));
            }));
            settle();
            createUndos.push_back(timed([&] { undo.undo(); }));
            removes.push_back(timed([&] { panel.doRemoveSelector(itemOf(benchSheet, QStringLiteral(".bench-target"))); }));
            settle();
            removeUndos.push_back(timed([&] { undo.undo(); }));
            adds.push_back(timed([&] {
                panel.doAddDeclaration(itemOf(benchSheet, QStringLiteral(".bench-target")), QStringLiteral("color"), QStringLiteral("red"));
            }));
            settle();
            addUndos.push_back(timed([&] { undo.undo(); }));
            // Last: the page restyles its buttons for a while after it.
            wideRemoves.push_back(timed([&] { panel.doRemoveSelector(itemOf(sheet, QStringLiteral(".btn-primary"))); }));
            settle();
            wideRemoveUndos.push_back(timed([&] { undo.undo(); }));
            waitUntil([] { return false; }, 300);
        }
        std::printf("create a rule in bootstrap.css: %s\n  its undo: %s\n", qPrintable(figures(creates)), qPrintable(figures(createUndos)));
        std::printf("remove .bench-target: %s\n  its undo: %s\n", qPrintable(figures(removes)), qPrintable(figures(removeUndos)));
        std::printf("remove .btn-primary (1,111 buttons restyled), for information: %s\n  its undo: %s\n",
                    qPrintable(figures(wideRemoves)), qPrintable(figures(wideRemoveUndos)));
        std::printf("of these, the commands themselves until they return: %s\n", qPrintable(figures(commandsAlone)));
        std::printf("add a declaration: %s\n  its undo: %s\n", qPrintable(figures(adds)), qPrintable(figures(addUndos)));
        std::printf("bootstrap.css after the undos: %s\n", *sheet->currentContent() == before ? "its bytes as they were" : "CHANGED");
    }

    // A keystroke in either popover's field, until the list or the check shows it.
    {
        select(target);
        panel.showAddDeclarationPopover(panel.rules().value(1));
        std::vector<double> declarationKeys;
        SearchFieldEx *search = panel.addDeclarationViewController()->searchTextField();
        for (int run = 0; run < 30; ++run) {
            search->clear();
            for (const QChar c : QStringLiteral("bor")) {
                QElapsedTimer timer;
                timer.start();
                QTest::keyClick(search, c.toLatin1());
                declarationKeys.push_back(timer.nsecsElapsed() / 1e6);
            }
        }
        panel.closeAddDeclarationPopover();
        panel.showAddSelector();
        std::vector<double> selectorKeys;
        QLineEdit *field = panel.addSelectorViewController()->textField();
        for (int run = 0; run < 30; ++run) {
            field->clear();
            for (const QChar c : QStringLiteral("ul li a:hover, .x")) {
                QElapsedTimer timer;
                timer.start();
                QTest::keyClick(field, c.toLatin1());
                selectorKeys.push_back(timer.nsecsElapsed() / 1e6);
            }
        }
        std::printf("a keystroke in the add-declaration search field: %s\n", qPrintable(figures(declarationKeys)));
        std::printf("a keystroke in the add-selector field: %s\n", qPrintable(figures(selectorKeys)));
    }

    // The writer alone, without the event loop: one value changed, the text
    // written and lined up with the model again.
    {
        const QString text = *sheet->currentContent();
        File model;
        const StyleSheetWriterSettings settings = StyleSheetWriterSettings::fromConfig(ProjectUtil::getProjectConfig(dir.path()));
        QList<StyleDeclarationPtr> items = StyleSheetParser::parseStyleSheet(text, &model, settings.prefixes);
        model.setStyleDeclarations(items);
        auto source = StyleSheetSource::read(text, items);
        std::vector<double> alone;
        for (int run = 0; run < 30; ++run) {
            for (const StyleDeclarationPtr &item : items) {
                if (item->selector() == QLatin1String(".btn") && !item->properties().isEmpty()) {
                    item->properties().first()->setValue(QStringLiteral("%1rem").arg(run));
                    item->setModified(true);
                    break;
                }
            }
            QElapsedTimer timer;
            timer.start();
            const StyleSheetWriter::Result result = StyleSheetWriter(settings).write(items, source.get());
            alone.push_back(timer.nsecsElapsed() / 1e6);
            source = result.source;
        }
        std::printf("the writer alone on bootstrap.css, one value changed: %s\n", qPrintable(figures(alone)));
    }
    File::setUndoManagerProvider({});
    delete view;
    return 0;
}
