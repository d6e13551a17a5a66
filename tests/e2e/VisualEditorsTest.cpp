#include "SessionTest.h"

#include <QJsonObject>

namespace VisualEditorsTest {

using namespace Shown;

namespace {

class VisualEditors : public SessionTest
{
protected:
    // Opens a declaration's popover editor with a double click on its row.
    void openEditor(const char *row, const char *field)
    {
        ASSERT_TRUE(session.clickRow(QStringLiteral("cssRulesOutline"), QString::fromLatin1(row), 2));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &) { return session.widget(QString::fromLatin1(field)).isValid(); }));
    }
    // Types over a field of the open editor, then closes the popover, which commits.
    void typeAndClose(const char *field, const char *text, const char *edited)
    {
        ASSERT_TRUE(session.fill(QString::fromLatin1(field), QString::fromLatin1(text)));
        session.key(QStringLiteral("Return Escape"));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &) {
            return session.rows(QStringLiteral("cssRulesOutline")).contains(QString::fromLatin1(edited));
        })) << session.rows(QStringLiteral("cssRulesOutline")).join(u'|').toStdString();
    }
};

} // namespace

// A colour typed by its name and a decimal typed into a shadow's blur reach
// a minified sheet as typed, and nothing else of it changes (#66).
TEST_F(VisualEditors, AColourNameAndADecimalTypedIntoThePopoversReachTheMinifiedSheetAsTyped)
{
    ASSERT_NO_FATAL_FAILURE(openSite("editors.html", "Editors"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down", "badge"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".badge", "editors.min.css:1"); }));

    ASSERT_NO_FATAL_FAILURE(openEditor("color: #fff", "hexTextInput"));
    ASSERT_NO_FATAL_FAILURE(typeAndClose("hexTextInput", "antiquewhite", "color: antiquewhite"));

    ASSERT_NO_FATAL_FAILURE(openEditor("box-shadow: 0 .5rem 1rem rgba(0,0,0,.15),inset 0 1px 0 rgba(255,255,255,.15)", "blur"));
    ASSERT_NO_FATAL_FAILURE(typeAndClose("blur", "2.5", "box-shadow: 0 .5rem 2.5rem rgba(0,0,0,.15),inset 0 1px 0 rgba(255,255,255,.15)"));

    QByteArray expected = session.original(QStringLiteral("css/editors.min.css"));
    expected.replace(".badge{display:inline-block;color:#fff;box-shadow:0 .5rem 1rem rgba(0,0,0,.15),",
                     ".badge{display:inline-block;color:antiquewhite;box-shadow:0 .5rem 2.5rem rgba(0,0,0,.15),");
    // The keys go to the tree.
    ASSERT_TRUE(session.clickRow(QStringLiteral("domTreeOutlineView"), QStringLiteral("<div class=\"badge\">...</div>")));
    saveAndExpect("css/editors.min.css", expected);
}

} // namespace VisualEditorsTest
