// Selecting an element on the 10,000-element bootstrap.css page until the
// rules panel's rows are shown, side by side (alternating, element by
// element, in one process) with the same questions asked of the page in one
// plain script call: its computed style and box, the rules of every sheet
// that match it, the media queries of the sheets and whether the values of
// the matching rules are valid. Also a selection after an edit that adds
// and removes a rule. Run by hand, offscreen:
//   ./bench/cssrules/cssrules_selection_bench [bootstrap.css] [ROUNDS]

#include "cssrules/CSSOutlineDelegate.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/engine/WebPage.h"
#include "platform/web/engine/WebView.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include "RulesBenchSupport.h"

#include "../BenchUtil.h"
#include "../OffscreenHome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// The questions the panel asks for one element, as one script.
const char *const kReferenceScript = R"JS((function (tag, index) {
  const e = document.getElementsByTagName(tag)[index];
  const computed = getComputedStyle(e);
  const style = {};
  for (let i = 0; i < computed.length; ++i)
    style[computed[i]] = computed.getPropertyValue(computed[i]);
  const r = e.getBoundingClientRect();
  const matched = [], media = [], values = {};
  const walk = (rules) => {
    for (const rule of rules) {
      if (rule instanceof CSSMediaRule) {
        media.push([rule.media.mediaText, matchMedia(rule.media.mediaText).matches]);
        walk(rule.cssRules);
      } else if (rule instanceof CSSStyleRule) {
        let applies = false;
        try { applies = e.matches(rule.selectorText); } catch (x) {}
        if (!applies)
          continue;
        matched.push(rule.selectorText);
        for (let i = 0; i < rule.style.length; ++i) {
          const name = rule.style[i], value = rule.style.getPropertyValue(name);
          values[name + ':' + value] = CSS.supports(name, value);
        }
      } else if (rule.cssRules) {
        walk(rule.cssRules);
      }
    }
  };
  for (const sheet of document.styleSheets) {
    try { walk(sheet.cssRules); } catch (x) {}
  }
  return JSON.stringify({style, box: [r.x, r.y, r.width, r.height], matched, media, values});
}))JS";

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    useOffscreenHome(home);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!copyBootstrap(argc, argv, dir.path()))
        return 1;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    const QString page = writeCardsPage(dir.path());
    std::unique_ptr<File> root;
    File *sheet = sheetOfProject(dir.path(), root, QStringLiteral("bootstrap.css"));

    InspectUndoManager undo;
    BalkInvocationManager batcher;
    CSSOutlineDelegate panel;
    wirePanel(panel, undo, batcher);
    WebView *view = showPage(page);
    if (!view || !sheet)
        return 1;
    DOMDocument *document = view->mainFrameDocument();
    panel.setStyleFiles({sheet});

    // Twenty elements of different kinds a round, spread over the page, none
    // chosen twice (the engine's answers for an element stay until the page changes).
    const QStringList tags = {QStringLiteral("a"), QStringLiteral("h5"), QStringLiteral("p"), QStringLiteral("li"),
                              QStringLiteral("em"), QStringLiteral("ul"), QStringLiteral("div")};
    QList<std::pair<QString, int>> picks;
    QList<DOMElement *> elements;
    for (int i = 0; elements.size() < 20 * rounds + 2 * rounds; ++i) {
        const QString tag = tags.at(i % tags.size());
        const DOMNodeList list = document->getElementsByTagName(tag);
        const int index = int((i * 37 + i / 20 * 101) % list.length());
        if (picks.contains(std::make_pair(tag, index)))
            continue;
        picks.append({tag, index});
        elements.append(static_cast<DOMElement *>(list.item(index)));
    }
    const auto select = [&](DOMElement *element) {
        QSignalSpy built(&panel, &CSSOutlineDelegate::rebuilt);
        QElapsedTimer timer;
        timer.start();
        panel.updateRulesByElement(element);
        if (built.isEmpty())
            built.wait(10000);
        // Shown: the rows laid out and drawn.
        panel.view()->repaint();
        return timer.nsecsElapsed() / 1e6;
    };
    const auto ask = [&](const std::pair<QString, int> &pick) {
        bool done = false;
        qsizetype size = 0;
        QElapsedTimer timer;
        timer.start();
        view->webPage()->runJavaScript(QString::fromLatin1(kReferenceScript) + QStringLiteral("('%1', %2)").arg(pick.first).arg(pick.second),
                                       WebPage::World::Bridge, [&](const QVariant &answer) {
                                           size = answer.toString().size();
                                           done = true;
                                       });
        waitUntil([&] { return done; }, 10000);
        if (!size)
            std::fprintf(stderr, "the script gave no answer\n");
        return timer.nsecsElapsed() / 1e6;
    };
    select(elements.first());
    ask(picks.first());

    std::vector<double> ours, reference, ratios;
    for (int round = 0; round < rounds; ++round) {
        for (qsizetype i = round * 20; i < (round + 1) * 20; ++i) {
            const double a = select(elements.at(i));
            const double b = ask(picks.at(i));
            ours.push_back(a);
            reference.push_back(b);
            ratios.push_back(a / b);
        }
    }
    printResult("quillmark-select", ours);
    printResult("script-questions", reference);
    std::printf("RATIO select/script median %.2f (%zu pairs)\n", median(ratios), ratios.size());

    // After an edit that adds a rule and one that removes it, the first
    // selection (the pairing brought up to date, not made again).
    std::vector<double> afterEdit;
    for (int round = 0; round < rounds; ++round) {
        StyleDeclarationPtr btn;
        for (const StyleDeclarationPtr &item : panel.styleDeclarationsOf(sheet)) {
            if (!item->isInBraket() && item->selector() == QLatin1String(".btn"))
                btn = item;
        }
        panel.createSelector(QStringLiteral(".bench-new"), QStringLiteral("top: 1px;"), sheet, btn);
        batcher.execute();
        undo.loopEnd();
        afterEdit.push_back(select(elements.at(rounds * 20 + round * 2)));
        undo.undo();
        batcher.execute();
        undo.loopEnd();
        afterEdit.push_back(select(elements.at(rounds * 20 + round * 2 + 1)));
    }
    printResult("quillmark-select-after-edit", afterEdit);
    File::setUndoManagerProvider({});
    delete view;
    return 0;
}
