// The DOM tree at the size of real pages, in the whole program with the real
// engine, offscreen. Each figure runs until what the user waits for is on the
// screen: the rules panel rebuilt for the element, the inspector showing it,
// the tree drawn. Every wait is on the program's signals and state.
//
//   domtree_page_bench [ROUNDS]
//       Pages whose body holds a list of 1,000 and of 8,000 items, their
//       rounds alternating (so that each round shows its page anew), the
//       medians of both sizes side by side with their ratio:
//       first pick    the first selection on the page shown, of an item
//                     inside the closed list, as a pick in the preview makes
//                     it: from the selection command until the inspector and
//                     the rules panel show the item (the 0.1 s delay before
//                     the panels are told included)
//       first select  the same by the tree's own selection command (as the
//                     breadcrumb's menu gives it), on a copy of the page
//       pick again    a pick after the list was opened and closed again
//       click         a click on a shown row of the open list
//       reload        the page reloaded with its list open and an item
//                     selected, until the tree shows the item selected again
//   domtree_page_bench --large [ROUNDS]
//       A page of 100,000 elements and a page of 10 MB on one line:
//       open (a double click in the file tree until the tree shows the page),
//       pick, edit (an attribute added in the inspector until the file's
//       text holds it), and the program's resident memory.
//   domtree_page_bench --memory
//       The 10,000-element bench page shown with an element selected: the
//       program's and its browser's memory against the browser alone
//       showing the same page (proportional set sizes: a page shared by
//       processes counts once). Each browser is measured as the only one
//       running: two copies of the browser share its program's pages, which
//       would count half in each. Run it with no other browser on the machine.
//
// The figures go to the standard output, the program's log to the error
// output (2>/dev/null leaves it out).

#include "app/AppDelegate.h"
#include "app/MainInterface.h"
#include "app/ProjectDelegate.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "domtree/DomInfoDelegate.h"
#include "domtree/DOMNodeEx.h"
#include "domtree/DomTreeDelegate.h"
#include "domtree/DomTreeOutlineView.h"
#include "foundation/BalkInvocationManager.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/ChromiumProcess.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include "../BenchUtil.h"
#include "../LaunchedShell.h"
#include "../OffscreenHome.h"
#include "../ShellPanels.h"
#include "../ProcessMemory.h"
#include "../dom/BenchPage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <vector>

#include <sys/types.h>
#include <unistd.h>

namespace {

// A page whose body holds one list of that many items.
QByteArray listPage(int items)
{
    QByteArray html = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>List</title>\n"
                      "<style>li { color: #333; } .item:nth-child(2n) { color: #555; }</style>\n</head>\n<body>\n"
                      "<h1 id=\"title\">List</h1>\n<ul id=\"list\">\n";
    for (int i = 0; i < items; ++i)
        html += "<li class=\"item\" id=\"i" + QByteArray::number(i) + "\">Item " + QByteArray::number(i) + "</li>\n";
    return html + "</ul>\n</body>\n</html>\n";
}

// About 10 MB on one line, as a minifier leaves a page: sections of
// articles, the last list of each a "list" to pick from.
QByteArray oneLinePage()
{
    QByteArray html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>One line</title></head><body>"
                      "<h1 id=\"title\">One line</h1>";
    int item = 0;
    for (int s = 0; html.size() < 10 * 1024 * 1024; ++s) {
        html += "<section class=\"s\" data-n=\"" + QByteArray::number(s) + "\"><h2>Section " + QByteArray::number(s)
                + "</h2><p>Some text of the section, <a href=\"#s" + QByteArray::number(s)
                + "\">a link</a> and <em>more</em> words to make it a paragraph of a real page.</p><ul>";
        for (int i = 0; i < 8; ++i, ++item)
            html += "<li class=\"item\" id=\"i" + QByteArray::number(item) + "\">Item " + QByteArray::number(item) + "</li>";
        html += "</ul></section>";
    }
    return html + "</body></html>";
}

void printFigure(const char *what, const std::vector<double> &values)
{
    std::printf("%-28s median %9.1f ms  min %9.1f ms  max %9.1f ms  (%zu)\n", what, median(values),
                *std::min_element(values.begin(), values.end()), *std::max_element(values.begin(), values.end()),
                values.size());
    std::fflush(stdout);
}

class Session : public ShellPanels
{
public:
    explicit Session(AppDelegate &delegate)
        : ShellPanels(delegate)
    {
    }

