// The whole program on a large real page, AdminLTE 3.2.0's widgets page
// over its 1.5 MB formatted sheet (dist/css/adminlte.css), offscreen with the
// real engine, each figure side by side with the engine doing the same work
// on the same page in the same run, their turns alternating:
//   pick         a pick in the preview until the rules panel shows the
//                element's rules; the engine: its own matched rules of the
//                element (CSS.getMatchedStylesForNode)
//   key          a key in a rules-panel value until the page has drawn the
//                first frame with it; the engine: the same value set in the
//                same rule through the protocol (Runtime.evaluate), until
//                drawn (the page watches its frames from before either edit)
//   declaration  a new declaration added to a rule until the page has drawn
//                the first frame with it; the engine: the same, until drawn
//   save         Save with the large sheet edited, until it returns; the
//                bytes alone: the same text written to a file beside it
//   memory       the program's proportional set size beside that of the
//                renderer showing the page
// Each line gives the medians and the median of the ratios of the pairs.
//
//   bench/dashboard/fetch.sh              once: the package from the npm registry
//   dashboard_bench [ROUNDS] [--minified] (the shipped adminlte.min.css instead)
//
// The figures go to the standard output, the program's log to the error
// output (2>/dev/null leaves it out).

#include "app/AppDelegate.h"
#include "app/MainInterface.h"
#include "app/ProjectDelegate.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "cssrules/CSSRule.h"
#include "domtree/DomTreeDelegate.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/engine/ChromiumProcess.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebEngineCache.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "platform/web/engine/WebPage.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include "../BenchUtil.h"
#include "../LaunchedShell.h"
#include "../OffscreenHome.h"
#include "../ShellPanels.h"
#include "../cssrules/RulesBenchSupport.h"
#include "../ProcessMemory.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <vector>

namespace {

const char *const kPackage = QUILLMARK_BENCH_DATA "/admin-lte-3.2.0";

// The program's figures beside the engine's, and the ratio of each pair.
struct Pairs
{
    std::vector<double> ours, engine, ratios;

    void add(double a, double b)
    {
        ours.push_back(a);
        engine.push_back(b);
        ratios.push_back(a / b);
    }
    void print(const char *what, const char *engineWhat) const
    {
        std::printf("%-12s program median %7.1f ms (max %7.1f) | %-18s median %7.1f ms | ratio median %5.2f (%zu pairs)\n",
                    what, median(ours), *std::max_element(ours.begin(), ours.end()), engineWhat, median(engine),
                    median(ratios), ratios.size());
        std::fflush(stdout);
    }
};

// The program's turn and the engine's, the first going first on every
// other call.
void inTurn(int call, const std::function<void()> &program, const std::function<void()> &engine)
{
    (call % 2 ? engine : program)();
    (call % 2 ? program : engine)();
}

// Copies the folders of the package the page uses into the project folder.
bool copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + path.mid(from.size());
        QDir().mkpath(QFileInfo(target).path());
        if (!QFile::copy(path, target))
            return false;
    }
    return true;
}

class Dashboard : public ShellPanels
{
public:
    explicit Dashboard(AppDelegate &delegate)
        : ShellPanels(delegate)
    {
    }

    CSSOutlineDelegate *rules() const { return m_rules; }
    DOMDocument *document() const { return m_tree->document(); }
    WebPage *page() const { return m_preview->webview()->webPage(); }

    bool show(const QString &path)
    {
        QString failure;
        File *file = openFromFileTree(*m_projects, path, failure);
        const bool shown = file && waitUntil([&] {
            DOMDocument *doc = m_tree->document();
            return m_loads > 0 && doc && doc->body() && m_tree->indexFile() == file
                   && m_preview->webview()->frameWithDocument(doc);
        }, 300000);
        if (!shown)
            std::fprintf(stderr, "the page was not shown: %s\n", qPrintable(failure));
        return shown;
    }

