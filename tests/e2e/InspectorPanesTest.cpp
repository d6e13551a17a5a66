#include "InspectorPanesTest.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QScreen>

#include <cmath>

namespace InspectorPanesTest {

using namespace Shown;

QJsonObject widgetAnswer(Session &session, const char *name)
{
    return session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QString::fromLatin1(name)}});
}

int rowRoom(Session &session, const char *view)
{
    return widgetAnswer(session, view).value(QStringLiteral("rowRoom")).toInt();
}

QStringList styleEditorsShown(Session &session)
{
    QStringList labels;
    const QJsonArray shown = session.ask({{QStringLiteral("q"), QStringLiteral("formRows")}, {QStringLiteral("name"), QStringLiteral("EditorView")}})
                                 .value(QStringLiteral("shown"))
                                 .toArray();
    for (const QJsonValue &label : shown)
        labels.append(label.toString());
    return labels;
}

std::string text(const QRect &rect)
{
    return QStringLiteral("%1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()).toStdString();
}

QSize screenSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize();
}

Room roomOnThisScreen()
{
    const int height = screenSize().height();
    if (height >= 1080)
        return {int(std::ceil(height * 0.45)), 8, 3, 5};
    return {int(std::ceil(height * 0.40)), 4, 2, 3};
}

QJsonObject divider(Session &session, const QString &splitView, int index)
{
    const QJsonArray all = session.ask({{QStringLiteral("q"), QStringLiteral("dividers")}}).value(QStringLiteral("dividers")).toArray();
    for (const QJsonValue &each : all) {
        const QJsonObject divider = each.toObject();
        if (divider.value(QStringLiteral("splitView")).toString() == splitView && divider.value(QStringLiteral("index")).toInt() == index)
            return divider;
    }
    return {};
}

int dividerPosition(Session &session, const QString &splitView, int index)
{
    return divider(session, splitView, index).value(QStringLiteral("position")).toInt(-1);
}

bool dragDivider(Session &session, const QString &splitView, int index, int offset, int by, int attempts)
{
    // A drag that did not take (the pointer came before the window had
    // settled) is made again, as a user would.
    for (int attempt = 0; attempt < attempts; ++attempt) {
        const QJsonObject line = divider(session, splitView, index);
        if (line.isEmpty())
            return false;
        const int before = line.value(QStringLiteral("position")).toInt();
        const bool sideBySide = line.value(QStringLiteral("sideBySide")).toBool();
        const QRect rect(line.value(QStringLiteral("x")).toInt(), line.value(QStringLiteral("y")).toInt(),
                         line.value(QStringLiteral("w")).toInt(), line.value(QStringLiteral("h")).toInt());
        const QPoint along = sideBySide ? QPoint(1, 0) : QPoint(0, 1);
        // On the line's leading pixel, `offset` beside it.
        const QPoint from = (sideBySide ? QPoint(rect.left(), rect.center().y()) : QPoint(rect.center().x(), rect.top()))
            + along * offset;
        session.drag(from, from + along * by);
        if (session.waitFor([&](const QJsonObject &) { return dividerPosition(session, splitView, index) != before; }, 3000))
            return true;
    }
    return false;
}

void InspectorPanes::expectRoomForTheWork(const char *when)
{
    SCOPED_TRACE(when);
    const Room room = roomOnThisScreen();
    const QRect preview = session.widget(QStringLiteral("centerTopPane"));
    EXPECT_GE(preview.height(), room.preview) << text(preview);
    EXPECT_GE(rowRoom(session, "domTreeOutlineView"), room.treeRows);
    EXPECT_GE(rowRoom(session, "domInfo"), room.attributeRows);
    const QStringList editors = styleEditorsShown(session);
    EXPECT_GE(editors.size(), room.styleEditors) << editors.join(u',').toStdString();
}

