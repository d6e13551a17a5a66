#include "Session.h"

#include <QJsonArray>

#include <gtest/gtest.h>


#include <signal.h>

namespace DesignerLoopTest {

namespace {

bool titled(const QJsonObject &state, const char *title)
{
    return state.value(QStringLiteral("documentTitle")).toString() == QLatin1String(title)
           && state.value(QStringLiteral("treeRows")).toInt() > 0;
}

bool selected(const QJsonObject &state, const char *name)
{
    return state.value(QStringLiteral("selected")).toString().contains(QLatin1String(name));
}

// The rules panel shows a rule of that selector from that sheet.
bool showsRule(const QJsonObject &state, const char *selector, const char *file)
{
    for (const QJsonValue &rule : state.value(QStringLiteral("rules")).toArray()) {
        if (rule[QStringLiteral("selector")].toString() == QLatin1String(selector)
            && rule[QStringLiteral("file")].toString().endsWith(QLatin1String(file)))
            return true;
    }
    return false;
}

class DesignerLoop : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(session.launch()) << session.logTail().toStdString(); }

    void TearDown() override
    {
        if (HasFailure())
            session.reportFailure(QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name()));
    }

    // Adds the fixture project and opens one of its pages.
    void openSite(const char *page, const char *title)
    {
        ASSERT_TRUE(session.addProject());
        ASSERT_TRUE(session.openPage(QString::fromLatin1(page)));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) { return titled(state, title); }));
    }

    // Selects an element from the DOM tree with the keyboard: a click on the
    // row, then the keys (Right expands, Down moves).
    void selectInTree(const char *row, const char *keys, const char *selectedName)
    {
        ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QString::fromUtf8(row)));
        session.key(QString::fromLatin1(keys));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) { return selected(state, selectedName); }));
    }

    // Edits a length of the rules panel in its popover: a double click on the
    // row, the number typed over, Return to apply, Escape to close (which
    // commits the edit).
    void editLength(const char *row, const char *number, const char *edited)
    {
        ASSERT_TRUE(session.clickRow(QStringLiteral("cssRulesOutline"), QString::fromLatin1(row), 2));
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("focus")] == QStringLiteral("size"); }));
        session.key(QStringLiteral("ctrl+a"));
        session.type(QString::fromLatin1(number));
        session.key(QStringLiteral("Return Escape"));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) {
            return state[QStringLiteral("focus")] != QStringLiteral("size")
                   && session.rows(QStringLiteral("cssRulesOutline")).contains(QString::fromLatin1(edited));
        }));
    }

    // Saves, and waits until the file holds what is expected.
    void saveAndExpect(const char *file, const QByteArray &expected)
    {
        session.key(QStringLiteral("ctrl+s"));
        const QString relative = QString::fromLatin1(file);
        EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(relative) == expected; }, 5000))
            << session.onDisk(relative).toStdString();
        EXPECT_EQ(changed(), file);
    }

    // The project's files that differ from the fixture's, by name.
    std::string changed() const { return session.changedFiles().join(u' ').toStdString(); }

    Session session;
};

} // namespace

TEST_F(DesignerLoop, PickAnElementAddAnAttributeUndoRedoAndSave)
{
    openSite("index.html", "Harbour Lights");

    // Picked in the preview: the tree and the rules panel follow.
    ASSERT_TRUE(session.clickWidget(QStringLiteral("detectButton")));
    const QRect intro = session.element(QStringLiteral("#intro"));
    ASSERT_TRUE(intro.isValid());
    session.moveTo(intro.center() + QPoint(-4, 0));
    session.click(intro.center());
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return selected(state, "intro") && showsRule(state, ".lead", "css/site.css");
    }));

    // An attribute added in the inspector, undone and redone from the keyboard.
    ASSERT_TRUE(session.fill(QStringLiteral("attrName"), QStringLiteral("title")));
    ASSERT_TRUE(session.fill(QStringLiteral("attrValue"), QStringLiteral("pier")));
    ASSERT_TRUE(session.clickWidget(QStringLiteral("addAttr")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("canUndo")].toBool(); }));
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QStringLiteral("p#intro.lead")));
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

TEST_F(DesignerLoop, ChangeAndAddDeclarationsInTheRulesPanelAndSave)
{
    openSite("index.html", "Harbour Lights");
    selectInTree("<body class=\"js\">...</body>", "Right Down Right Down", "headline");
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, "#headline", "site.css:9"); }));

    editLength("font-size: 32px", "40", "font-size: 40px");
    // A declaration added from the field under the rules: a user clicks
    // into it until it has the keyboard.
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) {
        if (state[QStringLiteral("focus")] == QStringLiteral("TextField"))
            return true;
        session.clickWidget(QStringLiteral("candidateTextField"));
        return false;
    }, 5000));
    session.type(QStringLiteral("letter-spacing"));
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        return session.rows(QStringLiteral("cssRulesOutline")).contains(QStringLiteral("letter-spacing: normal"));
    }));

    QByteArray expected = session.original(QStringLiteral("css/site.css"));
    expected.replace("  font-size: 32px;\n}", "  font-size: 40px;\n  letter-spacing: normal;\n}");
    saveAndExpect("css/site.css", expected);
}

TEST_F(DesignerLoop, AnEditOfAMinifiedSheetChangesItOnlyThere)
{
    openSite("about.html", "About");
    selectInTree("<body>...</body>", "Right Down Right Down", "card-title");
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".card-title", "min.css:1"); }));
    editLength("font-size: 20px", "22", "font-size: 22px");
    QByteArray expected = session.original(QStringLiteral("css/min.css"));
    expected.replace(".card-title{font-size:20px;", ".card-title{font-size:22px;");
    saveAndExpect("css/min.css", expected);
}

TEST_F(DesignerLoop, TheInspectorsShowTheMainDocumentOfEveryPageOpened)
{
    openSite("index.html", "Harbour Lights");
    // A page whose iframe loads first and one opened twice: the tree and the
    // rules are the main document's.
    ASSERT_TRUE(session.openPage(QStringLiteral("gallery.html")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return titled(state, "Gallery"); }));
    for (int time = 0; time < 2; ++time) {
        ASSERT_TRUE(session.openPage(QStringLiteral("index.html")));
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return titled(state, "Harbour Lights"); }));
    }
    EXPECT_TRUE(session.rows(QStringLiteral("domTreeOutlineView")).value(0).startsWith(QStringLiteral("<html lang=\"en\"")));
    selectInTree("<body class=\"js\">...</body>", "Right Down Right Down", "headline");
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, "#headline", "site.css:9"); }));
    EXPECT_EQ(changed(), "");
}

TEST_F(DesignerLoop, ThePageAndItsPanelsComeBackAfterTheBrowserIsKilled)
{
    openSite("index.html", "Harbour Lights");
    selectInTree("<body class=\"js\">...</body>", "Right Down Right Down", "headline");
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
    openSite("index.html", "Harbour Lights");
    selectInTree("<body class=\"js\">...</body>", "Right Down Right Down", "headline");
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("overlay")].toBool(); }));

    // An address on a port the browser refuses.
    ASSERT_TRUE(session.fill(QStringLiteral("selectedURLPath"), QStringLiteral("http://127.0.0.1:6000/")));
    session.key(QStringLiteral("Return"));
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) {
        return state[QStringLiteral("treeRows")].toInt() == 0 && state[QStringLiteral("rules")].toArray().isEmpty()
               && !state.contains(QStringLiteral("selected")) && !state[QStringLiteral("attributesEnabled")].toBool()
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
