#include "SessionTest.h"

#include <QFileInfo>

// Every dialog and field the user is sent to has the keyboard, without a
// click into it first (#79).
namespace KeyboardFocusTest {

using namespace Shown;

class KeyboardFocus : public testing::Test
{
protected:
    void TearDown() override
    {
        if (HasFailure())
            session.reportFailure(QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name()));
    }

    bool hasKeys(const char *focus)
    {
        return session.waitFor([focus](const QJsonObject &state) {
            return state.value(QStringLiteral("modalActive")).toBool() && state.value(QStringLiteral("focus")) == QLatin1String(focus);
        }, 10000);
    }

    Session session;
};

TEST_F(KeyboardFocus, TheFirstLaunchQuestionTheProjectPanelAndTheAttributesTakeTheKeys)
{
    ASSERT_TRUE(session.launch(Session::Launch::FirstWithQuestion)) << session.logTail().toStdString();
    // The question closes with Escape.
    ASSERT_TRUE(hasKeys("fileNameEdit")) << session.state().value(QStringLiteral("activeWindow")).toString().toStdString();
    session.key(QStringLiteral("Escape"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) {
        return !state.contains(QStringLiteral("modal")) && state.value(QStringLiteral("activeWindow")) == QLatin1String("Quillmark");
    }));

    // The Add Project panel takes the typed path at once.
    session.key(QStringLiteral("ctrl+shift+o"));
    ASSERT_TRUE(hasKeys("fileNameEdit"));
    session.type(session.projectPath());
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) {
        return state.value(QStringLiteral("focusText")).toString() == session.projectPath();
    }));
    session.key(QStringLiteral("Return"));
    const QString name = QFileInfo(session.projectPath()).fileName();
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) {
        return !state.contains(QStringLiteral("modal")) && session.rows(QStringLiteral("finderView")).contains(name);
    }));

    // F2 edits the selected attribute's value.
    ASSERT_TRUE(session.openPage(QStringLiteral("index.html")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return titled(state, "Harbour Lights"); }));
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QStringLiteral("<body class=\"js\">...</body>")));
    session.key(QStringLiteral("Right Down Down Right Down"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return selected(state, "intro"); }));
    ASSERT_TRUE(session.clickRow(QStringLiteral("domInfo"), QStringLiteral("id")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state.value(QStringLiteral("focus")) == QLatin1String("domInfo"); }));
    session.key(QStringLiteral("F2"));
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return state.value(QStringLiteral("focusText")) == QLatin1String("intro"); }))
        << session.state().value(QStringLiteral("focus")).toString().toStdString();
    session.key(QStringLiteral("Escape"));
    EXPECT_EQ(session.changedFiles().join(u' ').toStdString(), "");
}

} // namespace KeyboardFocusTest
