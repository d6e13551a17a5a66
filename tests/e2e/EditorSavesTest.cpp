#include "SessionTest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

namespace EditorSavesTest {

using namespace Shown;

namespace {

const QString kPage = QStringLiteral("dashboard.html");
const QString kMinified = QStringLiteral("css/dashboard.min.css");
const QString kFormatted = QStringLiteral("css/dashboard.css");
const QString kAnimate = QStringLiteral("css/dashboard-animate.min.css");

// A dashboard with a minified and a formatted style sheet: the edit of
// every editor, saved at once, reaches its file as made and in the file's
// own layout, wherever the keyboard is.
class EditorSaves : public SessionTest
{
protected:
    void openDashboard() { ASSERT_NO_FATAL_FAILURE(openSite("dashboard.html", "Dashboard")); }
    // Selects an element by its row in the DOM tree, collapsed or expanded.
    void selectElement(const QString &startTag, const char *selectedName)
    {
        const QString tree = QStringLiteral("domTreeOutlineView");
        const QString closing = QStringLiteral("...</%1>").arg(startTag.mid(1, startTag.indexOf(u' ') - 1));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
            return session.row(tree, startTag).isValid() || session.row(tree, startTag + closing).isValid();
        })) << startTag.toStdString();
        ASSERT_TRUE(session.clickRow(tree, session.row(tree, startTag).isValid() ? startTag : startTag + closing));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) { return selected(state, selectedName); }));
    }
    void selectCard()
    {
        ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right", "body"));
        ASSERT_NO_FATAL_FAILURE(selectElement(QStringLiteral("<div class=\"card shadow\">"), "card shadow"));
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".card", "dashboard.min.css:1"); }));
    }
    // Types a value into the rules panel's row: a second click on the
    // selected row, after a double-click's time, opens its value field.
    void editInRow(const char *row, const char *value)
    {
        const QString text = QString::fromLatin1(row);
        ASSERT_TRUE(session.clickRow(QStringLiteral("cssRulesOutline"), text));
        QThread::msleep(700);
        ASSERT_TRUE(session.clickRow(QStringLiteral("cssRulesOutline"), text));
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("focus")] == QStringLiteral("valueNameDisplay"); }));
        session.key(QStringLiteral("ctrl+a"));
        session.type(QString::fromLatin1(value));
        session.key(QStringLiteral("Return"));
        ASSERT_NO_FATAL_FAILURE(waitForRuleRow(text.section(QStringLiteral(": "), 0, 0) + QStringLiteral(": ") + QString::fromLatin1(value)));
    }
    // The selected row's rule in the Edit Rule Style popover.
    void openRuleStyle()
    {
        ASSERT_NO_FATAL_FAILURE(chooseMenu("Rules", "Edit Rule Style..."));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return popoverWidget("tabController").isValid(); }));
    }
    // The user goes back to the code view: a click into its text.
    void clickIntoTheCodeView()
    {
        const QRect code = session.widget(QStringLiteral("codeView"));
        ASSERT_TRUE(code.isValid());
        session.click(code.center());
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("focus")] == QStringLiteral("codeView"); }));
    }
    // Ctrl+S at once: each file holds what is expected, no other changed, nothing waits.
    void saveAtOnceAndExpect(const std::map<QString, QByteArray> &expected)
    {
        session.key(QStringLiteral("ctrl+s"));
        QStringList names;
        for (const auto &[file, bytes] : expected) {
            EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(file) == bytes; }, 5000))
                << file.toStdString() << ":\n" << session.onDisk(file).toStdString();
            if (bytes != session.original(file))
                names.append(file);
        }
        EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("unsaved")].toArray().isEmpty(); }, 3000))
            << QJsonDocument(session.state()[QStringLiteral("unsaved")].toArray()).toJson().toStdString();
        names.sort();
        EXPECT_EQ(changed(), names.join(u' ').toStdString());
    }
};

} // namespace

