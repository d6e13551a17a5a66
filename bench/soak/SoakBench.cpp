// A long session in the whole program, offscreen: three real pages of one
// site with a style sheet of a real site's size, and for each cycle: reload the page, select ten elements in the DOM
// tree, edit a declaration in the rules panel and an attribute in the
// inspector, save, undo both, save, go to the next page. Every 50 cycles the
// browser is killed (the program starts another and reloads the page).
// Prints the program's resident size and the browser's (all of its
// processes) every ten cycles, and the growth per cycle over the run, after
// ten cycles of warm-up. Every wait is on the program's signals.
//
//   soak_bench [CYCLES] [--no-css]
//
// --no-css leaves the declaration edit out, so the share of the rules
// panel's write-back in the growth shows.

#include "app/AppDelegate.h"
#include "app/MainInterface.h"
#include "app/MainMenu.h"
#include "app/ProjectDelegate.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "domtree/DomInfoDelegate.h"
#include "domtree/DOMNodeEx.h"
#include "domtree/DomTreeDelegate.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/engine/ChromiumProcess.h"
#include "preview/PreviewDelegate.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include "../BenchUtil.h"
#include "../LaunchedShell.h"
#include "../OffscreenHome.h"

#include <QAction>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

const QByteArray kSheet = "/* the site */\n"
                          "body { margin: 0; font-family: Georgia, serif; color: #2b2b2b; }\n"
                          "h1 { color: black; margin: 0 0 10px; }\n"
                          "p { color: gray; line-height: 1.4; }\n"
                          "li { padding: 2px; }\n"
                          ".card { border: 1px solid #ccc; padding: 8px; }\n"
                          "a { color: #a52; }\n";

// A page of sections with headings, paragraphs, lists and links.
QByteArray page(int number)
{
    QByteArray text = "<!DOCTYPE html>\n<html>\n<head>\n  <meta charset=\"utf-8\">\n  <title>Page "
                      + QByteArray::number(number) + "</title>\n  <link rel=\"stylesheet\" href=\"css/site.css\">\n"
                      "</head>\n<body>\n  <h1 id=\"title\">Page " + QByteArray::number(number) + "</h1>\n";
    for (int i = 0; i < 30; ++i) {
        const QByteArray n = QByteArray::number(i);
        text += "  <section class=\"card\" id=\"s" + n + "\">\n    <h2>Section " + n + "</h2>\n    <p>Text " + n
                + " with <a href=\"#s" + n + "\">a link</a>.</p>\n    <ul><li>one</li><li>two</li></ul>\n  </section>\n";
    }
    return text + "</body>\n</html>\n";
}

// Runs the event loop until the condition holds; answers whether it does.
bool waitFor(const std::function<bool()> &condition, int timeoutMs = 20000)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

// The resident kilobytes of every process in the browser's process group.
qint64 browserKilobytes(qint64 group)
{
    qint64 total = 0;
    for (const QByteArray &pid : processGroup(group))
        total += std::max<qint64>(0, residentKilobytes(pid));
    return total;
}

// The slope of the least-squares line through the points, per cycle.
double slope(const std::vector<std::pair<int, double>> &points)
{
    if (points.size() < 2)
        return 0;
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const auto &[x, y] : points) {
        sx += x;
        sy += y;
        sxx += double(x) * x;
        sxy += double(x) * y;
    }
    const double n = double(points.size());
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

