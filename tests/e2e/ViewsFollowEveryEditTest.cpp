#include "SessionTest.h"

#include <QJsonArray>
#include <QJsonObject>

// The panels follow every edit as it is made: the cover over the rules
// goes once the page and the sheet's text agree again, the Attributes pane
// lists what each editor and its Undo left, the Colors dialog gives one
// Undo step a colour, and a rule chosen in the style-sheet manager fills
// the rules panel (#78).
namespace ViewsFollowEveryEditTest {

using namespace Shown;

namespace {

class ViewsFollowEveryEdit : public SessionTest
{
protected:
    bool shown(const QString &widget)
    {
        return session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), widget}})
            .value(QStringLiteral("visible"))
            .toBool();
    }
    QString codeText()
    {
        const QJsonObject view =
            session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("codeView")}});
        return view.value(QStringLiteral("visible")).toBool() ? view.value(QStringLiteral("text")).toString() : QString();
    }
    static bool saved(const QJsonObject &state) { return state.value(QStringLiteral("unsaved")).toArray().isEmpty(); }
    QStringList chosenInManager()
    {
        QStringList rows;
        const QJsonObject list = session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("selectorListView")}});
        for (const QJsonValue &row : list.value(QStringLiteral("selectedRows")).toArray())
            rows.append(row.toString());
        return rows;
    }
    // Shows the page's minified sheet in the code view, the caret at its end.
    void typeIntoTheSheet(const char *text)
    {
        ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("css")));
        session.key(QStringLiteral("Right"));
        ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("busy-cover.min.css")));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText().startsWith(QStringLiteral(".u-0{")); }));
        ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("codeView"), QStringLiteral("codeView")));
        session.key(QStringLiteral("ctrl+End"));
        const QString typed = QString::fromLatin1(text);
        session.type(typed);
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText().endsWith(typed); }));
        // The page follows the typing: the rules are not left covered.
        EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return !shown(QStringLiteral("cssUIBlock")); }, 5000));
    }
    // Undoes the typing until the sheet is as saved; the cover goes.
    void undoTheTyping()
    {
        for (int i = 0; i < 10 && !saved(session.state()); ++i)
            session.key(QStringLiteral("ctrl+z"));
        ASSERT_TRUE(session.waitFor(saved));
        EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return !shown(QStringLiteral("cssUIBlock")); }, 5000));
    }
    // The rules panel edits the title's font size, which a save writes.
    void editTheTitleAndSave()
    {
        ASSERT_NO_FATAL_FAILURE(editLength("font-size: 20px", "24", "font-size: 24px"));
        QByteArray expected = session.original(QStringLiteral("css/busy-cover.min.css"));
        expected.replace(".busy-title{font-size:20px;", ".busy-title{font-size:24px;");
        saveAndExpect("css/busy-cover.min.css", expected);
    }
    // The Attributes pane's rows as it lists them: "name=value", by blanks.
    QString listed()
    {
        QStringList rows;
        const QJsonArray cells = session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("domInfo")}})
                                     .value(QStringLiteral("cells"))
                                     .toArray();
        for (const QJsonValue &row : cells)
            rows.append(row[0].toString() + u'=' + row[1].toString());
        return rows.join(u' ');
    }
    // The paragraph of the page without a style, selected, with the Style
    // Attribute pane taking input.
    void selectPlainParagraph()
    {
        ASSERT_NO_FATAL_FAILURE(openSite("undo-style.html", "Undo Style"));
        ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down", "plain"));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) {
            return state[QStringLiteral("inspected")].toString().contains(QLatin1String("plain"))
                   && session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("display")}})
                          .value(QStringLiteral("enabled"))
                          .toBool();
        }));
        ASSERT_EQ(listed().toStdString(), "id=plain");
    }
    // Undo or Redo with the keys in the DOM tree, on the paragraph's row,
    // once the step is taken.
    void undoInTree(const char *keys, const char *afterwards)
    {
        QString row;
        for (const QString &each : session.rows(QStringLiteral("domTreeOutlineView"))) {
            if (each.contains(QLatin1String("id=\"plain\"")))
                row = each.trimmed();
        }
        // A second click on the row soon after the first would be a double
        // click, which edits its attributes: the row already chosen, with
        // the keyboard in the tree, takes the keys as it is.
        const QJsonObject state = session.state();
        if (state.value(QStringLiteral("focus")).toString() != QLatin1String("domTreeOutlineView")
            || !selected(state, "id=\"plain\"")) {
            ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), row)) << row.toStdString();
        }
        session.key(QString::fromLatin1(keys));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) { return state[QString::fromLatin1(afterwards)].toBool(); }));
    }
    QString styleInPage()
    {
        return session
            .ask({{QStringLiteral("q"), QStringLiteral("page")},
                  {QStringLiteral("expression"), QStringLiteral("String(document.getElementById('plain').getAttribute('style'))")}})
            .value(QStringLiteral("value"))
            .toString();
    }
};

} // namespace

