#include "TestTree.h"

#include "platform/kit/OutlineItemModel.h"
#include "platform/kit/OutlineView.h"

#include <QSet>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

class OutlineModelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestNode *docs = source.root.add(QStringLiteral("docs"), true);
        docs->add(QStringLiteral("a.txt"));
        docs->add(QStringLiteral("b.txt"));
        TestNode *sub = docs->add(QStringLiteral("sub"), true);
        sub->add(QStringLiteral("deep.txt"));
        TestNode *src = source.root.add(QStringLiteral("src"), true);
        src->add(QStringLiteral("main.css"));
        source.root.add(QStringLiteral("index.html"));
        view.setDataSource(&source);
        view.resize(300, 400);
    }

    TestNode *node(const char *path) { return source.root.find(QString::fromLatin1(path)); }

    QStringList shownRows() const
    {
        QStringList names;
        for (int row = 0; row < view.numberOfRows(); ++row)
            names << static_cast<TestNode *>(view.itemAtRow(row))->name;
        return names;
    }

    QStringList selectedNames() const
    {
        QStringList names;
        for (int row : view.selectedRowIndexes())
            names << static_cast<TestNode *>(view.itemAtRow(row))->name;
        return names;
    }

    TestTreeSource source;
    OutlineView view;
};

TEST_F(OutlineModelTest, ShowsTopLevelItemsAndAsksForChildrenOnlyWhenExpanded)
{
    EXPECT_EQ(shownRows(), (QStringList{"docs", "src", "index.html"}));
    const int asked = source.childQuestions;
    view.expandItem(node("src"));
    EXPECT_EQ(shownRows(), (QStringList{"docs", "src", "main.css", "index.html"}));
    EXPECT_GT(source.childQuestions, asked);
    EXPECT_EQ(view.itemModel()->childrenOfItem(nullptr).size(), 3);
}

TEST_F(OutlineModelTest, MapsItemsAndRowsBothWays)
{
    view.expandItem(node("docs"));
    view.expandItem(node("docs/sub"));
    EXPECT_EQ(view.rowForItem(node("docs/sub/deep.txt")), 4);
    EXPECT_EQ(view.itemAtRow(4), node("docs/sub/deep.txt"));
    EXPECT_EQ(view.levelForItem(node("docs/sub/deep.txt")), 2);
    EXPECT_EQ(view.levelForItem(node("docs")), 0);
    EXPECT_EQ(view.parentForItem(node("docs/sub")), node("docs"));
    EXPECT_EQ(view.parentForItem(node("docs")), nullptr);
    EXPECT_EQ(view.childIndexForItem(node("docs/b.txt")), 1);
    // Items under a collapsed parent have no row.
    view.collapseItem(node("docs"));
    EXPECT_EQ(view.rowForItem(node("docs/sub/deep.txt")), -1);
    EXPECT_EQ(view.itemAtRow(99), nullptr);
}

TEST_F(OutlineModelTest, InsertingRowsKeepsExpansionAndSelectionWithoutAReset)
{
    view.expandItem(node("docs"));
    view.expandItem(node("src"));
    view.selectRowIndexes({view.rowForItem(node("src/main.css"))}, false);
    QSignalSpy resets(view.itemModel(), &QAbstractItemModel::modelReset);
    QSignalSpy inserts(view.itemModel(), &QAbstractItemModel::rowsInserted);

    source.root.add(QStringLiteral("assets"), true, 0);
    node("docs")->add(QStringLiteral("c.txt"), false, 0);
    view.reloadItem(nullptr, true);

    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(inserts.count(), 2);
    EXPECT_TRUE(view.isItemExpanded(node("docs")));
    EXPECT_TRUE(view.isItemExpanded(node("src")));
    EXPECT_EQ(selectedNames(), QStringList{"main.css"});
    EXPECT_EQ(shownRows(), (QStringList{"assets", "docs", "c.txt", "a.txt", "b.txt", "sub", "src",
                                        "main.css", "index.html"}));
}

