#include "TestUtil.h"

#include "app/views/ContainerGray.h"
#include "app/views/ControlBar.h"
#include "app/views/FileRowCell.h"
#include "app/views/FinderViewProjectHeaderCell.h"
#include "app/views/MainView.h"
#include "app/views/SplitViewEx.h"
#include "app/views/StyleFileRelationButton.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/OutlineDataSource.h"
#include "toolkit/ExOutlineView.h"
#include "toolkit/FinderViewTextField.h"
#include "workspace/File.h"
#include "workspace/PathComponentCell.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Real file nodes over files in a temporary folder, listed flat.
class Files : public OutlineDataSource
{
public:
    QTemporaryDir dir;
    std::vector<std::unique_ptr<File>> files;
    File *add(const QString &name)
    {
        TestUtil::writeFile(dir.filePath(name), "a {}\n");
        files.push_back(std::make_unique<File>(dir.filePath(name), false, nullptr));
        // Edits within a moment of opening count as reloads, not as changes.
        File *file = files.back().get();
        file->setOpenDate(file->openDate().addSecs(-1));
        return file;
    }
    int numberOfChildrenOfItem(OutlineView *, void *item) override { return item ? 0 : int(files.size()); }
    void *childOfItem(OutlineView *, int index, void *) override { return files[size_t(index)].get(); }
    bool isItemExpandable(OutlineView *, void *) override { return false; }
    QVariant objectValueForTableColumn(OutlineView *, int, void *item, int role) override
    {
        return role == Qt::DisplayRole ? QVariant(static_cast<File *>(item)->displayName()) : QVariant();
    }
};

class ExOutlineViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        source.add(QStringLiteral("index.html"));
        view.setDataSource(&source);
        OutlineDelegate delegate;
        delegate.tableViewDidRecieveDeleteKey = [this](OutlineView *) { told << "delete"; };
        delegate.tableDidRecieveSpaceKey = [this](OutlineView *) { told << "space"; };
        delegate.tableDidRecieveEnterKey = [this](OutlineView *) { told << "enter"; };
        view.setDelegate(delegate);
    }

    bool press(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        return view.performKeyEquivalent(&event);
    }

    Files source;
    ExOutlineView view;
    QStringList told;
};

TEST_F(ExOutlineViewTest, TakesDeleteAndShiftDeleteButNotCtrlDelete)
{
    EXPECT_TRUE(press(Qt::Key_Backspace));
    EXPECT_TRUE(press(Qt::Key_Backspace, Qt::ShiftModifier));
    EXPECT_FALSE(press(Qt::Key_Backspace, Qt::ControlModifier));
    EXPECT_EQ(told, (QStringList{"delete", "delete"}));
}

TEST_F(ExOutlineViewTest, TakesForwardDeleteOnlyWithoutModifiers)
{
    EXPECT_TRUE(press(Qt::Key_Delete));
    EXPECT_FALSE(press(Qt::Key_Delete, Qt::ShiftModifier));
    EXPECT_EQ(told, QStringList{"delete"});
}

TEST_F(ExOutlineViewTest, HandsSpaceAndReturnOnAndLeavesOtherKeys)
{
    EXPECT_TRUE(press(Qt::Key_Space));
    EXPECT_TRUE(press(Qt::Key_Return));
    EXPECT_FALSE(press(Qt::Key_A));
    EXPECT_EQ(told, (QStringList{"space", "enter"}));
    view.setDelegate({});
    EXPECT_FALSE(press(Qt::Key_Space));
}

TEST_F(ExOutlineViewTest, AnswersTheSelectedItem)
{
    EXPECT_EQ(view.selectedItem(), nullptr);
    view.selectRowIndexes({0}, false);
    EXPECT_EQ(view.selectedItem(), source.files.front().get());
}

