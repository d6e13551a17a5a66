#pragma once

#include <QList>
#include <QRandomGenerator>
#include <QString>

#include <memory>

class CSSRule;
class DOMElement;
class File;
class SessionChecks;
class SessionShell;
class StyleDeclaration;

// The steps of a user's session in the whole program, each through the
// panel a user would use: picks in the preview and the DOM tree, the rules
// panel's commands, the Attributes pane, the DOM tree's edits, typing in
// the code views, keyframe renames, saves, reloads, Undo and Redo. A step
// answers what it did, or nothing when the page gave it nothing to work on.
class SessionSteps
{
public:
    enum class Typing { No, Yes };

    SessionSteps(SessionShell &shell, SessionChecks &checks, File *page, quint32 seed, Typing typing);

    // One step chosen by the seed.
    QString step(int index);
    // Whether the last step cleared the undo history (a reload).
    bool clearedHistory() const { return m_clearedHistory; }
    // Whether the last step loaded the page again.
    bool reloaded() const { return m_reloaded; }
    // Why a step could not be done as a user does it (the program did not
    // answer): a disagreement of its own.
    QString failure() const { return m_failure; }

    QString pickInTree();
    QString pickInPreview();
    QString editValue();
    QString switchDeclaration();
    QString addDeclaration();
    QString addRule();
    QString renameKeyframe();
    QString editAttribute();
    QString removeElement();
    QString pasteElement();
    QString dragElement();
    QString typeInCode(bool sheet);
    QString save();
    QString reload();
    QString undoOrRedo(bool redo);

private:
    // Waits for the page loaded again, and takes it as after a reload.
    void waitForReload(int loadsBefore);
    QList<DOMElement *> elements() const;
    bool select(DOMElement *element);
    // The rows of the declarations the rules panel shows that a user may
    // edit: of style rules and keyframes of the page's sheets.
    QList<std::shared_ptr<CSSRule>> declarationRows() const;
    QList<std::shared_ptr<CSSRule>> styleRuleRows() const;
    QList<File *> sheets() const;
    int pick(int count) { return count <= 0 ? 0 : int(m_random.bounded(quint32(count))); }
    template<typename T>
    T pickFrom(const QList<T> &list)
    {
        return list.isEmpty() ? T() : list.at(pick(int(list.size())));
    }
    QString valueFor(const QString &name);
    static QString describe(const DOMElement *element);

    SessionShell &m_shell;
    SessionChecks &m_checks;
    File *m_page = nullptr; // Not owned.
    QRandomGenerator m_random;
    Typing m_typing;
    int m_made = 0;
    bool m_clearedHistory = false;
    bool m_reloaded = false;
    QString m_failure;
};
