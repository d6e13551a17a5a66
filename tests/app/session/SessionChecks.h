#pragma once

#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

class File;
class ProjectCopy;
class SessionShell;

// What must hold after every step of a session sequence, each answered as
// the first disagreement found (empty when it held):
//  - the page shows what a save writes: every sheet of the page holds the
//    rules of its file's text, and the page's elements those of the page's
//    text, as they did when the page was loaded (what its scripts did then
//    is left as it was);
//  - the panels show the page: the DOM tree, the Attributes pane and the
//    rules panel hold the document the preview shows;
//  - no file but those edited changed on disk;
//  - every edited file keeps its own layout (line breaks, indentation).
class SessionChecks
{
public:
    SessionChecks(SessionShell &shell, ProjectCopy &copy);

    // What the page and its files disagree on right after a load: later
    // checks hold them to no more than that.
    void takeBaseline(File *page);
    // After a reload: what the page's scripts did to its elements this time.
    // Its sheets still show their texts, unsaved edits included.
    void takeElementsBaseline();
    QString checkAll();
    int checksHeld() const { return m_held; }

    // The files whose text an edit changed so far (the page, its sheets, a
    // file typed into).
    QStringList touchedFiles() const;
    void noteCandidate(File *file);

    QString pageAgainstText();
    QString sheetsAgainstTexts();
    QString panelsShowPage();
    QString onlyEditedFilesChanged();
    QString layoutsKept();

    // The lines of the text's own layout the changed text breaks; empty
    // when it keeps it. Exposed for the suite.
    static QString layoutBrokenBy(const QString &original, const QString &changed);

private:
    QString sheetsDump();
    // Whether the page's sheets agree with their texts as at load (a sheet
    // seen for the first time joins what was seen at load).
    bool sameSheets(const QString &dump);
    QString sheetsDisagreement(const QString &dump);
    // Of each kind of element, how many more the page holds than its text
    // (what its scripts made or took away); "no page" without one.
    std::optional<QMap<QString, int>> elementCounts();
    void updateTouched();
    QString held(const QString &what, const QString &disagreement);

    SessionShell &m_shell;
    ProjectCopy &m_copy;
    File *m_page = nullptr; // Not owned.
    QString m_sheetsBaseline;
    std::optional<QMap<QString, int>> m_countsBaseline;
    QList<File *> m_candidates;
    QSet<QString> m_touched;
    int m_held = 0;
};
