#include "InspectorPanesTest.h"

#include <QJsonArray>

#include <signal.h>

// The preview first on a small and a large screen: what is said over it,
// the full-size preview, the DOM tree in its narrow pane, the address field
// and the dividers (#79).
namespace PreviewFirstTest {

using namespace InspectorPanesTest;
using namespace Shown;

class PreviewFirst : public InspectorPanes
{
protected:
    // The main window's and the inspector's frames, and the rules listed.
    struct Windows
    {
        QRect window;
        QRect inspector;
        QJsonArray rules;
    };
    Windows windows()
    {
        return {session.widget(QStringLiteral("mainWindow")), session.widget(QStringLiteral("StyleInspector")),
                session.state().value(QStringLiteral("rules")).toArray()};
    }

    // Ends the preview's browser as a crash would, and waits until the
    // preview says so with the page back.
    void crashTheBrowser()
    {
        const qint64 browser = session.state().value(QStringLiteral("browserPid")).toInteger();
        ASSERT_GT(browser, 0);
        ::kill(pid_t(browser), SIGKILL);
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
            return state.value(QStringLiteral("notice")).toString().contains(QLatin1String("shown again"))
                && titled(state, "Harbour Lights");
        }));
    }

    // The message over the page takes two lines at most at its top, the
    // page in sight below it; its last sentence (that the edits can no
    // longer be undone) is read in it, the whole in its tool tip; and its
    // Close takes the first click, the overlay of an element shown (#88).
    void expectTwoLinesAtMostOverThePage()
    {
        const QRect page = session.widget(QStringLiteral("webview"));
        const QRect bar = session.widget(QStringLiteral("previewNotice"));
        const QRect line = session.widget(QStringLiteral("previewNoticeText"));
        ASSERT_TRUE(bar.isValid() && line.isValid());
        EXPECT_EQ(bar.top(), page.top());
        EXPECT_LE(bar.height(), 56) << text(bar);
        EXPECT_LT(bar.height(), page.height() / 2) << text(bar) << " over " << text(page);
        EXPECT_LT(line.height(), 3 * 17) << text(line);
        const QString notice = session.state().value(QStringLiteral("notice")).toString();
        const QJsonObject shown = widgetAnswer(session, "previewNoticeText");
        EXPECT_TRUE(notice.endsWith(QLatin1String("can no longer be undone."))) << notice.toStdString();
        EXPECT_TRUE(shown.value(QStringLiteral("text")).toString().endsWith(QLatin1String("can no longer be undone.")))
            << shown.value(QStringLiteral("text")).toString().toStdString();

        // The paragraph, as the tree shows it: its parents opened or not.
        const QString intro = QStringLiteral("<p id=\"intro\" class=\"lead\">...</p>");
        if (session.row(QStringLiteral("domTreeOutlineView"), intro).isValid())
            ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), intro));
        else
            ASSERT_NO_FATAL_FAILURE(selectInTree("<body class=\"js\">...</body>", "Right Down Down Right Down", "intro"));
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
            return selected(state, "intro") && state.value(QStringLiteral("overlay")).toBool();
        }));
        ASSERT_TRUE(session.clickWidget(QStringLiteral("closePreviewNotice")));
        EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return !state.contains(QStringLiteral("notice")); }, 3000));
    }
};

TEST_F(PreviewFirst, AMessageOverThePreviewKeepsItsLastSentenceInTwoLinesAndLeavesThePageInSight)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    // The address field shows where the page's address starts.
    const QJsonObject address = widgetAnswer(session, "selectedURLPath");
    EXPECT_TRUE(address.value(QStringLiteral("text")).toString().startsWith(QLatin1String("file:///")));
    EXPECT_EQ(address.value(QStringLiteral("cursor")).toInt(), 0);
    // An edit made in the page, which its browser's end takes from Undo.
    const auto edit = [this](const char *row, const char *number, const char *edited) {
        const QString intro = QStringLiteral("<p id=\"intro\" class=\"lead\">...</p>");
        if (session.row(QStringLiteral("domTreeOutlineView"), intro).isValid())
            ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), intro));
        else
            ASSERT_NO_FATAL_FAILURE(selectInTree("<body class=\"js\">...</body>", "Right Down Down Right Down", "intro"));
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".lead", "site.css:14"); }));
        ASSERT_NO_FATAL_FAILURE(editLength(row, number, edited));
        ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state.value(QStringLiteral("canUndo")).toBool(); }));
    };

    {
        SCOPED_TRACE("the preview as it opens");
        ASSERT_NO_FATAL_FAILURE(edit("font-size: 18px", "20", "font-size: 20px"));
        ASSERT_NO_FATAL_FAILURE(crashTheBrowser());
        expectTwoLinesAtMostOverThePage();
    }
    {
        SCOPED_TRACE("the preview at its smallest");
        // Its divider taken to its limit: the ruler and 86 points of the page.
        const int position = dividerPosition(session, QStringLiteral("centerPaneSplitView"), 0);
        ASSERT_TRUE(dragDivider(session, QStringLiteral("centerPaneSplitView"), 0, 0, 120 - position));
        ASSERT_LT(session.widget(QStringLiteral("webview")).height(), 100);
        ASSERT_NO_FATAL_FAILURE(edit("font-size: 20px", "22", "font-size: 22px"));
        ASSERT_NO_FATAL_FAILURE(crashTheBrowser());
        expectTwoLinesAtMostOverThePage();
    }
    // The edits stay the program's until saved.
    EXPECT_EQ(changed(), "");
}

