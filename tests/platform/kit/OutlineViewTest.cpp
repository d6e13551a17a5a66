#include "TestTree.h"

#include "platform/kit/OutlineView.h"
#include "platform/kit/RowView.h"

#include "TestUtil.h"

#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QStyledItemDelegate>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class OutlineViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestNode *docs = source.root.add(QStringLiteral("docs"), true);
        docs->add(QStringLiteral("a.txt"));
        docs->add(QStringLiteral("b.txt"));
        TestNode *src = source.root.add(QStringLiteral("src"), true);
        src->add(QStringLiteral("main.css"));
        src->add(QStringLiteral("site.css"));
        source.root.add(QStringLiteral("index.html"));
        view.setDataSource(&source);
        view.resize(300, 300);
        view.show();
    }

    TestNode *node(const char *path) { return source.root.find(QString::fromLatin1(path)); }
    QString nameAt(int row) const { return static_cast<TestNode *>(view.itemAtRow(row))->name; }
    QPoint centreOfRow(int row) const { return view.rectOfRow(row).center(); }

    TestTreeSource source;
    OutlineView view;
};

TEST_F(OutlineViewTest, TheDelegateCanRefuseExpansionByKeyAndByCall)
{
    QStringList told;
    OutlineDelegate delegate;
    delegate.shouldExpandItem = [&](OutlineView *, void *item) {
        return static_cast<TestNode *>(item)->name != QLatin1String("docs");
    };
    delegate.itemWillExpand = [&](OutlineView *, void *item) {
        told << "will " + static_cast<TestNode *>(item)->name;
    };
    delegate.itemDidExpand = [&](OutlineView *, void *item) {
        told << "did " + static_cast<TestNode *>(item)->name;
    };
    view.setDelegate(delegate);

    view.setCurrentIndex(view.indexForItem(node("docs")));
    QTest::keyClick(&view, Qt::Key_Right);
    view.expandItem(node("docs"));
    EXPECT_FALSE(view.isItemExpanded(node("docs")));

    view.setCurrentIndex(view.indexForItem(node("src")));
    QTest::keyClick(&view, Qt::Key_Right);
    EXPECT_TRUE(view.isItemExpanded(node("src")));
    EXPECT_EQ(told, (QStringList{"will src", "did src"}));
}

TEST_F(OutlineViewTest, AClickOnTheDisclosureMarkAsksTheDelegateToo)
{
    bool allow = false;
    OutlineDelegate delegate;
    delegate.shouldExpandItem = [&](OutlineView *, void *) { return allow; };
    view.setDelegate(delegate);
    const QRect cell = view.visualRect(view.indexForItem(node("src")));
    const QPoint mark(cell.left() - view.indentation() / 2, cell.center().y());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, mark);
    EXPECT_FALSE(view.isItemExpanded(node("src")));
    allow = true;
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, mark);
    EXPECT_TRUE(view.isItemExpanded(node("src")));
    EXPECT_TRUE(view.selectedRowIndexes().isEmpty());
}

TEST_F(OutlineViewTest, TheDelegateCutsDownAProposedSelectionAndHearsOnce)
{
    view.expandItem(node("docs"));
    view.expandItem(node("src"));
    view.setAllowsMultipleSelection(true);
    int changes = 0;
    OutlineDelegate delegate;
    // Only siblings of the first proposed row.
    delegate.selectionIndexesForProposedSelection = [](OutlineView *v, const QList<int> &proposed) {
        QList<int> kept;
        for (int row : proposed) {
            if (v->parentForItem(v->itemAtRow(row)) == v->parentForItem(v->itemAtRow(proposed.first())))
                kept << row;
        }
        return kept;
    };
    delegate.selectionDidChange = [&](OutlineView *) { ++changes; };
    view.setDelegate(delegate);

    // docs, a.txt, b.txt, src, main.css, site.css, index.html
    view.selectRowIndexes({1, 2, 4, 5}, false);
    EXPECT_EQ(view.selectedRowIndexes(), (QList<int>{1, 2}));
    EXPECT_EQ(changes, 1);
    view.selectRowIndexes({1, 2, 4, 5}, false);
    EXPECT_EQ(changes, 1);
}