// A first launch, and a start after quitting on a screen of the other size,
// give the preview most of the height and each inspector room for the rows
// of its work (#79).
TEST_F(InspectorPanes, ThePreviewKeepsMostOfTheHeightBesideReadableInspectorsAtFirstAndAfterAnotherScreen)
{
    expectRoomForTheWork("first launch");
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body class=\"js\">...</body>", "Right Down Down Right Down", "intro"));
    expectRoomForTheWork("with a page");

    // Quit on the other screen: its run left the windows docked there and
    // the inspectors at the heights it gave them.
    ASSERT_TRUE(session.quit());
    const bool large = screenSize().height() >= 1080;
    const QString otherScreen = large ? QStringLiteral("0 0 1280 800") : QStringLiteral("0 0 1920 1080");
    const QString main = large ? QStringLiteral("0 0 978 800 ") : QStringLiteral("0 0 1618 1080 ");
    const QString inspector = large ? QStringLiteral("980 0 300 800 ") : QStringLiteral("1620 0 300 1080 ");
    ASSERT_TRUE(session.setDefault(QStringLiteral("NSWindow Frame mainWindow"), main + otherScreen));
    ASSERT_TRUE(session.setDefault(QStringLiteral("NSWindow Frame StyleInspector"), inspector + otherScreen));
    ASSERT_TRUE(session.setDefault(QStringLiteral("lastRightPaneHeight"), large ? 120.0 : 193.0));
    ASSERT_TRUE(session.setDefault(QStringLiteral("lastAttributePaneHeight"), large ? 92.0 : 170.0));
    ASSERT_TRUE(session.setDefault(QStringLiteral("lastStyleAttributePaneHeight"), large ? 153.0 : 213.0));
    ASSERT_TRUE(session.launch(Session::Launch::Again)) << session.logTail().toStdString();
    expectRoomForTheWork("after quitting on the other screen");
    EXPECT_EQ(changed(), "");
}

TEST_F(InspectorPanes, TheDividerAboveTheStyleAttributeStopsShortOfCollapsingAndIsKeptAcrossARestart)
{
    const QRect list = session.widget(QStringLiteral("domInfo"));
    ASSERT_TRUE(list.isValid());
    // Dragged far past the attributes' top, it stops with their list still there.
    const int start = dividerPosition(session, QStringLiteral("rightPaneDomSplitView"), 0);
    ASSERT_TRUE(dragDivider(session, QStringLiteral("rightPaneDomSplitView"), 0, 0, -150));
    const QRect squeezed = session.widget(QStringLiteral("domInfo"));
    ASSERT_TRUE(squeezed.isValid());
    EXPECT_LT(squeezed.height(), list.height());
    EXPECT_GE(squeezed.height(), 20) << text(squeezed);

    // And it comes back, below where it was.
    const int stopped = dividerPosition(session, QStringLiteral("rightPaneDomSplitView"), 0);
    ASSERT_TRUE(dragDivider(session, QStringLiteral("rightPaneDomSplitView"), 0, 0, start - stopped + 30));
    EXPECT_NEAR(dividerPosition(session, QStringLiteral("rightPaneDomSplitView"), 0), start + 30, 2);
    const QRect lowered = session.widget(QStringLiteral("domInfo"));
    const QRect styleAttribute = session.widget(QStringLiteral("EditorView"));
    const QRect tree = session.widget(QStringLiteral("domTreeOutlineView"));

    ASSERT_TRUE(session.quit());
    ASSERT_TRUE(session.launch(Session::Launch::Again)) << session.logTail().toStdString();
    EXPECT_EQ(text(session.widget(QStringLiteral("domInfo"))), text(lowered));
    EXPECT_EQ(text(session.widget(QStringLiteral("EditorView"))), text(styleAttribute));
    EXPECT_EQ(text(session.widget(QStringLiteral("domTreeOutlineView"))), text(tree));
}

