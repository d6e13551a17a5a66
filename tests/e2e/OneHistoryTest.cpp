#include "SessionTest.h"

#include <QJsonObject>

// Typing into the code views of a page and of its sheet and the edits of
// the DOM tree and the Attributes pane are one history: Undo of everything,
// saved, gives back both files' bytes, and Redo of everything the edits,
// the typing too (#84).
namespace OneHistoryTest {

using namespace Shown;

namespace {

class OneHistory : public SessionTest
{
protected:
    QString codeText()
    {
        const QJsonObject view =
            session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("codeView")}});
        return view.value(QStringLiteral("visible")).toBool() ? view.value(QStringLiteral("text")).toString() : QString();
    }
    int taken(const char *count)
    {
        return session.ask({{QStringLiteral("q"), QStringLiteral("undo")}}).value(QString::fromLatin1(count)).toInt();
    }
    // Undo, or Redo, from the keyboard until none is offered, each step
    // taken before the next key; answers how many.
    int runAll(bool redo)
    {
        const QString offered = redo ? QStringLiteral("canRedo") : QStringLiteral("canUndo");
        const char *count = redo ? "redone" : "undone";
        int steps = 0;
        while (steps < 100 && session.state()[offered].toBool()) {
            const int before = taken(count);
            session.key(redo ? QStringLiteral("ctrl+shift+z") : QStringLiteral("ctrl+z"));
            EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return taken(count) > before; }, 5000)) << "step " << steps;
            ++steps;
        }
        return steps;
    }
    void saveAndWaitFor(const QByteArray &page, const QByteArray &sheet)
    {
        session.key(QStringLiteral("ctrl+s"));
        EXPECT_TRUE(session.waitFor([&](const QJsonObject &) {
            return session.onDisk(QStringLiteral("index.html")) == page && session.onDisk(QStringLiteral("css/site.css")) == sheet;
        })) << session.onDisk(QStringLiteral("index.html")).toStdString() << session.onDisk(QStringLiteral("css/site.css")).toStdString();
    }
};

} // namespace

TEST_F(OneHistory, TreeAttributesAndTypingInPageAndSheetAreUndoneToTheBytesAndRedoneWhole)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    const QByteArray page = session.original(QStringLiteral("index.html"));
    const QByteArray sheet = session.original(QStringLiteral("css/site.css"));

    // A rule typed at the end of the sheet in its code view.
    ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("css")));
    session.key(QStringLiteral("Right"));
    ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("site.css")));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText() == QString::fromUtf8(sheet); }));
    ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("codeView"), QStringLiteral("codeView")));
    session.key(QStringLiteral("ctrl+End"));
    session.type(QStringLiteral(".pro{}"));
    const QByteArray editedSheet = sheet + ".pro{}";
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText() == QString::fromUtf8(editedSheet); }));
    // The page's code again.
    ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("index.html")));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText() == QString::fromUtf8(page); }));

    // " Pro" typed into the page's title in its code view.
    ASSERT_TRUE(session.clickUntilFocused(QStringLiteral("codeView"), QStringLiteral("codeView")));
    session.key(QStringLiteral("ctrl+Home Down Down Down Down Down End Left Left Left Left Left Left Left Left"));
    session.type(QStringLiteral(" Pro"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText().contains(QStringLiteral("<title>Harbour Lights Pro</title>")); }))
        << codeText().toStdString();
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return titled(state, "Harbour Lights Pro"); }));

    // The navigation removed in the DOM tree.
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body class=\"js\">...</body>", "Right Down Right Down Down", "nav"));
    session.key(QStringLiteral("Delete"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return !codeText().contains(QStringLiteral("<nav>")); }));

    // A title for the headline from the Attributes pane.
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QStringLiteral("<h1 id=\"headline\">...</h1>")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return selected(state, "headline"); }));
    ASSERT_TRUE(session.fill(QStringLiteral("attrName"), QStringLiteral("title")));
    ASSERT_TRUE(session.fill(QStringLiteral("attrValue"), QStringLiteral("pier")));
    ASSERT_TRUE(session.clickWidget(QStringLiteral("addAttr")));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return codeText().contains(QStringLiteral("title=\"pier\"")); }));

    const QByteArray editedPage = codeText().toUtf8();

    QByteArray expected = with(page, "<h1 id=\"headline\">", "<h1 id=\"headline\" title=\"pier\">");
    expected = with(expected, "<title>Harbour Lights</title>", "<title>Harbour Lights Pro</title>");
    expected = with(expected, "\n    <nav><a href=\"about.html\">About</a> | <a href=\"gallery.html\">Gallery</a></nav>", "");
    EXPECT_EQ(editedPage, expected);
    ASSERT_NO_FATAL_FAILURE(saveAndWaitFor(editedPage, editedSheet));

    const int undone = runAll(false);
    ASSERT_NO_FATAL_FAILURE(saveAndWaitFor(page, sheet));
    EXPECT_EQ(runAll(true), undone);
    ASSERT_NO_FATAL_FAILURE(saveAndWaitFor(editedPage, editedSheet));
    EXPECT_EQ(changed(), "css/site.css index.html");
}

} // namespace OneHistoryTest
