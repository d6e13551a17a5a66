#include "SessionTest.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <signal.h>

// What the page shows against what a save writes, when the browser dies, a
// file of the page changes on disk, an edit is discarded, or another address
// is loaded; and a save pressed right after an edit.
namespace RecoveryTest {

using namespace Shown;

namespace {

const QString kPage = QStringLiteral("recovery.html");
const QString kSheet = QStringLiteral("css/recovery.css");

class Recovery : public SessionTest
{
protected:
    void openTides() { ASSERT_NO_FATAL_FAILURE(openSite("recovery.html", "Tide Tables")); }

    // A value of the page as its browser has it now.
    QJsonValue shown(const QString &expression)
    {
        return session.ask({{QStringLiteral("q"), QStringLiteral("page")}, {QStringLiteral("expression"), expression}})
            .value(QStringLiteral("value"));
    }
    QString computed(const char *id, const char *property)
    {
        return shown(QStringLiteral("getComputedStyle(document.getElementById('%1')).getPropertyValue('%2')")
                         .arg(QLatin1String(id), QLatin1String(property)))
            .toString();
    }
    QString attribute(const char *id, const char *name)
    {
        return shown(QStringLiteral("String(document.getElementById('%1').getAttribute('%2'))")
                         .arg(QLatin1String(id), QLatin1String(name)))
            .toString();
    }

    void selectNote() { ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down Down", "note")); }

    // An attribute added to the selected element in the inspector, not saved.
    void addTitle(const char *value)
    {
        ASSERT_TRUE(session.fill(QStringLiteral("attrName"), QStringLiteral("title")));
        ASSERT_TRUE(session.fill(QStringLiteral("attrValue"), QString::fromLatin1(value)));
        ASSERT_TRUE(session.clickWidget(QStringLiteral("addAttr")));
    }

    bool unsaved(const QJsonObject &state, const QString &file)
    {
        return state[QStringLiteral("unsaved")].toArray().contains(u'/' + file);
    }

    QByteArray pageWith(const char *before, const char *after) const
    {
        return QByteArray(session.original(kPage)).replace(before, after);
    }
    QByteArray sheetWith(const char *before, const char *after) const
    {
        return QByteArray(session.original(kSheet)).replace(before, after);
    }
};

} // namespace

TEST_F(Recovery, TheBrowserKilledWithUnsavedEditsShowsThemAgainAndSaveWritesThem)
{
    ASSERT_NO_FATAL_FAILURE(openTides());
    ASSERT_NO_FATAL_FAILURE(selectNote());
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".note", "recovery.css:5"); }));
    ASSERT_NO_FATAL_FAILURE(editLength("font-size: 16px", "20", "font-size: 20px"));
    ASSERT_NO_FATAL_FAILURE(addTitle("noon"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) { return unsaved(state, kPage) && unsaved(state, kSheet); }));

    const qint64 browser = session.state()[QStringLiteral("browserPid")].toInteger();
    ASSERT_GT(browser, 0);
    ASSERT_EQ(::kill(pid_t(browser), SIGKILL), 0);
    // The preview tells the user that the edits can no longer be undone, and
    // from then on Undo has nothing of them, even before the page is back.
    QJsonObject told;
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) {
        told = state;
        return state[QStringLiteral("notice")].toString().contains(QLatin1String("browser ended"));
    }, 30000));
    EXPECT_TRUE(told[QStringLiteral("notice")].toString().contains(QLatin1String("can no longer be undone")));
    EXPECT_FALSE(told.contains(QStringLiteral("modal")));
    EXPECT_FALSE(told[QStringLiteral("canUndo")].toBool());
    session.key(QStringLiteral("ctrl+z"));
    ASSERT_TRUE(session.waitFor([browser](const QJsonObject &state) {
        const qint64 now = state[QStringLiteral("browserPid")].toInteger();
        return now > 0 && now != browser && titled(state, "Tide Tables") && selected(state, "note");
    }, 30000));

    // The page shows both edits, and nothing is left to undo on it.
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) {
        return computed("note", "font-size") == QLatin1String("20px") && attribute("note", "title") == QLatin1String("noon");
    }, 10000)) << computed("note", "font-size").toStdString() << ' ' << attribute("note", "title").toStdString();
    EXPECT_FALSE(session.state()[QStringLiteral("canUndo")].toBool());

    session.key(QStringLiteral("ctrl+s"));
    const QByteArray page = pageWith("<p id=\"note\" class=\"note\">", "<p id=\"note\" class=\"note\" title=\"noon\">");
    const QByteArray sheet = sheetWith("font-size: 16px;", "font-size: 20px;");
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(kPage) == page && session.onDisk(kSheet) == sheet; }, 5000))
        << session.onDisk(kPage).toStdString() << session.onDisk(kSheet).toStdString();
    EXPECT_EQ(changed(), "css/recovery.css recovery.html");
}

