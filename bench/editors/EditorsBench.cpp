// Times the style-attribute panel and prints each figure's median and
// minimum in milliseconds, "RESULT <what> <median> <min>":
//
//   show      an element of 60 declarations shown (read, editors filled)
//   announce  a length typed into the width field, announced with the new text
//   build     the panel built (its view, the editors, observers) and first drawn
//
//   editors_bench [ITERATIONS]

#include "editors/AttributeStyleEditorViewController.h"
#include "editors/LengthEditor.h"
#include "editors/NumberField.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"

#include "../BenchUtil.h"
#include "../OffscreenHome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

double timedMs(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return double(clock.nsecsElapsed()) / 1e6;
}

void report(const char *what, const std::vector<double> &times)
{
    std::printf("RESULT %s %.3f %.3f\n", what, median(times), *std::min_element(times.begin(), times.end()));
}

// Sixty declarations: the editors' own, shorthands, prefixed copies and
// pass-through ones, as a designer's inline style may grow.
QString sixtyDeclarations()
{
    QStringList list = {
        "display: flex", "float: left", "position: relative", "text-decoration: underline",
        "font-style: italic", "font-family: 'Helvetica Neue', Arial, sans-serif", "font-weight: 600",
        "text-align: center", "margin: 10px auto", "padding: 4px 8px 4px 8px", "border-radius: 3px",
        "border: 1px solid #ccc", "width: 33.5%", "height: 120px", "left: 0", "top: 2em", "z-index: 10",
        "opacity: 0.85", "color: #333333", "font-size: 1.25rem", "line-height: 1.5", "letter-spacing: 0.02em",
        "text-shadow: 0 1px 0 #fff", "box-shadow: 0 2px 4px rgba(0, 0, 0, 0.2)",
        "background-color: rgba(255, 255, 255, 0.9)", "filter: blur(1px)", "transform: rotate(2deg)",
        "-webkit-transform: rotate(2deg)", "cursor: pointer", "transition: all 0.3s ease"};
    for (int i = 0; list.size() < 60; ++i)
        list.append(QStringLiteral("--token-%1: %1px").arg(i));
    return list.join(QStringLiteral("; "));
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    if (!useOffscreenHome(home))
        return 1;
    QApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 50;

    const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    const DOMElementPtr element = document->createElement(QStringLiteral("div"));
    element->setAttribute(QStringLiteral("style"), sixtyDeclarations());

    std::vector<double> build;
    for (int i = 0; i < std::min(iterations, 20); ++i) {
        build.push_back(timedMs([] {
            AttributeStyleEditorViewController panel;
            panel.initEditor();
            panel.view()->resize(240, 385);
            panel.view()->grab();
        }));
    }

    AttributeStyleEditorViewController panel;
    panel.initEditor();
    panel.view()->resize(240, 385);
    panel.view()->show();
    QCoreApplication::processEvents();
    std::vector<double> show;
    for (int i = 0; i < iterations; ++i)
        show.push_back(timedMs([&] { panel.setStyledObject(element.get()); }));
    const qsizetype kept = panel.originals().size();

    QObject observer;
    int announced = 0;
    NotificationCenter::defaultCenter().addObserver(&observer, QStringLiteral("StyleAttributeEditEnd"), nullptr,
                                                    [&announced](const Notification &) { ++announced; });
    auto *width = qobject_cast<LengthEditor *>(panel.editorForProperty(QStringLiteral("width")));
    std::vector<double> announce;
    for (int i = 0; i < iterations; ++i) {
        width->valueInput()->setText(QString::number(40 + i));
        announce.push_back(timedMs([&] { width->valueChange(); }));
    }
    report("show", show);
    report("announce", announce);
    report("build", build);
    std::fprintf(stderr, "%lld pass-through declarations, %d announcements\n", qlonglong(kept), announced);
    return announced == iterations ? 0 : 1;
}
