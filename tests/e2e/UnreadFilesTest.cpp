#include "SessionTest.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

// What was never read is never written, and every save acts on the file the
// user sees chosen, as a user finds it with permissions as users have them:
// a page that cannot be read, an address that names no file, a folder that
// cannot be read, File > Save with a page chosen in the project list (#85).
namespace UnreadFilesTest {

using namespace Shown;

namespace {

bool setMode(const QString &path, mode_t mode)
{
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

class UnreadFiles : public SessionTest
{
protected:
    void SetUp() override
    {
        // Launched as a user: root's override of permissions dropped.
        session.obeyFilePermissions();
        SessionTest::SetUp();
    }

    QJsonObject widget(const char *name)
    {
        return session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QLatin1String(name)}});
    }
    // Waits for the alert whose message is the text, and answers it with
    // its first button; answers what it explained (empty when none came).
    QString answerAlert(const QString &message)
    {
        QString told;
        if (!session.waitFor([&](const QJsonObject &state) {
                told = state.value(QStringLiteral("modalInfo")).toString();
                return state.value(QStringLiteral("modalText")).toString() == message
                       && state.value(QStringLiteral("modalActive")).toBool();
            }, 10000))
            return {};
        session.clickWidget(QStringLiteral("alertButton0"));
        session.waitFor([](const QJsonObject &state) { return !state.contains(QStringLiteral("modal")); });
        return told;
    }
    // Types into the code view of the file shown, at its end.
    void typeIntoCodeView(const QString &text)
    {
        ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("codeView"), QStringLiteral("codeView")));
        session.key(QStringLiteral("ctrl+End"));
        session.type(text);
    }
};

} // namespace

TEST_F(UnreadFiles, APageThatCannotBeReadTakesNoKeysAndNothingIsWrittenOverIt)
{
    const QString about = session.projectPath() + QStringLiteral("/about.html");
    ASSERT_TRUE(setMode(about, 0200));
    ASSERT_TRUE(session.addProject());
    ASSERT_TRUE(session.openPage(QStringLiteral("about.html")));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) { return state[QStringLiteral("codeFile")] == about; }));
    // The empty view says why it is empty.
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) {
        return widget("codeNotice")[QStringLiteral("text")].toString().startsWith(about + QStringLiteral(" cannot be read (Permission denied)"));
    })) << widget("codeNotice")[QStringLiteral("text")].toString().toStdString();

    ASSERT_NO_FATAL_FAILURE(typeIntoCodeView(QStringLiteral("WO")));
    session.key(QStringLiteral("ctrl+s"));
    const QString told = answerAlert(QStringLiteral("\"about.html\" could not be saved."));
    EXPECT_TRUE(told.contains(about + QStringLiteral(" cannot be read (Permission denied)"))) << told.toStdString();
    const QJsonObject view = widget("codeView");
    EXPECT_EQ(view[QStringLiteral("text")].toString(), QString());
    EXPECT_TRUE(view[QStringLiteral("readOnly")].toBool());
    EXPECT_TRUE(session.state()[QStringLiteral("unsaved")].toArray().isEmpty());
    ASSERT_TRUE(setMode(about, 0644));
    EXPECT_EQ(changed(), "");
}

// An address that names no file, Save in its empty code view: no file is
// made, and the user is told why; the view took no keys. The page opened again takes edits as on
// a fresh start: each is undoable, and written once.
TEST_F(UnreadFiles, AFailedAddressNeverBecomesAFileAndTheNextPageTakesEditsAsOnAFreshStart)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    const QString missing = QStringLiteral("file://") + session.projectPath() + QStringLiteral("/nothere.html");
    ASSERT_TRUE(session.fill(QStringLiteral("selectedURLPath"), missing));
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return state[QStringLiteral("status")].toString().startsWith(QLatin1String("Could not load"));
    }));
    ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("codeView"), QStringLiteral("codeView")));
    session.key(QStringLiteral("ctrl+s"));
    const QString told = answerAlert(QStringLiteral("\"nothere\" could not be saved."));
    EXPECT_TRUE(told.contains(QStringLiteral("There is no such file"))) << told.toStdString();
    EXPECT_EQ(changed(), "");

    ASSERT_TRUE(session.openPage(QStringLiteral("index.html")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return titled(state, "Harbour Lights"); }));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body class=\"js\">...</body>", "Right Down Right Down", "headline"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, "#headline", "site.css:9"); }));
    ASSERT_TRUE(session.clickRow(QStringLiteral("cssRulesOutline"), QStringLiteral("font-size: 32px")));
    ASSERT_NO_FATAL_FAILURE(addDeclaration("word-spacing: 5px", "word-spacing: 5px"));
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("canUndo")].toBool(); }, 3000));
    ASSERT_NO_FATAL_FAILURE(editLength("font-size: 32px", "40", "font-size: 40px"));
    const QByteArray sheet = session.original(QStringLiteral("css/site.css"));
    saveAndExpect("css/site.css", with(sheet, "  font-size: 32px;\n}", "  font-size: 40px;\n  word-spacing: 5px;\n}"));

    // Both edits undone and saved: the sheet as it was.
    ASSERT_TRUE(session.clickWidget(QStringLiteral("domTreeOutlineView")));
    for (int undone = 0; undone < 4 && session.state()[QStringLiteral("canUndo")].toBool(); ++undone) {
        session.key(QStringLiteral("ctrl+z"));
        session.waitFor([&](const QJsonObject &state) { return state[QStringLiteral("canRedo")].toBool(); }, 3000);
    }
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return !showsRule(state, "#headline", "site.css:11"); }, 3000));
    session.key(QStringLiteral("ctrl+s"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(QStringLiteral("css/site.css")) == sheet; }))
        << session.onDisk(QStringLiteral("css/site.css")).toStdString();
    EXPECT_EQ(changed(), "");
}