class Soak
{
public:
    Soak(AppDelegate &delegate, const QStringList &pages, bool editCss)
        : m_delegate(delegate)
        , m_pages(pages)
        , m_editCss(editCss)
    {
        MainInterface &ui = delegate.ui();
        m_projects = ui.projectController;
        m_preview = dynamic_cast<PreviewDelegate *>(m_projects->previewHalf());
        m_tree = dynamic_cast<DomTreeDelegate *>(delegate.domTreeController());
        m_rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate());
        QObject::connect(m_preview, &PreviewDelegate::loadCompleted, m_preview, [this] { ++m_loads; });
    }

    bool isReady() const { return m_projects && m_preview && m_tree && m_rules; }

    // Shows the page in the preview as a double click in the file tree does.
    bool show(int index)
    {
        const int loads = m_loads;
        File *file = openFromFileTree(*m_projects, m_pages.at(index), m_failure);
        return file && waitForPage(loads, file);
    }

    bool reload()
    {
        const int loads = m_loads;
        File *shown = m_tree->indexFile();
        m_preview->refreshWebview();
        return waitForPage(loads, shown);
    }

    bool killBrowser()
    {
        const qint64 pid = ChromiumProcess::instance().processId();
        if (pid <= 0)
            return fail("no browser runs");
        const int loads = m_loads;
        File *shown = m_tree->indexFile();
        ::kill(pid_t(pid), SIGKILL);
        return waitForPage(loads, shown);
    }

    bool cycle(int number)
    {
        DOMDocument *document = m_tree->document();
        const DOMNodeList elements = document->querySelectorAll(QStringLiteral("h1, h2, p, li, a"));
        DOMElement *heading = nullptr;
        for (int i = 0; i < 10 && i < elements.length(); ++i) {
            auto *element = static_cast<DOMElement *>(elements.item((i * 7) % elements.length()));
            if (!selectElement(element))
                return false;
        }
        heading = document->getElementById(QStringLiteral("title"));
        if (!heading || !selectElement(heading, m_editCss ? Rules::Yes : Rules::No))
            return fail("no heading");
        const QString colour = number % 2 ? QStringLiteral("navy") : QStringLiteral("teal");
        if (m_editCss) {
            CSSRulePtr row = colorRow();
            if (!row)
                return fail("the heading's colour is not in the rules panel");
            m_rules->commitCSSValueChange(row, colour, true);
        }
        DomInfoDelegate *inspector = m_tree->domInfoDelegate();
        inspector->attrName()->setText(QStringLiteral("data-cycle"));
        inspector->attrValue()->setText(QString::number(number));
        inspector->addAttr();
        if (!settle() || !save())
            return false;
        InspectUndoManager *undo = m_delegate.sharedUndoManager();
        undo->undo();
        if (m_editCss)
            undo->undo();
        return settle() && save();
    }

    QString failure() const { return m_failure; }

private:
    bool fail(const char *what)
    {
        m_failure = QString::fromLatin1(what);
        return false;
    }

    bool waitForPage(int loads, File *file)
    {
        if (!waitFor([&] {
                return m_loads > loads && m_tree->document() && m_tree->indexFile() == file
                       && m_tree->document()->getElementById(QStringLiteral("title"));
            }, 60000))
            return fail("the page was not shown");
        return true;
    }

    // Selects the element in the DOM tree until the inspector shows it, and
    // the rules panel too when asked.
    enum class Rules { No, Yes };
    bool selectElement(DOMElement *element, Rules rules = Rules::No)
    {
        m_tree->selectNode(element);
        if (!waitFor([&] {
                DomInfoDelegate *inspector = m_tree->domInfoDelegate();
                return (rules == Rules::No || m_rules->lastSelectedElement() == element) && inspector->inspectedNode()
                       && inspector->inspectedNode()->node() == element;
            }, 10000)) {
            DomInfoDelegate *inspector = m_tree->domInfoDelegate();
            m_failure = QStringLiteral("%1 was not shown (rules panel: %2, inspector: %3)")
                            .arg(element->nodeName(),
                                 m_rules->lastSelectedElement() ? m_rules->lastSelectedElement()->nodeName() : QStringLiteral("none"),
                                 inspector->inspectedNode() && inspector->inspectedNode()->node()
                                     ? inspector->inspectedNode()->node()->nodeName()
                                     : QStringLiteral("none"));
            return false;
        }
        return true;
    }

    CSSRulePtr colorRow() const
    {
        for (const CSSRulePtr &rule : m_rules->rules()) {
            if (rule->displayName() != QLatin1String("h1") || !rule->relatedFile())
                continue;
            for (const CSSRulePtr &child : rule->children()) {
                if (child->propName() == QLatin1String("color"))
                    return child;
            }
        }
        return nullptr;
    }

    // The deferred writes done and the undo group closed.
    bool settle()
    {
        BalkInvocationManager *batcher = m_delegate.balkInvocationManager();
        if (!waitFor([batcher] { return batcher->operations().isEmpty(); }, 5000))
            return fail("the deferred writes did not run");
        QTest::qWait(20);
        return true;
    }

    bool save()
    {
        QAction *item = m_delegate.ui().mainMenu->itemForAction(QStringLiteral("save:"));
        m_delegate.ui().mainMenu->validateAll();
        if (!item)
            return fail("no Save command");
        if (item->isEnabled())
            item->trigger();
        return true;
    }

    AppDelegate &m_delegate;
    QStringList m_pages;
    bool m_editCss = true;
    ProjectDelegate *m_projects = nullptr;
    PreviewDelegate *m_preview = nullptr;
    DomTreeDelegate *m_tree = nullptr;
    CSSOutlineDelegate *m_rules = nullptr;
    int m_loads = 0;
    QString m_failure;
};

} // namespace

