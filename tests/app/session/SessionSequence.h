#pragma once

#include <QString>
#include <QStringList>

class ProjectCopy;
class SessionShell;

// A seeded sequence of what a user does to one page of a project in the
// whole program (SessionSteps), checked after every step (SessionChecks);
// at the end Undo of everything and a save give every file the bytes it
// had, and Redo of everything and a save the edited bytes again.
class SessionSequence
{
public:
    struct Options
    {
        quint32 seed = 1;
        int steps = 60;
        // Typing in the code views among the steps.
        bool typing = true;
    };

    struct Outcome
    {
        bool held = false;
        int steps = 0;
        int filesTouched = 0;
        int checks = 0;
        QStringList stepsDone;
        // The first disagreement, empty when every check held.
        QString disagreement;

        // One line: steps, files touched, checks, and the result.
        QString summary() const;
        // The seed, the steps so far and the first disagreement.
        QString report(quint32 seed) const;
    };

    SessionSequence(SessionShell &shell, ProjectCopy &copy);

    // Opens the page (a path in the copy) and runs the sequence on it.
    Outcome run(const QString &pagePath, const Options &options);

private:
    SessionShell &m_shell;
    ProjectCopy &m_copy;
};