    DomTreeDelegate *tree() const { return m_tree; }
    QString failure() const { return m_failure; }

    // Shows the page as a double click in the file tree does; answers the
    // time until the tree shows it, or -1.
    double show(const QString &path)
    {
        const int loads = m_loads;
        QElapsedTimer timer;
        timer.start();
        File *file = openFromFileTree(*m_projects, path, m_failure);
        if (!file || !waitForPage(loads, file))
            return -1;
        return double(timer.nsecsElapsed()) / 1e6;
    }

    // The item's element, and the page's title above the list.
    DOMElement *item(int index) const { return element(QStringLiteral("i%1").arg(index)); }
    DOMElement *title() const { return element(QStringLiteral("title")); }

    void collapseList()
    {
        DOMElement *list = item(0) ? item(0)->parentElement() : nullptr;
        DOMNodeEx *row = list ? m_tree->searchFile(list) : nullptr;
        if (row && m_tree->outline()->isItemExpanded(row))
            m_tree->outline()->collapseItem(row);
    }

    // A pick in the preview of the element, or the tree's own selection of
    // it, until the panels show it.
    double pick(DOMElement *element)
    {
        return untilShown(element, [&] { m_preview->lockElement(element); });
    }
    double select(DOMElement *element)
    {
        return untilShown(element, [&] { m_tree->selectNode(element); });
    }

    // An item of the list whose row is shown, near the middle of the tree,
    // other than the one selected.
    DOMElement *shownItem() const
    {
        DomTreeOutlineView *outline = m_tree->outline();
        const QRect area = outline->viewport()->rect();
        const int middle = outline->rowAtPoint(area.center());
        for (int step = 0; middle >= 0 && step < 40; ++step) {
            const int row = middle + (step % 2 ? -(step + 1) / 2 : step / 2);
            auto *item = static_cast<DOMNodeEx *>(outline->itemAtRow(row));
            DOMNode *node = item && !item->isCloseNode() ? item->node() : nullptr;
            if (node && node->isElement() && static_cast<DOMElement *>(node)->localName() == QLatin1String("li")
                && row != outline->selectedRow() && area.contains(outline->rectOfRow(row).center()))
                return static_cast<DOMElement *>(node);
        }
        return nullptr;
    }

    // A click on the row of a shown element, until the panels show it.
    double click(DOMElement *element)
    {
        DomTreeOutlineView *outline = m_tree->outline();
        const int row = outline->rowForItem(m_tree->searchFile(element));
        // The row's text, right of its disclosure mark.
        const QRect rect = outline->frameOfCellAtColumn(0, row);
        if (row < 0 || !outline->viewport()->rect().contains(rect.center()))
            return fail("the row is not shown");
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(outline->viewport(), Qt::LeftButton, {}, QPoint(rect.left() + 20, rect.center().y()));
        if (!waitForShown(element))
            return -1;
        return double(timer.nsecsElapsed()) / 1e6;
    }

    // The page reloaded, until the tree shows the selected item again.
    double reload()
    {
        const int loads = m_loads;
        File *shown = m_tree->indexFile();
        const DOMDocument *before = m_tree->document();
        const DOMNodeEx *selected = m_tree->selectedDomNodeEx();
        if (!selected || !selected->node() || !selected->node()->isElement())
            return fail("no item is selected");
        const QString id = static_cast<const DOMElement *>(selected->node())->getAttribute(QStringLiteral("id"));
        QElapsedTimer timer;
        timer.start();
        m_preview->refreshWebview();
        if (!waitFor([&] {
                DOMNodeEx *row = m_tree->selectedDomNodeEx();
                DOMNode *node = row ? row->node() : nullptr;
                DomInfoDelegate *inspector = m_tree->domInfoDelegate();
                return m_loads > loads && m_tree->document() != before && m_tree->indexFile() == shown && node
                       && node->isElement() && static_cast<DOMElement *>(node)->getAttribute(QStringLiteral("id")) == id
                       && inspector->inspectedNode() && inspector->inspectedNode()->node() == node;
            }, 120000))
            return fail("the reloaded page did not show its selected item again");
        m_tree->outline()->repaint();
        return double(timer.nsecsElapsed()) / 1e6;
    }

