// One declaration edit written back into a style sheet.
//
// Without the commit and the page: the rules panel's whole write step (the
// batch's run: the writer, its check of the new text, the model's ranges, the
// File's new text and the undo step) and the writer alone; the step also with
// an edit that changes the value's length. These print "RESULT <what>
// <median ms> <min ms>" lines, as bench/peers/peers.mjs does for postcss's
// change and toString on the same file (bench/peers/compare.sh write FILE runs
// both side by side, with --step-only).
//
// With the commit and the page: the edit a user makes, with the page shown and
// the panel on a matched element (the button of a card): the last key of a
// value typed into the row's value field, Return, the commit and the list
// rebuilt with the page's answers, and the write step, until the file's text
// holds the value. On the sheet and on the same sheet nine times over (2.5 MB
// for bootstrap.css), in alternating rounds in one process; the ratio is taken
// round by round.
//   ./bench/cssrules/cssrules_write_bench [FILE.css] [ROUNDS] [--step-only]

#include "cssrules/CSSOutlineDelegate.h"
#include "cssrules/StyleSheetSource.h"
#include "cssrules/StyleSheetWriter.h"
#include "stylesheet/StyleSheetParser.h"
#include "foundation/BalkInvocationManager.h"
#include "foundation/InspectUndoManager.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/engine/WebView.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include "RulesBenchSupport.h"

#include "../BenchUtil.h"
#include "../OffscreenHome.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <ctime>
#include <functional>

namespace {

// The processor time of the calling thread so far.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

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

struct StepFigures
{
    std::vector<double> steps, resized, alone;
};

// The write step and the writer alone on the sheet, without a page; empty
// figures after a line on stderr when the sheet has no .btn rule.
StepFigures writeStepFigures(File *sheet, const QString &folder, int rounds)
{
    StepFigures figures;
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
        return figures;
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
    figures.steps = writeSteps([](int run) { return QStringLiteral("%1rem").arg(run % 7 + 1); });
    figures.resized = writeSteps([](int run) { return QStringLiteral("%1rem").arg(run % 2 ? 1 : 100); });

    // The writer alone, its check of the new text included.
    const QString text = *sheet->currentContent();
    File model;
    const StyleSheetWriterSettings settings = StyleSheetWriterSettings::fromConfig(ProjectUtil::getProjectConfig(folder));
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
            return {};
        }
        source = result.source;
        if (run >= 5)
            figures.alone.push_back(ms);
    }
    return figures;
}

// The cards of the edited page (nine elements each): the engine's share of an
// edit (the page restyled, its answers) stays small beside the panel's own.
constexpr int kCards = 30;

// One page of the edit: its folder, sheet, view and the card's button.
struct EditedPage
{
    QString name;
    std::unique_ptr<File> root;
    File *sheet = nullptr;
    WebView *view = nullptr;
    DOMElement *target = nullptr;
    // Timings of the whole edit and of its parts.
    std::vector<double> edits, keys, commits, writes;
    // The main thread's processor time in the edit.
    std::vector<double> cpu;
    // The rows listed for the element: its rules, and those with their
    // declarations (the computed style's left out).
    qsizetype rules = 0;
    qsizetype rows = 0;
};

bool openPage(EditedPage &page, const QString &folder, const QByteArray &css)
{
    QDir().mkpath(folder);
    QFile file(folder + QStringLiteral("/bootstrap.css"));
    if (!file.open(QIODevice::WriteOnly) || file.write(css) != css.size())
        return false;
    file.close();
    page.sheet = sheetOfProject(folder, page.root, QStringLiteral("bootstrap.css"));
    page.view = showPage(writeCardsPage(folder, kCards));
    if (!page.sheet || !page.view)
        return false;
    const DOMNodeList buttons = page.view->mainFrameDocument()->getElementsByTagName(QStringLiteral("a"));
    page.target = static_cast<DOMElement *>(buttons.item(buttons.length() / 2));
    return page.target;
}

// Lists the element's rules and waits until the list stands.
bool showRulesOf(CSSOutlineDelegate &panel, DOMElement *element)
{
    QSignalSpy built(&panel, &CSSOutlineDelegate::rebuilt);
    panel.updateRulesByElement(element);
    return !built.isEmpty() || built.wait(20000);
}

