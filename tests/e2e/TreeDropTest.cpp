#include "SessionTest.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

namespace TreeDropTest {

using namespace Shown;

namespace {

const QByteArray kButtons = "<!DOCTYPE html>\n"
                            "<html>\n"
                            "<head>\n"
                            "  <title>Buttons</title>\n"
                            "</head>\n"
                            "<body>\n"
                            "  <button id=\"cancel\">Cancel</button>\n"
                            "  <button id=\"ok\"><span>OK</span></button>\n"
                            "</body>\n"
                            "</html>\n";

class TreeDrop : public SessionTest
{
protected:
    QByteArray page() const
    {
        QFile file(m_folder + QStringLiteral("/index.html"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QString pageValue(const QString &expression)
    {
        return session.ask({{QStringLiteral("q"), QStringLiteral("page")}, {QStringLiteral("expression"), expression}})
            .value(QStringLiteral("value"))
            .toVariant()
            .toString();
    }
    QRect treeRow(const char *text) { return session.row(QStringLiteral("domTreeOutlineView"), QString::fromLatin1(text)); }

    QString m_folder;
};

} // namespace

// #84: a button dragged into another button (before its label, or onto the
// label) would be saved nested and read back by a browser as two buttons
// side by side: the drop is refused and the file stays as it is. Dropped
// onto the other button's row it goes after it, as onto a picture.
TEST_F(TreeDrop, AButtonDraggedIntoAButtonIsRefusedAndOntoItGoesAfterIt)
{
    m_folder = session.makeProject(QStringLiteral("buttons"), {{QStringLiteral("index.html"), kButtons}});
    ASSERT_FALSE(m_folder.isEmpty());
    ASSERT_TRUE(session.addProject(m_folder));
    ASSERT_TRUE(session.openPage(QStringLiteral("index.html")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return titled(state, "Buttons"); }));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down Down Right", "ok"));
    const char *cancel = "<button id=\"cancel\">...</button>";
    const char *label = "<span>...</span>";
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return treeRow(label).isValid(); }));

    const QRect into = treeRow(label);
    session.drag(treeRow(cancel).center(), QPoint(into.center().x(), into.top() + 1));
    session.drag(treeRow(cancel).center(), into.center());
    session.key(QStringLiteral("ctrl+s"));
    EXPECT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("unsaved")].toArray().isEmpty(); }));
    EXPECT_EQ(page().toStdString(), kButtons.toStdString());
    EXPECT_EQ(pageValue(QStringLiteral("document.querySelectorAll('button button').length")), QStringLiteral("0"));

    session.drag(treeRow(cancel).center(), treeRow("<button id=\"ok\">").center());
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        return pageValue(QStringLiteral("document.getElementById('ok').nextElementSibling.id")) == QLatin1String("cancel");
    }));
    session.key(QStringLiteral("ctrl+s"));
    QByteArray expected = kButtons;
    expected.replace("  <button id=\"cancel\">Cancel</button>\n  <button id=\"ok\"><span>OK</span></button>\n",
                     "  <button id=\"ok\"><span>OK</span></button>\n  <button id=\"cancel\">Cancel</button>\n");
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return page() == expected; })) << page().toStdString();
    EXPECT_EQ(changed(), "");
}

} // namespace TreeDropTest
