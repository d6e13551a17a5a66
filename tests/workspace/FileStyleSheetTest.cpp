#include "stylesheet/StyleSheetParser.h"
#include "workspace/File.h"

#include <QTemporaryDir>

#include "TestUtil.h"

#include <gtest/gtest.h>

namespace {

// Entries as "position:selector" in the whole list, so that a view reads as
// the positions it keeps.
QStringList positions(const File &file, const QList<StyleDeclarationPtr> &view)
{
    const QList<StyleDeclarationPtr> &all = *file.styleDeclarations();
    QStringList list;
    for (const StyleDeclarationPtr &entry : view)
        list.append(QString::number(all.indexOf(entry)) + u':' + entry->getSelector());
    return list;
}

QList<int> mapped(int count, const std::function<int(int)> &convert)
{
    QList<int> list;
    for (int i = 0; i <= count; ++i)
        list.append(convert(i));
    return list;
}

// 0 @-webkit-keyframes spin, 1-2 its keyframes, 3 a comment,
// 4 @keyframes spin, 5-6 its keyframes, 7 a style rule.
const char kKeyframesSheet[] = "@-webkit-keyframes spin {\n  from { opacity: 0; }\n  to { opacity: 1; }\n}\n"
                               "/* spin */\n"
                               "@keyframes spin {\n  from { opacity: 0; }\n  to { opacity: 1; }\n}\n"
                               ".a { color: red; }\n";

class FileStyleSheet : public ::testing::Test
{
protected:
    void load(const QByteArray &css)
    {
        ASSERT_TRUE(TestUtil::writeFile(m_dir.filePath("site.css"), css));
        m_file = std::make_unique<File>(m_dir.filePath("site.css"), false, nullptr);
    }
    const QList<StyleDeclarationPtr> &all() const { return *m_file->styleDeclarations(); }
    QStringList keep(const QList<StyleDeclarationPtr> &view) const { return positions(*m_file, view); }

    QTemporaryDir m_dir;
    std::unique_ptr<File> m_file;
};

} // namespace

TEST_F(FileStyleSheet, ViewsOverPrefixedAndPlainKeyframesOfOneName)
{
    load(kKeyframesSheet);
    EXPECT_TRUE(m_file->noCommentDeclarations().isEmpty()); // never parsed yet
    const QStringList topLevel{"0:@-webkit-keyframes spin", "3:/* spin */", "4:@keyframes spin", "7:.a"};
    EXPECT_EQ(keep(m_file->topLevelDeclarations()), topLevel);
    ASSERT_EQ(all().size(), 8);
    EXPECT_EQ(all().at(1)->parentFile(), m_file.get());

    EXPECT_EQ(keep(m_file->topLevelDeclarationsNoRemoved()),
              (QStringList{"0:@-webkit-keyframes spin", "3:/* spin */", "7:.a"}));
    EXPECT_TRUE(m_file->mediaDeclarations().isEmpty());
    EXPECT_EQ(keep(m_file->keyframesDeclarations()), (QStringList{"0:@-webkit-keyframes spin", "4:@keyframes spin"}));
    EXPECT_EQ(keep(m_file->topLevelDeclarationsWithNoWebkitPrefixKeyframes()),
              (QStringList{"0:@-webkit-keyframes spin", "3:/* spin */", "7:.a"}));
    EXPECT_EQ(keep(m_file->topLevelDeclarationsWithNoVenderPrefixKeyframes()),
              (QStringList{"3:/* spin */", "4:@keyframes spin", "7:.a"}));
    EXPECT_EQ(keep(m_file->domDeclarations()), (QStringList{"0:@-webkit-keyframes spin", "7:.a"}));
    EXPECT_EQ(keep(m_file->actualDomDeclarations()), (QStringList{"0:@-webkit-keyframes spin", "7:.a"}));
    EXPECT_EQ(keep(m_file->keyframesDeclarationsWithSameName(*all().at(4))),
              (QStringList{"0:@-webkit-keyframes spin", "4:@keyframes spin"}));
    EXPECT_EQ(keep(m_file->noCommentDeclarations()),
              (QStringList{"0:@-webkit-keyframes spin", "1:from", "2:to", "4:@keyframes spin", "5:from", "6:to",
                           "7:.a"}));
    EXPECT_EQ(keep(m_file->getKeyframeRemovedDeclarations()),
              (QStringList{"0:@-webkit-keyframes spin", "3:/* spin */", "4:@keyframes spin", "7:.a"}));
}