TEST_F(OutlineViewTest, AnEmptySelectionIsRefusedWhenNotAllowed)
{
    view.setAllowsEmptySelection(false);
    view.selectRowIndexes({1}, false);
    view.deselectAll();
    view.deselectRow(1);
    EXPECT_EQ(view.selectedRowIndexes(), QList<int>{1});
}

TEST_F(OutlineViewTest, CollapsingDeselectsTheRowsItHides)
{
    view.expandItem(node("docs"));
    view.setAllowsMultipleSelection(true);
    view.selectRowIndexes({view.rowForItem(node("docs/a.txt")), view.rowForItem(node("src"))}, false);
    view.collapseItem(node("docs"));
    ASSERT_EQ(view.selectedRowIndexes().size(), 1);
    EXPECT_EQ(nameAt(view.selectedRow()), QStringLiteral("src"));
}

TEST_F(OutlineViewTest, TheClickedRowIsKnownDuringTheActionAndThenForgotten)
{
    int clickedDuringAction = -2;
    QObject::connect(&view, &TableViewBase::rowClicked, &view,
                     [&] { clickedDuringAction = view.clickedRow(); });
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centreOfRow(1));
    EXPECT_EQ(clickedDuringAction, 1);
    EXPECT_EQ(view.selectedRow(), 1);
    EXPECT_EQ(view.clickedRow(), -1);
}

TEST_F(OutlineViewTest, ARightClickMarksTheClickedRowForTheMenuAndKeepsTheSelection)
{
    view.selectRowIndexes({0}, false);
    QMenu menu;
    menu.addAction(QStringLiteral("Reveal"));
    view.setMenu(&menu);
    int clickedWhileShown = -2;
    QObject::connect(&menu, &QMenu::aboutToShow, &menu, [&] {
        clickedWhileShown = view.clickedRow();
        QTimer::singleShot(0, &menu, &QMenu::close);
    });
    const QPoint point = centreOfRow(2);
    QTest::mousePress(view.viewport(), Qt::RightButton, {}, point);
    QContextMenuEvent request(QContextMenuEvent::Mouse, point, view.viewport()->mapToGlobal(point));
    QCoreApplication::sendEvent(view.viewport(), &request);
    EXPECT_EQ(clickedWhileShown, 2);
    EXPECT_EQ(view.selectedRowIndexes(), QList<int>{0});
    EXPECT_EQ(view.clickedRow(), -1);
}

TEST_F(OutlineViewTest, AMouseDownReportsTheColumnUnderIt)
{
    QList<int> columns;
    OutlineDelegate delegate;
    delegate.didClickTableColumn = [&](OutlineView *, int column) { columns << column; };
    view.setDelegate(delegate);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, centreOfRow(0));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(10, 290));
    EXPECT_EQ(columns, QList<int>{0});
}

// Remembers the names it was asked to draw.
class RecordingCell : public QStyledItemDelegate
{
public:
    QStringList *drawn;
    explicit RecordingCell(QStringList *names) : drawn(names) {}
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        *drawn << index.data().toString();
        QStyledItemDelegate::paint(painter, option, index);
    }
};

TEST_F(OutlineViewTest, EachCellIsDrawnByTheCellRegisteredUnderItsIdentifier)
{
    QStringList folders;
    QStringList files;
    view.registerCell(QStringLiteral("FolderCell"), new RecordingCell(&folders));
    view.registerCell(QStringLiteral("FileCell"), new RecordingCell(&files));
    OutlineDelegate delegate;
    delegate.cellIdentifierForTableColumn = [](OutlineView *, int, void *item) {
        return static_cast<TestNode *>(item)->folder ? QStringLiteral("FolderCell")
                                                     : QStringLiteral("FileCell");
    };
    view.setDelegate(delegate);
    view.expandItem(node("src"));
    view.grab();
    EXPECT_TRUE(folders.contains("docs"));
    EXPECT_TRUE(folders.contains("src"));
    EXPECT_FALSE(folders.contains("main.css"));
    EXPECT_TRUE(files.contains("main.css"));
    EXPECT_TRUE(files.contains("index.html"));
}

