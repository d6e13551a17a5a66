// Times the rules panel's popover editors and prints each figure's median
// and minimum in milliseconds, "RESULT <what> <median> <min>":
//
//   open-<type>  an editor of the type made fresh, read a value and drawn
//   step-size    a step of the size editor until "cssValueChanged" is heard
//   key-number   a keystroke in the number editor until it is heard
//   step-degree  a step of the transform editor (ten functions) until it is heard
//   drag-knob    a move of a dragged gradient stop (32 stops) until it is heard
//
//   popover_editors_bench [ITERATIONS]

#include "editors/StepNumberTextField.h"
#include "editors/popover/BackgrouImageEditor.h"
#include "editors/popover/GradientSlider.h"
#include "editors/popover/NumberEditor.h"
#include "editors/popover/SingleSizeEditorView.h"
#include "editors/popover/StyleEditorViewController.h"
#include "editors/popover/TransformStyleEditor.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Stepper.h"

#include "PopoverSamples.h"

#include "../BenchUtil.h"
#include "../OffscreenHome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QMouseEvent>
#include <QTest>
#include <QToolButton>

#include <cstdio>
#include <vector>

namespace {

void report(const QString &what, const std::vector<double> &times)
{
    std::printf("RESULT %s %.3f %.3f\n", qPrintable(what), median(times), *std::min_element(times.begin(), times.end()));
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    if (!useOffscreenHome(home))
        return 1;
    QApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(1, atoi(argv[1])) : 50;

    StyleEditorViewController editors;
    const QList<std::pair<QString, QString>> samples = popoverEditorSamples();
    for (const auto &sample : samples) {
        const QString &property = sample.first;
        const QString &value = sample.second;
        std::vector<double> open;
        for (int i = 0; i < iterations; ++i) {
            open.push_back(timedMs([&] {
                editors.initializeEditorView(property, value);
                editors.view()->grab();
            }));
        }
        report(QStringLiteral("open-") + editors.typeByProp(property), open);
    }

    int heard = 0;
    NotificationCenter::defaultCenter().addObserver(&heard, QStringLiteral("cssValueChanged"), nullptr,
                                                    [&heard](const Notification &) { ++heard; });
    SingleSizeEditorView size;
    size.initialize(QStringLiteral("width"), QStringLiteral("10px"));
    std::vector<double> step;
    for (int i = 0; i < iterations * 10; ++i)
        step.push_back(timedMs([&] { size.stepper()->upButton()->click(); }));
    report(QStringLiteral("step-size"), step);

    NumberEditor number;
    number.initialize(QStringLiteral("opacity"), QStringLiteral("0.5"));
    number.show();
    number.textField()->setFocus();
    std::vector<double> key;
    for (int i = 0; i < iterations * 10; ++i)
        key.push_back(timedMs([&] { QTest::keyClick(number.textField(), Qt::Key_5); }));
    report(QStringLiteral("key-number"), key);

    TransformStyleEditor transform;
    transform.initialize(QStringLiteral("transform"),
                         QStringLiteral("perspective(500px) translate3d(1px, 2px, 3px) rotate(10deg) rotatex(1deg) "
                                        "rotatey(2deg) rotatez(3deg) scale3d(1, 2, 3) skew(1deg, 2deg) matrix(1, 0, 0, 1, 0, 0)"));
    std::vector<double> degree;
    for (int i = 0; i < iterations * 10; ++i)
        degree.push_back(timedMs([&] { transform.stepper(TransformValue::Rotate)->upButton()->click(); }));
    report(QStringLiteral("step-degree"), degree);

    BackgrouImageEditor gradient;
    gradient.initialize(QStringLiteral("background-image"), samples.last().second);
    gradient.show();
    GradientSlider *slider = gradient.gradientSlider();
    const QRectF track = slider->draggableRect();
    const auto at = [&track](double ratio) { return QPoint(int(track.x() + ratio * track.width()), int(track.y())); };
    QTest::mousePress(slider, Qt::LeftButton, {}, at(0.5));
    std::vector<double> drag;
    for (int i = 0; i < iterations * 10; ++i) {
        const QPoint point = at((i % 100) / 100.0);
        QMouseEvent move(QEvent::MouseMove, point, slider->mapToGlobal(point), Qt::NoButton, Qt::LeftButton, {});
        drag.push_back(timedMs([&] { QApplication::sendEvent(slider, &move); }));
    }
    QTest::mouseRelease(slider, Qt::LeftButton, {}, at(0.5));
    report(QStringLiteral("drag-knob"), drag);

    NotificationCenter::defaultCenter().removeObserver(&heard);
    return heard > 0 ? 0 : 1;
}