    // An attribute added in the inspector to the selected element, until the
    // file's text holds it.
    double edit(int number)
    {
        DomInfoDelegate *inspector = m_tree->domInfoDelegate();
        File *file = m_tree->indexFile();
        const QString value = QStringLiteral("edit-%1").arg(number);
        QElapsedTimer timer;
        timer.start();
        inspector->attrName()->setText(QStringLiteral("data-edit"));
        inspector->attrValue()->setText(value);
        inspector->addAttr();
        if (!waitFor([&] { return file->content().value_or(QString()).contains(value); }, 120000))
            return fail("the edit did not reach the file");
        const double elapsed = double(timer.nsecsElapsed()) / 1e6;
        BalkInvocationManager *batcher = m_delegate.balkInvocationManager();
        waitFor([batcher] { return batcher->operations().isEmpty(); }, 10000);
        return elapsed;
    }

private:
    DOMElement *element(const QString &id) const
    {
        DOMDocument *document = m_tree->document();
        return document ? document->getElementById(id) : nullptr;
    }

    double untilShown(DOMElement *element, const std::function<void()> &command)
    {
        QElapsedTimer timer;
        timer.start();
        command();
        if (!waitForShown(element))
            return -1;
        return double(timer.nsecsElapsed()) / 1e6;
    }

    double fail(const char *what)
    {
        m_failure = QString::fromLatin1(what);
        return -1;
    }

    static bool waitFor(const std::function<bool()> &condition, int timeoutMs)
    {
        return waitUntil(condition, timeoutMs);
    }

    // The tree on a document of the file's page (the file is the tree's as
    // soon as it is asked for, the document once it is loaded).
    bool waitForPage(int loads, File *file)
    {
        const QString path = QFileInfo(file->path()).canonicalFilePath();
        if (!waitFor([&] {
                DOMDocument *document = m_tree->document();
                const WebFrameMirror *frame = document ? m_preview->webview()->frameWithDocument(document) : nullptr;
                return m_loads > loads && frame && QFileInfo(frame->url().toLocalFile()).canonicalFilePath() == path
                       && m_tree->indexFile() == file && document->body() && document->body()->firstChild()
                       && m_tree->outline()->numberOfRows() > 0;
            }, 300000)) {
            fail("the page was not shown");
            return false;
        }
        // The row selected on the page before is selected again a moment
        // later, and the panels show its element.
        waitFor([&] {
            return !DelayedPerform::isPending(m_tree, "selectInExpand") && !DelayedPerform::isPending(m_tree, "lazySelection");
        }, 10000);
        const DOMNodeEx *selected = m_tree->selectedDomNodeEx();
        if (DOMNode *node = selected ? selected->node() : nullptr) {
            waitFor([&] {
                DomInfoDelegate *inspector = m_tree->domInfoDelegate();
                return m_rules->lastSelectedElement() == node && m_rules->elementToShow() == node
                       && inspector->inspectedNode() && inspector->inspectedNode()->node() == node;
            }, 60000);
        }
        m_tree->outline()->repaint();
        return true;
    }

    // The rules panel rebuilt for the element after the tree told it of the
    // selection (the 0.1 s after it), the inspector showing it, and the
    // tree drawn.
    bool waitForShown(DOMElement *element)
    {
        int rebuilds = 0;
        int rebuildsWhenTold = -1;
        const QMetaObject::Connection rebuilt =
            QObject::connect(m_rules, &CSSOutlineDelegate::rebuilt, m_rules, [&] { ++rebuilds; });
        const QMetaObject::Connection told =
            QObject::connect(m_tree, &DomTreeDelegate::selectedNodeChanged, m_tree, [&](DOMNode *node) {
                if (node == element)
                    rebuildsWhenTold = rebuilds;
            });
        const bool shown = waitFor([&] {
            DomInfoDelegate *inspector = m_tree->domInfoDelegate();
            return rebuildsWhenTold >= 0 && rebuilds > rebuildsWhenTold && m_rules->lastSelectedElement() == element
                   && inspector->inspectedNode() && inspector->inspectedNode()->node() == element;
        }, 300000);
        QObject::disconnect(rebuilt);
        QObject::disconnect(told);
        if (!shown) {
            DomInfoDelegate *inspector = m_tree->domInfoDelegate();
            const DOMNode *inspected = inspector->inspectedNode() ? inspector->inspectedNode()->node() : nullptr;
            m_failure = QStringLiteral("the element was not shown (told %1, rebuilds %2, rules of the element %3, "
                                       "inspector on it %4)")
                            .arg(rebuildsWhenTold)
                            .arg(rebuilds)
                            .arg(m_rules->lastSelectedElement() == element)
                            .arg(inspected == element);
            return false;
        }
        m_tree->outline()->repaint();
        m_rules->outline()->repaint();
        return true;
    }