TEST_F(UnreadFiles, AFolderThatCannotBeReadIsGreyedInTheTreeAndSaysWhy)
{
    const QString js = session.projectPath() + QStringLiteral("/js");
    ASSERT_TRUE(setMode(js, 0));
    ASSERT_TRUE(session.addProject());
    const auto shownUnreadable = [&](bool unreadable) {
        return [&, unreadable](const QJsonObject &) {
            const QJsonObject tree = widget("finderView");
            const qsizetype row = tree[QStringLiteral("rows")].toVariant().toStringList().indexOf(QStringLiteral("js"));
            const QString tip = row < 0 ? QString() : tree[QStringLiteral("tips")][int(row)].toString();
            return row >= 0 && tree[QStringLiteral("greyed")].toVariant().toStringList().contains(QStringLiteral("js")) == unreadable
                   && tip.contains(QStringLiteral("cannot be read: Permission denied")) == unreadable;
        };
    };
    EXPECT_TRUE(session.waitFor(shownUnreadable(true)))
        << QJsonDocument(widget("finderView")).toJson().toStdString();
    // Readable again, it is an ordinary folder.
    ASSERT_TRUE(setMode(js, 0755));
    EXPECT_TRUE(session.waitFor(shownUnreadable(false)))
        << QJsonDocument(widget("finderView")).toJson().toStdString();
    EXPECT_EQ(changed(), "");
}

// File > Save with a page chosen in the project list, shown in the code view
// with its unsaved mark, saves that page, though another file's code view
// had the keyboard last; saved again, the user is told there is nothing to
// save.
TEST_F(UnreadFiles, FileSaveSavesThePageChosenInTheProjectList)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    const auto shows = [&](const char *name) {
        return session.waitFor([&](const QJsonObject &state) {
            return state[QStringLiteral("codeFile")] == session.projectPath() + QLatin1Char('/') + QLatin1String(name);
        });
    };
    ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("about.html")));
    ASSERT_TRUE(shows("about.html"));
    ASSERT_NO_FATAL_FAILURE(typeIntoCodeView(QStringLiteral("<!-- mine -->")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return !state[QStringLiteral("unsaved")].toArray().isEmpty(); }));
    ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("gallery.html")));
    ASSERT_TRUE(shows("gallery.html"));
    ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("codeView"), QStringLiteral("codeView")));
    ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("about.html")));
    ASSERT_TRUE(shows("about.html"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("focus")] == QStringLiteral("finderView"); }));

    ASSERT_NO_FATAL_FAILURE(chooseMenu("File", "Save"));
    const QByteArray expected = session.original(QStringLiteral("about.html")) + "<!-- mine -->";
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(QStringLiteral("about.html")) == expected; }))
        << session.onDisk(QStringLiteral("about.html")).toStdString();
    EXPECT_EQ(changed(), "about.html");

    ASSERT_NO_FATAL_FAILURE(chooseMenu("File", "Save"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) {
        const QJsonObject notice = widget("saveNotice");
        return notice[QStringLiteral("visible")].toBool()
               && notice[QStringLiteral("text")] == QStringLiteral("Nothing to save: \"about.html\" has no unsaved changes.");
    }, 5000));
    EXPECT_EQ(changed(), "about.html");
}

} // namespace UnreadFilesTest
