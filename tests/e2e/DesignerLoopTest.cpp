#include "SessionTest.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QThread>

#include <signal.h>

namespace DesignerLoopTest {

using namespace Shown;

namespace {

class DesignerLoop : public SessionTest
{
protected:
    // Turns pick mode on and clicks the front page's intro in the preview,
    // waiting for nothing after the click.
    void clickIntroInPickMode()
    {
        ASSERT_TRUE(session.clickWidget(QStringLiteral("detectButton")));
        const QRect intro = session.element(QStringLiteral("#intro"));
        ASSERT_TRUE(intro.isValid());
        // The pointer over it draws the box; a click picks it.
        session.moveTo(intro.center() + QPoint(-4, 0));
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("overlay")].toBool(); }));
        session.click(intro.center());
    }

    // Picks the front page's intro in the preview: the tree and the rules panel follow.
    void pickIntro()
    {
        ASSERT_NO_FATAL_FAILURE(clickIntroInPickMode());
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
            return selected(state, "intro") && showsRule(state, ".lead", "site.css:14");
        }));
    }
};

} // namespace

TEST_F(DesignerLoop, PickAnElementAddAnAttributeUndoRedoAndSave)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    ASSERT_NO_FATAL_FAILURE(pickIntro());

    // An attribute added in the inspector, undone and redone from the keyboard.
    ASSERT_TRUE(session.fill(QStringLiteral("attrName"), QStringLiteral("title")));
    ASSERT_TRUE(session.fill(QStringLiteral("attrValue"), QStringLiteral("pier")));
    ASSERT_TRUE(session.clickWidget(QStringLiteral("addAttr")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("canUndo")].toBool(); }));
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QStringLiteral("<p id=\"intro\" class=\"lead\" title=\"pier\">...</p>")));
    session.key(QStringLiteral("ctrl+z"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("canRedo")].toBool(); }));
    session.key(QStringLiteral("ctrl+s"));
    EXPECT_EQ(changed(), "");

    session.key(QStringLiteral("ctrl+shift+z"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return !state[QStringLiteral("canRedo")].toBool(); }));
    QByteArray expected = session.original(QStringLiteral("index.html"));
    expected.replace("<p id=\"intro\" class=\"lead\">", "<p id=\"intro\" class=\"lead\" title=\"pier\">");
    saveAndExpect("index.html", expected);
}

// Pick mode turned on again from the keyboard right after a pick, and left
// with Escape, stays as the keys left it once the tree has caught up.
TEST_F(DesignerLoop, PickModeTurnedOnRightAfterAPickStaysOnAndEscapeLeavesIt)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    const auto picking = [this] {
        return session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("detectButton")}})
            .value(QStringLiteral("checked"))
            .toBool();
    };
    ASSERT_NO_FATAL_FAILURE(clickIntroInPickMode());
    session.key(QStringLiteral("ctrl+shift+e"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return selected(state, "intro"); }));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return picking(); }, 5000));
    QThread::msleep(400);
    EXPECT_TRUE(picking());

    session.key(QStringLiteral("Escape"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return !picking(); }, 5000));
    QThread::msleep(400);
    EXPECT_FALSE(picking());
    EXPECT_EQ(changed(), "");
}

TEST_F(DesignerLoop, ChangeAndAddDeclarationsInTheRulesPanelAndSave)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body class=\"js\">...</body>", "Right Down Right Down", "headline"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, "#headline", "site.css:9"); }));

    ASSERT_NO_FATAL_FAILURE(editLength("font-size: 32px", "40", "font-size: 40px"));
    // A declaration added from the field under the rules, by its name alone.
    ASSERT_NO_FATAL_FAILURE(addDeclaration("letter-spacing", "letter-spacing: normal"));

    QByteArray expected = session.original(QStringLiteral("css/site.css"));
    expected.replace("  font-size: 32px;\n}", "  font-size: 40px;\n  letter-spacing: normal;\n}");
    saveAndExpect("css/site.css", expected);
}

