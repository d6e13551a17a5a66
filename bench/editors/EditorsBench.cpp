// Times the style-attribute panel and prints each figure's median and
// minimum in milliseconds, "RESULT <what> <median> <min>":
//
//   show      an element of 60 declarations shown (read, editors filled)
//   announce  a length typed into the width field, announced with the new text
//   build     the panel built (its view, the editors, observers) and first drawn
//   transform a transform list of 12 functions read
//   shadow    a box-shadow of 10 layers read by the parser the editor makes
//   slider    a filter slider moved, announced with the new text
//
//   editors_bench [ITERATIONS]

#include "editors/AttributeStyleEditorViewController.h"
#include "editors/FilterEditor.h"
#include "editors/TransformValue.h"
#include "cssvalues/BoxShadowParser.h"
#include "editors/LengthEditor.h"
#include "editors/NumberField.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"

#include "../BenchUtil.h"
#include "../OffscreenHome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSlider>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

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
    const QString twelve = QStringLiteral(
        "perspective(500px) translate3d(10px, 2em, 0) rotate(45deg) rotateX(10deg) rotateY(20deg) rotateZ(5deg) "
        "scale(1.5, 2) skew(10deg, 5deg) matrix(1, 0, 0, 1, 0, 0) rotate3d(1, 1, 0, 30deg) translateX(calc(1px + 2%)) "
        "rotate(1turn)");
    std::vector<double> transform;
    for (int i = 0; i < iterations; ++i) {
        TransformValue value;
        transform.push_back(timedMs([&] { value.read(twelve); }));
    }
    QStringList layers;
    for (int i = 0; i < 10; ++i)
        layers.append(QStringLiteral("%1px %2px %3px %4px rgba(0, 0, 0, 0.%5)").arg(i).arg(i + 1).arg(i + 2).arg(i % 3).arg(i + 1));
    const QString tenLayers = layers.join(QStringLiteral(", "));
    // The editor makes a new parser for every element shown: the first read
    // of each includes building it.
    std::vector<double> shadowFirst;
    std::vector<double> shadow;
    for (int i = 0; i < iterations; ++i) {
        BoxShadowParser parser;
        shadowFirst.push_back(timedMs([&] { parser.parse(tenLayers); }));
        shadow.push_back(timedMs([&] { parser.parse(tenLayers); }));
    }
    int changes = 0;
    NotificationCenter::defaultCenter().addObserver(&observer, QStringLiteral("StyleAttributeEditChange"), nullptr,
                                                    [&changes](const Notification &) { ++changes; });
    auto *filter = qobject_cast<FilterEditor *>(panel.editorForProperty(QStringLiteral("filter")));
    QSlider *blur = filter->slider(FilterValue::Blur);
    std::vector<double> slider;
    for (int i = 0; i < iterations; ++i)
        slider.push_back(timedMs([&] { blur->setValue(1 + i % 150); }));

    report("show", show);
    report("announce", announce);
    report("build", build);
    report("transform", transform);
    report("shadow-first", shadowFirst);
    report("shadow", shadow);
    report("slider", slider);
    std::fprintf(stderr, "%lld pass-through declarations, %d announcements\n", qlonglong(kept), announced);
    return announced >= iterations ? 0 : 1;
}