// The page's minified sheet, a line of some thousand characters, typed into
// in the code view: the page follows the typing, so the rules are not left
// covered, while typing, once it is typed away by hand, or undone.
TEST_F(ViewsFollowEveryEdit, TheCoverOverTheRulesGoesWhenTheSheetIsThePagesTextAgain)
{
    ASSERT_NO_FATAL_FAILURE(openSite("busy-cover.html", "Busy Cover"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down Right Down", "busy-title"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".busy-title", "busy-cover.min.css:1"); }));
    ASSERT_NO_FATAL_FAILURE(typeIntoTheSheet("abcde"));
    session.key(QStringLiteral("BackSpace BackSpace BackSpace BackSpace BackSpace"));
    ASSERT_TRUE(session.waitFor(saved));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return !shown(QStringLiteral("cssUIBlock")); }, 5000));

    session.type(QStringLiteral("abcde"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText().endsWith(QStringLiteral("abcde")); }));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return !shown(QStringLiteral("cssUIBlock")); }, 5000));
    ASSERT_NO_FATAL_FAILURE(undoTheTyping());

    // The panel, uncovered, takes a value edit as before.
    ASSERT_NO_FATAL_FAILURE(editTheTitleAndSave());
}

// Typed into in its code view and saved with Ctrl+S, the minified sheet is
// what the page shows: the cover over the rules goes, and a click on a rule
// row chooses the row.
TEST_F(ViewsFollowEveryEdit, ASavedSheetUncoversTheRulesAndARowTakesTheClick)
{
    ASSERT_NO_FATAL_FAILURE(openSite("busy-cover.html", "Busy Cover"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down Right Down", "busy-title"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".busy-title", "busy-cover.min.css:1"); }));
    ASSERT_NO_FATAL_FAILURE(typeIntoTheSheet(".busy-extra{top:0}"));

    QByteArray expected = session.original(QStringLiteral("css/busy-cover.min.css"));
    expected.append(".busy-extra{top:0}");
    saveAndExpect("css/busy-cover.min.css", expected);
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return !shown(QStringLiteral("cssUIBlock")); }));

    const QString row = QStringLiteral("font-size: 20px");
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) {
        return showsRule(state, ".busy-title", "busy-cover.min.css:1") && ruleRows().contains(row);
    })) << ruleRows().join(u'|').toStdString();
    ASSERT_TRUE(session.clickRow(QStringLiteral("cssRulesOutline"), row));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) {
        return session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("cssRulesOutline")}})
            .value(QStringLiteral("selectedRows"))
            .toArray()
            .contains(row);
    }));
    EXPECT_EQ(session.onDisk(QStringLiteral("css/busy-cover.min.css")), expected);
}

// A rule clicked in the style-sheet manager while an element is selected in
// the DOM tree is what the rules panel shows, at every try.
TEST_F(ViewsFollowEveryEdit, ARuleChosenInTheManagerFillsTheRulesPanel)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    session.key(QStringLiteral("ctrl+alt+m"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return session.row(QStringLiteral("selectorListView"), QStringLiteral(".lead")).isValid(); }));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body class=\"js\">...</body>", "Right Down Right Down", "headline"));
    for (int round = 0; round < 3; ++round) {
        if (round > 0) {
            ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QStringLiteral("<h1 id=\"headline\">...</h1>")));
            ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return selected(state, "headline"); }));
        }
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, "#headline", "site.css:9"); }));
        ASSERT_TRUE(session.clickRow(QStringLiteral("selectorListView"), QStringLiteral(".lead")));
        EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".lead", "site.css:14"); }, 5000))
            << "round " << round;
        // What the panel shows once every pending step has run.
        ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("css")));
        EXPECT_TRUE(showsRule(session.state(), ".lead", "site.css:14")) << "round " << round;
    }
    EXPECT_EQ(changed(), "");
}

