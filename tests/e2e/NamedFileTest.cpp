#include "SessionTest.h"
#include "BrowserRenderers.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include <signal.h>

// Every view and every undo step acts on the file it names and no other:
// the code view after its file is deleted by another program, Redo after a
// failed address, a renderer that dies and a browser killed right after an
// edit (#78).
namespace NamedFileTest {

using namespace Shown;

namespace {

const QByteArray kPier = "<!DOCTYPE html>\n<html>\n<head>\n<title>Pier Notes</title>\n</head>\n"
                         "<body>\n<p id=\"tide\">Low tide at noon.</p>\n</body>\n</html>\n";

QString notice(const QJsonObject &state)
{
    return state.value(QStringLiteral("notice")).toString();
}

// The centre pane shows the text of the file its header names, or nothing.
bool namesWhatItShows(const QJsonObject &state)
{
    return !state.contains(QStringLiteral("codeFile"))
           || state.value(QStringLiteral("codeFile")) == state.value(QStringLiteral("codeHeaderFile"));
}

class NamedFile : public SessionTest
{
protected:
    QString undoName()
    {
        return session.ask({{QStringLiteral("q"), QStringLiteral("undo")}}).value(QStringLiteral("undoName")).toString();
    }
    bool unsaved(const QJsonObject &state, const QString &file)
    {
        return state[QStringLiteral("unsaved")].toArray().contains(u'/' + file);
    }
    // A file of a folder of the project, chosen in the file tree, is shown
    // in the code pane.
    void showInCodePane(const char *folder, const char *file)
    {
        ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QString::fromLatin1(folder)));
        session.key(QStringLiteral("Right"));
        ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QString::fromLatin1(file)));
        const QString path = QStringLiteral("/%1/%2").arg(QLatin1String(folder), QLatin1String(file));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) { return state[QStringLiteral("codeFile")].toString().endsWith(path); }));
    }
    // Clicks where the code view is and types there, as a user would into
    // whatever the pane shows, then saves.
    void typeIntoThePaneAndSave(const QString &text)
    {
        const QRect header = session.widget(QStringLiteral("breadcramb"));
        ASSERT_TRUE(header.isValid());
        session.click(QPoint(header.center().x(), header.bottom() + 60));
        session.key(QStringLiteral("ctrl+Home"));
        session.type(text);
        session.key(QStringLiteral("ctrl+s"));
    }

    // Two projects: the fixture's page shown first, then the other's.
    void openPierAfterHarbour()
    {
        ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
        // A file after the page: the tree's selection moves there when the
        // page goes, and the header stays.
        pier = session.makeProject(QStringLiteral("annex"), {{QStringLiteral("pier.html"), kPier},
                                                             {QStringLiteral("quay.css"), QByteArrayLiteral("p { margin: 0; }\n")}});
        ASSERT_FALSE(pier.isEmpty());
        ASSERT_TRUE(session.addProject(pier));
        ASSERT_TRUE(session.openPage(QStringLiteral("pier.html")));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) {
            return titled(state, "Pier Notes") && state[QStringLiteral("codeFile")].toString() == pier + QStringLiteral("/pier.html");
        }));
    }

    // Deleted by another program, then written back: the pane never shows
    // the first project's page under the second's name, and what is typed
    // into it reaches neither file.
    void deleteAndRestorePier(bool unsavedEdit)
    {
        const QString page = pier + QStringLiteral("/pier.html");
        if (unsavedEdit) {
            ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("codeView"), QStringLiteral("codeView")));
            session.key(QStringLiteral("ctrl+End"));
            session.type(QStringLiteral("<b>"));
            ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) { return unsaved(state, QStringLiteral("pier.html")); }));
        }
        ASSERT_TRUE(QFile::remove(page));
        if (unsavedEdit) {
            ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
                return state[QStringLiteral("modalText")].toString() == QLatin1String("\"pier.html\" was deleted by another program.");
            }));
            ASSERT_NO_FATAL_FAILURE(answer(QStringLiteral("Discard")));
        }
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
            return state.value(QStringLiteral("status")).toString().startsWith(QLatin1String("Could not load"));
        }, 15000));
        QJsonObject shown = session.state();
        EXPECT_TRUE(namesWhatItShows(shown)) << shown[QStringLiteral("codeHeader")].toString().toStdString() << " shows "
                                             << shown[QStringLiteral("codeFile")].toString().toStdString();
        ASSERT_NO_FATAL_FAILURE(typeIntoThePaneAndSave(QStringLiteral("Q")));
        EXPECT_TRUE(namesWhatItShows(session.state()));

        QFile restored(page);
        ASSERT_TRUE(restored.open(QIODevice::WriteOnly) && restored.write(kPier) == kPier.size());
        restored.close();
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return titled(state, "Pier Notes"); }, 15000));
        shown = session.state();
        EXPECT_TRUE(namesWhatItShows(shown)) << shown[QStringLiteral("codeFile")].toString().toStdString();
        EXPECT_FALSE(shown[QStringLiteral("codeText")].toString().contains(QLatin1String("Harbour Lights")));
        ASSERT_NO_FATAL_FAILURE(typeIntoThePaneAndSave(QStringLiteral("Q")));
        EXPECT_TRUE(namesWhatItShows(session.state()));
        EXPECT_EQ(changed(), "");
    }

    QString pier;
};

} // namespace