    // The page loaded again, until the panels have its new document.
    bool reload()
    {
        const int loads = m_loads;
        const DOMDocument *before = m_tree->document();
        m_preview->refreshWebview();
        const bool shown = waitUntil([&] {
            DOMDocument *doc = m_tree->document();
            return m_loads > loads && doc && doc != before && doc->body()
                   && m_preview->webview()->frameWithDocument(doc);
        }, 300000);
        settle();
        return shown;
    }

    // Until the program has read the page's sheets, as it does once the
    // page is shown and before a user could pick (the body's matched rules
    // asked ahead answered).
    bool waitForSheetsRead()
    {
        DOMDocument *doc = m_tree->document();
        WebFrameMirror *frame = doc ? m_preview->webview()->frameWithDocument(doc) : nullptr;
        if (!frame || !doc->body())
            return false;
        WebEngineQuestions body;
        body.matchedRules.append({doc->body(), QString()});
        return waitUntil([&] {
            return !DelayedPerform::isPending(m_rules, "refreshStyleFiles")
                   && !DelayedPerform::isPending(m_rules, "readSheetsAhead") && frame->engine()->hasAnswers(body);
        }, 60000);
    }

    File *file(const QString &path) const { return m_projects->searchDirectory(path, m_projects->projects()); }

    // A pick in the preview until the rules panel shows the element's rules
    // (and is drawn); then, untimed, until the panels have settled on it.
    double pick(DOMElement *element)
    {
        int rebuilds = 0;
        int rebuildsWhenTold = -1;
        double shownMs = -1;
        QElapsedTimer timer;
        const QMetaObject::Connection rebuilt = QObject::connect(m_rules, &CSSOutlineDelegate::rebuilt, m_rules, [&] {
            ++rebuilds;
            if (shownMs < 0 && m_rules->lastSelectedElement() == element) {
                m_rules->outline()->repaint();
                shownMs = double(timer.nsecsElapsed()) / 1e6;
            }
        });
        const QMetaObject::Connection told =
            QObject::connect(m_tree, &DomTreeDelegate::selectedNodeChanged, m_tree, [&](DOMNode *node) {
                if (node == element)
                    rebuildsWhenTold = rebuilds;
            });
        timer.start();
        m_preview->lockElement(element);
        const bool settled = waitUntil([&] { return shownMs >= 0 && rebuildsWhenTold >= 0 && rebuilds > rebuildsWhenTold; },
                                       60000);
        QObject::disconnect(rebuilt);
        QObject::disconnect(told);
        return settled ? shownMs : -1;
    }

    // The computed value of the property of the element the engine's side
    // edits (the first card title), once the page has drawn a frame with
    // what was sent to it before and what the script given does: read after
    // two animation frames (the second comes after the first is drawn).
    QString drawn(const QString &property, const QString &script = {}, double *ms = nullptr)
    {
        m_preview->webview()->bridge().flushCommands();
        return evaluate(script
                            + QStringLiteral("new Promise(shown => requestAnimationFrame(() => requestAnimationFrame(() => "
                                             "shown(getComputedStyle(benchElement).getPropertyValue('%1')))))")
                                  .arg(property),
                        ms);
    }

    // The time from the edit until the page has drawn the first frame in
    // which the property of the same element has the value: the page is
    // watching each frame before the edit starts, the program's or the
    // engine's alike. The value seen goes to seen (another after 300 frames).
    double untilDrawn(const QString &property, const QString &value, const std::function<void()> &edit, QString &seen)
    {
        const QString watch = QStringLiteral(
            "new Promise(shown => { let frames = 0; const check = () => { "
            "const now = getComputedStyle(benchElement).getPropertyValue('%1'); "
            "if (now === '%2' || ++frames > 300) requestAnimationFrame(() => shown(now)); "
            "else requestAnimationFrame(check); }; requestAnimationFrame(check); })")
                                  .arg(property, value);
        bool done = false;
        QElapsedTimer timer;
        timer.start();
        page()->send(QStringLiteral("Runtime.evaluate"),
                     {{QStringLiteral("expression"), watch},
                      {QStringLiteral("returnByValue"), true},
                      {QStringLiteral("awaitPromise"), true}},
                     [&](const QJsonObject &result, const QString &) {
                         seen = result.value(QStringLiteral("result")).toObject().value(QStringLiteral("value")).toString();
                         done = true;
                     });
        edit();
        m_preview->webview()->bridge().flushCommands();
        waitUntil([&] { return done; });
        return double(timer.nsecsElapsed()) / 1e6;
    }

