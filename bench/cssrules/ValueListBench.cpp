// Figures of the value list under a value being typed: a keystroke in a
// colour value narrowing the list (the list redrawn), and opening the list of
// a background image in a project of 2,000 images (candidates made, list
// filled and drawn). Run by hand, offscreen:
//   ./bench/cssrules/cssrules_value_list_bench

#include "cssrules/LightReferenceView.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/web/cssom/DOMCSSParser.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "workspace/File.h"

#include "../BenchUtil.h"
#include "../OffscreenHome.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

CSSRulePtr declarationRow(const QString &name, const QString &value, File *file)
{
    const std::optional<DOMCSSParsedRule> parsed = DOMCSSParser::parseRule(QStringLiteral(".a { %1: %2; }").arg(name, value));
    const CSSRulePtr rule = CSSRule::initWithRule(DOMCSSRule::fromParsed(*parsed, 0));
    rule->setFile(file);
    const CSSRulePtr row = CSSRule::initWithCSSProperty(std::make_shared<CSSProperty>(name, value), rule);
    row->setFile(file);
    return row;
}

double millisecondsOf(const std::function<void()> &work)
{
    QElapsedTimer clock;
    clock.start();
    work();
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    useOffscreenHome(home);
    QApplication application(argc, argv);

    // A project of 2,000 images in 20 folders, its sheet one folder down.
    const QString project = home.filePath(QStringLiteral("site"));
    for (int i = 0; i < 2000; ++i) {
        const QString folder = project + QStringLiteral("/images/set %1").arg(i / 100);
        QDir().mkpath(folder);
        QFile(folder + QStringLiteral("/photo %1.png").arg(i)).open(QIODevice::WriteOnly);
    }
    QDir().mkpath(project + QStringLiteral("/css"));
    QFile(project + QStringLiteral("/css/site.css")).open(QIODevice::WriteOnly);
    File root(project, true, nullptr);
    QList<File *> images;
    File *sheet = nullptr;
    for (File *folder : root.children()) {
        for (File *child : folder->children()) {
            if (child->displayName() == QLatin1String("site.css"))
                sheet = child;
            for (File *image : child->children())
                images.append(image);
        }
    }
    if (images.size() != 2000 || !sheet) {
        std::fprintf(stderr, "the project has %lld images\n", qlonglong(images.size()));
        return 1;
    }

    LightReferenceView list;
    list.awakeFromNib();
    list.resize(260, 146);
    list.show();
    waitUntil([] { return false; }, 100);

    // A keystroke in a colour value: the keywords narrowed and the list drawn again.
    const CSSRulePtr colour = declarationRow(QStringLiteral("color"), QStringLiteral("red"), sheet);
    std::vector<double> keystrokes;
    const QStringList typed{QStringLiteral("b"), QStringLiteral("bl"), QStringLiteral("blu"), QStringLiteral("blue"),
                            QStringLiteral("blu"), QStringLiteral("bl"), QStringLiteral("b"), QString()};
    for (int run = 0; run < 25; ++run) {
        list.setSource(colour);
        for (const QString &text : typed) {
            keystrokes.push_back(millisecondsOf([&] {
                NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("valueInputDidEdit"), nullptr,
                                                                         {{QStringLiteral("text"), text}});
                list.repaint();
            }));
        }
    }

    // Opening the list of a background image: 2,000 candidates.
    list.setProjectImages(images);
    const CSSRulePtr background = declarationRow(QStringLiteral("background-image"), QStringLiteral("none"), sheet);
    std::vector<double> openings;
    for (int run = 0; run < 25; ++run) {
        list.hide();
        openings.push_back(millisecondsOf([&] {
            list.setSource(background);
            list.show();
            list.repaint();
        }));
    }
    std::printf("candidates of a background image: %lld (first %s)\n", qlonglong(list.elements().size()),
                qPrintable(list.elements().value(0)));
    std::printf("keystroke in a colour value, list narrowed and drawn: median %.3f ms, 90th %.3f ms (limit 2 ms)\n",
                median(keystrokes), percentile(keystrokes, 0.9));
    std::printf("list opened with 2,000 images, filled and drawn: median %.3f ms, 90th %.3f ms (limit 30 ms)\n",
                median(openings), percentile(openings, 0.9));
    return 0;
}