    QString m_failure;
};

// The same browser as the program's, alone, showing the page: its resident
// memory once the page has loaded, which the page tells a local server.
qint64 browserAloneKilobytes(const QString &page, const QTemporaryDir &home, Kinds *kinds)
{
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost))
        return -1;
    bool loaded = false;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [&, socket] {
                if (socket->readAll().contains("GET /loaded"))
                    loaded = true;
                socket->write("HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n");
                socket->disconnectFromHost();
            });
        }
    });
    QFile source(page);
    if (!source.open(QIODevice::ReadOnly))
        return -1;
    QByteArray html = source.readAll();
    html.replace("</body>", "<script>addEventListener('load', () => fetch('http://127.0.0.1:"
                                + QByteArray::number(server.serverPort()) + "/loaded'))</script></body>");
    const QString alone = home.filePath(QStringLiteral("alone/index.html"));
    QDir().mkpath(QFileInfo(alone).path());
    QFile copy(alone);
    if (!copy.open(QIODevice::WriteOnly) || copy.write(html) != html.size())
        return -1;
    copy.close();
    QProcess browser;
    browser.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    browser.setChildProcessModifier([] { ::setpgid(0, 0); });
    QStringList arguments = {QStringLiteral("--headless=new"),
                             QStringLiteral("--user-data-dir=") + home.filePath(QStringLiteral("alone-profile")),
                             QStringLiteral("--no-first-run"), QStringLiteral("--no-default-browser-check"),
                             QStringLiteral("--disable-background-networking"), QStringLiteral("--disable-component-update"),
                             QStringLiteral("--disable-sync"), QStringLiteral("--disable-extensions"),
                             QStringLiteral("--disable-default-apps"), QStringLiteral("--disk-cache-size=1"),
                             QStringLiteral("--site-per-process"), QStringLiteral("--mute-audio"),
                             QStringLiteral("--allow-file-access-from-files"),
                             QStringLiteral("--window-size=1200,900")};
    if (::geteuid() == 0)
        arguments.append(QStringLiteral("--no-sandbox"));
    arguments.append(QUrl::fromLocalFile(alone).toString());
    browser.start(ChromiumProcess::executable(), arguments);
    if (!browser.waitForStarted()) {
        std::fprintf(stderr, "the browser did not start alone\n");
        return -1;
    }
    const bool shown = waitUntil([&] { return loaded; }, 120000);
    // The page laid out and painted after its load event.
    waitMs(1000);
    const qint64 kilobytes = shown ? groupKilobytes(browser.processId(), kinds) : -1;
    ::kill(-pid_t(browser.processId()), SIGKILL);
    browser.waitForFinished();
    return kilobytes;
}

// One figure's medians for both sizes, side by side, with their extremes.
void printSideBySide(const char *what, const std::vector<double> &small, const std::vector<double> &large)
{
    std::printf("%-20s %8.1f ms (%6.1f-%6.1f)  %8.1f ms (%6.1f-%6.1f)  %5.2fx\n", what, median(small),
                *std::min_element(small.begin(), small.end()), *std::max_element(small.begin(), small.end()),
                median(large), *std::min_element(large.begin(), large.end()),
                *std::max_element(large.begin(), large.end()), median(large) / median(small));
    std::fflush(stdout);
}

