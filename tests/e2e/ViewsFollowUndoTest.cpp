#include "SessionTest.h"

#include <QJsonArray>
#include <QJsonObject>

// Every view follows what the user does to the page: an undo, a reload, a
// load that fails.
namespace ViewsFollowUndoTest {

using namespace Shown;

namespace {

class ViewsFollowUndo : public SessionTest
{
protected:
    // The text of the centre pane's code view; empty while it is not shown.
    QString codeText()
    {
        const QJsonObject view =
            session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("codeView")}});
        return view.value(QStringLiteral("visible")).toBool() ? view.value(QStringLiteral("text")).toString() : QString();
    }
    bool shown(const QString &widget)
    {
        return session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), widget}})
            .value(QStringLiteral("visible"))
            .toBool();
    }
    QString undoName()
    {
        return session.ask({{QStringLiteral("q"), QStringLiteral("undo")}}).value(QStringLiteral("undoName")).toString();
    }
};

} // namespace

// A typed local address that fails empties the code view as it empties the
// other panels (as a failed network address does); the page opened again
// shows its text again.
TEST_F(ViewsFollowUndo, AFailedLoadOfALocalAddressEmptiesTheCodeView)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText().contains(QStringLiteral("Harbour Lights")); }));
    const QString missing = QStringLiteral("file://") + session.projectPath() + QStringLiteral("/missing.html");
    ASSERT_TRUE(session.fill(QStringLiteral("selectedURLPath"), missing));
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return state.value(QStringLiteral("status")).toString().startsWith(QLatin1String("Could not load"));
    }));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText().isEmpty(); }, 5000)) << codeText().left(80).toStdString();

    ASSERT_TRUE(session.openPage(QStringLiteral("index.html")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return titled(state, "Harbour Lights"); }));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText().contains(QStringLiteral("Harbour Lights")); }));
    EXPECT_EQ(changed(), "");
}

// Typing into the code view of the page's minified sheet, its Undo and its
// Redo: the page follows the text each time, so the rules panel is not left
// covered.
TEST_F(ViewsFollowUndo, TheRulesAreNotLeftCoveredThroughTypingItsUndoAndRedo)
{
    ASSERT_NO_FATAL_FAILURE(openSite("about.html", "About"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down Right Down", "card-title"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".card-title", "min.css:1"); }));
    ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("css")));
    session.key(QStringLiteral("Right"));
    ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("min.css")));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText().startsWith(QStringLiteral(".card{")); }));
    ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("codeView"), QStringLiteral("codeView")));
    session.key(QStringLiteral("ctrl+End"));
    session.type(QStringLiteral("a{}"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText().endsWith(QStringLiteral("a{}")); }));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return !shown(QStringLiteral("cssUIBlock")); }, 5000));

    for (int i = 0; i < 3; ++i)
        session.key(QStringLiteral("ctrl+z"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText() == QString::fromUtf8(session.original(QStringLiteral("css/min.css"))); }))
        << codeText().toStdString();
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return !shown(QStringLiteral("cssUIBlock")); }, 5000));
    session.key(QStringLiteral("ctrl+shift+z"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText() != QString::fromUtf8(session.original(QStringLiteral("css/min.css"))); }, 5000));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return !shown(QStringLiteral("cssUIBlock")); }, 5000));
    session.key(QStringLiteral("ctrl+z"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return !shown(QStringLiteral("cssUIBlock")); }, 5000));
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return state.value(QStringLiteral("unsaved")).toArray().isEmpty(); }, 3000));
    EXPECT_EQ(changed(), "");
}