TEST(FileRowCell, RenamingPreselectsTheNameWithoutItsExtension)
{
    EXPECT_EQ(FileRowCell::stemLength(QStringLiteral("index.html")), 5);
    EXPECT_EQ(FileRowCell::stemLength(QStringLiteral("jquery.min.js")), 10);
    EXPECT_FALSE(FileRowCell::stemLength(QStringLiteral("README")));
    EXPECT_FALSE(FileRowCell::stemLength(QStringLiteral(".htaccess")));
    EXPECT_FALSE(FileRowCell::stemLength(QStringLiteral("trailing.")));

    Files source;
    source.add(QStringLiteral("index.html"));
    source.add(QStringLiteral("README"));
    ExOutlineView view;
    view.setDataSource(&source);
    auto *cell = new FileRowCell;
    view.registerCell(QStringLiteral("ItemCell"), cell);
    OutlineDelegate delegate;
    delegate.cellIdentifierForTableColumn = [](OutlineView *, int, void *) { return QStringLiteral("ItemCell"); };
    delegate.shouldEditTableColumn = [](OutlineView *, int, void *) { return true; };
    view.setDelegate(delegate);
    view.resize(200, 100);
    view.show();

    ASSERT_TRUE(view.editColumn(0, 0, true));
    FinderViewTextField *field = cell->displayField();
    ASSERT_NE(field, nullptr);
    QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
    QCoreApplication::sendEvent(field, &in);
    EXPECT_EQ(field->selectedText(), QStringLiteral("index"));

    // Escape leaves the first edit.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, {});
    QCoreApplication::sendEvent(field, &escape);
    ASSERT_TRUE(view.editColumn(0, 1, true));
    QCoreApplication::sendEvent(cell->displayField(), &in);
    EXPECT_EQ(cell->displayField()->selectedText(), QStringLiteral("README"));
}

TEST(FileRowCell, ShowsTheModifiedMarkAsTheRowIsDrawn)
{
    Files source;
    File *file = source.add(QStringLiteral("site.css"));
    ExOutlineView view;
    view.setDataSource(&source);
    auto *cell = new FileRowCell;
    view.registerCell(QStringLiteral("ItemCell"), cell);
    OutlineDelegate delegate;
    delegate.cellIdentifierForTableColumn = [](OutlineView *, int, void *) { return QStringLiteral("ItemCell"); };
    view.setDelegate(delegate);
    view.resize(200, 100);

    view.grab();
    EXPECT_FALSE(cell->isModifiedIconShown(file));
    file->setContent(QStringLiteral("b {}\n"));
    view.grab();
    EXPECT_TRUE(cell->isModifiedIconShown(file));
    file->setContent(QStringLiteral("a {}\n"));
    view.grab();
    EXPECT_FALSE(cell->isModifiedIconShown(file));
}

TEST(StyleFileRelationButton, GrowsToTheLeftWhenItsTitleGetsLonger)
{
    QWidget parent;
    auto *button = new StyleFileRelationButton(&parent);
    button->setGeometry(100, 10, 40, 20);
    const int right = button->geometry().right();
    button->setTitle(QStringLiteral("a much longer style sheet name.css"));
    EXPECT_EQ(button->geometry().right(), right);
    EXPECT_GT(button->width(), 40);
    EXPECT_LT(button->x(), 100);
}

TEST(FinderViewProjectHeaderCell, VeilsASelectedProjectRowDarkerWhenEmphasized)
{
    FinderViewProjectHeaderCell cell;
    const QColor colour = cell.selectionColor();
    EXPECT_EQ(colour.rgb() & 0xffffff, 0u);
    EXPECT_NEAR(colour.alphaF(), 0.3, 0.01);
    // An unselected row draws no selection.
    QImage image(10, 10, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    cell.drawSelectionInRect(painter, image.rect());
    painter.end();
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white));
}

TEST(MainView, AnnouncesEveryResize)
{
    MainView view;
    int heard = 0;
    NotificationCenter::defaultCenter().addObserver(&view, QStringLiteral("mainResized"), &view,
                                                    [&](const Notification &) { ++heard; });
    view.resize(300, 200);
    view.show();
    TestUtil::spin(10);
    view.resize(320, 200);
    TestUtil::spin(10);
    EXPECT_GE(heard, 2);
}

TEST(ShellViews, PaintTheirBarsAndDividers)
{
    ControlBar bar;
    EXPECT_EQ(bar.height(), 22);
    bar.resize(40, 22);
    EXPECT_FALSE(bar.grab().isNull());
    ContainerGray grey;
    grey.resize(10, 10);
    EXPECT_EQ(grey.grab().toImage().pixelColor(5, 5), grey.fillColor());
    SplitViewEx split;
    split.addWidget(new QWidget);
    split.addWidget(new QWidget);
    EXPECT_EQ(split.handleWidth(), 1);
}

TEST(PathComponentCell, SetsItsTextSmallWithALightShadowBelow)
{
    PathComponentCell cell;
    EXPECT_EQ(cell.font().pointSizeF(), 10.0);
    EXPECT_EQ(PathComponentCell::textShadow().offset, QPointF(0, 1));
    EXPECT_NEAR(PathComponentCell::textShadow().color.alphaF(), 0.5, 0.01);
    File file;
    cell.setFile(&file);
    EXPECT_EQ(cell.file(), &file);
}

} // namespace
