#include "InspectorPanesTest.h"

#include <QFile>
#include <QJsonArray>

// Names where the panes are narrow: what tells files and steps apart stays
// readable (#88).
namespace ReadableNamesTest {

using namespace InspectorPanesTest;

class ReadableNames : public SessionTest
{
};

// A sheet deep in folders of long names: the code header shows its name
// whole before its folders, and the History pane each step's name before
// its age.
TEST_F(ReadableNames, TheCodeHeaderKeepsTheFilesNameAndTheHistoryTheStepsName)
{
    const QByteArray sheet = "p { color: teal; }\n";
    const QString folder = session.makeProject(
        QStringLiteral("harbour-lights-almanac"),
        {{QStringLiteral("index.html"), "<!DOCTYPE html><html><head><title>Almanac</title>"
                                        "<link rel=\"stylesheet\" href=\"stylesheets/harbour-lights.min.css\"></head>"
                                        "<body><p>Tides</p></body></html>"},
         {QStringLiteral("stylesheets/harbour-lights.min.css"), sheet}});
    ASSERT_TRUE(session.addProject(folder));
    ASSERT_TRUE(session.openPage(QStringLiteral("index.html")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return Shown::titled(state, "Almanac"); }));

    // The sheet from the file tree: its folder opened, then the file.
    ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("stylesheets")));
    session.key(QStringLiteral("Right"));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        return session.rows(QStringLiteral("finderView")).contains(QStringLiteral("harbour-lights.min.css"));
    }));
    ASSERT_TRUE(session.openPage(QStringLiteral("harbour-lights.min.css")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return state.value(QStringLiteral("codeFile")).toString().endsWith(QLatin1String("harbour-lights.min.css"));
    }));
    const QJsonObject state = session.state();
    EXPECT_EQ(state.value(QStringLiteral("codeHeader")).toString(),
              QStringLiteral("harbour-lights-almanac > stylesheets > harbour-lights.min.css"));
    const QString header = state.value(QStringLiteral("codeHeaderShown")).toString();
    EXPECT_TRUE(header.endsWith(QLatin1String(" > harbour-lights.min.css"))) << header.toStdString();

    // The History tab beside the resources: the sheet's first step, named.
    const QJsonObject tabs = widgetAnswer(session, "resouceSegmentControl");
    session.click(QPoint(tabs.value(QStringLiteral("x")).toInt() + tabs.value(QStringLiteral("w")).toInt() * 3 / 4,
                         tabs.value(QStringLiteral("y")).toInt() + tabs.value(QStringLiteral("h")).toInt() / 2));
    QJsonArray steps;
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        steps = widgetAnswer(session, "rolebackview").value(QStringLiteral("shown")).toArray();
        return !steps.isEmpty() && session.widget(QStringLiteral("rolebackview")).isValid();
    }));
    EXPECT_TRUE(steps.first().toString().startsWith(QLatin1String("As opened"))) << steps.first().toString().toStdString();

    QFile written(folder + QStringLiteral("/stylesheets/harbour-lights.min.css"));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), sheet);
    EXPECT_EQ(changed(), "");
}

} // namespace ReadableNamesTest