    // The engine's own edit: a script of the page's world, not waited for.
    void script(const QString &expression)
    {
        page()->send(QStringLiteral("Runtime.evaluate"), {{QStringLiteral("expression"), expression}});
    }

    // A row of the panel: the declaration of that name in the rule of that selector.
    CSSRulePtr declaration(const QString &selector, const QString &name) const
    {
        return declarationOf(*m_rules, selector, name);
    }

    // The rule of the sheet with that selector that sets that property.
    StyleDeclarationPtr item(File *sheet, const QString &selector, const QString &name) const
    {
        for (const StyleDeclarationPtr &item : m_rules->styleDeclarationsOf(sheet)) {
            if (item->isRemoved() || item->selector() != selector)
                continue;
            for (const CSSPropertyPtr &property : item->properties()) {
                if (property->property() == name)
                    return item;
            }
        }
        return nullptr;
    }

    void settle()
    {
        BalkInvocationManager *batcher = m_delegate.balkInvocationManager();
        waitUntil([batcher] { return batcher->operations().isEmpty(); }, 10000);
        waitUntil([this] { return !DelayedPerform::isPending(m_tree, "lazySelection"); }, 10000);
    }

    InspectUndoManager *undo() { return m_delegate.sharedUndoManager(); }
    void save() { m_delegate.save(); }

    // The browser's id of the element's node, for the engine's own questions.
    int protocolNode(DOMElement *element)
    {
        const std::optional<WebBridge::Target> target =
            m_preview->webview()->bridge().targetOf(m_preview->webview()->frameWithDocument(element->ownerDocument())->frameId());
        if (!target || !page()->requestDomDocumentNow(target->session, 5000))
            return 0;
        const std::optional<QJsonObject> evaluated = page()->sendAndWait(
            target->session, QStringLiteral("Runtime.evaluate"),
            {{QStringLiteral("expression"), QStringLiteral("quillmark.nodeOf(%1)").arg(element->nodeId())},
             {QStringLiteral("contextId"), target->contextId}},
            5000);
        const QString object = evaluated ? evaluated->value(QStringLiteral("result")).toObject().value(QStringLiteral("objectId")).toString()
                                         : QString();
        const std::optional<QJsonObject> requested =
            object.isEmpty() ? std::nullopt
                             : page()->sendAndWait(target->session, QStringLiteral("DOM.requestNode"),
                                                   {{QStringLiteral("objectId"), object}}, 5000);
        return requested ? requested->value(QStringLiteral("nodeId")).toInt() : 0;
    }

    // One command of the engine's on the page's session, until it answers.
    double engineCommand(const QString &method, const QJsonObject &params, QJsonObject *answer = nullptr)
    {
        bool done = false;
        QElapsedTimer timer;
        timer.start();
        page()->send(method, params, [&](const QJsonObject &result, const QString &error) {
            if (!error.isEmpty())
                std::fprintf(stderr, "%s: %s\n", qPrintable(method), qPrintable(error));
            if (answer)
                *answer = result;
            done = true;
        });
        waitUntil([&] { return done; });
        return double(timer.nsecsElapsed()) / 1e6;
    }

    // An expression evaluated in the page's own world; its value (or that
    // of the promise it makes) as text.
    QString evaluate(const QString &expression, double *ms = nullptr)
    {
        QJsonObject answer;
        const double elapsed = engineCommand(QStringLiteral("Runtime.evaluate"),
                                             {{QStringLiteral("expression"), expression},
                                              {QStringLiteral("returnByValue"), true},
                                              {QStringLiteral("awaitPromise"), true}},
                                             &answer);
        if (ms)
            *ms = elapsed;
        return answer.value(QStringLiteral("result")).toObject().value(QStringLiteral("value")).toVariant().toString();
    }

};