// The edited declaration's row: --bs-btn-padding-x of the .btn rule that wins.
CSSRulePtr editedRow(const CSSOutlineDelegate &panel)
{
    for (const CSSRulePtr &row : panel.rules()) {
        if (row->displayName() != QLatin1String(".btn"))
            continue;
        for (const CSSRulePtr &child : row->children()) {
            if (child->propName() == QLatin1String("--bs-btn-padding-x"))
                return child;
        }
    }
    return nullptr;
}

// One edit of the page's sheet, as the user makes it; false after a line on
// stderr when it did not reach the page or the file.
bool editOnce(CSSOutlineDelegate &panel, InspectUndoManager &undo, BalkInvocationManager &batcher, EditedPage &page,
              const QString &value)
{
    if (panel.lastSelectedElement() != page.target && !showRulesOf(panel, page.target))
        return false;
    const CSSRulePtr row = editedRow(panel);
    OutlineViewEx *outline = panel.outline();
    const int index = row ? outline->rowForItem(row.get()) : -1;
    if (index < 0) {
        std::fprintf(stderr, "%s: no .btn row with --bs-btn-padding-x\n", qPrintable(page.name));
        return false;
    }
    outline->selectRowIndexes({index}, false);
    outline->editColumn(0, index, true);
    auto *field = outline->findChild<QLineEdit *>(QStringLiteral("valueNameDisplay"));
    if (!field) {
        std::fprintf(stderr, "%s: the value field did not open\n", qPrintable(page.name));
        return false;
    }
    // All but the last key typed before.
    field->setText(value.chopped(1));
    QSignalSpy built(&panel, &CSSOutlineDelegate::rebuilt);
    const double cpuBefore = threadCpuMs();
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(field, value.back().toLatin1());
    const double key = timer.nsecsElapsed() / 1e6;
    QTest::keyClick(field, Qt::Key_Return);
    if (built.isEmpty() && !built.wait(20000)) {
        std::fprintf(stderr, "%s: the list was not rebuilt\n", qPrintable(page.name));
        return false;
    }
    const double committed = timer.nsecsElapsed() / 1e6;
    // The batch runs 0.1 s after the last request; here at once.
    batcher.execute();
    const double total = timer.nsecsElapsed() / 1e6;
    const double cpu = threadCpuMs() - cpuBefore;
    undo.loopEnd();
    if (!page.sheet->currentContent()->contains(QStringLiteral("--bs-btn-padding-x: ") + value)) {
        std::fprintf(stderr, "%s: the file's text does not hold %s\n", qPrintable(page.name), qPrintable(value));
        return false;
    }
    // The rebuilt list came with the page's answers after the change.
    for (const auto &[property, shown] : page.view->mainFrameDocument()->getComputedStyle(page.target, QString())) {
        if (property == QLatin1String("padding-left") && shown != value)
            std::fprintf(stderr, "%s: the page shows padding-left %s, not %s\n", qPrintable(page.name), qPrintable(shown),
                         qPrintable(value));
    }
    page.rules = panel.rules().size();
    page.rows = 0;
    const std::function<void(const QList<CSSRulePtr> &)> count = [&](const QList<CSSRulePtr> &rows) {
        for (const CSSRulePtr &each : rows) {
            ++page.rows;
            if (!each->computedStyleDec())
                count(each->children());
        }
    };
    count(panel.rules());
    page.keys.push_back(key);
    page.commits.push_back(committed - key);
    page.writes.push_back(total - committed);
    page.edits.push_back(total);
    page.cpu.push_back(cpu);
    return true;
}

void printPage(const EditedPage &page)
{
    printResult(qPrintable(QStringLiteral("quillmark-edit-%1").arg(page.name)), page.edits);
    printResult(qPrintable(QStringLiteral("quillmark-edit-%1-key").arg(page.name)), page.keys);
    printResult(qPrintable(QStringLiteral("quillmark-edit-%1-return-until-rebuilt").arg(page.name)), page.commits);
    printResult(qPrintable(QStringLiteral("quillmark-edit-%1-write-step").arg(page.name)), page.writes);
    printResult(qPrintable(QStringLiteral("quillmark-edit-%1-main-thread-cpu").arg(page.name)), page.cpu);
}