int runLists(Session &session, const QString &site, int rounds)
{
    const std::vector<int> sizes = {1000, 8000};
    std::map<int, std::vector<double>> firsts, selects, picks, clicks, reloads;
    for (int round = 0; round < rounds + 1; ++round) {
        for (int size : sizes) {
            // The other size was shown last: the page comes anew, its title
            // selected, none of its items.
            if (session.show(site + QStringLiteral("/list-%1.html").arg(size)) < 0)
                return 1;
            // Items spread over the list, a new one each time.
            std::vector<double> first, pick, click;
            for (int k = 0; k < 3; ++k) {
                session.collapseList();
                const int index = (size / 3) * k + (round * 37 + 11) % (size / 4);
                DOMElement *element = session.item(index);
                const double pickMs = element ? session.pick(element) : -1;
                DOMElement *next = pickMs < 0 ? nullptr : session.shownItem();
                const double clickMs = next ? session.click(next) : -1;
                if (pickMs < 0 || clickMs < 0) {
                    std::fprintf(stderr, "%d items, %s: %s\n", size, pickMs < 0 ? "pick" : "click",
                                 qPrintable(session.failure()));
                    return 1;
                }
                (k == 0 ? first : pick).push_back(pickMs);
                click.push_back(clickMs);
            }
            const double reloadMs = session.reload();
            // The page shown next selects the title again, not an item of
            // its list: its first pick is the list's first selection.
            DOMElement *title = reloadMs < 0 ? nullptr : session.title();
            if (!title || session.pick(title) < 0) {
                std::fprintf(stderr, "%d items: %s\n", size, qPrintable(session.failure()));
                return 1;
            }
            // The tree's own first selection, on the page's copy.
            DOMElement *item = session.show(site + QStringLiteral("/list-%1-copy.html").arg(size)) < 0
                ? nullptr
                : session.item((size / 2) + (round * 37 + 11) % (size / 4));
            session.collapseList();
            const double selectMs = item ? session.select(item) : -1;
            title = selectMs < 0 ? nullptr : session.title();
            if (!title || session.pick(title) < 0) {
                std::fprintf(stderr, "%d items, select: %s\n", size, qPrintable(session.failure()));
                return 1;
            }
            // The first round warms the program and the browser up.
            if (round == 0)
                continue;
            firsts[size].insert(firsts[size].end(), first.begin(), first.end());
            selects[size].push_back(selectMs);
            picks[size].insert(picks[size].end(), pick.begin(), pick.end());
            clicks[size].insert(clicks[size].end(), click.begin(), click.end());
            reloads[size].push_back(reloadMs);
        }
    }
    std::printf("%-20s %-28s  %-28s  %s\n", "", "1,000 items: median (range)", "8,000 items: median (range)",
                "8,000 / 1,000");
    printSideBySide("first pick", firsts[1000], firsts[8000]);
    printSideBySide("first select", selects[1000], selects[8000]);
    printSideBySide("pick again", picks[1000], picks[8000]);
    printSideBySide("click on shown row", clicks[1000], clicks[8000]);
    printSideBySide("reload, list open", reloads[1000], reloads[8000]);
    std::printf("(%d rounds; goals: first pick and select under 250 ms and 2x, pick again and click under 150 ms and 3x, "
                "reload under 2,000 ms)\n",
                rounds);
    return 0;
}

int runLarge(Session &session, const QString &site, int rounds)
{
    for (const QString &name : {QStringLiteral("list-100000.html"), QStringLiteral("one-line.html")}) {
        std::vector<double> opens, picks, edits;
        int edit = 0;
        for (int round = 0; round < rounds; ++round) {
            // Another page first, so that each open is a page of its own.
            if (session.show(site + QStringLiteral("/list-1000.html")) < 0)
                return 1;
            const double openMs = session.show(site + QLatin1Char('/') + name);
            if (openMs < 0) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(session.failure()));
                return 1;
            }
            opens.push_back(openMs);
            for (int k = 0; k < 2; ++k) {
                session.collapseList();
                DOMElement *element = session.item(7919 * (round * 2 + k + 1) % 80000);
                const double pickMs = element ? session.pick(element) : -1;
                const double editMs = pickMs < 0 ? -1 : session.edit(++edit);
                if (editMs < 0) {
                    std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(session.failure()));
                    return 1;
                }
                picks.push_back(pickMs);
                edits.push_back(editMs);
            }
        }
        std::printf("%s (goals: each under 2,000 ms, the program under 1 GB):\n", qPrintable(name));
        printFigure("  open", opens);
        printFigure("  pick in closed list", picks);
        printFigure("  edit written", edits);
        std::printf("  program resident now %.0f MB, peak %.0f MB\n", megabytes(residentKilobytes()), megabytes(statusKilobytes("VmHWM")));
    }
    return 0;
}

