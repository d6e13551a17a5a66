#include "TestPrinters.h"

#include "foundation/PieceText.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

TEST(PieceText, EditsAnywhereReadAsTheSameEditsOfAString)
{
    QString original;
    for (int i = 0; i < 400; ++i)
        original += QStringLiteral(".r%1 { top: %1px }\n").arg(i);
    PieceText text(original);
    QString expected = original;
    QRandomGenerator random(7);
    for (int step = 0; step < 600; ++step) {
        const qsizetype at = random.bounded(int(expected.size() + 1));
        const qsizetype removed = random.bounded(4) == 0 ? random.bounded(int(std::min<qsizetype>(40, expected.size() - at) + 1)) : 0;
        // Mostly keys typed on, one after the other, as a user types.
        const QString inserted = random.bounded(3) == 0 ? QString() : QString(QChar(u'a' + random.bounded(26)));
        text.replace(at, removed, inserted);
        expected.replace(at, removed, inserted);
        ASSERT_EQ(text.size(), expected.size()) << step;
    }
    EXPECT_EQ(text.toString(), expected);
    EXPECT_TRUE(text.equals(expected));
    EXPECT_FALSE(text.isOriginal());
    EXPECT_EQ(text.original(), original);
    for (qsizetype i = 0; i < expected.size(); i += 97)
        EXPECT_EQ(text.at(i), expected.at(i)) << i;
    EXPECT_EQ(text.mid(1000, 333), expected.mid(1000, 333));
    EXPECT_EQ(text.indexOfLineFeed(500, expected.size()), expected.indexOf(u'\n', 500));
}

TEST(PieceText, TellsItsOriginalTextAndItsUnchangedEndsWithoutReadingItWhole)
{
    const QString original = QString::fromLatin1("alpha beta gamma");
    PieceText text(original);
    EXPECT_TRUE(text.isOriginal());
    EXPECT_EQ(text.unchangedEnds(), std::make_pair(qsizetype(16), qsizetype(0)));
    // A key and its Backspace, and a character typed over itself.
    text.replace(6, 0, u"x");
    EXPECT_FALSE(text.isOriginal());
    EXPECT_EQ(text.unchangedEnds(), std::make_pair(qsizetype(6), qsizetype(10)));
    text.replace(6, 1, u"");
    EXPECT_TRUE(text.isOriginal());
    text.replace(0, 1, u"a");
    EXPECT_TRUE(text.isOriginal());
    // Shared, not copied: the original is the text it was made from.
    EXPECT_TRUE(text.original().isSharedWith(original));
    PieceText added(original);
    added.replace(16, 0, u"!");
    EXPECT_EQ(added.toString(), QStringLiteral("alpha beta gamma!"));
    EXPECT_EQ(added.unchangedEnds(), std::make_pair(qsizetype(16), qsizetype(0)));
}

TEST(PieceText, FindsMatchesAcrossPiecesBothWaysWithoutOverlaps)
{
    PieceText text(QStringLiteral("one TWO three two"));
    // "two" cut in three pieces by edits around it.
    text.replace(4, 3, u"tw");
    text.replace(6, 0, u"O");
    EXPECT_EQ(text.toString(), QStringLiteral("one twO three two"));
    EXPECT_EQ(text.indexOf(u"two", 0, Qt::CaseInsensitive), 4);
    EXPECT_EQ(text.indexOf(u"two", 5, Qt::CaseInsensitive), 14);
    EXPECT_EQ(text.indexOf(u"two", 0, Qt::CaseSensitive), 14);
    EXPECT_EQ(text.lastIndexOf(u"two", 13, Qt::CaseInsensitive), 4);
    EXPECT_EQ(text.lastIndexOf(u"two", 16, Qt::CaseInsensitive), 14);
    EXPECT_EQ(text.indexOf(u"four", 0, Qt::CaseInsensitive), -1);
    EXPECT_EQ(text.matches(u"two", Qt::CaseInsensitive), (QList<qsizetype>{4, 14}));
    PieceText repeated(QStringLiteral("aaaa"));
    EXPECT_EQ(repeated.matches(u"aa", Qt::CaseSensitive), (QList<qsizetype>{0, 2}));
}