// The edit on the sheet and on the sheet nine times over, alternating.
bool editFigures(const QString &folder, const QByteArray &css, int rounds)
{
    QByteArray nine;
    for (int i = 0; i < 9; ++i)
        nine += css;
    EditedPage small;
    small.name = QStringLiteral("sheet");
    EditedPage large;
    large.name = QStringLiteral("sheet-x9");
    if (!openPage(small, folder + QStringLiteral("/small"), css) || !openPage(large, folder + QStringLiteral("/large"), nine))
        return false;
    InspectUndoManager undo;
    BalkInvocationManager batcher;
    CSSOutlineDelegate panel;
    wirePanel(panel, undo, batcher);
    panel.setStyleFiles({small.sheet, large.sheet});
    // Each page's first edit reads and pairs its sheet: not counted.
    for (EditedPage *page : {&small, &large}) {
        if (!editOnce(panel, undo, batcher, *page, QStringLiteral("9px")))
            return false;
        page->edits.clear();
        page->keys.clear();
        page->commits.clear();
        page->writes.clear();
        page->cpu.clear();
    }
    // Two edits a page a round, the pages taking turns to go first.
    std::vector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        EditedPage *first = round % 2 ? &large : &small;
        EditedPage *second = round % 2 ? &small : &large;
        for (EditedPage *page : {first, second}) {
            for (int edit = 0; edit < 2; ++edit) {
                if (!editOnce(panel, undo, batcher, *page, QStringLiteral("%1px").arg(10 + (round * 2 + edit) % 20)))
                    return false;
            }
        }
        const auto last = [](const EditedPage &page) {
            return median(std::vector<double>(page.edits.end() - 2, page.edits.end()));
        };
        ratios.push_back(last(large) / last(small));
    }
    std::printf("# %lld and %lld characters; rules listed for the button %lld and %lld, rows with their declarations "
                "%lld and %lld\n",
                qlonglong(small.sheet->currentContent()->size()), qlonglong(large.sheet->currentContent()->size()),
                qlonglong(small.rules), qlonglong(large.rules), qlonglong(small.rows), qlonglong(large.rows));
    printPage(small);
    printPage(large);
    std::printf("RATIO edit sheet-x9/sheet median %.2f (%zu rounds)\n", median(ratios), ratios.size());
    File::setUndoManagerProvider({});
    delete small.view;
    delete large.view;
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    const bool stepOnly = args.removeAll(QStringLiteral("--step-only")) > 0;
    QTemporaryDir home;
    useOffscreenHome(home);
    QApplication app(argc, argv);
    const QString path = args.value(0, QStringLiteral("/usr/share/javascript/bootstrap5/css/bootstrap.css"));
    const int rounds = std::max(1, args.value(1, QStringLiteral("40")).toInt());
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s (Debian's libjs-bootstrap5 has it)\n", qPrintable(path));
        return 1;
    }
    const QByteArray css = input.readAll();

    QTemporaryDir dir;
    std::unique_ptr<File> root;
    File *sheet = nullptr;
    {
        QFile copy(dir.filePath(QStringLiteral("bootstrap.css")));
        if (copy.open(QIODevice::WriteOnly) && copy.write(css) == css.size()) {
            copy.close();
            sheet = sheetOfProject(dir.path(), root, QStringLiteral("bootstrap.css"));
        }
    }
    if (!sheet)
        return 1;
    const StepFigures step = writeStepFigures(sheet, dir.path(), rounds);
    if (step.steps.empty())
        return 1;
    std::printf("# %lld characters, %lld items\n", qlonglong(sheet->currentContent()->size()),
                qlonglong(sheet->styleDeclarations().value_or(QList<StyleDeclarationPtr>()).size()));
    printResult("quillmark-write-step", step.steps);
    printResult("quillmark-write-step-resized", step.resized);
    printResult("quillmark-writer", step.alone);
    File::setUndoManagerProvider({});
    if (stepOnly)
        return 0;
    // The edits take a page each: fewer rounds.
    return editFigures(dir.path(), css, std::max(1, rounds / 4)) ? 0 : 1;
}