// Full Size Preview hides the main window's panes and nothing else: the
// inspector keeps its place and its rules, an element is picked where it is
// shown, and the panes come back as they were (#79).
TEST_F(PreviewFirst, FullSizePreviewKeepsTheInspectorAndItsRulesAndAPickStaysInThePreview)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body class=\"js\">...</body>", "Right Down Down Right Down", "intro"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".lead", "site.css:14"); }));
    const Windows before = windows();
    const QRect page = session.widget(QStringLiteral("webview"));

    session.key(QStringLiteral("ctrl+shift+w"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        return session.widget(QStringLiteral("webview")).height() > page.height();
    }));
    const Windows full = windows();
    EXPECT_EQ(text(full.window), text(before.window));
    EXPECT_EQ(text(full.inspector), text(before.inspector));
    EXPECT_EQ(full.rules, before.rules);

    // The start of the footer lies where other panes stand once they are back.
    session.key(QStringLiteral("ctrl+shift+e"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state.value(QStringLiteral("focus")) == QStringLiteral("webview"); }));
    QRect footer;
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        footer = session.element(QStringLiteral("footer"));
        return footer.isValid() && footer.left() < page.left();
    })) << text(footer);
    const QPoint pick(footer.left() + 10, footer.center().y());
    ASSERT_FALSE(page.contains(pick));
    session.moveTo(pick + QPoint(0, -2));
    session.click(pick);
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return selected(state, "<footer>"); }))
        << session.state().value(QStringLiteral("selected")).toString().toStdString();
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.widget(QStringLiteral("webview")) == page; }, 5000))
        << text(session.widget(QStringLiteral("webview")));
    const Windows after = windows();
    EXPECT_EQ(text(after.window), text(before.window));
    EXPECT_EQ(text(after.inspector), text(before.inspector));
    EXPECT_EQ(changed(), "");
}

// A row deep in the DOM tree's narrow pane is one line, cut short, rather
// than a column of a few characters a line (#79).
TEST_F(PreviewFirst, ADeepRowInTheNarrowDomTreeStaysOneLine)
{
    ASSERT_NO_FATAL_FAILURE(openSite("deep.html", "Deep Harbour"));
    ASSERT_LE(session.widget(QStringLiteral("domTreeOutlineView")).width(), 260);
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down Right Down Right Down Right Down Right Down Right Down Right Down Right Down",
                                         "deepest"));
    const QString deepest = session.state().value(QStringLiteral("selected")).toString();
    const QRect row = session.row(QStringLiteral("domTreeOutlineView"), deepest);
    const QRect head = session.row(QStringLiteral("domTreeOutlineView"), QStringLiteral("<head>...</head>"));
    ASSERT_TRUE(row.isValid() && head.isValid()) << deepest.toStdString();
    EXPECT_EQ(row.height(), head.height()) << text(row);
    EXPECT_EQ(changed(), "");
}