int runMemory(Session &session, const QString &site, const QTemporaryDir &home)
{
    const QString page = site + QStringLiteral("/page-10000.html");
    const qint64 launched = proportionalKilobytes("self");
    if (session.show(page) < 0)
        return 1;
    DOMDocument *document = session.tree()->document();
    DOMElement *element = document ? document->getElementById(QStringLiteral("s60")) : nullptr;
    if (!element)
        return 1;
    session.tree()->selectNode(element);
    const bool shown = waitUntil([&] {
        DomInfoDelegate *inspector = session.tree()->domInfoDelegate();
        return inspector->inspectedNode() && inspector->inspectedNode()->node() == element;
    });
    if (!shown)
        return 1;
    waitMs(1000);
    const qint64 program = proportionalKilobytes("self");
    Kinds kinds;
    const qint64 browser = groupKilobytes(ChromiumProcess::instance().processId(), &kinds);
    // The program's browser ends first: the browser alone shares nothing with it.
    ChromiumProcess::instance().stop();
    Kinds aloneKinds;
    const qint64 alone = browserAloneKilobytes(page, home, &aloneKinds);
    if (alone <= 0) {
        std::fprintf(stderr, "the browser alone did not show the page\n");
        return 1;
    }
    std::printf("10,000-element page shown: program %.0f MB + its browser %.0f MB = %.0f MB; the browser alone %.0f MB; "
                "ratio %.2fx (goal: at most 1.5x)\n",
                megabytes(program), megabytes(browser), megabytes(program + browser), megabytes(alone), double(program + browser) / double(alone));
    std::printf("  the program before any page: %.0f MB\n", megabytes(launched));
    for (const auto &[kind, memory] : kinds)
        std::printf("  %-24s %6.0f MB with the program (%d), %6.0f MB alone (%d)\n", qPrintable(kind),
                    megabytes(memory.kilobytes), memory.processes, megabytes(aloneKinds[kind].kilobytes), aloneKinds[kind].processes);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    enum class Mode { Lists, Large, Memory } mode = Mode::Lists;
    int rounds = 7;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--large") == 0)
            mode = Mode::Large;
        else if (qstrcmp(argv[i], "--memory") == 0)
            mode = Mode::Memory;
        else
            rounds = std::max(1, std::atoi(argv[i]));
    }
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1440, 900)))
        return 1;
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    const QString site = home.filePath(QStringLiteral("site"));
    QDir().mkpath(site);
    const auto write = [&](const QString &name, const QByteArray &text) {
        QFile file(site + QLatin1Char('/') + name);
        return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
    };
    bool written = write(QStringLiteral("list-1000.html"), listPage(1000));
    if (mode == Mode::Lists) {
        written = written && write(QStringLiteral("list-1000-copy.html"), listPage(1000))
                  && write(QStringLiteral("list-8000.html"), listPage(8000))
                  && write(QStringLiteral("list-8000-copy.html"), listPage(8000));
    }
    if (mode == Mode::Large)
        written = written && write(QStringLiteral("list-100000.html"), listPage(100000))
                  && write(QStringLiteral("one-line.html"), oneLinePage());
    if (mode == Mode::Memory)
        written = written && write(QStringLiteral("page-10000.html"), pageHtml().toUtf8());
    if (!written)
        return 1;
    const QString canonical = QFileInfo(site).canonicalFilePath();
    useOnlyProject(canonical);

    LaunchedShell shell(argc, argv, false);
    Session session(shell.delegate());
    QTest::qWait(500);
    if (!session.isReady())
        return 1;
    switch (mode) {
    case Mode::Lists:
        return runLists(session, canonical, rounds);
    case Mode::Large:
        return runLarge(session, canonical, std::min(rounds, 3));
    case Mode::Memory:
        return runMemory(session, canonical, home);
    }
    return 0;
}
