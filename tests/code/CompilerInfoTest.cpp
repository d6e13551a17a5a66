#include "ScriptPackageTestSupport.h"

#include "code/CompilerInfo.h"

#include <QFile>
#include <QTemporaryFile>

#include <gtest/gtest.h>

TEST(CompilerInfo, TheDefaultArgumentsOfEachCompiler)
{
    CompilerInfo::Tools tools;
    tools.closureJar = QStringLiteral("/j/compiler.jar");
    tools.yuiJar = QStringLiteral("/j/yui.jar");
    ScriptProject project;
    CompilerInfo::setTools(tools);

    std::unique_ptr<CompilerInfo> closure = CompilerInfo::getCompilerWithName(QStringLiteral("Google Closure Compiler"));
    EXPECT_EQ(closure->genCommandStatement(),
              QStringList({"-jar", "/j/compiler.jar", "--language_in", "ECMASCRIPT5_STRICT", "--compilation_level",
                           "WHITESPACE_ONLY", "--formatting", "PRETTY_PRINT", "--third_party"}));
    std::unique_ptr<QTemporaryFile> joined;
    EXPECT_EQ(*closure->genSrcStatement({"/a.js", "/b.js", "/c.js"}, joined),
              QStringList({"--js", "/a.js", "--js", "/b.js", "--js", "/c.js"}));
    EXPECT_FALSE(joined);

    std::unique_ptr<CompilerInfo> yui = CompilerInfo::getCompilerWithName(QStringLiteral("YUI Compresser-2.4.7"));
    EXPECT_EQ(yui->genCommandStatement(), QStringList({"-jar", "/j/yui.jar", "--nomunge", "--preserve-semi",
                                                       "--disable-optimizations", "--line-break", "1000"}));
    EXPECT_EQ(CompilerInfo::getCompilerWithName(QStringLiteral("None"))->genCommandStatement(), std::nullopt);
    EXPECT_EQ(CompilerInfo::getCompilerWithName(QStringLiteral("Sass")), nullptr);
}

TEST(CompilerInfo, AFlagIsItsLabelForYesAndNothingForNo)
{
    std::unique_ptr<CompilerInfo> closure = CompilerInfo::create(QStringLiteral("GoogleClosureCompilerInfo"));
    CompileSetting *thirdParty = closure->getSettingWithCategory(QStringLiteral("--third_party"));
    ASSERT_TRUE(thirdParty);
    EXPECT_EQ(thirdParty->genOptionStatement(), QStringList{"--third_party"});
    thirdParty->setSelectedindex(thirdParty->setSelectedIndexWithValue(QStringLiteral("NO")));
    EXPECT_EQ(thirdParty->genOptionStatement(), QStringList());
    EXPECT_EQ(thirdParty->setSelectedIndexWithValue(QStringLiteral("MAYBE")), -1);
    EXPECT_FALSE(closure->genCommandStatement()->contains(QStringLiteral("--third_party")));
}

TEST(CompilerInfo, YuiReadsOneSourceAsItIsAndSeveralJoinedInATemporaryFile)
{
    ScriptProject project;
    const QString a = project.write(QStringLiteral("a.js"), "var a = 1;");
    const QString b = project.write(QStringLiteral("b.js"), "var b = 'ü';\n");
    std::unique_ptr<CompilerInfo> yui = CompilerInfo::create(QStringLiteral("YUICompilerInfo"));

    std::unique_ptr<QTemporaryFile> joined;
    EXPECT_EQ(*yui->genSrcStatement({a}, joined), QStringList{a});
    EXPECT_FALSE(joined);

    Result<QStringList> words = yui->genSrcStatement({a, b}, joined);
    ASSERT_TRUE(words);
    ASSERT_TRUE(joined);
    ASSERT_EQ(words->size(), 1);
    const QString input = words->first();
    QFile file(input);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), QStringLiteral("var a = 1;\nvar b = 'ü';\n\n"));
    file.close();
    joined.reset();
    EXPECT_FALSE(QFile::exists(input));

    // No sources: an empty input; an unreadable one names itself.
    ASSERT_TRUE(yui->genSrcStatement({}, joined));
    EXPECT_EQ(joined->size(), 0);
    Result<QStringList> missing = yui->genSrcStatement({a, project.file(QStringLiteral("gone.js"))}, joined);
    ASSERT_FALSE(missing);
    EXPECT_TRUE(missing.error().contains(QStringLiteral("gone.js")));
}

TEST(CompilerInfo, SwitchingCompilersBackRestoresTheDefaults)
{
    std::unique_ptr<CompilerInfo> yui = CompilerInfo::getCompilerWithName(QStringLiteral("YUI Compresser-2.4.7"));
    const QList<CompileSetting> defaults = yui->options();
    yui->getSettingWithCategory(QStringLiteral("--line-break"))->setSelectedindex(0);
    std::unique_ptr<CompilerInfo> closure = CompilerInfo::getCompilerWithName(QStringLiteral("Google Closure Compiler"));
    std::unique_ptr<CompilerInfo> again = CompilerInfo::getCompilerWithName(QStringLiteral("YUI Compresser-2.4.7"));
    EXPECT_EQ(again->options(), defaults);
    EXPECT_EQ(again->options().at(0).selectedindex(), 2);
}

TEST(CompilerInfo, AMissingToolIsNamedWithItsPackage)
{
    ScriptProject project;
    CompilerInfo::Tools tools;
    tools.closureJar = project.file(QStringLiteral("none.jar"));
    CompilerInfo::setTools(tools);
    std::unique_ptr<CompilerInfo> closure = CompilerInfo::create(QStringLiteral("GoogleClosureCompilerInfo"));
    std::optional<QString> missing = closure->missingToolMessage();
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->contains(QStringLiteral("closure-compiler")));
    EXPECT_TRUE(CompilerInfo::create(QStringLiteral("NoneCompilerInfo"))->missingToolMessage()->contains(
        QStringLiteral("No compiler is chosen")));
}