class NamedRowView : public RowView
{
public:
    QString name;
};

TEST_F(OutlineViewTest, RowViewsAreMadeOncePerShownRowAndListedInRowOrder)
{
    int made = 0;
    OutlineDelegate delegate;
    delegate.rowViewForItem = [&](OutlineView *, void *item) {
        ++made;
        auto *rowView = new NamedRowView;
        rowView->name = static_cast<TestNode *>(item)->name;
        return rowView;
    };
    view.setDelegate(delegate);
    view.grab();
    view.grab();
    EXPECT_EQ(made, 3);
    QStringList names;
    for (RowView *rowView : view.availableRowViews())
        names << static_cast<NamedRowView *>(rowView)->name;
    EXPECT_EQ(names, (QStringList{"docs", "src", "index.html"}));
    EXPECT_EQ(view.rowViewAtRow(1, false), view.availableRowViews().at(1));
    // A reloaded row gets a new row view.
    view.reloadItem(node("src"));
    EXPECT_EQ(view.rowViewAtRow(1, false), nullptr);
}

TEST_F(OutlineViewTest, RowsTakeTheHeightsTheDelegateAnswers)
{
    OutlineDelegate delegate;
    delegate.heightOfRowByItem = [](OutlineView *, void *item) {
        return static_cast<TestNode *>(item)->folder ? 21.0 : 17.0;
    };
    view.setDelegate(delegate);
    view.grab();
    EXPECT_EQ(view.rectOfRow(0).height(), 21);
    EXPECT_EQ(view.rectOfRow(2).height(), 17);
}

TEST_F(OutlineViewTest, ANoteOfOneRowsHeightMeasuresThatRowAlone)
{
    TestNode *many = source.root.add(QStringLiteral("many"), true);
    for (int i = 0; i < 500; ++i)
        many->add(QString::number(i));
    view.reloadData();
    int measured = 0;
    double tall = 17;
    OutlineDelegate delegate;
    delegate.heightOfRowByItem = [&](OutlineView *, void *item) {
        ++measured;
        return static_cast<TestNode *>(item)->name == QLatin1String("3") ? tall : 17.0;
    };
    view.setDelegate(delegate);
    view.expandItem(many);
    view.grab();
    const int row = view.rowForItem(many->children[3].get());
    measured = 0;
    tall = 34;
    view.noteHeightOfRowsWithIndexesChanged({row});
    view.grab();
    EXPECT_EQ(view.rectOfRow(row).height(), 34);
    EXPECT_LT(measured, 20);
}

TEST_F(OutlineViewTest, ACellIsEditedInPlaceOnlyWhenTheDelegateAllowsIt)
{
    bool allow = false;
    OutlineDelegate delegate;
    delegate.shouldEditTableColumn = [&](OutlineView *, int, void *) { return allow; };
    view.setDelegate(delegate);
    EXPECT_FALSE(view.editColumn(0, 2, true));
    allow = true;
    EXPECT_TRUE(view.editColumn(0, 2, true));
    auto *editor = view.viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("index.html"));
    EXPECT_EQ(editor->selectedText(), QStringLiteral("index.html"));
}

// F2 on a row whose current cell cannot be edited edits the first of its
// cells that can, as Return does in lists of names and values (#79).
TEST_F(OutlineViewTest, TheEditKeyEditsTheCellOfTheRowThatCanBeEdited)
{
    view.setTableColumns({TableColumn{QStringLiteral("name"), QStringLiteral("Name"), 120},
                          TableColumn{QStringLiteral("value"), QStringLiteral("Value"), 120}});
    OutlineDelegate delegate;
    delegate.shouldEditTableColumn = [](OutlineView *, int column, void *) { return column == 1; };
    view.setDelegate(delegate);
    view.selectRowIndexes({2}, false);
    view.setCurrentIndex(view.indexForRow(2, 0));
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_F2);
    EXPECT_TRUE(view.isEditing());
    auto *editor = view.viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    EXPECT_GE(editor->geometry().left(), view.columnViewportPosition(1));
}