TEST_F(DesignerLoop, ANameAndValueTypedIntoTheAddFieldIsAddedAsOneDeclaration)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    ASSERT_NO_FATAL_FAILURE(pickIntro());
    // The picked element's first rule is the target: the field opens for it.
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        return session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("candidateTextField")}})
            .value(QStringLiteral("enabled"))
            .toBool();
    }));
    // Typed once: the panel settling after the pick keeps every key.
    ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("candidateTextField"), QStringLiteral("TextField"), 5000));
    const QString typed = QStringLiteral("color: #ff0000");
    session.type(typed);
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) { return state[QStringLiteral("focusText")] == typed; }))
        << session.state()[QStringLiteral("focusText")].toString().toStdString();
    // As with a name alone, a first Return may only close the list of names.
    const auto added = [&] {
        return session.rows(QStringLiteral("cssRulesOutline")).contains(QStringLiteral("color: #ff0000"));
    };
    for (int attempt = 0; attempt < 3 && !added(); ++attempt) {
        ASSERT_FALSE(session.state().contains(QStringLiteral("modal")));
        session.key(QStringLiteral("Return"));
        session.waitFor([&](const QJsonObject &) { return added(); }, 3000);
    }
    ASSERT_TRUE(added()) << session.rows(QStringLiteral("cssRulesOutline")).join(u'|').toStdString();
    EXPECT_FALSE(session.state().contains(QStringLiteral("modal")));

    QByteArray expected = session.original(QStringLiteral("css/site.css"));
    expected.replace("  line-height: 1.5;\n}", "  line-height: 1.5;\n  color: #ff0000;\n}");
    saveAndExpect("css/site.css", expected);
}

// #86: a rule from the New Rule dialog, in a sheet whose comments are
// indented by one blank as uikit.css's are, takes the two blanks of its rules.
TEST_F(DesignerLoop, ANewRuleTakesTheIndentationOfTheRulesNotOfTheComments)
{
    const QByteArray sheet = "/* ========================================================================\n"
                             "   Component: Base\n"
                             " ========================================================================== */\n"
                             "/*\n * 1. Style\n */\n"
                             "body {\n  margin: 0;\n}\n"
                             "/* Notes\n ========================================================================== */\n"
                             ".note {\n  color: #fff;\n  background: #222;\n}\n";
    const QString folder = session.makeProject(
        QStringLiteral("framework"),
        {{QStringLiteral("framework.html"), "<!DOCTYPE html>\n<html>\n<head>\n<title>Framework</title>\n"
                                            "<link rel=\"stylesheet\" href=\"css/framework.css\">\n</head>\n<body>\n"
                                            "<p id=\"note\" class=\"note\">A note.</p>\n</body>\n</html>\n"},
         {QStringLiteral("css/framework.css"), sheet}});
    ASSERT_FALSE(folder.isEmpty());
    ASSERT_TRUE(session.addProject(folder));
    ASSERT_TRUE(session.openPage(QStringLiteral("framework.html")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return titled(state, "Framework"); }));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down", "note"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".note", "framework.css:12"); }));

    ASSERT_NO_FATAL_FAILURE(chooseMenu("Rules", "Add Rule..."));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return session.widget(QStringLiteral("selectorNameInputView")).isValid(); }));
    ASSERT_TRUE(session.clickWidget(QStringLiteral("selectorNameInputView")));
    session.type(QStringLiteral(".added"));
    ASSERT_TRUE(session.clickRow(QStringLiteral("presetList"), QStringLiteral(".text-ellipsis")));
    ASSERT_TRUE(session.clickWidget(QStringLiteral("okButton")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("canUndo")].toBool(); }));
    session.key(QStringLiteral("ctrl+s"));
    // The file with the rule taken out again, and the line break put
    // before it: the dialog puts it after the item it chose.
    const QByteArray rule = ".added {\n  overflow: hidden;\n  white-space: nowrap;\n  text-overflow: ellipsis;\n}\n";
    const auto saved = [&] {
        QFile file(folder + QStringLiteral("/css/framework.css"));
        QByteArray text = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const qsizetype at = text.indexOf(rule);
        if (at < 2)
            return text;
        text.remove(at, rule.size());
        if (text.mid(at - 2, 2) == "\n\n")
            text.remove(at - 1, 1);
        return text;
    };
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return saved() == sheet; })) << saved().toStdString();
}