TEST_F(OutlineModelTest, RemovingRowsKeepsTheSelectionOfTheRest)
{
    view.expandItem(node("docs"));
    view.expandItem(node("docs/sub"));
    view.setAllowsMultipleSelection(true);
    view.selectRowIndexes({view.rowForItem(node("docs/b.txt")), view.rowForItem(node("src"))}, false);
    QSignalSpy removes(view.itemModel(), &QAbstractItemModel::rowsRemoved);

    node("docs")->take(node("docs/a.txt"));
    view.reloadItem(node("docs"), true);

    EXPECT_EQ(removes.count(), 1);
    EXPECT_EQ(selectedNames(), (QStringList{"b.txt", "src"}));
    EXPECT_TRUE(view.isItemExpanded(node("docs/sub")));
    EXPECT_EQ(shownRows(), (QStringList{"docs", "b.txt", "sub", "deep.txt", "src", "index.html"}));
}

TEST_F(OutlineModelTest, RemovingASelectedRowLeavesNoDanglingRow)
{
    view.expandItem(node("docs"));
    view.selectRowIndexes({view.rowForItem(node("docs/a.txt"))}, false);
    const quintptr removed = quintptr(node("docs/a.txt"));
    node("docs")->take(node("docs/a.txt"));
    view.reloadItem(node("docs"), true);
    EXPECT_TRUE(view.selectedRowIndexes().isEmpty());
    EXPECT_FALSE(view.itemModel()->containsItem(reinterpret_cast<void *>(removed)));
}

TEST_F(OutlineModelTest, ReorderingMovesRowsAndKeepsTheirState)
{
    view.expandItem(node("docs"));
    view.expandItem(node("docs/sub"));
    view.selectRowIndexes({view.rowForItem(node("docs/a.txt"))}, false);
    QSignalSpy moves(view.itemModel(), &QAbstractItemModel::rowsMoved);
    QSignalSpy removes(view.itemModel(), &QAbstractItemModel::rowsRemoved);

    std::reverse(node("docs")->children.begin(), node("docs")->children.end());
    view.reloadData();

    EXPECT_GE(moves.count(), 1);
    EXPECT_EQ(removes.count(), 0);
    EXPECT_EQ(shownRows(), (QStringList{"docs", "sub", "deep.txt", "b.txt", "a.txt", "src", "index.html"}));
    EXPECT_TRUE(view.isItemExpanded(node("docs/sub")));
    EXPECT_EQ(selectedNames(), QStringList{"a.txt"});
}

TEST_F(OutlineModelTest, MovingAFolderToAnotherParentKeepsItExpanded)
{
    view.expandItem(node("docs"));
    view.expandItem(node("docs/sub"));
    view.expandItem(node("src"));
    view.selectRowIndexes({view.rowForItem(node("docs/sub/deep.txt"))}, false);

    node("src")->insert(node("docs")->take(node("docs/sub")), 0);
    view.reloadData();

    EXPECT_EQ(shownRows(), (QStringList{"docs", "a.txt", "b.txt", "src", "sub", "deep.txt",
                                        "main.css", "index.html"}));
    EXPECT_TRUE(view.isItemExpanded(node("src/sub")));
    EXPECT_EQ(selectedNames(), QStringList{"deep.txt"});
    EXPECT_EQ(view.parentForItem(node("src/sub")), node("src"));
}

TEST_F(OutlineModelTest, ReloadingAnItemAloneRefreshesOnlyItsRow)
{
    view.expandItem(node("docs"));
    QSignalSpy changes(view.itemModel(), &QAbstractItemModel::dataChanged);
    const int asked = source.childQuestions;
    TestNode *file = node("docs/a.txt");
    file->name = QStringLiteral("renamed.txt");
    view.reloadItem(file);
    ASSERT_EQ(changes.count(), 1);
    const QModelIndex first = changes.first().at(0).value<QModelIndex>();
    EXPECT_EQ(OutlineView::itemForIndex(first), node("docs/renamed.txt"));
    EXPECT_EQ(source.childQuestions, asked);
    EXPECT_EQ(view.itemModel()->data(first).toString(), QStringLiteral("renamed.txt"));
}