// The preview's divider taken down and the projects' divider to the right,
// as a user makes room: the attributes and the style attribute keep their
// rows, and after a restart every divider stands where it was (#88).
TEST_F(InspectorPanes, DividersMovedForRoomComeBackAsTheyWereAndTheInspectorsKeepTheirRows)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body class=\"js\">...</body>", "Right Down Down Right Down", "intro"));
    // Down as far as the DOM tree gives (not at all where it is at its
    // least), and to the right.
    const int preview = dividerPosition(session, QStringLiteral("centerPaneSplitView"), 0);
    dragDivider(session, QStringLiteral("centerPaneSplitView"), 0, 0, 54, 1);
    EXPECT_LE(dividerPosition(session, QStringLiteral("centerPaneSplitView"), 0), preview + 54);
    ASSERT_TRUE(dragDivider(session, QStringLiteral("globalSplitView"), 0, 0, 41));

    const auto layout = [&] {
        QStringList places;
        for (const QJsonValue &each : session.ask({{QStringLiteral("q"), QStringLiteral("dividers")}}).value(QStringLiteral("dividers")).toArray()) {
            const QJsonObject line = each.toObject();
            places.append(QStringLiteral("%1 %2: %3").arg(line.value(QStringLiteral("splitView")).toString())
                              .arg(line.value(QStringLiteral("index")).toInt()).arg(line.value(QStringLiteral("position")).toInt()));
        }
        places.append(QStringLiteral("DOM pane %1 wide").arg(session.widget(QStringLiteral("rightBottomPane")).width()));
        places.append(QStringLiteral("attributes %1 rows").arg(rowRoom(session, "domInfo")));
        places.append(QStringLiteral("style attribute %1").arg(styleEditorsShown(session).join(u',')));
        return places.join(u'\n').toStdString();
    };
    EXPECT_GE(rowRoom(session, "domInfo"), 2);
    EXPECT_GE(styleEditorsShown(session).size(), 3) << styleEditorsShown(session).join(u',').toStdString();
    const std::string before = layout();

    ASSERT_TRUE(session.quit());
    ASSERT_TRUE(session.launch(Session::Launch::Again)) << session.logTail().toStdString();
    EXPECT_EQ(layout(), before);
    EXPECT_EQ(changed(), "");
}

// The attribute inspector's values are edited from a double click on a value
// or a name, and the list keeps its names whole afterwards.
TEST_F(InspectorPanes, ADoubleClickEditsAnAttributeAndTheListStaysAtItsStart)
{
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body class=\"js\">...</body>", "Right Down Down Right Down", "intro"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        return session.rows(QStringLiteral("domInfo")) == QStringList({"id", "class"});
    })) << session.rows(QStringLiteral("domInfo")).join(u',').toStdString();

    // A double click on the value "intro".
    const QRect id = session.row(QStringLiteral("domInfo"), QStringLiteral("id"));
    ASSERT_TRUE(id.isValid());
    session.click(QPoint(id.right() + 20, id.center().y()), 2);
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) {
        return widgetAnswer(session, "domInfo").value(QStringLiteral("editing")).toBool()
            && state.value(QStringLiteral("focusText")).toString() == QLatin1String("intro");
    })) << session.state().value(QStringLiteral("focus")).toString().toStdString();
    session.key(QStringLiteral("End"));
    session.type(QStringLiteral("2"));
    session.key(QStringLiteral("Return"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        return !widgetAnswer(session, "domInfo").value(QStringLiteral("editing")).toBool();
    }));
    EXPECT_EQ(widgetAnswer(session, "domInfo").value(QStringLiteral("scrolledX")).toInt(), 0);
    const auto pageId = [&] {
        return session.ask({{QStringLiteral("q"), QStringLiteral("page")},
                            {QStringLiteral("expression"), QStringLiteral("document.querySelector('p.lead').id")}})
            .value(QStringLiteral("value"))
            .toString();
    };
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return pageId() == QLatin1String("intro2"); }, 5000))
        << pageId().toStdString();
    EXPECT_EQ(widgetAnswer(session, "domInfo").value(QStringLiteral("scrolledX")).toInt(), 0);

    // A double click on the name "class" edits its value; Escape leaves it.
    const QRect className = session.row(QStringLiteral("domInfo"), QStringLiteral("class"));
    ASSERT_TRUE(className.isValid());
    session.click(className.center(), 2);
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) {
        return widgetAnswer(session, "domInfo").value(QStringLiteral("editing")).toBool()
            && state.value(QStringLiteral("focusText")).toString() == QLatin1String("lead");
    }));
    session.key(QStringLiteral("Escape"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        return !widgetAnswer(session, "domInfo").value(QStringLiteral("editing")).toBool();
    }));
    EXPECT_EQ(widgetAnswer(session, "domInfo").value(QStringLiteral("scrolledX")).toInt(), 0);
    // Nothing was saved.
    EXPECT_EQ(changed(), "");
}

} // namespace InspectorPanesTest
