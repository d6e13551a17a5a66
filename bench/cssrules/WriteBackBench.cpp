// One declaration edit written back into a style sheet, without the page:
// the rules panel's whole write step (the batch's run: the writer, its check
// of the new text, the model's ranges, the File's new text and the undo step)
// and the writer alone; the step also with an edit that changes the
// value's length. Prints "RESULT <what> <median ms> <min ms>" lines, as
// bench/peers/peers.mjs does for postcss's change and toString on the same
// file (bench/peers/compare.sh write FILE runs both side by side).
//   ./bench/cssrules/cssrules_write_bench [FILE.css] [ROUNDS]

#include "cssrules/CSSOutlineDelegate.h"
#include "cssrules/StyleSheetSource.h"
#include "cssrules/StyleSheetWriter.h"
#include "stylesheet/StyleSheetParser.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include "RulesBenchSupport.h"

#include "../BenchUtil.h"
#include "../OffscreenHome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

// The first declaration of the first top-level .btn rule: the one the peer edits.
CSSPropertyPtr editedProperty(const QList<StyleDeclarationPtr> &items)
{
    for (const StyleDeclarationPtr &item : items) {
        if (!item->isInBraket() && item->selector() == QLatin1String(".btn") && !item->properties().isEmpty())
            return item->properties().constFirst();
    }
    return nullptr;
}

StyleDeclarationPtr ownerOf(const QList<StyleDeclarationPtr> &items, const CSSPropertyPtr &property)
{
    for (const StyleDeclarationPtr &item : items) {
        if (item->properties().contains(property))
            return item;
    }
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    useOffscreenHome(home);
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!copyBootstrap(argc, argv, dir.path()))
        return 1;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 40;
    std::unique_ptr<File> root;
    File *sheet = sheetOfProject(dir.path(), root, QStringLiteral("bootstrap.css"));
    if (!sheet)
        return 1;

    InspectUndoManager undo;
    BalkInvocationManager batcher;
    CSSOutlineDelegate panel;
    wirePanel(panel, undo, batcher);
    panel.setStyleFiles({sheet});
    const QList<StyleDeclarationPtr> items = panel.styleDeclarationsOf(sheet);
    const CSSPropertyPtr property = editedProperty(items);
    const StyleDeclarationPtr owner = ownerOf(items, property);
    if (!property || !owner) {
        std::fprintf(stderr, "the sheet has no .btn rule with declarations\n");
        return 1;
    }

    // The panel's write step: the value set in the model, then the batch.
    // value(run) gives the edit's value.
    const auto writeSteps = [&](const std::function<QString(int)> &value) {
        std::vector<double> steps;
        for (int run = 0; run < rounds + 5; ++run) {
            property->setValue(value(run));
            owner->setModified(true);
            panel.applyContentToFile(sheet);
            QElapsedTimer timer;
            timer.start();
            batcher.execute();
            const double ms = timer.nsecsElapsed() / 1e6;
            undo.loopEnd();
            if (run >= 5)
                steps.push_back(ms);
        }
        if (!sheet->currentContent()->contains(value(rounds + 4)))
            std::fprintf(stderr, "the last edit is not in the text\n");
        return steps;
    };
    // Values of one length, then values whose length changes (every item after the edit moves).
    const std::vector<double> steps = writeSteps([](int run) { return QStringLiteral("%1rem").arg(run % 7 + 1); });
    const std::vector<double> resized = writeSteps([](int run) { return QStringLiteral("%1rem").arg(run % 2 ? 1 : 100); });

    // The writer alone, its check of the new text included.
    std::vector<double> alone;
    {
        const QString text = *sheet->currentContent();
        File model;
        const StyleSheetWriterSettings settings = StyleSheetWriterSettings::fromConfig(ProjectUtil::getProjectConfig(dir.path()));
        const QList<StyleDeclarationPtr> parsed = StyleSheetParser::parseStyleSheet(text, &model, settings.prefixes);
        model.setStyleDeclarations(parsed);
        auto source = StyleSheetSource::read(text, parsed);
        const CSSPropertyPtr edited = editedProperty(parsed);
        const StyleDeclarationPtr editedOwner = ownerOf(parsed, edited);
        for (int run = 0; run < rounds + 5; ++run) {
            edited->setValue(QStringLiteral("%1rem").arg(run % 7 + 1));
            editedOwner->setModified(true);
            QElapsedTimer timer;
            timer.start();
            const StyleSheetWriter::Result result = StyleSheetWriter(settings).write(parsed, source.get());
            const double ms = timer.nsecsElapsed() / 1e6;
            if (!result.ok) {
                std::fprintf(stderr, "not written: %s\n", qPrintable(result.error));
                return 1;
            }
            source = result.source;
            if (run >= 5)
                alone.push_back(ms);
        }
    }
    std::printf("# %lld characters, %lld items\n", qlonglong(sheet->currentContent()->size()), qlonglong(items.size()));
    printResult("quillmark-write-step", steps);
    printResult("quillmark-write-step-resized", resized);
    printResult("quillmark-writer", alone);
    File::setUndoManagerProvider({});
    return 0;
}