TEST_F(OutlineModelTest, AnItemThatBecomesExpandableCanBeOpened)
{
    TestNode *file = node("index.html");
    EXPECT_FALSE(view.itemModel()->hasChildren(view.indexForItem(file)));
    file->add(QStringLiteral("inner"));
    QSignalSpy relayout(view.itemModel(), &OutlineItemModel::expandabilityChanged);
    view.reloadItem(file, true);
    EXPECT_EQ(relayout.count(), 1);
    view.expandItem(file);
    EXPECT_TRUE(view.isItemExpanded(file));
    EXPECT_EQ(shownRows().last(), QStringLiteral("inner"));
}

// A data source that answers one item twice among the children of the root.
class DuplicatingSource : public TestTreeSource
{
public:
    int numberOfChildrenOfItem(OutlineView *v, void *item) override
    {
        return item ? TestTreeSource::numberOfChildrenOfItem(v, item) : int(root.children.size()) + 1;
    }
    void *childOfItem(OutlineView *v, int index, void *item) override
    {
        if (!item && index == int(root.children.size()))
            return root.children.front().get();
        return TestTreeSource::childOfItem(v, index, item);
    }
};

TEST(OutlineModel, ShowsAnItemAnsweredTwiceOnlyOnce)
{
    DuplicatingSource source;
    source.root.add(QStringLiteral("one"));
    source.root.add(QStringLiteral("two"));
    OutlineView view;
    view.setDataSource(&source);
    EXPECT_EQ(view.numberOfRows(), 2);
    view.reloadData();
    EXPECT_EQ(view.numberOfRows(), 2);
}

TEST(OutlineModel, ManyInsertionsInOneReloadAreOneRunPerGap)
{
    TestTreeSource source;
    for (int i = 0; i < 5; ++i)
        source.root.add(QStringLiteral("keep%1").arg(i));
    OutlineView view;
    view.setDataSource(&source);
    ASSERT_EQ(view.numberOfRows(), 5);
    for (int i = 0; i < 100; ++i)
        source.root.add(QStringLiteral("new%1").arg(i), false, 2);
    QSignalSpy inserts(view.itemModel(), &QAbstractItemModel::rowsInserted);
    view.reloadData();
    EXPECT_EQ(inserts.count(), 1);
    EXPECT_EQ(view.numberOfRows(), 105);
}

} // namespace

// The data source that fails a test when asked about an item it no longer has.
class GuardedSource : public TestTreeSource
{
public:
    QSet<void *> gone;
    int numberOfChildrenOfItem(OutlineView *view, void *item) override
    {
        EXPECT_FALSE(gone.contains(item)) << "asked about an item that left the tree";
        return gone.contains(item) ? 0 : TestTreeSource::numberOfChildrenOfItem(view, item);
    }
    bool isItemExpandable(OutlineView *view, void *item) override
    {
        EXPECT_FALSE(gone.contains(item)) << "asked about an item that left the tree";
        return !gone.contains(item) && TestTreeSource::isItemExpandable(view, item);
    }
};

TEST(OutlineModel, AnExpandedFolderThatLeftTheTreeIsNeverAskedAboutAgain)
{
    GuardedSource source;
    TestNode *docs = source.root.add(QStringLiteral("docs"), true);
    TestNode *sub = docs->add(QStringLiteral("sub"), true);
    sub->add(QStringLiteral("deep"), true)->add(QStringLiteral("x.txt"));
    docs->add(QStringLiteral("a.txt"));
    OutlineView view;
    view.setDataSource(&source);
    view.expandItem(docs);
    view.expandItem(sub);
    view.expandItem(sub->children[0].get());
    ASSERT_EQ(view.numberOfRows(), 5);

    // The folder is gone (its owner already let go of it) before the view is told.
    std::unique_ptr<TestNode> taken = docs->take(sub);
    source.gone = {taken.get(), taken->children[0].get()};
    view.reloadItem(docs, true);
    EXPECT_EQ(view.numberOfRows(), 2);
}
