// The time from a click in pick mode to the element's rules shown in the CSS
// rules panel, in the whole program, on a 10,000-element page with
// bootstrap.css: the pointer rests on an element (the overlay on it), the
// click goes to the main window as the window system delivers it, and the
// time ends when the panel has been rebuilt for that element and repainted.
// Every wait is on the program's signals. Run by hand, offscreen:
//   ./bench/shell/pick_bench [bootstrap.css] [rounds]

#include "app/AppDelegate.h"
#include "app/EXWindow.h"
#include "app/MainInterface.h"
#include "app/ProjectDelegate.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/Alert.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/engine/WebBridge.h"
#include "platform/web/engine/WebEngineCache.h"
#include "platform/web/engine/WebFrameMirror.h"
#include "preview/BackgroundView.h"
#include "preview/ExWebView.h"
#include "preview/PreviewDelegate.h"
#include "toolkit/OutlineViewEx.h"

#include "../LaunchedShell.h"
#include "../OffscreenHome.h"
#include "../cssrules/RulesBenchSupport.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

// Runs the event loop until the sender's signal comes with the condition
// holding, or the time is up; answers whether it holds.
template <typename Sender, typename Signal>
bool waitForSignal(const Sender *sender, Signal signal, const std::function<bool()> &condition, int timeoutMs = 15000)
{
    QEventLoop loop;
    bool held = false;
    QObject::connect(sender, signal, &loop, [&] {
        if (condition()) {
            held = true;
            loop.quit();
        }
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return held;
}

} // namespace

int main(int argc, char *argv[])
{
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 40;
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1440, 900)))
        return 1;
    const QString site = home.filePath(QStringLiteral("site"));
    if (!writeProjectFile(site + QStringLiteral("/index.html"), bootstrapCardsPage()) || !copyBootstrap(argc, argv, site))
        return 1;
    // The site is a project and its page the one shown last: the preview loads it at launch.
    const QString canonical = QFileInfo(site).canonicalFilePath();
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setObject(QVariantMap{{canonical, canonical}}, QStringLiteral("rootPathes"));
    defaults.setObject(QUrl::fromLocalFile(canonical + QStringLiteral("/index.html")).toString(QUrl::FullyEncoded),
                       QStringLiteral("lastURL"));
    defaults.setInteger(0, QStringLiteral("firstLaunch"));
    defaults.synchronize();

    // bootstrap.css has prefixed properties the project does not ask for:
    // the alert that says so is answered "Ignore".
    Alert::setResponder([](Alert &) { return int(Alert::SecondButtonReturn); });
    LaunchedShell shell(argc, argv, false);
    AppDelegate &delegate = shell.delegate();
    auto *preview = dynamic_cast<PreviewDelegate *>(delegate.ui().projectController->previewHalf());
    auto *rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate());
    if (!preview || !rules)
        return 1;
    if (!waitForSignal(preview, &PreviewDelegate::loadCompleted, [] { return true; }, 30000)) {
        std::fprintf(stderr, "the page was not shown\n");
        return 1;
    }
    ExWebView *view = preview->webview();
    DOMDocument *document = view->mainFrameDocument();
    QWidget *window = delegate.ui().window;
    window->activateWindow();
    if (!document || !QTest::qWaitForWindowActive(window)) {
        std::fprintf(stderr, "no document, or the main window is not active\n");
        return 1;
    }
    std::printf("page: %d elements\n", document->getElementsByTagName(QStringLiteral("*")).length());

    // Points over elements of different kinds in view, each over a different
    // element from the one before: those of the first cards, their boxes
    // asked in one question.
    const DOMNodeList candidates = document->querySelectorAll(QStringLiteral("h5, em, a, li"));
    QList<const DOMNode *> firstCards;
    for (int i = 0; i < std::min(80, candidates.length()); ++i)
        firstCards.append(candidates.item(i));
    {
        QEventLoop loop;
        bool known = false;
        view->prefetchBoxes(firstCards, [&] {
            known = true;
            loop.quit();
        });
        if (!known)
            loop.exec();
    }
    QList<QPoint> points;
    for (const DOMNode *element : std::as_const(firstCards)) {
        const QRectF rect = view->knownRectWithElement(element).value_or(QRectF());
        if (points.size() < 20 && rect.bottom() < view->height() - 10 && rect.width() > 4)
            points.append(view->mapTo(window, rect.center().toPoint()));
    }
    if (points.size() < 2) {
        std::fprintf(stderr, "no elements in view\n");
        return 1;
    }

    // Each round: pick mode on from the toolbar, the pointer onto an element
    // until the overlay is on it, then the click, timed.
    QWindow *handle = window->windowHandle();
    const int blockingBefore = view->bridge().blockingCalls();
    std::vector<double> clicks;
    int rows = 0;
    const int warmUp = 3;
    for (int round = 0; round < warmUp + rounds; ++round) {
        const QPoint point = points.at(round % points.size());
        delegate.ui().detectButton->click();
        QTest::mouseMove(handle, point - QPoint(1, 1));
        QTest::mouseMove(handle, point);
        const bool hovered = waitForSignal(view, &ExWebView::mouseDidMoveOverElement, [] { return true; });
        DOMNode *element = view->detectView()->element();
        if (!hovered || !element || !element->isElement()) {
            std::fprintf(stderr, "no overlay at %d, %d\n", point.x(), point.y());
            return 1;
        }
        QElapsedTimer timer;
        timer.start();
        bool shown = false;
        QEventLoop loop;
        QObject::connect(rules, &CSSOutlineDelegate::rebuilt, &loop, [&, target = element] {
            if (rules->lastSelectedElement() != target)
                return;
            // Shown: the rows laid out and drawn.
            rules->outline()->repaint();
            shown = true;
            loop.quit();
        });
        QTimer::singleShot(15000, &loop, &QEventLoop::quit);
        QTest::mouseClick(handle, Qt::LeftButton, {}, point);
        if (!shown)
            loop.exec();
        const double elapsed = timer.nsecsElapsed() / 1e6;
        if (!shown) {
            std::fprintf(stderr, "the rules of %s were not shown\n", qPrintable(element->nodeName()));
            return 1;
        }
        if (round >= warmUp) {
            clicks.push_back(elapsed);
            rows += int(rules->rules().size());
        }
    }
    std::printf("click in pick mode until the element's rules are shown in the rules panel: %s (goal: median under 50 ms); "
                "%.1f rules an element; blocking calls %d\n",
                qPrintable(figures(clicks)), double(rows) / double(clicks.size()),
                view->bridge().blockingCalls() - blockingBefore);
    return 0;
}
