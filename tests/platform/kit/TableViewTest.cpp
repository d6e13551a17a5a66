#include "platform/kit/TableView.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

class ListSource : public TableDataSource
{
public:
    QStringList rows;
    int numberOfRowsInTableView(TableView *) override { return int(rows.size()); }
    QVariant objectValueForTableColumn(TableView *, int column, int row, int role) override
    {
        if (role != Qt::DisplayRole)
            return {};
        return column == 0 ? rows[row] : QVariant(rows[row].size());
    }
};

TEST(TableView, ShowsTheDataSourceValuesInItsColumns)
{
    ListSource source;
    source.rows = {"alpha", "be"};
    TableView view;
    view.setTableColumns({{"name", "Name"}, {"length", "Length"}});
    view.setDataSource(&source);
    EXPECT_EQ(view.numberOfRows(), 2);
    EXPECT_EQ(view.indexForRow(1, 0).data().toString(), QStringLiteral("be"));
    EXPECT_EQ(view.indexForRow(0, 1).data().toInt(), 5);
    EXPECT_EQ(view.columnWithIdentifier("length"), 1);
}

TEST(TableView, ReloadingKeepsTheSelectedRowNumbersThatStillExist)
{
    ListSource source;
    source.rows = {"a", "b", "c", "d"};
    TableView view;
    view.setDataSource(&source);
    view.setAllowsMultipleSelection(true);
    view.selectRowIndexes({1, 3}, false);
    source.rows = {"x", "y", "z"};
    view.reloadData();
    EXPECT_EQ(view.numberOfRows(), 3);
    EXPECT_EQ(view.selectedRowIndexes(), QList<int>{1});
    EXPECT_EQ(view.indexForRow(1).data().toString(), QStringLiteral("y"));
    source.rows << "w" << "v";
    view.reloadData();
    EXPECT_EQ(view.numberOfRows(), 5);
    EXPECT_EQ(view.selectedRowIndexes(), QList<int>{1});
}

} // namespace
