#include "SessionTest.h"

#include <QJsonObject>

namespace StyleAttributeUndoTest {

using namespace Shown;

namespace {

const QString kPage = QStringLiteral("undo-style.html");

class StyleAttributeUndo : public SessionTest
{
protected:
    // Whether the paragraph has a style attribute in the page itself.
    bool styledInPage()
    {
        return session
            .ask({{QStringLiteral("q"), QStringLiteral("page")},
                  {QStringLiteral("expression"), QStringLiteral("document.getElementById('plain').hasAttribute('style')")}})
            .value(QStringLiteral("value"))
            .toBool();
    }
    QString plainRow()
    {
        for (const QString &row : session.rows(QStringLiteral("domTreeOutlineView"))) {
            if (row.contains(QLatin1String("id=\"plain\"")))
                return row;
        }
        return {};
    }
};

} // namespace

// A display chosen in the Style Attribute pane for a paragraph the author
// gave no style, then undone: the page has no style attribute, as the file
// has none, and the DOM tree shows none.
TEST_F(StyleAttributeUndo, UndoOfAStylePaneEditOnAnUnstyledElementLeavesNoAttributeInThePage)
{
    ASSERT_NO_FATAL_FAILURE(openSite("undo-style.html", "Undo Style"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down", "plain"));
    // The pane takes input once it shows the paragraph.
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
        return session.ask({{QStringLiteral("q"), QStringLiteral("widget")}, {QStringLiteral("name"), QStringLiteral("display")}})
            .value(QStringLiteral("enabled"))
            .toBool();
    }));
    ASSERT_TRUE(session.clickWidget(QStringLiteral("display")));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state.contains(QStringLiteral("popup")); }));
    session.key(QStringLiteral("Down Return"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("canUndo")].toBool(); }));
    ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return styledInPage(); }));
    ASSERT_TRUE(plainRow().contains(QLatin1String("style="))) << plainRow().toStdString();

    // The keys go to the tree.
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QStringLiteral("<body>")));
    session.key(QStringLiteral("ctrl+z"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return state[QStringLiteral("canRedo")].toBool(); }));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return !styledInPage(); }, 5000));
    EXPECT_EQ(plainRow().toStdString(), "<p id=\"plain\">...</p>");
    session.key(QStringLiteral("ctrl+s"));
    EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(kPage) == session.original(kPage); }, 5000))
        << session.onDisk(kPage).toStdString();
    EXPECT_EQ(changed(), "");
}

} // namespace StyleAttributeUndoTest
