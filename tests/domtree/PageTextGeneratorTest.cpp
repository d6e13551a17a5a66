#include "TestPrinters.h"

#include "domtree/DOMNodeEx.h"
#include "domtree/DomNodeMap.h"
#include "domtree/PageTextGenerator.h"
#include "platform/foundation/StringEncoding.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/html/HTMLParser.h"
#include "workspace/ProjectUtil.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace PageTextGeneratorTest {

namespace {

QString layoutFolder()
{
    return QStringLiteral(QUILLMARK_TEST_DATA "/layout/");
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A page's tree with the rules given for its marks.
struct Page
{
    explicit Page(const QString &html, const QString &rules = {})
    {
        const QList<IgnoreOptionValue> parsed = ProjectUtil::parseIgnoreOption(rules);
        DOMNodeEx::setIgnoreSettingsProvider([parsed] { return DOMIgnoreSettings{parsed, {}}; });
        generator.setIgnoreOptions(parsed);
        document = HTMLParser::parseDocument(html);
        root = DOMNodeEx::initWithNode(document->documentElement()->shared_from_this(), nullptr);
    }
    ~Page()
    {
        DOMNodeEx::setIgnoreSettingsProvider({});
        DomNodeMap::getInstance().clearMap();
    }
    QString generate(bool minify, bool format = false) const
    {
        return generator.generateContentWithFormat(document.get(), {root}, format, minify);
    }

    PageTextGenerator generator;
    std::shared_ptr<DOMDocument> document;
    DOMNodeExPtr root;
};

// data/layout/NAME.html generated in both layouts, against NAME.indented
// and NAME.minified beside it. With QUILLMARK_UPDATE_GOLDEN set the
// references are written instead.
void expectGolden(const QString &name)
{
    const QString input = readText(layoutFolder() + name + QStringLiteral(".html"));
    ASSERT_FALSE(input.isEmpty()) << name.toStdString();
    const Page page(input);
    for (const bool minify : {false, true}) {
        const QString reference = layoutFolder() + name + (minify ? QStringLiteral(".minified") : QStringLiteral(".indented"));
        const QString actual = page.generate(minify);
        if (qEnvironmentVariableIsSet("QUILLMARK_UPDATE_GOLDEN")) {
            QFile out(reference);
            ASSERT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(actual.toUtf8());
            continue;
        }
        EXPECT_EQ(actual, readText(reference)) << "differs from " << reference.toStdString();
    }
}

} // namespace

TEST(PageTextGenerator, EachLayoutRuleMatchesItsGoldenFile)
{
    const QStringList names = QDir(layoutFolder()).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    ASSERT_GE(names.size(), 13);
    for (const QString &file : names) {
        SCOPED_TRACE(file.toStdString());
        expectGolden(file.chopped(5));
    }
}

TEST(PageTextGenerator, IgnoredRowsAndNamedSnippetsAreAppliedToThePage)
{
    PageTextGenerator::setSnippetProvider([](const QString &title) -> std::optional<QString> {
        if (title == QLatin1String("box"))
            return QStringLiteral("<b>from the snippet</b>");
        return std::nullopt;
    });
    const Page page(QStringLiteral("<!DOCTYPE html><html><body><div id=a>gone</div><div id=b><i>live</i></div>"
                                   "<div id=c>kept</div></body></html>"),
                    QStringLiteral("#a{ignore:true;}\n#b{contentName:box;}\n#c{contentName:none;}"));
    EXPECT_EQ(page.generate(false), QStringLiteral("<!DOCTYPE html>\n<html>\n\t<head></head>\n\t<body>\n\t\t<div id=\"b\"><b>from the snippet</b></div>"
                                                   "\n\t\t<div id=\"c\">kept</div>\n\t</body>\n</html>"));
    // The plain text of a row for the clipboard still names the snippet.
    const DOMNodeEx *b = DomNodeMap::getInstance().nodeExforNode(page.document->getElementById(QStringLiteral("b"))).get();
    EXPECT_EQ(page.generator.concatNodeTree(b, true, false, false),
              QStringLiteral("\n\t\t<div id=\"b\"><b>from the snippet</b></div>"));
    PageTextGenerator::setSnippetProvider({});
}

TEST(PageTextGenerator, CharactersTheEncodingLacksBecomeReferences)
{
    Page page(QStringLiteral("<!DOCTYPE html><html><body><p title=\"caf\u00e9 \u20ac\">\u00e9t\u00e9 \u20ac \U0001F600</p>"
                             "<script>var s = '\u20ac';</script></body></html>"));
    page.generator.setTextEncoding(StringEncoding::ISOLatin1);
    EXPECT_EQ(page.generate(true), QStringLiteral("<!DOCTYPE html><html><head></head><body><p title=\"caf\u00e9 &#x20AC;\">\u00e9t\u00e9 &#x20AC; &#x1F600;</p>"
                                                  "<script>var s = '\u20ac';</script></body></html>"));
    page.generator.setTextEncoding(StringEncoding::UTF8);
    EXPECT_TRUE(page.generate(true).contains(QStringLiteral("\u20ac \U0001F600")));
}

} // namespace PageTextGeneratorTest