// A style the Style Attribute pane gives an element without one is listed
// by the Attributes pane as the edit is made, and goes from it with Undo
// and comes back with Redo as they are made.
TEST_F(ViewsFollowEveryEdit, TheAttributesPaneListsAStylePaneEditAndItsUndoAndRedoAtOnce)
{
    ASSERT_NO_FATAL_FAILURE(selectPlainParagraph());
    ASSERT_TRUE(session.clickWidget(QStringLiteral("display")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state.contains(QStringLiteral("popup")); }));
    session.key(QStringLiteral("Down Return"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("canUndo")].toBool(); }));
    const QString styled = listed();
    EXPECT_TRUE(styled.startsWith(QStringLiteral("id=plain style=display:"))) << styled.toStdString();

    ASSERT_NO_FATAL_FAILURE(undoInTree("ctrl+z", "canRedo"));
    EXPECT_EQ(listed().toStdString(), "id=plain");
    ASSERT_NO_FATAL_FAILURE(undoInTree("ctrl+shift+z", "canUndo"));
    EXPECT_EQ(listed(), styled);
    ASSERT_NO_FATAL_FAILURE(undoInTree("ctrl+z", "canRedo"));
    EXPECT_EQ(listed().toStdString(), "id=plain");
    EXPECT_TRUE(session.waitFor(saved, 3000));
    EXPECT_EQ(changed(), "");
}

// A colour picked from the screen in the Colors dialog passes through the
// colours under the pointer on its way: the page shows them as they come,
// and the colour picked is one Undo step, listed by the Attributes pane.
TEST_F(ViewsFollowEveryEdit, AColourChosenInTheColorsDialogIsOneUndoStep)
{
    ASSERT_NO_FATAL_FAILURE(selectPlainParagraph());
    // The Background page: the third of the pane's four.
    const QRect pages = session.widget(QStringLiteral("tabController"));
    session.click(QPoint(pages.x() + pages.width() * 58 / 100, pages.center().y()));
    ASSERT_TRUE(session.clickWidget(QStringLiteral("colorPickerButton")));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return shown(QStringLiteral("sharedColorPanel")); }));
    const QRect panel = session.widget(QStringLiteral("sharedColorPanel"));
    // Into the dialog, then its Pick Screen Color; the pointer goes over
    // its colour field, whose colours differ everywhere, and picks.
    session.click(panel.topLeft() + QPoint(3, 3));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("activeWindow")] == QStringLiteral("Colors"); }));
    session.key(QStringLiteral("alt+p"));
    QStringList seen;
    for (const QPoint &at : {QPoint(300, 60), QPoint(350, 100), QPoint(400, 150)}) {
        session.moveTo(panel.topLeft() + at);
        // The page shows the colour under the pointer.
        if (session.waitFor([&](const QJsonObject &) { return !seen.contains(styleInPage()); }, 5000))
            seen.append(styleInPage());
    }
    EXPECT_EQ(seen.size(), 3) << seen.join(u' ').toStdString();
    session.click(panel.topLeft() + QPoint(420, 180));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("canUndo")].toBool(); }));
    const QString picked = styleInPage();
    EXPECT_TRUE(picked.startsWith(QStringLiteral("background-color:#"))) << picked.toStdString();
    EXPECT_EQ(listed(), QStringLiteral("id=plain style=") + picked);

    ASSERT_NO_FATAL_FAILURE(undoInTree("ctrl+z", "canRedo"));
    EXPECT_EQ(styleInPage().toStdString(), "null");
    EXPECT_EQ(listed().toStdString(), "id=plain");
    EXPECT_FALSE(session.state()[QStringLiteral("canUndo")].toBool()) << "\"Undo " << session.ask({{QStringLiteral("q"), QStringLiteral("undo")}}).value(QStringLiteral("undoName")).toString().toStdString() << "\" is left";
    EXPECT_TRUE(session.waitFor(saved, 3000));
    EXPECT_EQ(changed(), "");
}

// A rule chosen in the style-sheet manager stays chosen there, and shown
// in the rules panel, while its sheet is typed into in the code view and
// after the typing is undone; the panel then edits it as before.
TEST_F(ViewsFollowEveryEdit, TheManagersRuleStaysChosenAndShownThroughACodeViewEdit)
{
    ASSERT_NO_FATAL_FAILURE(openSite("busy-cover.html", "Busy Cover"));
    session.key(QStringLiteral("ctrl+alt+m"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return session.row(QStringLiteral("selectorListView"), QStringLiteral(".busy-title")).isValid(); }));
    ASSERT_TRUE(session.clickRow(QStringLiteral("selectorListView"), QStringLiteral(".busy-title")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".busy-title", "busy-cover.min.css:1"); }));

    ASSERT_NO_FATAL_FAILURE(typeIntoTheSheet("abcde"));
    ASSERT_NO_FATAL_FAILURE(undoTheTyping());
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".busy-title", "busy-cover.min.css:1"); }, 5000));
    EXPECT_EQ(chosenInManager(), QStringList{QStringLiteral(".busy-title")});

    ASSERT_NO_FATAL_FAILURE(editTheTitleAndSave());
    EXPECT_EQ(chosenInManager(), QStringList{QStringLiteral(".busy-title")});
}

} // namespace ViewsFollowEveryEditTest
