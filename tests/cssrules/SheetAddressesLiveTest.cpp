#include "LivePanel.h"

#include "platform/web/engine/WebPage.h"
#include "platform/web/engine/WebView.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace SheetAddressesLiveTest {

namespace {

// One rule of its own in each sheet, on a line after the first, for the
// element #t; the page links each sheet in one address form.
struct Form
{
    const char *name;
    const char *file;      // where the text is, from the project's root
    const char *selector;  // its rule for #t
    const char *shownFile; // the file the panel names
};

const Form kForms[] = {
    {"a version query", "assets/css/query.css", ".q", "query.css"},
    {"a fragment", "assets/css/fragment.css", ".f", "fragment.css"},
    {"\"./\" and \"../\" on the way", "assets/css/dots.css", ".d", "dots.css"},
    {"an encoded blank", "assets/css/my sheet.css", ".s", "my sheet.css"},
    {"an encoded accented letter", "assets/css/café.css", ".c", "café.css"},
    {"an import", "assets/css/import.css", ".i1", "import.css"},
    {"an import of an import", "assets/css/level1.css", ".i2", "level1.css"},
    {"an import three deep", "assets/css/deep/level2.css", ".i3", "level2.css"},
    {"a media attribute", "assets/css/media.css", ".m", "media.css"},
    {"the same file linked twice", "assets/css/twice.css", ".tw", "twice.css"},
    {"a folder link of the project", "assets/theme/linked.css", ".l", "linked.css"},
    {"a file link of the project", "assets/css/alias.css", ".a", "alias.css"},
    {"a base address", "assets/css/based.css", ".b", "based.css"},
};

// The custom property the sheet's rule sets, named after its class: the
// page's value of it on #t is that sheet's alone.
QByteArray propertyOf(const char *selector)
{
    return "--" + QByteArray(selector).mid(1);
}

QByteArray sheetOf(const char *selector)
{
    return QByteArray("/* ") + selector + " */\n.other { color: gray; }\n" + selector + " {\n  " + propertyOf(selector) + ": 1px;\n}\n";
}

const QByteArray kPage = "<!DOCTYPE html><html><head><title>Forms</title>\n"
                         "<base href=\"../assets/\">\n"
                         "<link rel=stylesheet href=\"css/query.css?v=3.1.0\">\n"
                         "<link rel=stylesheet href=\"css/fragment.css#main\">\n"
                         "<link rel=stylesheet href=\"./../assets/css/./dots.css\">\n"
                         "<link rel=stylesheet href=\"css/my%20sheet.css\">\n"
                         "<link rel=stylesheet href=\"css/caf%C3%A9.css\">\n"
                         "<link rel=stylesheet href=\"css/import.css\">\n"
                         "<link rel=stylesheet href=\"css/media.css\" media=\"screen and (min-width: 10px)\">\n"
                         "<link rel=stylesheet href=\"css/print.css\" media=print>\n"
                         "<link rel=stylesheet href=\"css/twice.css\">\n"
                         "<link rel=stylesheet href=\"css/twice.css?v=2\">\n"
                         "<link rel=stylesheet href=\"theme/linked.css\">\n"
                         "<link rel=stylesheet href=\"css/alias.css\">\n"
                         "<link rel=stylesheet href=\"css/based.css?v=1#x\">\n"
                         "<style>.inline { color: red; }</style>\n"
                         "</head><body><p id=t class=\"q f d s c i1 i2 i3 m tw l a b\">x</p></body></html>\n";

// The project's files with their bytes, links left out (their targets are listed).
QMap<QString, QByteArray> filesOf(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (QFileInfo(path).fileName().startsWith(u'.'))
            continue;
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            files.insert(QDir(folder).relativeFilePath(path), file.readAll());
    }
    return files;
}

class SheetAddresses : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QList<std::pair<QString, QByteArray>> files{{QStringLiteral("pages/forms.html"), kPage}};
        for (const Form &form : kForms) {
            QByteArray text = sheetOf(form.selector);
            if (QByteArray(form.selector) == ".i1")
                text = "@import url(\"level1.css\");\n" + text;
            if (QByteArray(form.selector) == ".i2")
                text = "@import \"deep/level2.css\";\n" + text;
            // Links are made below; their texts live elsewhere.
            if (QByteArray(form.selector) == ".l" || QByteArray(form.selector) == ".a")
                continue;
            files.append({QString::fromUtf8(form.file), text});
        }
        files.append({QStringLiteral("assets/css/print.css"), sheetOf(".p")});
        files.append({QStringLiteral("vendor/theme/linked.css"), sheetOf(".l")});
        files.append({QStringLiteral("vendor/alias-target.css"), sheetOf(".a")});
        for (const auto &[name, content] : files)
            live.fixture->writeFile(name, content);
        const QDir root(live.fixture->folder());
        ASSERT_TRUE(QFile::link(QStringLiteral("../vendor/theme"), root.filePath(QStringLiteral("assets/theme"))));
        ASSERT_TRUE(QFile::link(QStringLiteral("../../vendor/alias-target.css"), root.filePath(QStringLiteral("assets/css/alias.css"))));
        before = filesOf(live.fixture->folder());
        // The page reads its project's folder, as the program lets it.
        const QString folder = live.fixture->folder();
        live.fixture->view().webPage()->setReadableFolders([folder](const QUrl &) { return QStringList{folder}; });
        ASSERT_TRUE(live.load({}, QStringLiteral("pages/forms.html")));
        // The sheets the page loaded, as the preview offers them.
        QList<File *> sheets;
        for (const Form &form : kForms) {
            File *file = live.file(QString::fromUtf8(form.file));
            ASSERT_TRUE(file) << form.name;
            sheets.append(file);
        }
        sheets.append(live.file(QStringLiteral("assets/css/print.css")));
        testing::internal::CaptureStderr();
        live.panel.setAndRefreshStyleFiles(sheets);
        const bool selected = live.select(live.element(QStringLiteral("t")));
        live.panel.refreshStyleFiles();
        refreshLog = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(selected);
    }

    void TearDown() override { live.fixture->view().webPage()->setReadableFolders({}); }

    LivePanel live;
    QMap<QString, QByteArray> before;
    std::string refreshLog;
};

} // namespace