TEST_F(NamedFile, AFileDeletedOutsideLeavesNoOtherFileInTheCodeView)
{
    ASSERT_NO_FATAL_FAILURE(openPierAfterHarbour());
    ASSERT_NO_FATAL_FAILURE(deleteAndRestorePier(false));
    // Typed where the pane showed nothing, or the page written back: never
    // into the other project's page.
    const QByteArray pierNow = session.onDisk(QStringLiteral("../annex/pier.html"));
    EXPECT_TRUE(pierNow == kPier || pierNow == "Q" + kPier) << pierNow.toStdString();
}

TEST_F(NamedFile, AFileDeletedOutsideWithItsEditDiscardedLeavesNoOtherFileInTheCodeView)
{
    ASSERT_NO_FATAL_FAILURE(openPierAfterHarbour());
    ASSERT_NO_FATAL_FAILURE(deleteAndRestorePier(true));
    const QByteArray pierNow = session.onDisk(QStringLiteral("../annex/pier.html"));
    EXPECT_TRUE(pierNow == kPier || pierNow == "Q" + kPier) << pierNow.toStdString();
}

// Typing into the minified sheet's code view, undone; a failed address:
// Redo of the typing is not offered, and edits of the page opened again
// reach page, panel and file as on a fresh start.
TEST_F(NamedFile, RedoAfterAFailedAddressIsNotOfferedAndLaterEditsReachTheFile)
{
    ASSERT_NO_FATAL_FAILURE(openSite("about.html", "About"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down Right Down", "card-title"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".card-title", "min.css:1"); }));
    ASSERT_NO_FATAL_FAILURE(showInCodePane("css", "min.css"));
    ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("codeView"), QStringLiteral("codeView")));
    session.key(QStringLiteral("ctrl+End"));
    session.type(QStringLiteral("a{}b{"));
    const QString sheet = QString::fromUtf8(session.original(QStringLiteral("css/min.css")));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) { return state[QStringLiteral("codeText")].toString() == sheet + "a{}b{"; }));
    for (int i = 0; i < 5; ++i)
        session.key(QStringLiteral("ctrl+z"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) {
        return state[QStringLiteral("codeText")].toString() == sheet && state[QStringLiteral("canRedo")].toBool();
    }));

    ASSERT_TRUE(session.fill(QStringLiteral("selectedURLPath"), QStringLiteral("http://127.0.0.1:6000/")));
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return state[QStringLiteral("status")].toString().startsWith(QLatin1String("Could not load"));
    }));
    const QJsonObject failed = session.state();
    EXPECT_FALSE(failed[QStringLiteral("canUndo")].toBool());
    EXPECT_FALSE(failed[QStringLiteral("canRedo")].toBool());
    EXPECT_TRUE(namesWhatItShows(failed));
    ASSERT_TRUE(session.clickWidget(QStringLiteral("domTreeOutlineView")));
    session.key(QStringLiteral("ctrl+shift+z ctrl+s ctrl+z ctrl+s"));
    EXPECT_TRUE(session.state()[QStringLiteral("unsaved")].toArray().isEmpty());
    EXPECT_EQ(changed(), "");

    // The page again: a value edited in the rules panel reaches the file.
    ASSERT_TRUE(session.openPage(QStringLiteral("about.html")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return titled(state, "About"); }));
    // The tree picks the heading again by itself.
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return selected(state, "card-title") && showsRule(state, ".card-title", "min.css:1");
    }));
    ASSERT_NO_FATAL_FAILURE(editLength("font-size: 20px", "22", "font-size: 22px"));
    QByteArray expected = session.original(QStringLiteral("css/min.css"));
    expected.replace("font-size:20px", "font-size:22px");
    saveAndExpect("css/min.css", expected);
    // And after that save, which the sheet's code view had the keyboard
    // for last, too.
    ASSERT_NO_FATAL_FAILURE(editLength("font-size: 22px", "24", "font-size: 24px"));
    expected.replace("font-size:22px", "font-size:24px");
    saveAndExpect("css/min.css", expected);
}

