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

class InspectorPanes : public SessionTest
{
};

} // namespace

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