TEST_F(DesignerLoop, AnEditOfAMinifiedSheetChangesItOnlyThere)
{
    ASSERT_NO_FATAL_FAILURE(openSite("about.html", "About"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down Right Down", "card-title"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".card-title", "min.css:1"); }));
    ASSERT_NO_FATAL_FAILURE(editLength("font-size: 20px", "22", "font-size: 22px"));
    QByteArray expected = session.original(QStringLiteral("css/min.css"));
    expected.replace(".card-title{font-size:20px;", ".card-title{font-size:22px;");
    saveAndExpect("css/min.css", expected);
}

TEST_F(DesignerLoop, TheInspectorsShowTheMainDocumentOfEveryPageOpened)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    // A page whose iframe loads first and one opened twice: the tree and the
    // rules are the main document's.
    ASSERT_TRUE(session.openPage(QStringLiteral("gallery.html")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return titled(state, "Gallery"); }));
    for (int time = 0; time < 2; ++time) {
        ASSERT_TRUE(session.openPage(QStringLiteral("index.html")));
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return titled(state, "Harbour Lights"); }));
    }
    // The same title before and after the reload: the tree is waited for.
    const auto firstRow = [&] { return session.rows(QStringLiteral("domTreeOutlineView")).value(0); };
    const auto mainDocument = [&](const QJsonObject &) {
        return firstRow().startsWith(QStringLiteral("<html lang=\"en\""));
    };
    EXPECT_TRUE(session.waitFor(mainDocument)) << firstRow().toStdString();
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body class=\"js\">...</body>", "Right Down Right Down", "headline"));
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, "#headline", "site.css:9"); }));
    EXPECT_EQ(changed(), "");
}

TEST_F(DesignerLoop, ThePageAndItsPanelsComeBackAfterTheBrowserIsKilled)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body class=\"js\">...</body>", "Right Down Right Down", "headline"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, "#headline", "site.css:9"); }));

    const qint64 browser = session.state()[QStringLiteral("browserPid")].toInteger();
    ASSERT_GT(browser, 0);
    ASSERT_EQ(::kill(pid_t(browser), SIGKILL), 0);
    EXPECT_TRUE(session.waitFor([browser](const QJsonObject &state) {
        const qint64 now = state[QStringLiteral("browserPid")].toInteger();
        return now > 0 && now != browser && titled(state, "Harbour Lights") && selected(state, "headline")
               && showsRule(state, "#headline", "site.css:9");
    }, 30000));
    EXPECT_EQ(changed(), "");
}

TEST_F(DesignerLoop, AFailedLoadLeavesNothingToEdit)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body class=\"js\">...</body>", "Right Down Right Down", "headline"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("overlay")].toBool(); }));

    // An address on a port the browser refuses.
    ASSERT_TRUE(session.fill(QStringLiteral("selectedURLPath"), QStringLiteral("http://127.0.0.1:6000/")));
    session.key(QStringLiteral("Return"));
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) {
        return state[QStringLiteral("treeRows")].toInt() == 0 && state[QStringLiteral("rules")].toArray().isEmpty()
               && !state.contains(QStringLiteral("selected")) && !state.contains(QStringLiteral("inspected"))
               && !state[QStringLiteral("overlay")].toBool();
    }));

    // What a user still tries: an attribute, an undo, a save.
    session.fill(QStringLiteral("attrName"), QStringLiteral("title"));
    session.clickWidget(QStringLiteral("addAttr"));
    session.key(QStringLiteral("ctrl+z"));
    session.key(QStringLiteral("ctrl+s"));
    const QJsonObject state = session.state();
    EXPECT_FALSE(state[QStringLiteral("canUndo")].toBool());
    EXPECT_EQ(changed(), "");
}

} // namespace DesignerLoopTest