// Typed into the page's code view, saved and reloaded: every Undo offered
// afterwards still does something (the typing is taken out of the file's
// text, key by key), and none is left that would do nothing.
TEST_F(ViewsFollowUndo, NoEmptyUndoStepIsLeftAfterACodeViewEditAndReload)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    const QString original = QString::fromUtf8(session.original(QStringLiteral("index.html")));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText() == original; }));
    ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("codeView"), QStringLiteral("codeView")));
    session.key(QStringLiteral("ctrl+End"));
    session.type(QStringLiteral("<b>"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText() == original + QStringLiteral("<b>"); }));

    session.key(QStringLiteral("ctrl+s"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        return session.onDisk(QStringLiteral("index.html")) == session.original(QStringLiteral("index.html")) + "<b>";
    }));
    // A mark left in the page goes with the reload.
    const auto marked = [&](const QString &expression) {
        return session.ask({{QStringLiteral("q"), QStringLiteral("page")}, {QStringLiteral("expression"), expression}})
            .value(QStringLiteral("value"))
            .toString();
    };
    ASSERT_EQ(marked(QStringLiteral("String(window.beforeReload = 1)")), QStringLiteral("1"));
    session.key(QStringLiteral("ctrl+r"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) {
        return titled(state, "Harbour Lights") && !shown(QStringLiteral("domUIBlock"))
               && marked(QStringLiteral("String(window.beforeReload)")) == QLatin1String("undefined");
    }));
    int undone = 0;
    while (undone < 6 && session.state()[QStringLiteral("canUndo")].toBool()) {
        const QString name = undoName();
        const QString before = codeText();
        ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("codeView"), QStringLiteral("codeView")));
        session.key(QStringLiteral("ctrl+z"));
        EXPECT_TRUE(session.waitFor([&](const QJsonObject &state) {
            return state[QStringLiteral("canRedo")].toBool() && codeText() != before;
        }, 3000)) << "\"Undo " << name.toStdString() << "\" did nothing";
        ++undone;
    }
    EXPECT_EQ(codeText(), original);
    EXPECT_FALSE(session.state()[QStringLiteral("canUndo")].toBool());
}

// The style-sheet manager lists the chosen rule's declarations as the file
// has them, after edits in the rules panel, a save, and undo.
TEST_F(ViewsFollowUndo, TheManagersDeclarationsFollowUndo)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    session.key(QStringLiteral("ctrl+alt+m"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return session.row(QStringLiteral("selectorListView"), QStringLiteral(".lead")).isValid(); }));
    ASSERT_TRUE(session.clickRow(QStringLiteral("selectorListView"), QStringLiteral(".lead")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".lead", "site.css:14"); }));
    const auto listed = [this] { return session.rows(QStringLiteral("declarationListView")); };
    const QStringList before{QStringLiteral("font-size"), QStringLiteral("line-height")};
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return listed() == before; })) << listed().join(u' ').toStdString();

    ASSERT_NO_FATAL_FAILURE(editLength("font-size: 18px", "20", "font-size: 20px"));
    ASSERT_NO_FATAL_FAILURE(addDeclaration("letter-spacing: 0.5px", "letter-spacing: 0.5px"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return listed() == before + QStringList{QStringLiteral("letter-spacing")}; }))
        << listed().join(u' ').toStdString();
    QByteArray expected = session.original(QStringLiteral("css/site.css"));
    expected.replace("  font-size: 18px;\n  line-height: 1.5;\n}", "  font-size: 20px;\n  line-height: 1.5;\n  letter-spacing: 0.5px;\n}");
    saveAndExpect("css/site.css", expected);

    session.key(QStringLiteral("ctrl+z"));
    session.key(QStringLiteral("ctrl+z"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return listed() == before; })) << listed().join(u' ').toStdString();
    // Chosen again, the same.
    ASSERT_TRUE(session.clickRow(QStringLiteral("selectorListView"), QStringLiteral("#headline")));
    ASSERT_TRUE(session.clickRow(QStringLiteral("selectorListView"), QStringLiteral(".lead")));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return listed() == before; })) << listed().join(u' ').toStdString();
    session.key(QStringLiteral("ctrl+s"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return changed().empty(); }, 5000)) << changed();
}

} // namespace ViewsFollowUndoTest