// Whatever form its address has, every sheet is listed once, its rule for
// the element shown with its file and line, edited in the page, and written
// into its own file alone (#86).
TEST_F(SheetAddresses, EverySheetIsListedEditedAndWrittenIntoItsOwnFile)
{
    const QList<File *> sorted = live.panel.getSortedStyleFiles();
    for (const Form &form : kForms) {
        File *file = live.file(QString::fromUtf8(form.file));
        EXPECT_EQ(sorted.count(file), 1) << form.name;
        EXPECT_TRUE(live.panel.styleSheetWithFile(file)) << form.name;
        int rows = 0;
        for (const CSSRulePtr &row : live.panel.rules())
            rows += row->displayName() == QLatin1String(form.selector);
        EXPECT_EQ(rows, 1) << form.name;
        const CSSRulePtr rule = live.ruleRow(QString::fromLatin1(form.selector));
        if (!rule)
            continue;
        // The line of its selector, after the comment and the rule before it.
        const QString text = *file->currentContent();
        const qsizetype line = text.left(text.indexOf(u'\n' + QString::fromLatin1(form.selector) + QStringLiteral(" {"))).count(u'\n') + 2;
        EXPECT_EQ(rule->fileName(), QString::fromUtf8(form.shownFile) + QStringLiteral(":%1").arg(line)) << form.name;
    }

    // A sheet for print only is listed with the others.
    File *print = live.file(QStringLiteral("assets/css/print.css"));
    EXPECT_EQ(sorted.count(print), 1);
    const QList<CSSRulePtr> all = live.panel.getAlls();
    EXPECT_TRUE(std::any_of(all.cbegin(), all.cend(), [print](const CSSRulePtr &row) {
        return row->displayName() == u".p" && row->relatedFile() == print;
    }));

    // An edit of each, the page showing it at once.
    int px = 10;
    for (const Form &form : kForms) {
        const QString name = QString::fromLatin1(propertyOf(form.selector));
        const CSSRulePtr row = LivePanel::declaration(live.ruleRow(QString::fromLatin1(form.selector)), name);
        ASSERT_TRUE(row) << form.name;
        ASSERT_TRUE(live.selectRow(row));
        const QString value = QStringLiteral("%1px").arg(px++);
        live.panel.commitCSSValueChange(row, value, true);
        live.settleWrites();
        EXPECT_EQ(settledComputedValue(*live.fixture, QStringLiteral("t"), name, value), value) << form.name;
        ASSERT_TRUE(live.select(live.element(QStringLiteral("t"))));
    }
    live.panel.saveDocument();

    QMap<QString, QByteArray> expected = before;
    px = 10;
    for (const Form &form : kForms) {
        QString file = QString::fromUtf8(form.file);
        if (file == u"assets/theme/linked.css")
            file = QStringLiteral("vendor/theme/linked.css");
        if (file == u"assets/css/alias.css")
            file = QStringLiteral("vendor/alias-target.css");
        ASSERT_TRUE(expected.contains(file)) << form.name;
        const QByteArray declaration = QByteArray(form.selector) + " {\n  " + propertyOf(form.selector) + ": ";
        expected[file].replace(declaration + "1px;", declaration + QByteArray::number(px++) + "px;");
    }
    const QMap<QString, QByteArray> after = filesOf(live.fixture->folder());
    EXPECT_EQ(after.keys(), expected.keys());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        EXPECT_EQ(after.value(it.key()).toStdString(), it.value().toStdString()) << it.key().toStdString();
    // The links are links still.
    EXPECT_TRUE(QFileInfo(live.fixture->folder() + QStringLiteral("/assets/css/alias.css")).isSymLink());
    EXPECT_TRUE(QFileInfo(live.fixture->folder() + QStringLiteral("/assets/theme")).isSymLink());
}

// The sheets that are not listed are named in the log with the reason.
TEST_F(SheetAddresses, TheLogSaysWhyASheetIsNotListed)
{
    EXPECT_NE(refreshLog.find("a <style> element's sheet is part of the page's HTML"), std::string::npos) << refreshLog;
    EXPECT_NE(refreshLog.find("twice.css is linked again later in the page"), std::string::npos) << refreshLog;
}

} // namespace SheetAddressesLiveTest
