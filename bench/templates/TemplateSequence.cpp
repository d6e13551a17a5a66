// A seeded sequence of what a user does to one page of a project, run by the
// whole program offscreen with the real engine on a copy of the project
// folder: after every step the page shows what a save writes, the panels
// show the page, only the edited files changed and each keeps its layout; at
// the end Undo of everything and a save give the original bytes, Redo of
// everything and a save the edited ones. Exit status 0 only when every
// check held; the last line sums up. Run by hand:
//   ./bench/templates/template_sequence PROJECT_FOLDER PAGE [--seed N] [--steps N] [--no-typing] [--verbose] [--keep]

#include "../LaunchedShell.h"
#include "../OffscreenHome.h"

#include "ProjectCopy.h"
#include "SessionSequence.h"
#include "SessionShell.h"

#include "app/EXWindow.h"
#include "app/MainInterface.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

namespace {

struct Arguments
{
    QString folder;
    QString page;
    SessionSequence::Options options;
    bool verbose = false;
    // The copy left on disk after a failure.
    bool keep = false;
};

bool parse(int argc, char **argv, Arguments &arguments)
{
    QStringList positional;
    for (int i = 1; i < argc; ++i) {
        const char *argument = argv[i];
        if (!std::strcmp(argument, "--seed") && i + 1 < argc)
            arguments.options.seed = QByteArray(argv[++i]).toUInt();
        else if (!std::strcmp(argument, "--steps") && i + 1 < argc)
            arguments.options.steps = std::max(1, QByteArray(argv[++i]).toInt());
        else if (!std::strcmp(argument, "--no-typing"))
            arguments.options.typing = false;
        else if (!std::strcmp(argument, "--verbose"))
            arguments.verbose = true;
        else if (!std::strcmp(argument, "--keep"))
            arguments.keep = true;
        else if (argument[0] == '-')
            return false;
        else
            positional.append(QString::fromLocal8Bit(argument));
    }
    if (positional.size() != 2)
        return false;
    arguments.folder = positional.at(0);
    arguments.page = positional.at(1);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    Arguments arguments;
    if (!parse(argc, argv, arguments)) {
        std::fprintf(stderr, "usage: template_sequence PROJECT_FOLDER PAGE [--seed N] [--steps N] [--no-typing] [--verbose] [--keep]\n");
        return 2;
    }
    QTemporaryDir home;
    if (!home.isValid() || !useOffscreenHome(home, QSize(1440, 900)))
        return 2;
    ProjectCopy copy;
    QString failure;
    if (!copy.make(arguments.folder, home.filePath(QStringLiteral("projects")), failure)) {
        std::fprintf(stderr, "template_sequence: %s\n", qPrintable(failure));
        return 2;
    }
    const QString page = copy.pathOf(QDir::cleanPath(arguments.page));
    if (!QFileInfo(page).isFile()) {
        std::fprintf(stderr, "template_sequence: %s is no page of the project\n", qPrintable(arguments.page));
        return 2;
    }
    useOnlyProject(copy.root());
    LaunchedShell launched(argc, argv, false);
    SessionShell shell(launched.delegate());
    SessionShell::waitUntil([&] { return shell.isReady() && shell.file(page) && !shell.projects->isLoading(); }, 60000);
    if (!shell.isReady()) {
        std::fprintf(stderr, "template_sequence: the program's panels were not made\n");
        return 2;
    }
    launched.delegate().ui().window->show();
    SessionSequence sequence(shell, copy);
    const SessionSequence::Outcome outcome = sequence.run(page, arguments.options);
    if (arguments.verbose && outcome.held)
        std::printf("steps:\n  %s\n", qPrintable(outcome.stepsDone.join(QStringLiteral("\n  "))));
    if (!outcome.held)
        std::printf("%s", qPrintable(outcome.report(arguments.options.seed)));
    if (!outcome.held && arguments.keep) {
        // With the edits as they stood, saved.
        launched.delegate().save();
        shell.settle();
        home.setAutoRemove(false);
        std::printf("the edited copy is kept in %s\n", qPrintable(copy.root()));
    }
    std::printf("template_sequence %s %s seed %u: %s\n", qPrintable(QFileInfo(arguments.folder).fileName()), qPrintable(arguments.page),
                arguments.options.seed, qPrintable(outcome.summary()));
    std::fflush(stdout);
    return outcome.held ? 0 : 1;
}