// The engine's side of the edits: the rule of the sheet with that selector
// that sets font-size, and the element, kept in the page's world.
const char *const kEngineSetUp = R"JS((() => {
  for (const sheet of document.styleSheets) {
    if (!sheet.href || !/adminlte(\.min)?\.css$/.test(sheet.href)) continue;
    for (const rule of sheet.cssRules) {
      if (rule.selectorText === '.card-title' && rule.style.getPropertyValue('font-size')) {
        window.benchRule = rule;
        window.benchElement = document.querySelector('h3.card-title');
        return 'ready';
      }
    }
  }
  return 'no rule';
})())JS";

int run(Dashboard &dashboard, const QString &site, const QString &sheetPath, int rounds)
{
    if (!dashboard.show(site + QStringLiteral("/pages/widgets.html")))
        return 1;
    DOMDocument *document = dashboard.document();
    File *sheet = dashboard.file(sheetPath);
    if (!sheet || !sheet->content()) {
        std::fprintf(stderr, "the sheet is not in the project\n");
        return 1;
    }
    const std::function<int(const DOMNode *)> count = [&](const DOMNode *node) {
        int n = 1;
        for (const DOMNode *child = node->firstChild(); child; child = child->nextSibling())
            n += count(child);
        return n;
    };
    const int nodes = count(document);
    std::printf("%s: %d elements, %d nodes; %s, %lld characters\n", "pages/widgets.html",
                document->getElementsByTagName(QStringLiteral("*")).length(), nodes,
                qPrintable(QFileInfo(sheetPath).fileName()), qlonglong(sheet->content()->size()));

    // The first pick on a page just shown beside the engine's first answer
    // on it: the engine's when the page is first shown, the program's when
    // it is shown again (either reads the sheet's rules for the first time),
    // once the program is idle.
    DOMElement *title = static_cast<DOMElement *>(document->querySelector(QStringLiteral("h3.card-title")));
    const int titleNode = dashboard.protocolNode(title);
    const double engineFirst =
        dashboard.engineCommand(QStringLiteral("CSS.getMatchedStylesForNode"), {{QStringLiteral("nodeId"), titleNode}});
    if (!titleNode || !dashboard.reload())
        return 1;
    document = dashboard.document();
    if (!dashboard.waitForSheetsRead()) {
        std::fprintf(stderr, "the program did not read the page's sheets\n");
        return 1;
    }
    title = static_cast<DOMElement *>(document->querySelector(QStringLiteral("h3.card-title")));
    const double programFirst = title ? dashboard.pick(title) : -1;
    std::printf("first pick after the page is shown: %.1f ms; the engine's first matched rules %.1f ms\n", programFirst,
                engineFirst);
    if (dashboard.evaluate(QString::fromLatin1(kEngineSetUp)) != QLatin1String("ready")) {
        std::fprintf(stderr, "the page has no .card-title rule with a font-size\n");
        return 1;
    }

    // Elements of many kinds, another one of each kind every round (never
    // the first title, which the keys pick).
    const QStringList kinds = {QStringLiteral("h3.card-title"), QStringLiteral(".btn-tool"),
                               QStringLiteral(".info-box-number"), QStringLiteral(".direct-chat-text"),
                               QStringLiteral(".progress-bar"), QStringLiteral(".nav-link"),
                               QStringLiteral(".description-header"), QStringLiteral(".card-body")};
    Pairs picks, keys, declarations, saves;
    int key = 0;
    for (int round = 0; round <= rounds; ++round) {
        // The first round warms the program and the browser up.
        const bool counted = round > 0;
        for (int k = 0; k < kinds.size(); ++k) {
            const DOMNodeList list = document->querySelectorAll(kinds.at(k));
            auto *element = static_cast<DOMElement *>(list.item(1 + (round * 7 + k * 3) % (list.length() - 1)));
            const int node = dashboard.protocolNode(element);
            if (!node) {
                std::fprintf(stderr, "the browser has no node for %s\n", qPrintable(kinds.at(k)));
                return 1;
            }
            const auto engine = [&] {
                return dashboard.engineCommand(QStringLiteral("CSS.getMatchedStylesForNode"), {{QStringLiteral("nodeId"), node}});
            };
            // Which goes first alternates.
            const double before = (round + k) % 2 ? engine() : 0;
            const double ours = dashboard.pick(element);
            const double theirs = (round + k) % 2 ? before : engine();
            if (ours < 0) {
                std::fprintf(stderr, "the rules of %s were not shown\n", qPrintable(kinds.at(k)));
                return 1;
            }
            if (counted)
                picks.add(ours, theirs);
        }

        // Keys in the font-size of .card-title, as the value field posts them.
        if (dashboard.pick(title) < 0)
            return 1;
        const CSSRulePtr row = dashboard.declaration(QStringLiteral(".card-title"), QStringLiteral("font-size"));
        if (!row) {
            std::fprintf(stderr, "no font-size row of .card-title\n");
            return 1;
        }
        OutlineViewEx *outline = dashboard.rules()->outline();
        outline->selectRowIndexes({outline->rowForItem(row.get())}, false);
        for (int k = 0; k < 8; ++k) {
            const QString ours = QStringLiteral("%1px").arg(14 + ++key % 9);
            const QString theirs = QStringLiteral("%1px").arg(14 + ++key % 9);
            QString seen, engineSeen;
            double oursMs = 0, theirsMs = 0;
            const auto program = [&] {
                oursMs = dashboard.untilDrawn(QStringLiteral("font-size"), ours, [&] {
                    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("cssValueChanged"), nullptr,
                                                                             {{QStringLiteral("value"), ours}});
                }, seen);
            };
            const auto engine = [&] {
                theirsMs = dashboard.untilDrawn(QStringLiteral("font-size"), theirs, [&] {
                    dashboard.script(QStringLiteral("benchRule.style.setProperty('font-size', '%1')").arg(theirs));
                }, engineSeen);
            };
            inTurn(k, program, engine);
            if (seen != ours || engineSeen != theirs) {
                std::fprintf(stderr, "font-size %s (expected %s), the engine's %s (expected %s)\n", qPrintable(seen),
                             qPrintable(ours), qPrintable(engineSeen), qPrintable(theirs));
                return 1;
            }
            if (counted)
                keys.add(oursMs, theirsMs);
        }
        dashboard.rules()->abandonValueEdit(row);
        dashboard.drawn(QStringLiteral("font-size"));

        // A new declaration in the same rule, undone afterwards.
        const StyleDeclarationPtr rule = dashboard.item(sheet, QStringLiteral(".card-title"), QStringLiteral("font-size"));
        if (!rule) {
            std::fprintf(stderr, "no .card-title rule in the sheet\n");
            return 1;
        }
        for (int k = 0; k < 4; ++k) {
            const QString value = QStringLiteral("%1px").arg(k + 1);
            QString seen, engineSeen;
            double oursMs = 0, theirsMs = 0;
            const auto program = [&] {
                oursMs = dashboard.untilDrawn(QStringLiteral("letter-spacing"), value, [&] {
                    dashboard.rules()->doAddDeclaration(rule, QStringLiteral("letter-spacing"), value);
                }, seen);
                dashboard.settle();
                dashboard.undo()->loopEnd();
                dashboard.undo()->undo();
                dashboard.settle();
                dashboard.drawn(QStringLiteral("letter-spacing"));
            };
            const auto engine = [&] {
                theirsMs = dashboard.untilDrawn(QStringLiteral("letter-spacing"), value, [&] {
                    dashboard.script(QStringLiteral("benchRule.style.setProperty('letter-spacing', '%1')").arg(value));
                }, engineSeen);
                dashboard.drawn(QStringLiteral("letter-spacing"),
                                QStringLiteral("benchRule.style.removeProperty('letter-spacing'); "));
            };
            inTurn(k, program, engine);
            if (seen != value || engineSeen != value) {
                std::fprintf(stderr, "letter-spacing %s, the engine's %s (expected %s)\n", qPrintable(seen),
                             qPrintable(engineSeen), qPrintable(value));
                return 1;
            }
            if (counted)
                declarations.add(oursMs, theirsMs);
        }

        // Save with the sheet edited (its write-back done first), beside the
        // same bytes written alone.
        dashboard.rules()->commitCSSValueChange(
            dashboard.declaration(QStringLiteral(".card-title"), QStringLiteral("font-size")),
            QStringLiteral("1.%1rem").arg(round % 8 + 2), true);
        dashboard.settle();
        dashboard.undo()->loopEnd();
        if (!sheet->isModified()) {
            std::fprintf(stderr, "the edit did not reach the sheet\n");
            return 1;
        }
        const QByteArray bytes = sheet->content()->toUtf8();
        QElapsedTimer timer;
        timer.start();
        dashboard.save();
        const double oursMs = double(timer.nsecsElapsed()) / 1e6;
        timer.start();
        QSaveFile alone(sheetPath + QStringLiteral(".alone"));
        const bool written = alone.open(QIODevice::WriteOnly) && alone.write(bytes) == bytes.size() && alone.commit();
        const double theirsMs = double(timer.nsecsElapsed()) / 1e6;
        QFile disk(sheetPath);
        if (sheet->isModified() || !written || !disk.open(QIODevice::ReadOnly) || disk.readAll() != bytes) {
            std::fprintf(stderr, "the save did not write the sheet\n");
            return 1;
        }
        if (counted)
            saves.add(oursMs, theirsMs);
    }
    picks.print("pick", "matched rules");
    keys.print("key", "set, drawn");
    declarations.print("declaration", "set, drawn");
    saves.print("save", "the bytes alone");

    // Memory, with the page shown and an element picked.
    dashboard.settle();
    Kinds memory;
    groupKilobytes(ChromiumProcess::instance().processId(), &memory);
    const qint64 program = proportionalKilobytes("self");
    const KindMemory renderer = memory[QStringLiteral("renderer")];
    std::printf("memory: program %.0f MB, its page's renderer %.0f MB (%d processes), ratio %.2f; the browser's "
                "other processes %.0f MB\n",
                megabytes(program), megabytes(renderer.kilobytes), renderer.processes,
                double(program) / double(renderer.kilobytes),
                megabytes(groupKilobytes(ChromiumProcess::instance().processId()) - renderer.kilobytes));
    std::printf("goals: pick under 250 ms and 1.5x the engine; key and declaration under 50 ms; memory at most 1.5x\n");
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    int rounds = 5;
    bool minified = false;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--minified") == 0)
            minified = true;
        else
            rounds = std::max(1, std::atoi(argv[i]));
    }
    const QString package = QString::fromLocal8Bit(kPackage);
    if (!QFileInfo::exists(package + QStringLiteral("/pages/widgets.html"))) {
        std::printf("skipped: the dashboard is not installed (bench/dashboard/fetch.sh installs it)\n");
        return 0;
    }
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1440, 900)))
        return 1;
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    const QString site = home.filePath(QStringLiteral("dashboard"));
    if (!copyTree(package + QStringLiteral("/pages"), site + QStringLiteral("/pages"))
        || !copyTree(package + QStringLiteral("/dist"), site + QStringLiteral("/dist")))
        return 1;
    // The formatted sheet, the one a designer edits, unless asked otherwise.
    const QString sheetName = minified ? QStringLiteral("adminlte.min.css") : QStringLiteral("adminlte.css");
    if (!minified) {
        QFile page(site + QStringLiteral("/pages/widgets.html"));
        if (!page.open(QIODevice::ReadWrite))
            return 1;
        const QByteArray html = page.readAll().replace("dist/css/adminlte.min.css", "dist/css/adminlte.css");
        page.resize(0);
        page.write(html);
    }
    const QString canonical = QFileInfo(site).canonicalFilePath();
    useOnlyProject(canonical);

    LaunchedShell shell(argc, argv, false);
    Dashboard dashboard(shell.delegate());
    waitMs(500);
    if (!dashboard.isReady())
        return 1;
    return run(dashboard, canonical, canonical + QStringLiteral("/dist/css/") + sheetName, rounds);
}