TEST_F(Recovery, ASheetWrittenByAnotherProgramReachesThePageAndThePanelsAndTheSelectionStays)
{
    ASSERT_NO_FATAL_FAILURE(openTides());
    ASSERT_NO_FATAL_FAILURE(selectNote());
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".note", "recovery.css:5"); }));

    const QByteArray theirs = sheetWith("font-size: 16px;", "font-size: 24px;\n  color: #aa0000;");
    ASSERT_TRUE(session.writeOnDisk(kSheet, theirs));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &state) {
        return selected(state, "note") && computed("note", "font-size") == QLatin1String("24px")
               && session.rows(QStringLiteral("cssRulesOutline")).contains(QStringLiteral("color: #aa0000"));
    }, 15000)) << session.rows(QStringLiteral("cssRulesOutline")).join(u'|').toStdString();
    EXPECT_EQ(computed("note", "color"), QStringLiteral("rgb(170, 0, 0)"));
    EXPECT_TRUE(session.state()[QStringLiteral("unsaved")].toArray().isEmpty());

    // The page itself, too.
    const QByteArray page = pageWith("<title>Tide Tables</title>", "<title>Tide Tables, Spring</title>");
    ASSERT_TRUE(session.writeOnDisk(kPage, page));
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return titled(state, "Tide Tables, Spring"); }, 15000));
    EXPECT_EQ(session.onDisk(kSheet), theirs);
    EXPECT_EQ(session.onDisk(kPage), page);
}

TEST_F(Recovery, DiscardingTheEditsOfASheetAnotherProgramDeletedLeavesThePageWithoutIt)
{
    ASSERT_NO_FATAL_FAILURE(openTides());
    ASSERT_NO_FATAL_FAILURE(selectNote());
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".note", "recovery.css:5"); }));
    ASSERT_NO_FATAL_FAILURE(editLength("font-size: 16px", "20", "font-size: 20px"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) { return unsaved(state, kSheet); }));
    ASSERT_EQ(computed("note", "font-size"), QStringLiteral("20px"));

    ASSERT_TRUE(QFile::remove(session.projectPath() + u'/' + kSheet));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return state[QStringLiteral("modalText")].toString() == QLatin1String("\"recovery.css\" was deleted by another program.");
    }));
    ASSERT_NO_FATAL_FAILURE(answer(QStringLiteral("Discard")));
    // The browser's own size of a paragraph: the sheet is gone from the page too.
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return computed("note", "font-size") == QLatin1String("16px")
                                                                   && computed("banner", "color") == QLatin1String("rgb(0, 0, 0)"); }, 15000))
        << computed("note", "font-size").toStdString() << ' ' << computed("banner", "color").toStdString();
    EXPECT_TRUE(session.state()[QStringLiteral("unsaved")].toArray().isEmpty());
    EXPECT_EQ(changed(), "gone: css/recovery.css");
}