TEST_F(FileStyleSheet, OwnersAndChildrenOfKeyframesBlocks)
{
    load(kKeyframesSheet);
    m_file->topLevelDeclarations();
    EXPECT_EQ(m_file->getMediaOwner(*all().at(2)), all().at(0));
    EXPECT_EQ(m_file->getMediaOwner(*all().at(5)), all().at(4));
    EXPECT_EQ(m_file->getMediaOwner(*all().at(0)), nullptr);
    EXPECT_EQ(keep(m_file->getMediaChildren(*all().at(4))), (QStringList{"5:from", "6:to"}));
    EXPECT_TRUE(m_file->getMediaChildren(*all().at(7)).isEmpty());
    // The style-sheet model reaches the same children through the file.
    const auto inner = all().at(0)->getInnerSelectors();
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->size(), 2);
}

TEST_F(FileStyleSheet, IndexConversionsOverPrefixedAndPlainKeyframes)
{
    load(kKeyframesSheet);
    m_file->topLevelDeclarations();
    EXPECT_EQ(mapped(7, [this](int i) { return m_file->noCommentIndex(i); }), (QList<int>{0, 1, 2, 4, 5, 6, 7, -1}));
    EXPECT_EQ(mapped(4, [this](int i) { return m_file->topLevelIndexToTotalIndex(i); }),
              (QList<int>{0, 3, 4, 7, 7}));
    EXPECT_EQ(mapped(8, [this](int i) { return m_file->totalIndexToTopLevelIndex(i); }),
              (QList<int>{0, -1, -1, 1, 2, -1, -1, 3, 4}));
    EXPECT_EQ(mapped(4, [this](int i) { return m_file->mediaIndexToTopLevelIndex(i); }),
              (QList<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(mapped(4, [this](int i) { return m_file->keyframeRemovedIndexToTotalIndex(i); }),
              (QList<int>{0, 3, 4, 7, 7}));
}

// Blocks nested in blocks used to share their children with the block
// around them, and a rule after a nested block took that block as its owner.
TEST_F(FileStyleSheet, NestedBlocksKeepTheirOwnChildren)
{
    // 0 @media, 1 @supports, 2 .a, 3 .b, 4 .c, 5 .d
    load("@media screen { @supports (x: y) { .a { } .b { } } .c { } }\n.d { }\n");
    m_file->topLevelDeclarations();
    ASSERT_EQ(all().size(), 6);
    EXPECT_EQ(keep(m_file->getMediaChildren(*all().at(0))), (QStringList{"1:@supports (x: y)", "4:.c"}));
    EXPECT_EQ(keep(m_file->getMediaChildren(*all().at(1))), (QStringList{"2:.a", "3:.b"}));
    EXPECT_EQ(m_file->getMediaOwner(*all().at(3)), all().at(1));
    EXPECT_EQ(m_file->getMediaOwner(*all().at(4)), all().at(0));
}

TEST_F(FileStyleSheet, MediaChildrenPassOverCommentsAndRemovedRules)
{
    // 0 .a, 1 @media, 2 .b, 3 the comment, 4 .c, 5 .d
    load(".a { }\n@media screen {\n  .b { }\n  /* inner */\n  .c { }\n  .d { }\n}\n");
    m_file->topLevelDeclarations();
    ASSERT_EQ(all().size(), 6);
    all().at(4)->setRemoved(true);
    const StyleDeclarationPtr media = all().at(1);
    EXPECT_EQ(keep(m_file->getMediaChildren(*media)), (QStringList{"2:.b", "5:.d"}));
    EXPECT_EQ(m_file->getMediaOwner(*all().at(2)), media);
    EXPECT_EQ(m_file->getMediaOwner(*all().at(5)), media);
    EXPECT_EQ(m_file->getMediaOwner(*all().at(0)), nullptr);
    // A block's position counts after its children.
    EXPECT_EQ(m_file->noCommentIndex(1), 3);
    // The end of the list is the end of the top level, though the last entry is nested.
    EXPECT_EQ(m_file->totalIndexToTopLevelIndex(6), int(m_file->topLevelDeclarations().size()));
    EXPECT_EQ(m_file->mediaIndexToTopLevelIndex(6), int(m_file->topLevelDeclarations().size()));
}