TEST_F(OutlineViewTest, AnAbortedEditTakesNothingTyped)
{
    OutlineDelegate delegate;
    delegate.shouldEditTableColumn = [](OutlineView *, int, void *) { return true; };
    view.setDelegate(delegate);
    EXPECT_FALSE(view.abortEditing());
    view.selectRowIndexes({2}, false);
    ASSERT_TRUE(view.editColumn(0, 2, true));
    auto *editor = view.viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("typed.html"));
    QSignalSpy commits(view.itemDelegate(), &QAbstractItemDelegate::commitData);
    EXPECT_TRUE(view.abortEditing());
    EXPECT_EQ(commits.count(), 0);
    EXPECT_FALSE(view.isEditing());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(view.viewport()->findChild<QLineEdit *>(), nullptr);
}

// An edit's row reloaded away while its field is open: the field's own end
// (Return, a lost focus) then commits and closes nothing, and Qt has nothing
// to warn of (#66).
TEST_F(OutlineViewTest, AnEditorWhoseRowWasReloadedAwayIsNeitherCommittedNorClosedAgain)
{
    OutlineDelegate delegate;
    delegate.shouldEditTableColumn = [](OutlineView *, int, void *) { return true; };
    view.setDelegate(delegate);
    view.selectRowIndexes({2}, false);
    ASSERT_TRUE(view.editColumn(0, 2, true));
    auto *editor = view.viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtWarningMsg)
            warnings.append(text);
    });
    std::unique_ptr<TestNode> gone = source.root.take(node("index.html"));
    view.reloadData();
    QSignalSpy commits(view.itemDelegate(), &QAbstractItemDelegate::commitData);
    Q_EMIT view.itemDelegate()->commitData(editor);
    Q_EMIT view.itemDelegate()->closeEditor(editor, QAbstractItemDelegate::NoHint);
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(u'\n').toStdString();
    EXPECT_FALSE(view.isEditing());
    // The row comes back, for the view to forget it in order.
    source.root.children.push_back(std::move(gone));
    view.reloadData();
}

// A drop target that moves drops on files onto their folder.
class DropSource : public TestTreeSource
{
public:
    void *acceptedItem = nullptr;
    int acceptedIndex = -2;

    Qt::DropAction validateDrop(OutlineView *v, const DraggingInfo &info, void *item,
                                int index) override
    {
        if (!info.pasteboard->hasFormat(QStringLiteral("application/x-test")))
            return Qt::IgnoreAction;
        if (item && !node(item)->folder)
            v->setDropItem(node(item)->parent == &root ? nullptr : node(item)->parent, -1);
        return Qt::CopyAction;
    }
    bool acceptDrop(OutlineView *, const DraggingInfo &, void *item, int index) override
    {
        acceptedItem = item;
        acceptedIndex = index;
        return true;
    }
};

TEST(OutlineViewDrop, ADropLandsWhereTheDataSourceRetargetedIt)
{
    DropSource source;
    TestNode *docs = source.root.add(QStringLiteral("docs"), true);
    docs->add(QStringLiteral("a.txt"));
    OutlineView view;
    view.setDataSource(&source);
    view.registerForDraggedTypes({QStringLiteral("application/x-test")});
    view.resize(300, 300);
    view.show();
    view.expandItem(docs);

    QMimeData mime;
    mime.setData(QStringLiteral("application/x-test"), "x");
    const QPoint onFile = view.rectOfRow(1).center();
    QDragEnterEvent enter(onFile, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view.viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(onFile, Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view.viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(source.acceptedItem, docs);
    EXPECT_EQ(source.acceptedIndex, -1);

    // Below every row: the end of the root's children. Qt hands a drop only
    // to the widget that took the drag's last move.
    QDragEnterEvent enterBelow(QPoint(100, 290), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view.viewport(), &enterBelow);
    QDropEvent below(QPoint(100, 290), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view.viewport(), &below);
    EXPECT_EQ(source.acceptedItem, nullptr);
    EXPECT_EQ(source.acceptedIndex, 1);

    QMimeData other;
    other.setText(QStringLiteral("plain"));
    QDragEnterEvent refused(onFile, Qt::CopyAction, &other, Qt::LeftButton, {});
    QCoreApplication::sendEvent(view.viewport(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

} // namespace
