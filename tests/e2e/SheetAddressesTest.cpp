#include "SessionTest.h"

#include <QFile>
#include <QFileInfo>

namespace SheetAddressesTest {

using namespace Shown;

namespace {

// One sheet of the fixture, the rule it has for the page's element, the
// length that rule sets, and where the rule is shown (file and line).
struct Sheet
{
    const char *path; // where its bytes are, from the project's root
    const char *selector;
    const char *property;
    const char *shown;
};

const Sheet kForms[] = {
    {"addresses/assets/css/query.css", ".q", "margin-left", "query.css:6"},
    {"addresses/assets/css/fragment.css", ".f", "margin-right", "fragment.css:6"},
    {"addresses/assets/css/dots.css", ".d", "margin-top", "dots.css:6"},
    {"addresses/assets/css/my sheet.css", ".s", "margin-bottom", "my sheet.css:6"},
    {"addresses/assets/css/café.css", ".c", "padding-left", "café.css:6"},
    {"addresses/assets/css/import.css", ".i1", "min-width", "import.css:7"},
    {"addresses/assets/css/level1.css", ".i2", "min-height", "level1.css:7"},
    {"addresses/assets/css/deep/level2.css", ".i3", "padding-right", "level2.css:6"},
    {"addresses/assets/css/media.css", ".m", "padding-top", "media.css:6"},
    {"addresses/assets/css/twice.css", ".tw", "padding-bottom", "twice.css:6"},
    {"addresses/vendor/alias-target.css", ".a", "text-indent", "alias.css:6"},
    {"addresses/vendor/theme/linked.css", ".l", "max-width", "linked.css:6"},
};

class SheetAddresses : public SessionTest
{
protected:
    // Opens a page of the addresses folder from the file tree.
    void openPage(const char *page, const char *title)
    {
        ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("addresses")));
        session.key(QStringLiteral("Right"));
        ASSERT_TRUE(session.clickRow(QStringLiteral("finderView"), QStringLiteral("pages")));
        session.key(QStringLiteral("Right"));
        ASSERT_TRUE(session.openPage(QString::fromLatin1(page)));
        ASSERT_TRUE(session.waitFor([&](const QJsonObject &state) { return titled(state, title); }));
    }
    // Each sheet's bytes with its length set to the number.
    static QByteArray edited(const QByteArray &bytes, const Sheet &sheet, int number)
    {
        const QByteArray declaration = QByteArray("  ") + sheet.property + ": ";
        return with(bytes, (declaration + "1px;").constData(), (declaration + QByteArray::number(number) + "px;").constData());
    }
};

} // namespace

// A page links its sheets in every form an address takes (a version query,
// a fragment, "./" and "../", percent-encoded names, imports three deep, a
// media attribute, the same file twice, a file and a folder reached through
// links of the project): each sheet's rule is listed with its file and line,
// edited in the rules panel, and saved into its own file alone; the log says
// why the sheets that are not listed are not (#86).
TEST_F(SheetAddresses, EverySheetOfThePageIsListedEditedAndSavedIntoItsOwnFile)
{
    const QString link = session.projectPath() + QStringLiteral("/addresses/assets/css/alias.css");
    ASSERT_TRUE(QFile::link(QStringLiteral("../../vendor/alias-target.css"), link));
    const QString folderLink = session.projectPath() + QStringLiteral("/addresses/assets/theme");
    ASSERT_TRUE(QFile::link(QStringLiteral("../vendor/theme"), folderLink));
    ASSERT_TRUE(session.addProject());
    ASSERT_NO_FATAL_FAILURE(openPage("forms.html", "Addresses"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down", "t"));
    for (const Sheet &sheet : kForms) {
        EXPECT_TRUE(session.waitFor([&](const QJsonObject &state) { return showsRule(state, sheet.selector, sheet.shown); }))
            << sheet.selector << " from " << sheet.shown << " not in " << ruleRows().join(u'|').toStdString();
    }
    // The file linked twice is listed once; the log says why its first link
    // and the page's <style> element are not listed.
    EXPECT_EQ(ruleRows().count(QStringLiteral("padding-bottom: 1px")), 1) << ruleRows().join(u'|').toStdString();
    // (The log is written a moment after the list is shown.)
    QString log;
    const auto logged = [&](const char *line) {
        return session.waitFor([&](const QJsonObject &) {
            log = session.logTail(400);
            return log.contains(QLatin1String(line));
        });
    };
    EXPECT_TRUE(logged("twice.css is linked again later in the page")) << log.toStdString();
    EXPECT_TRUE(logged("a <style> element's sheet is part of the page's HTML")) << log.toStdString();

    int number = 11;
    std::map<QString, QByteArray> expected;
    for (const Sheet &sheet : kForms) {
        const QByteArray row = QByteArray(sheet.property) + ": 1px";
        const QByteArray value = QByteArray(sheet.property) + ": " + QByteArray::number(number) + "px";
        ASSERT_NO_FATAL_FAILURE(editLength(row.constData(), QByteArray::number(number).constData(), value.constData()));
        const QString path = QString::fromUtf8(sheet.path);
        expected[path] = edited(session.original(path), sheet, number++);
    }
    session.key(QStringLiteral("ctrl+s"));
    for (const auto &[path, bytes] : expected) {
        EXPECT_TRUE(session.waitFor([&](const QJsonObject &) { return session.onDisk(path) == bytes; }))
            << path.toStdString() << ":\n" << session.onDisk(path).toStdString();
    }
    // Every other file as it was; the links, which the fixture does not
    // have, still links to the files edited.
    QStringList changed = session.changedFiles();
    changed.sort();
    QStringList edited;
    for (const auto &[path, bytes] : expected)
        edited.append(path);
    // (The walk over the files does not go through the folder's link.)
    edited.append(QStringLiteral("new: addresses/assets/css/alias.css"));
    edited.sort();
    EXPECT_EQ(changed.join(u' ').toStdString(), edited.join(u' ').toStdString());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFileInfo(folderLink).isSymLink());
}

// A page with a base address links its sheet relative to it, with a query.
TEST_F(SheetAddresses, ASheetLinkedThroughABaseAddressIsListedEditedAndSaved)
{
    ASSERT_TRUE(session.addProject());
    ASSERT_NO_FATAL_FAILURE(openPage("based.html", "Based"));
    ASSERT_NO_FATAL_FAILURE(selectInTree("<body>...</body>", "Right Down", "b"));
    ASSERT_TRUE(session.waitFor([](const QJsonObject &state) { return showsRule(state, ".b", "based.css:6"); }))
        << ruleRows().join(u'|').toStdString();
    ASSERT_NO_FATAL_FAILURE(editLength("letter-spacing: 1px", "3", "letter-spacing: 3px"));
    const char *path = "addresses/assets/css/based.css";
    saveAndExpect(path, with(session.original(QString::fromLatin1(path)), "letter-spacing: 1px;", "letter-spacing: 3px;"));
}

} // namespace SheetAddressesTest