int main(int argc, char *argv[])
{
    int cycles = 200;
    bool editCss = true;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--no-css") == 0)
            editCss = false;
        else
            cycles = std::max(1, std::atoi(argv[i]));
    }
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1440, 900)))
        return 1;
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    const QString site = home.filePath(QStringLiteral("site"));
    QStringList pages;
    // A sheet of a real site's size: the site's own rules, then Debian's bootstrap.css.
    QByteArray sheet = kSheet;
    QFile bootstrap(QStringLiteral("/usr/share/javascript/bootstrap5/css/bootstrap.css"));
    if (bootstrap.open(QIODevice::ReadOnly))
        sheet += bootstrap.readAll();
    else
        std::fprintf(stderr, "no bootstrap.css (Debian's libjs-bootstrap5): the sheet is small\n");
    writeProjectFile(site + QStringLiteral("/css/site.css"), sheet);
    for (int i = 1; i <= 3; ++i) {
        const QString name = site + QStringLiteral("/page%1.html").arg(i);
        writeProjectFile(name, page(i));
        pages.append(name);
    }
    const QString canonical = QFileInfo(site).canonicalFilePath();
    for (QString &name : pages)
        name = QFileInfo(name).canonicalFilePath();
    useOnlyProject(canonical);

    LaunchedShell shell(argc, argv, false);
    AppDelegate &delegate = shell.delegate();
    QTest::qWait(500);
    Soak soak(delegate, pages, editCss);
    if (!soak.isReady() || !soak.show(0)) {
        std::fprintf(stderr, "the first page was not shown: %s\n", qPrintable(soak.failure()));
        return 1;
    }

    std::printf("style sheet: %lld KB\ncycle  program MB  browser MB\n", qint64(sheet.size() / 1024));
    const int warmUp = 10;
    std::vector<std::pair<int, double>> program;
    std::vector<std::pair<int, double>> browser;
    QElapsedTimer clock;
    clock.start();
    for (int cycle = 1; cycle <= warmUp + cycles; ++cycle) {
        const bool killed = cycle % 50 == 0;
        if ((killed && !soak.killBrowser()) || !soak.reload() || !soak.cycle(cycle) || !soak.show(cycle % 3)) {
            std::fprintf(stderr, "cycle %d failed: %s\n", cycle, qPrintable(soak.failure()));
            return 1;
        }
        const double ownMb = double(residentKilobytes()) / 1024.0;
        const double browserMb = double(browserKilobytes(ChromiumProcess::instance().processId())) / 1024.0;
        if (cycle > warmUp) {
            program.emplace_back(cycle, ownMb);
            browser.emplace_back(cycle, browserMb);
        }
        if (cycle % 10 == 0)
            std::printf("%5d  %10.1f  %10.1f%s\n", cycle, ownMb, browserMb, killed ? "  (browser killed)" : "");
        std::fflush(stdout);
    }
    const auto growth = [](const std::vector<std::pair<int, double>> &points) {
        return (points.back().second - points.front().second) / double(points.back().first - points.front().first);
    };
    std::printf("%d cycles after %d of warm-up, %.0f s, %s\n", cycles, warmUp, double(clock.elapsed()) / 1000.0,
                editCss ? "with the declaration edit" : "without the declaration edit (--no-css)");
    std::printf("program growth per cycle: %.3f MB (first to last), %.3f MB (least squares)   goal: under 0.1 MB\n",
                growth(program), slope(program));
    std::printf("browser growth per cycle: %.3f MB (first to last), %.3f MB (least squares)\n", growth(browser),
                slope(browser));
    return 0;
}