// Long rows of the DOM tree (a start tag with a long class list, one with
// many attributes, a comment of two lines) are one line at the pane's
// width, cut short, and read whole in their tool tips (#88).
TEST_F(PreviewFirst, LongRowsOfTheDomTreeAreOneLineAndWholeInTheirToolTips)
{
    ASSERT_NO_FATAL_FAILURE(openSite("wide.html", "Wide Harbour"));
    QString body;
    for (const QString &row : session.rows(QStringLiteral("domTreeOutlineView"))) {
        if (row.startsWith(QLatin1String("<body")))
            body = row;
    }
    ASSERT_FALSE(body.isEmpty());
    ASSERT_NO_FATAL_FAILURE(selectInTree(body.toUtf8().constData(), "Right Down Down", "wrapper"));
    session.key(QStringLiteral("Right"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        return session.rows(QStringLiteral("domTreeOutlineView")).contains(QStringLiteral("</div>"));
    }));
    // Its row, now open, reads its start tag only.
    const QString wrapper = session.state().value(QStringLiteral("selected")).toString();

    const QRect head = session.row(QStringLiteral("domTreeOutlineView"), QStringLiteral("<head>...</head>"));
    ASSERT_TRUE(head.isValid());
    const QJsonObject tree = widgetAnswer(session, "domTreeOutlineView");
    const QJsonArray rows = tree.value(QStringLiteral("rows")).toArray();
    for (const QJsonValue &row : rows)
        EXPECT_EQ(session.row(QStringLiteral("domTreeOutlineView"), row.toString().trimmed()).height(), head.height())
            << row.toString().toStdString();
    const QJsonArray shown = tree.value(QStringLiteral("shown")).toArray();
    ASSERT_EQ(rows.size(), shown.size());
    int cut = 0;
    for (const QJsonValue &row : shown) {
        // A comment of two lines is folded into one.
        EXPECT_FALSE(row.toString().contains(QLatin1Char('\n'))) << row.toString().toStdString();
        if (row.toString().endsWith(QChar(0x2026)))
            ++cut;
    }
    // The start tag of many attributes is cut on every screen.
    EXPECT_GE(cut, 1);

    // Its tool tip holds it whole.
    const QRect row = session.row(QStringLiteral("domTreeOutlineView"), wrapper);
    ASSERT_TRUE(row.isValid());
    session.moveTo(row.center());
    session.moveTo(row.center() + QPoint(3, 0));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &state) {
        return state.value(QStringLiteral("toolTip")).toString() == wrapper;
    }, 10000)) << session.state().value(QStringLiteral("toolTip")).toString().toStdString();
    EXPECT_EQ(changed(), "");
}

// Every divider of the main window and the inspector is taken by a press on
// its line or two pixels beside it, and stands where it was left after a
// restart (#79).
TEST_F(PreviewFirst, EveryDividerIsTakenAroundItsLineAndKeepsItsPlaceAcrossARestart)
{
    const QJsonArray all = session.ask({{QStringLiteral("q"), QStringLiteral("dividers")}}).value(QStringLiteral("dividers")).toArray();
    QList<QPair<QString, int>> moved;
    int offset = -2;
    for (const QJsonValue &each : all) {
        const QJsonObject line = each.toObject();
        if (line.value(QStringLiteral("collapsed")).toBool())
            continue;
        const QString name = line.value(QStringLiteral("splitView")).toString();
        const int index = line.value(QStringLiteral("index")).toInt();
        SCOPED_TRACE(QStringLiteral("%1 %2 taken %3 beside its line").arg(name).arg(index).arg(offset).toStdString());
        // Each divider moves the way its limits leave it room: first towards
        // the start, which squeezes no pane beyond (the code view's row
        // grows with the left column's divider moving left).
        EXPECT_TRUE(dragDivider(session, name, index, offset, -16, 1) || dragDivider(session, name, index, offset, 16));
        moved.append({name, index});
        offset = offset == 2 ? -2 : offset + 1;
    }
    EXPECT_GE(moved.size(), 6);
    QList<int> positions;
    for (const auto &[name, index] : moved)
        positions.append(dividerPosition(session, name, index));

    ASSERT_TRUE(session.quit());
    ASSERT_TRUE(session.launch(Session::Launch::Again)) << session.logTail().toStdString();
    QStringList before;
    QStringList after;
    for (qsizetype i = 0; i < moved.size(); ++i) {
        before.append(QStringLiteral("%1 %2: %3").arg(moved[i].first).arg(moved[i].second).arg(positions[i]));
        after.append(QStringLiteral("%1 %2: %3").arg(moved[i].first).arg(moved[i].second)
                         .arg(dividerPosition(session, moved[i].first, moved[i].second)));
    }
    EXPECT_EQ(after.join(u'\n').toStdString(), before.join(u'\n').toStdString());
}

} // namespace PreviewFirstTest
