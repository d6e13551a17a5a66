#include "SessionTest.h"

#include <QJsonArray>
#include <QJsonObject>

namespace InspectorPanesTest {

using namespace Shown;

namespace {

QJsonObject widgetAnswer(Session &session, const char *name)
{
    return session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QString::fromLatin1(name)}});
}

int rowRoom(Session &session, const char *view)
{
    return widgetAnswer(session, view).value(QStringLiteral("rowRoom")).toInt();
}

// The labels of the style attribute's editors wholly in sight.
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

class InspectorPanes : public SessionTest
{
protected:
    // The divider between the attributes and the style attribute: the line
    // under the attributes' list.
    QPoint attributesDivider()
    {
        const QRect list = session.widget(QStringLiteral("domInfo"));
        return QPoint(list.center().x(), list.bottom() + 1);
    }
};

} // namespace

TEST_F(InspectorPanes, TheStyleAttributeOpensWithFiveEditorsUnderTheTreesTenRowsAndTheAttributesFive)
{
    EXPECT_GE(rowRoom(session, "domTreeOutlineView"), 10);
    EXPECT_GE(rowRoom(session, "domInfo"), 5);
    const QStringList shown = styleEditorsShown(session);
    EXPECT_EQ(shown.mid(0, 5), (QStringList{"Display", "Position", "Float", "Width", "Height"})) << shown.join(u',').toStdString();

    // So it opens again, and with a page shown.
    ASSERT_TRUE(session.quit());
    ASSERT_TRUE(session.launch(Session::Launch::Again)) << session.logTail().toStdString();
    ASSERT_NO_FATAL_FAILURE(openSite("index.html", "Harbour Lights"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body class=\"js\">...</body>", "Right Down Down Right Down", "intro"));
    EXPECT_GE(rowRoom(session, "domTreeOutlineView"), 10);
    EXPECT_GE(rowRoom(session, "domInfo"), 5);
    EXPECT_GE(styleEditorsShown(session).size(), 5) << styleEditorsShown(session).join(u',').toStdString();
    EXPECT_EQ(changed(), "");
}

TEST_F(InspectorPanes, TheDividerAboveTheStyleAttributeStopsShortOfCollapsingAndIsKeptAcrossARestart)
{
    const QRect list = session.widget(QStringLiteral("domInfo"));
    ASSERT_TRUE(list.isValid());
    // Dragged far past the attributes' top, it stops with their list still there.
    session.drag(attributesDivider(), QPoint(list.center().x(), list.top() - 150));
    const QRect squeezed = session.widget(QStringLiteral("domInfo"));
    ASSERT_TRUE(squeezed.isValid());
    EXPECT_LT(squeezed.height(), list.height());
    EXPECT_GE(squeezed.height(), 20) << text(squeezed);

    // And it comes back, below where it was.
    const QPoint divider = attributesDivider();
    session.drag(divider, QPoint(divider.x(), list.bottom() + 31));
    const QRect lowered = session.widget(QStringLiteral("domInfo"));
    EXPECT_NEAR(lowered.bottom(), list.bottom() + 30, 2) << text(lowered);
    const QRect styleAttribute = session.widget(QStringLiteral("EditorView"));
    const QRect tree = session.widget(QStringLiteral("domTreeOutlineView"));

    ASSERT_TRUE(session.quit());
    ASSERT_TRUE(session.launch(Session::Launch::Again)) << session.logTail().toStdString();
    EXPECT_EQ(text(session.widget(QStringLiteral("domInfo"))), text(lowered));
    EXPECT_EQ(text(session.widget(QStringLiteral("EditorView"))), text(styleAttribute));
    EXPECT_EQ(text(session.widget(QStringLiteral("domTreeOutlineView"))), text(tree));
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