// The page's renderer killed, the browser alive: the page comes back with
// its unsaved edit, the preview says its steps went, and Undo offers none of
// them, nor the typing of a file the code view no longer shows.
TEST_F(NamedFile, ARendererThatDiesTakesThePagesStepsWithAWordAndUndoAgrees)
{
    ASSERT_NO_FATAL_FAILURE(openSite("recovery.html", "Tide Tables"));
    ASSERT_NO_FATAL_FAILURE(showInCodePane("js", "async.js"));
    ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("codeView"), QStringLiteral("codeView")));
    session.key(QStringLiteral("ctrl+End"));
    session.type(QStringLiteral("//"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) { return unsaved(state, QStringLiteral("js/async.js")); }));
    ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("recovery.html")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("codeFile")].toString().endsWith(QLatin1String("/recovery.html")); }));

    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down Down", "note"));
    ASSERT_TRUE(session.fill(QStringLiteral("attrName"), QStringLiteral("title")));
    ASSERT_TRUE(session.fill(QStringLiteral("attrValue"), QStringLiteral("noon")));
    ASSERT_TRUE(session.clickWidget(QStringLiteral("addAttr")));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) { return unsaved(state, QStringLiteral("recovery.html")); }));
    ASSERT_EQ(undoName(), QStringLiteral("Edit Attributes"));

    const qint64 browser = session.state()[QStringLiteral("browserPid")].toInteger();
    const QList<pid_t> renderers = renderersOf(browser);
    ASSERT_FALSE(renderers.isEmpty());
    for (const pid_t renderer : renderers)
        ::kill(renderer, SIGKILL);
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return notice(state).contains(QLatin1String("ended unexpectedly")) && titled(state, "Tide Tables");
    }, 30000)) << notice(session.state()).toStdString();
    const QJsonObject back = session.state();
    EXPECT_EQ(back[QStringLiteral("browserPid")].toInteger(), browser);
    EXPECT_TRUE(notice(back).contains(QLatin1String("with your unsaved changes"))) << notice(back).toStdString();
    EXPECT_TRUE(notice(back).contains(QLatin1String("can no longer be undone"))) << notice(back).toStdString();
    EXPECT_FALSE(back[QStringLiteral("canUndo")].toBool()) << undoName().toStdString();
    EXPECT_EQ(session.ask({{QStringLiteral("q"), QStringLiteral("page")},
                           {QStringLiteral("expression"), QStringLiteral("document.getElementById('note').title")}})
                  .value(QStringLiteral("value"))
                  .toString(),
              QStringLiteral("noon"));

    // Save acts on the page chosen, not on the script no view shows (#85):
    // its typing stays unsaved.
    session.key(QStringLiteral("ctrl+s"));
    QByteArray page = session.original(QStringLiteral("recovery.html"));
    page.replace("<p id=\"note\" class=\"note\">", "<p id=\"note\" class=\"note\" title=\"noon\">");
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(QStringLiteral("recovery.html")) == page; }, 5000))
        << session.onDisk(QStringLiteral("recovery.html")).toStdString();
    EXPECT_EQ(session.onDisk(QStringLiteral("js/async.js")), session.original(QStringLiteral("js/async.js")));
    EXPECT_TRUE(unsaved(session.state(), QStringLiteral("js/async.js")));
}

// The browser killed as soon as an attribute is added: whatever the moment,
// when the preview says the edits can no longer be undone, Undo offers none.
TEST_F(NamedFile, TheBrowserKilledRightAfterAnEditLeavesUndoAsThePreviewSays)
{
    ASSERT_NO_FATAL_FAILURE(openSite("recovery.html", "Tide Tables"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down Down", "note"));
    ASSERT_TRUE(session.fill(QStringLiteral("attrName"), QStringLiteral("title")));
    ASSERT_TRUE(session.fill(QStringLiteral("attrValue"), QStringLiteral("noon")));
    const qint64 browser = session.state()[QStringLiteral("browserPid")].toInteger();
    ASSERT_TRUE(session.clickWidget(QStringLiteral("addAttr")));
    ASSERT_EQ(::kill(pid_t(browser), SIGKILL), 0);
    ASSERT_TRUE(session.waitFor([browser](const QJsonObject &state) {
        const qint64 now = state[QStringLiteral("browserPid")].toInteger();
        return now > 0 && now != browser && titled(state, "Tide Tables") && notice(state).contains(QLatin1String("browser ended"));
    }, 30000));
    const QJsonObject back = session.state();
    if (notice(back).contains(QLatin1String("can no longer be undone"))) {
        EXPECT_FALSE(back[QStringLiteral("canUndo")].toBool()) << undoName().toStdString();
    }
    session.key(QStringLiteral("ctrl+z ctrl+s"));
    // The file holds what the page shows.
    const bool titledNote = session.ask({{QStringLiteral("q"), QStringLiteral("page")},
                                         {QStringLiteral("expression"), QStringLiteral("document.getElementById('note').title")}})
                                .value(QStringLiteral("value"))
                                .toString()
                            == QLatin1String("noon");
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &state) { return state[QStringLiteral("unsaved")].toArray().isEmpty(); }, 5000));
    EXPECT_EQ(session.onDisk(QStringLiteral("recovery.html")).contains("title=\"noon\""), titledNote);
}

} // namespace NamedFileTest