// The code view had the keyboard last (the user looked at a file's text):
// Ctrl+S saved only the code view's file, and a rule edited in the Edit
// Rule Style popover stayed unsaved, marked modified, until an edit in the
// rules panel took the keyboard there (#72).
TEST_F(EditorSaves, TheEditRuleStylePopoversBorderIsSavedAtOnceWhileTheCodeViewHasTheKeyboard)
{
    ASSERT_NO_FATAL_FAILURE(openDashboard());
    ASSERT_NO_FATAL_FAILURE(selectCard());
    ASSERT_TRUE(session.clickRow(QStringLiteral("cssRulesOutline"), QStringLiteral("border: 1px solid #e3e6f0")));
    ASSERT_NO_FATAL_FAILURE(openRuleStyle());
    ASSERT_NO_FATAL_FAILURE(fillInPopover("borderWidth-all", "3"));
    session.key(QStringLiteral("Tab"));
    ASSERT_NO_FATAL_FAILURE(waitForRuleRow(QStringLiteral("border: 3px solid #e3e6f0")));
    // The click outside closes the popover.
    ASSERT_NO_FATAL_FAILURE(clickIntoTheCodeView());
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return !popoverWidget("tabController").isValid(); }));
    EXPECT_EQ(session.ask({{QStringLiteral("q"), QStringLiteral("undo")}})[QStringLiteral("undoName")].toString().toStdString(),
              "Change Style");
    saveAtOnceAndExpect({{kMinified, with(session.original(kMinified), "border:1px solid", "border:3px solid")}});
}

