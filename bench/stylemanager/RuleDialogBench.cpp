// Figures of the create rule dialog over a style sheet of about 300 KB
// (style rules, @media blocks and keyframes rules): opening it in each mode
// with its choosers filled, and one keystroke in the selector field (the
// check and the marks). Run by hand, offscreen:
//   ./bench/stylemanager/rule_dialog_bench

#include "stylemanager/ControlSelectorValidator.h"
#include "stylemanager/CreateSelectorDelegate.h"
#include "stylemanager/CreateSelectorManagerDelegate.h"

#include "cssrules/CSSOutlineDelegate.h"
#include "cssvalues/CSSSelectorValidator.h"
#include "foundation/InspectUndoManager.h"
#include "workspace/File.h"

#include "../BenchFigures.h"
#include "../OffscreenHome.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

QByteArray sheet()
{
    QByteArray css;
    for (int i = 0; css.size() < 300 * 1024; ++i) {
        const QByteArray n = QByteArray::number(i);
        css += ".card-" + n + " > .title-" + n + " { color: #333; margin: 0 0 " + n + "px; padding: 4px; }\n";
        if (i % 50 == 0)
            css += "@media screen and (max-width: " + n + "px) {\n    .m-" + n + " { display: none; }\n    .n-" + n
                   + " { float: left; }\n}\n";
        if (i % 80 == 0)
            css += "@keyframes move" + n + " {\n    0% { left: 0px; }\n    100% { left: " + n + "px; }\n}\n";
    }
    return css;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    if (!useOffscreenHome(home, QSize(1280, 800)))
        return 1;
    QApplication application(argc, argv);
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("site.css")));
    const QByteArray text = sheet();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) < 0)
        return 1;
    file.close();

    InspectUndoManager undo;
    File::setUndoManagerProvider([&undo] { return &undo; });
    File root(folder.path(), true, nullptr);
    File *css = root.children().value(0);
    if (!css)
        return 1;
    CSSOutlineDelegate panel;
    panel.awakeFromNib();
    panel.setStyleFiles({css});
    css->topLevelDeclarations();
    CreateSelectorManagerDelegate dialog(&panel);
    std::fprintf(stdout, "%lld KB, %lld top-level items, %lld @media blocks\n", qlonglong(text.size() / 1024),
                 qlonglong(css->topLevelDeclarations().size()), qlonglong(css->mediaDeclarations().size()));
    waitUntil([] { return CSSSelectorValidator::getInstance()->isReady(); });

    const StyleDeclarationPtr media = css->mediaDeclarations().value(3);
    const StyleDeclarationPtr rule = css->topLevelDeclarations().value(500);
    const QList<std::pair<const char *, std::function<void()>>> modes{
        {"rule", [&] { dialog.setCreateSelectorMode(css); dialog.prepareSelection(rule); }},
        {"@media", [&] { dialog.setCreateSelectorMode(css); dialog.selectType(1); dialog.prepareSelection(media); }},
        {"@keyframe", [&] { dialog.setCreateKeyframeMode(); }},
    };
    for (const auto &[name, setMode] : modes) {
        Figures open;
        for (int run = 0; run < 20; ++run) {
            QElapsedTimer timer;
            timer.start();
            setMode();
            dialog.present(nullptr);
            QCoreApplication::processEvents();
            open.add(timer.nsecsElapsed() / 1e6);
            dialog.endSheet(0);
            QCoreApplication::processEvents();
        }
        std::fprintf(stdout, "opening in %s mode, choosers filled: %s\n", name, qPrintable(open.text()));
    }

    // Keystrokes at the end of a long selector, with marks to draw.
    dialog.setCreateSelectorMode(css);
    dialog.present(nullptr);
    QLineEdit *field = dialog.selectorDelegate()->selectorNameInputView();
    field->setText(QStringLiteral("body > div.page #main ul.menu > li:nth-child(2n+1) a:hover..x"));
    Figures keystroke;
    keystroke.decimals = 3;
    for (int run = 0; run < 400; ++run) {
        QElapsedTimer timer;
        timer.start();
        QTest::keyClick(field, run % 2 ? Qt::Key_Backspace : Qt::Key_B);
        keystroke.add(timer.nsecsElapsed() / 1e6);
    }
    std::fprintf(stdout, "one keystroke, checked and marked: %s (%lld marks at the end)\n", qPrintable(keystroke.text()),
                 qlonglong(ControlSelectorValidator::errorRanges(field).size()));
    dialog.endSheet(0);
    File::setUndoManagerProvider({});
    return 0;
}
