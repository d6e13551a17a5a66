#include "SessionSequence.h"

#include "ProjectCopy.h"
#include "SessionChecks.h"
#include "SessionShell.h"
#include "SessionSteps.h"

#include "app/AppDelegate.h"
#include "foundation/InspectUndoManager.h"
#include "workspace/File.h"

#include <QHash>

namespace {

// Undo or Redo until there is none left; false when it never ends.
bool undoAll(SessionShell &shell, bool redo)
{
    for (int count = 0; count < 5000; ++count) {
        if (redo ? !shell.undo->canRedo() : !shell.undo->canUndo())
            return true;
        redo ? shell.undo->redo() : shell.undo->undo();
        shell.settle();
    }
    return false;
}

// Every edited file written: the panels' files, then each one still
// modified, chosen in the file tree as a user saves it.
void saveAll(SessionShell &shell, const QStringList &files)
{
    shell.delegate.save();
    shell.settle();
    for (const QString &path : files) {
        File *file = shell.file(path);
        if (file && file->isModified() && shell.chooseInFileTree(file)) {
            shell.delegate.save();
            shell.settle();
        }
    }
}

// Where the bytes first differ from those wanted, with a little around it.
QString firstDifference(const QByteArray &wanted, const QByteArray &found)
{
    qsizetype at = 0;
    while (at < wanted.size() && at < found.size() && wanted.at(at) == found.at(at))
        ++at;
    const qsizetype from = std::max<qsizetype>(0, at - 80);
    return QStringLiteral("%1 bytes wanted, %2 found; from byte %3:\n  wanted: %4\n  found:  %5")
        .arg(wanted.size())
        .arg(found.size())
        .arg(at)
        .arg(QString::fromUtf8(wanted.mid(from, 200)), QString::fromUtf8(found.mid(from, 200)));
}

} // namespace

QString SessionSequence::Outcome::summary() const
{
    return QStringLiteral("%1: %2 steps, %3 files touched, %4 checks held")
        .arg(held ? QStringLiteral("ok") : QStringLiteral("FAILED"))
        .arg(steps)
        .arg(filesTouched)
        .arg(checks);
}

QString SessionSequence::Outcome::report(quint32 seed) const
{
    if (held)
        return {};
    return QStringLiteral("seed %1\nsteps:\n  %2\nfirst disagreement: %3\n")
        .arg(seed)
        .arg(stepsDone.join(QStringLiteral("\n  ")), disagreement);
}

SessionSequence::SessionSequence(SessionShell &shell, ProjectCopy &copy)
    : m_shell(shell)
    , m_copy(copy)
{
}

SessionSequence::Outcome SessionSequence::run(const QString &pagePath, const Options &options)
{
    Outcome outcome;
    File *page = m_shell.file(pagePath);
    if (QString failure; !m_shell.openPage(page, failure)) {
        outcome.disagreement = QStringLiteral("opening %1: %2").arg(m_copy.relativeOf(pagePath), failure);
        return outcome;
    }
    SessionChecks checks(m_shell, m_copy);
    checks.takeBaseline(page);
    // What Undo of everything gives back: the files as they were, or as a
    // reload that cleared the history left them.
    QHash<QString, QByteArray> base;
    const auto baseOf = [&](const QString &path) { return base.contains(path) ? base.value(path) : m_copy.originalBytes(path); };
    const auto finish = [&](const QString &wrong) {
        outcome.disagreement = wrong;
        outcome.checks = checks.checksHeld();
        outcome.filesTouched = int(checks.touchedFiles().size());
        outcome.held = wrong.isEmpty();
        return outcome;
    };
    if (const QString wrong = checks.checkAll(); !wrong.isEmpty())
        return finish(QStringLiteral("right after the page was opened: ") + wrong);

    SessionSteps steps(m_shell, checks, page, options.seed, options.typing ? SessionSteps::Typing::Yes : SessionSteps::Typing::No);
    for (int tries = 0; outcome.steps < options.steps && tries < options.steps * 20; ++tries) {
        const QString done = steps.step(outcome.steps);
        if (done.isEmpty())
            continue;
        ++outcome.steps;
        outcome.stepsDone.append(QStringLiteral("%1. %2").arg(outcome.steps).arg(done));
        if (!steps.failure().isEmpty())
            return finish(steps.failure());
        m_shell.settle();
        if (const QString wrong = checks.checkAll(); !wrong.isEmpty())
            return finish(QStringLiteral("after step %1: %2").arg(outcome.steps).arg(wrong));
        if (steps.clearedHistory()) {
            // The history starts again from the files' texts now.
            saveAll(m_shell, checks.touchedFiles());
            for (const QString &path : checks.touchedFiles())
                base.insert(path, ProjectCopy::bytesOnDisk(path));
        } else if (steps.reloaded()) {
            // The page's text keeps its whole history; the sheets lose the
            // steps of the rules panel and the style-sheet manager, so what
            // Undo of everything gives them back is taken now.
            const QStringList touched = checks.touchedFiles();
            if (!undoAll(m_shell, false))
                return finish(QStringLiteral("Undo never ran out after a reload"));
            saveAll(m_shell, touched);
            for (const QString &path : touched) {
                if (path != pagePath)
                    base.insert(path, ProjectCopy::bytesOnDisk(path));
            }
            if (!undoAll(m_shell, true))
                return finish(QStringLiteral("Redo never ran out after a reload"));
            saveAll(m_shell, touched);
        }
    }

    // Undo of everything and a save give the files their bytes; Redo of
    // everything and a save the edited bytes. Steps the session undid last
    // are redone first: Redo of everything goes on through them.
    outcome.stepsDone.append(QStringLiteral("redo what is left, save, undo everything, save, redo everything, save"));
    if (!undoAll(m_shell, true))
        return finish(QStringLiteral("Redo of what was left never ran out"));
    if (const QString wrong = checks.checkAll(); !wrong.isEmpty())
        return finish(QStringLiteral("after Redo of what was left: ") + wrong);
    const QStringList touched = checks.touchedFiles();
    saveAll(m_shell, touched);
    QHash<QString, QByteArray> edited;
    for (const QString &path : touched)
        edited.insert(path, ProjectCopy::bytesOnDisk(path));
    if (!undoAll(m_shell, false))
        return finish(QStringLiteral("Undo never ran out"));
    saveAll(m_shell, touched);
    for (const QString &path : touched) {
        if (ProjectCopy::bytesOnDisk(path) != baseOf(path))
            return finish(QStringLiteral("after Undo of everything and a save, %1 is not as it was: %2")
                              .arg(m_copy.relativeOf(path), firstDifference(baseOf(path), ProjectCopy::bytesOnDisk(path))));
    }
    if (const QString wrong = checks.checkAll(); !wrong.isEmpty())
        return finish(QStringLiteral("after Undo of everything: ") + wrong);
    if (!undoAll(m_shell, true))
        return finish(QStringLiteral("Redo never ran out"));
    saveAll(m_shell, touched);
    for (const QString &path : touched) {
        if (ProjectCopy::bytesOnDisk(path) != edited.value(path))
            return finish(QStringLiteral("after Redo of everything and a save, %1 is not as edited: %2")
                              .arg(m_copy.relativeOf(path), firstDifference(edited.value(path), ProjectCopy::bytesOnDisk(path))));
    }
    if (const QString wrong = checks.checkAll(); !wrong.isEmpty())
        return finish(QStringLiteral("after Redo of everything: ") + wrong);
    return finish({});
}