// One edit of each editor, each saved by the Ctrl+S that follows it (the
// code view holding the keyboard, or the value popover still open); a
// minified sheet keeps its layout, the "!important" of a colour picked in a
// popover included.
TEST_F(EditorSaves, AnEditOfEachEditorIsSavedByTheCtrlSThatFollowsIt)
{
    ASSERT_NO_FATAL_FAILURE(openDashboard());
    QByteArray minified = session.original(kMinified);
    QByteArray formatted = session.original(kFormatted);
    QByteArray page = session.original(kPage);
    QByteArray animate = session.original(kAnimate);
    const auto saved = [&] {
        return std::map<QString, QByteArray>{{kMinified, minified}, {kFormatted, formatted}, {kPage, page}, {kAnimate, animate}};
    };

    // A value typed into its row of the rules panel, in the formatted sheet.
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down", "topbar"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".topbar", "dashboard.css:2"); }));
    ASSERT_NO_FATAL_FAILURE(editInRow("color: #858796", "#111111"));
    ASSERT_NO_FATAL_FAILURE(clickIntoTheCodeView());
    formatted = with(formatted, "color: #858796;", "color: #111111;");
    ASSERT_NO_FATAL_FAILURE(saveAtOnceAndExpect(saved()));

    // A colour of the value popover, in the minified sheet: "!important" as the sheet writes it.
    ASSERT_NO_FATAL_FAILURE(selectElement(QStringLiteral("<div class=\"card shadow\">"), "card shadow"));
    session.key(QStringLiteral("Right Down"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return selected(state, "text-gray-800"); }));
    ASSERT_TRUE(session.clickRow(QStringLiteral("cssRulesOutline"), QStringLiteral("color: #5a5c69!important"), 2));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return popoverWidget("hexTextInput").isValid(); }));
    ASSERT_NO_FATAL_FAILURE(fillInPopover("hexTextInput", "aabbcc"));
    session.key(QStringLiteral("Return"));
    ASSERT_NO_FATAL_FAILURE(waitForRuleRow(QStringLiteral("color: #aabbcc!important")));
    // Saved with the popover still open, which the save closes.
    ASSERT_TRUE(popoverWidget("hexTextInput").isValid());
    minified = with(minified, "color:#5a5c69!important", "color:#aabbcc!important");
    ASSERT_NO_FATAL_FAILURE(saveAtOnceAndExpect(saved()));

    // A value of the minified animation sheet with a prefixed copy: the
    // copy takes it, and no copy the rule does not write is added (#77).
    ASSERT_NO_FATAL_FAILURE(editInRow("animation-iteration-count: infinite", "3"));
    ASSERT_NO_FATAL_FAILURE(clickIntoTheCodeView());
    animate = with(animate, "-webkit-animation-iteration-count:infinite;animation-iteration-count:infinite",
                   "-webkit-animation-iteration-count:3;animation-iteration-count:3");
    ASSERT_NO_FATAL_FAILURE(saveAtOnceAndExpect(saved()));

    // The style-attribute panel: another display for the heading.
    ASSERT_TRUE(session.clickWidget(QStringLiteral("display")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state.contains(QStringLiteral("popup")); }));
    session.key(QStringLiteral("Down Return"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        return session.ask({{QStringLiteral("q"), QStringLiteral("undo")}})[QStringLiteral("undoName")].toString()
               == QLatin1String("Edit Attributes");
    }));
    const QByteArray display = session.widget(QStringLiteral("display")).isValid()
                                   ? session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("display")}})
                                         .value(QStringLiteral("text"))
                                         .toString()
                                         .toUtf8()
                                   : QByteArray();
    ASSERT_FALSE(display.isEmpty());
    ASSERT_NO_FATAL_FAILURE(clickIntoTheCodeView());
    page = with(page, "<h1 class=\"text-gray-800 animated infinite\">",
                "<h1 class=\"text-gray-800 animated infinite\" style=\"display:" + display + ";\">");
    ASSERT_NO_FATAL_FAILURE(saveAtOnceAndExpect(saved()));

    // The attributes pane: a title for the heading.
    ASSERT_TRUE(session.fill(QStringLiteral("attrName"), QStringLiteral("title")));
    ASSERT_TRUE(session.fill(QStringLiteral("attrValue"), QStringLiteral("sum")));
    ASSERT_TRUE(session.clickWidget(QStringLiteral("addAttr")));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return session.rows(QStringLiteral("domInfo")).contains(QStringLiteral("title")); }))
        << session.rows(QStringLiteral("domInfo")).join(u'|').toStdString();
    ASSERT_NO_FATAL_FAILURE(clickIntoTheCodeView());
    page = with(page, " style=\"display:" + display + ";\">", " style=\"display:" + display + ";\" title=\"sum\">");
    ASSERT_NO_FATAL_FAILURE(saveAtOnceAndExpect(saved()));

    // The style-sheet manager: a rule renamed.
    session.key(QStringLiteral("ctrl+alt+m"));
    const QString manager = QStringLiteral("selectorListView");
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return session.row(manager, QStringLiteral(".bg-gradient-primary")).isValid(); }))
        << session.rows(manager).join(u'|').toStdString();
    ASSERT_TRUE(session.clickRow(manager, QStringLiteral(".bg-gradient-primary")));
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("focusText")] == QStringLiteral(".bg-gradient-primary"); }))
        << session.state()[QStringLiteral("focus")].toString().toStdString();
    session.key(QStringLiteral("ctrl+a"));
    session.type(QStringLiteral(".bg-primary"));
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return session.row(manager, QStringLiteral(".bg-primary")).isValid(); }))
        << session.rows(manager).join(u'|').toStdString();
    ASSERT_NO_FATAL_FAILURE(clickIntoTheCodeView());
    minified = with(minified, ".bg-gradient-primary{", ".bg-primary{");
    ASSERT_NO_FATAL_FAILURE(saveAtOnceAndExpect(saved()));
}

// The expanded row of a border shorthand lists the longhands of each of
// its four sides, in the order of the sides (#72).
TEST_F(EditorSaves, TheExpandedBorderRowListsTheLonghandsOfEverySide)
{
    ASSERT_NO_FATAL_FAILURE(openDashboard());
    ASSERT_NO_FATAL_FAILURE(selectCard());
    const QStringList rows = ruleRows();
    const qsizetype border = rows.indexOf(QStringLiteral("border: 1px solid #e3e6f0"));
    ASSERT_GE(border, 0) << rows.join(u'|').toStdString();
    QStringList expected;
    for (const char *side : {"top", "right", "bottom", "left"}) {
        expected << QStringLiteral("border-%1-style: solid").arg(QLatin1String(side))
                 << QStringLiteral("border-%1-width: 1px").arg(QLatin1String(side))
                 << QStringLiteral("border-%1-color: #e3e6f0").arg(QLatin1String(side));
    }
    EXPECT_EQ(rows.mid(border + 1, expected.size()).join(u'|').toStdString(), expected.join(u'|').toStdString());
    EXPECT_EQ(changed(), "");
}

} // namespace EditorSavesTest
