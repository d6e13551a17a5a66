#include "SessionTest.h"

#include <QJsonObject>

namespace ScriptedPageTest {

using namespace Shown;

namespace {

const QString kPage = QStringLiteral("scripted.html");

// A slideshow whose script classes, styles and marks its first slide at
// load and keeps changing the second on a timer: each editor's edit of the
// first slide reaches the file alone, and its undo gives the bytes back.
class ScriptedPage : public SessionTest
{
protected:
    void openAndSelectIntro()
    {
        ASSERT_NO_FATAL_FAILURE(openSite("scripted.html", "Scripted Slides"));
        ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down", "intro"));
    }
    // The value the style panel's display field shows.
    QString display()
    {
        return session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("display")}})
            .value(QStringLiteral("text"))
            .toString();
    }
    QString undoName() { return session.ask({{QStringLiteral("q"), QStringLiteral("undo")}}).value(QStringLiteral("undoName")).toString(); }
    QByteArray originalWith(const char *before, const char *after) const
    {
        QByteArray text = session.original(kPage);
        text.replace(before, after);
        return text;
    }
    // Undoes every step with the keys the tree has, saves, and finds the
    // file's bytes as they were.
    void undoAllAndSave()
    {
        const auto undone = [this] { return session.ask({{QStringLiteral("q"), QStringLiteral("undo")}}).value(QStringLiteral("undone")).toInt(); };
        for (int i = 0; i < 8 && session.state()[QStringLiteral("canUndo")].toBool(); ++i) {
            EXPECT_FALSE(undoName().isEmpty());
            const int before = undone();
            session.key(QStringLiteral("ctrl+z"));
            ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return undone() > before; }));
        }
        ASSERT_FALSE(session.state()[QStringLiteral("canUndo")].toBool());
        session.key(QStringLiteral("ctrl+s"));
        EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(kPage) == session.original(kPage); }, 5000))
            << session.onDisk(kPage).toStdString();
        EXPECT_EQ(changed(), "");
    }
};

} // namespace

TEST_F(ScriptedPage, TheStylePanelWritesOnlyTheUsersDeclarationAndUndoAfterASaveGivesTheBytesBack)
{
    ASSERT_NO_FATAL_FAILURE(openAndSelectIntro());
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return display() == QLatin1String("list-item"); }));
    // Another display chosen from the panel's list, where the script's stands.
    ASSERT_TRUE(session.clickWidget(QStringLiteral("display")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state.contains(QStringLiteral("popup")); }));
    session.key(QStringLiteral("Down Return"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("canUndo")].toBool(); }));
    EXPECT_EQ(undoName().toStdString(), "Edit Attributes");
    const QByteArray chosen = display().toUtf8();
    ASSERT_NE(chosen, "list-item");
    // The keys go to the tree.
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QStringLiteral("<body>")));
    saveAndExpect("scripted.html", originalWith("<section id=\"intro\" class=\"slide\">",
                                                "<section id=\"intro\" class=\"slide\" style=\"display:" + chosen + ";\">"));
    ASSERT_NO_FATAL_FAILURE(undoAllAndSave());
}

TEST_F(ScriptedPage, TheAttributesPaneWritesOnlyTheClassTheUserTypedAndUndoGivesTheBytesBack)
{
    ASSERT_NO_FATAL_FAILURE(openAndSelectIntro());
    // The class row's value, typed on at its end.
    ASSERT_TRUE(session.clickRow(QStringLiteral("domInfo"), QStringLiteral("class")));
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return state[QStringLiteral("focusText")].toString().startsWith(QStringLiteral("slide present"));
    }));
    session.key(QStringLiteral("End"));
    session.type(QStringLiteral(" big"));
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QStringLiteral("<body>")));
    saveAndExpect("scripted.html", originalWith("<section id=\"intro\" class=\"slide\">", "<section id=\"intro\" class=\"slide big\">"));
    ASSERT_NO_FATAL_FAILURE(undoAllAndSave());
}

TEST_F(ScriptedPage, TheWheelOverUnfocusedFieldsScrollsThePanelAndChangesNothing)
{
    ASSERT_NO_FATAL_FAILURE(openAndSelectIntro());
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return display() == QLatin1String("list-item"); }));
    for (const char *name : {"display", "position"}) {
        const QRect field = session.widget(QString::fromLatin1(name));
        ASSERT_TRUE(field.isValid()) << name;
        session.wheel(field.center(), 4);
    }
    const QJsonObject state = session.state();
    EXPECT_FALSE(state[QStringLiteral("canUndo")].toBool());
    EXPECT_EQ(display().toStdString(), "list-item");
    EXPECT_NE(state[QStringLiteral("focus")].toString(), QStringLiteral("display"));
    EXPECT_NE(state[QStringLiteral("focus")].toString(), QStringLiteral("position"));
    session.key(QStringLiteral("ctrl+s"));
    EXPECT_EQ(changed(), "");
}

} // namespace ScriptedPageTest
