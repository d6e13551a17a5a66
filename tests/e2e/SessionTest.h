#pragma once

#include "Session.h"

#include <QJsonObject>
#include <QRect>

#include <gtest/gtest.h>

#include <string>

// What the program's state shows, for the conditions of Session::waitFor().
namespace Shown {

// The page of that title is shown, in the DOM tree too, and done loading.
bool titled(const QJsonObject &state, const char *title);
bool selected(const QJsonObject &state, const char *name);
// The rules panel shows a rule of that selector from that sheet.
bool showsRule(const QJsonObject &state, const char *selector, const char *file);

} // namespace Shown

// A scenario on the real program: launched afresh for each test, its screen,
// state and log kept when the test fails, and the designer's usual steps.
class SessionTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Adds the fixture project and opens one of its pages.
    void openSite(const char *page, const char *title);
    // Selects an element from the DOM tree with the keyboard: a click on the
    // row, then the keys (Right expands, Down moves).
    void selectInTree(const char *row, const char *keys, const char *selectedName);
    // Edits a length of the rules panel in its popover: a double click on the
    // row, the number typed over, Return to apply, Escape to close (which
    // commits the edit).
    void editLength(const char *row, const char *number, const char *edited);
    // Types into the field under the rules (clicked until it has the
    // keyboard) and presses Return until the rules panel shows the row.
    void addDeclaration(const char *typed, const char *row);
    // The rows the rules panel shows, and a wait until it shows the row.
    QStringList ruleRows() { return session.rows(QStringLiteral("cssRulesOutline")); }
    void waitForRuleRow(const QString &row);
    // The file's bytes with one piece replaced.
    static QByteArray with(const QByteArray &text, const char *before, const char *after);
    // Chooses an item of a menu of the main window's menu bar.
    void chooseMenu(const char *menu, const char *item);
    // Where a widget of the open popover is (the style-attribute pane has
    // widgets of the same names); invalid while none is shown.
    QRect popoverWidget(const char *name);
    // Types over a field of the open popover.
    void fillInPopover(const char *name, const char *text);
    // Clicks the button of that title of the question shown, and waits until it is gone.
    void answer(const QString &title);
    // Saves, and waits until the file holds what is expected; no other file changed.
    void saveAndExpect(const char *file, const QByteArray &expected);
    // The project's files that differ from the fixture's, by name.
    std::string changed() const { return session.changedFiles().join(u' ').toStdString(); }

    Session session;
};
