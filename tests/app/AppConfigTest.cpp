#include "app/AppConfig.h"
#include "app/ProjectUtil.h"

#include <gtest/gtest.h>

TEST(AppConfig, IndentsAreFourAndEightSpaces)
{
    const AppConfig *config = AppConfig::getInstance();
    EXPECT_EQ(config, AppConfig::getInstance());
    EXPECT_EQ(config->indent(), QStringLiteral("    "));
    EXPECT_EQ(config->indent2(), QStringLiteral("        "));
}

TEST(AppConfig, VendorPrefixesComeInWritingOrder)
{
    const QStringList prefixes = AppConfig::getInstance()->vendarPrefixes();
    EXPECT_EQ(prefixes, QStringList({"-webkit", "-moz", "-o", "-ms"}));
    qsizetype longest = 0;
    for (const QString &prefix : prefixes)
        longest = qMax(longest, prefix.size());
    EXPECT_EQ(longest, 7);
}

TEST(DefaultVendarPrefixProperties, HoldsTheListedNamesAsSpelled)
{
    const QVariantMap properties = ProjectUtil::defaultVendarPrefixProperties();
    EXPECT_EQ(properties.size(), 197);
    for (const char *name : {"animation", "user-select", "grid-brefore", "maxlogical-height",
                             "shape-insided", "webkit-shape-outside", "app-region"}) {
        EXPECT_TRUE(properties.contains(QString::fromLatin1(name))) << name;
    }
    EXPECT_FALSE(properties.contains("-webkit-animation"));
    for (const QVariant &value : properties)
        EXPECT_EQ(value, QVariant(true));
}

TEST(DefaultVendarPrefixProperties, EveryCallGivesAFreshDictionary)
{
    QVariantMap first = ProjectUtil::defaultVendarPrefixProperties();
    first.remove("animation");
    first.insert("made-up", true);
    const QVariantMap second = ProjectUtil::defaultVendarPrefixProperties();
    EXPECT_TRUE(second.contains("animation"));
    EXPECT_FALSE(second.contains("made-up"));
}