TEST_F(Recovery, UndoAfterAFailedAddressChangesNoFileOfThePageBefore)
{
    ASSERT_NO_FATAL_FAILURE(openTides());
    ASSERT_NO_FATAL_FAILURE(selectNote());
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".note", "recovery.css:5"); }));
    ASSERT_NO_FATAL_FAILURE(editLength("font-size: 16px", "20", "font-size: 20px"));
    const QByteArray sheet = sheetWith("font-size: 16px;", "font-size: 20px;");
    session.key(QStringLiteral("ctrl+s"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(kSheet) == sheet; }, 5000));
    ASSERT_TRUE(session.state()[QStringLiteral("canUndo")].toBool());

    // An address on a port the browser refuses.
    ASSERT_TRUE(session.fill(QStringLiteral("selectedURLPath"), QStringLiteral("http://127.0.0.1:6000/")));
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return state[QStringLiteral("status")].toString().startsWith(QLatin1String("Could not load"));
    }));
    EXPECT_FALSE(session.state()[QStringLiteral("canUndo")].toBool());
    session.clickWidget(QStringLiteral("domTreeOutlineView"));
    session.key(QStringLiteral("ctrl+z ctrl+s"));
    EXPECT_TRUE(session.state()[QStringLiteral("unsaved")].toArray().isEmpty());
    EXPECT_EQ(session.onDisk(kSheet), sheet);
    EXPECT_EQ(changed(), "css/recovery.css");
}

TEST_F(Recovery, SaveRightAfterAnEditWritesIt)
{
    ASSERT_NO_FATAL_FAILURE(openTides());
    ASSERT_NO_FATAL_FAILURE(selectNote());
    ASSERT_NO_FATAL_FAILURE(addTitle("noon"));
    session.key(QStringLiteral("ctrl+s"));
    const QByteArray page = pageWith("<p id=\"note\" class=\"note\">", "<p id=\"note\" class=\"note\" title=\"noon\">");
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(kPage) == page; }, 5000))
        << session.onDisk(kPage).toStdString();
    // Nothing waits to be written after it.
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("unsaved")].toArray().isEmpty(); }, 2000));
    EXPECT_EQ(attribute("note", "title"), QStringLiteral("noon"));
    EXPECT_EQ(changed(), "recovery.html");
}

// A slideshow whose script fits its deck to the window and then stands
// still, shown again at the next start. The window is sized again once the
// page is drawn, as the placement does when the window manager decorates
// the window late; the first pick where the screen shows the slide's text
// selects it.
TEST_F(Recovery, TheFirstPickAfterAStartHitsTheElementUnderThePointer)
{
    ASSERT_NO_FATAL_FAILURE(openSite("recovery-slides.html", "Harbour Slides"));
    // The ruler hidden: the next start shows the preview without it.
    session.key(QStringLiteral("ctrl+alt+r"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return !session.widget(QStringLiteral("rulerLabelView")).isValid(); }, 5000));
    ASSERT_TRUE(session.quit());
    ASSERT_TRUE(session.launch(Session::Launch::Again)) << session.logTail().toStdString();
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return titled(state, "Harbour Slides"); }, 30000));

    const QRect before = session.widget(QStringLiteral("webview"));
    const QRect window = session.widget(QStringLiteral("mainWindow"));
    session.resizeWindow(QStringLiteral("Harbour Slides"), window.size() - QSize(100, 100));
    // The preview draws the page at its new size, not a picture of another
    // shape stretched over it.
    QJsonObject frame;
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        frame = session.ask({{QStringLiteral("q"), QStringLiteral("frame")}});
        return frame[QStringLiteral("viewH")].toInt() != before.height()
               && qRound(frame[QStringLiteral("w")].toDouble()) == frame[QStringLiteral("viewW")].toInt()
               && qRound(frame[QStringLiteral("h")].toDouble()) == frame[QStringLiteral("viewH")].toInt();
    }, 5000)) << QJsonDocument(frame).toJson().toStdString();

    ASSERT_TRUE(session.clickWidget(QStringLiteral("detectButton")));
    // The text's colour in css/recovery-slides.css.
    const QPoint text = session.whereShown(QColor(0xb0, 0x3a, 0x2e), session.widget(QStringLiteral("webview")));
    ASSERT_FALSE(text.isNull());
    session.click(text);
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return selected(state, "slide-text"); }))
        << session.state()[QStringLiteral("selected")].toString().toStdString();
    EXPECT_EQ(changed(), "");
}

} // namespace RecoveryTest
