#include "toolkit/LabelButton.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/OutlineViewUtils.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/OutlineDataSource.h"

#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Five flat rows named by letter.
class Letters : public OutlineDataSource
{
public:
    QStringList names{"a", "b", "c", "d", "e"};
    int numberOfChildrenOfItem(OutlineView *, void *item) override { return item ? 0 : int(names.size()); }
    void *childOfItem(OutlineView *, int index, void *) override { return &names[index]; }
    bool isItemExpandable(OutlineView *, void *) override { return false; }
    QVariant objectValueForTableColumn(OutlineView *, int, void *item, int role) override
    {
        return role == Qt::DisplayRole ? QVariant(*static_cast<QString *>(item)) : QVariant();
    }
};

class OutlineViewExTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.setDataSource(&source);
        view.resize(200, 200);
        view.show();
        NotificationCenter::defaultCenter().addObserver(
            this, QStringLiteral("outlineviewActuallyMouseDown"), nullptr,
            [this](const Notification &n) {
                ++announced;
                EXPECT_EQ(n.object, &view);
                EXPECT_EQ(n.userInfo.value(QStringLiteral("outlineview")).value<QObject *>(), &view);
                EXPECT_NE(n.userInfo.value(QStringLiteral("event")).value<QMouseEvent *>(), nullptr);
            });
    }
    void TearDown() override { NotificationCenter::defaultCenter().removeObserver(this); }

    // Installs hooks that note what the delegate is sent.
    OutlineDelegate recording(bool answersKeys)
    {
        OutlineDelegate delegate;
        if (answersKeys)
            delegate.keyDown = [this](QKeyEvent *e) { told << "keyDown " + QString::number(e->key(), 16); };
        delegate.delete_ = [this](QObject *) { told << "delete"; };
        delegate.focusToInput = [this](QKeyEvent *) { told << "focusToInput"; };
        delegate.mouseDown = [this](QMouseEvent *) {
            told << "mouseDown row " + QString::number(view.selectedRow());
        };
        return delegate;
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(&view, &event);
    }
    QPoint rowCentre(int row) const { return view.rectOfRow(row).center(); }

    Letters source;
    OutlineViewEx view;
    QStringList told;
    int announced = 0;
};

TEST_F(OutlineViewExTest, IgnoresKeysWhenTheDelegateDoesNotHandleThem)
{
    OutlineDelegate delegate = recording(false);
    view.setDelegate(delegate);
    view.selectRowIndexes({0}, false);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, {});
    QCoreApplication::sendEvent(&view, &down);
    EXPECT_FALSE(down.isAccepted());
    EXPECT_EQ(view.selectedRow(), 0);
    press(Qt::Key_Backspace);
    press(Qt::Key_Return, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_TRUE(told.isEmpty());
}

TEST_F(OutlineViewExTest, HandsDeleteToTheDelegateAfterTheKeyItself)
{
    view.setDelegate(recording(true));
    press(Qt::Key_Backspace);
    EXPECT_EQ(told, (QStringList{"keyDown 1000003", "delete"}));
}

TEST_F(OutlineViewExTest, ShiftCtrlReturnFocusesTheInput)
{
    view.setDelegate(recording(true));
    press(Qt::Key_Return, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(told, (QStringList{"keyDown 1000004", "focusToInput"}));
    told.clear();
    // Shift alone is plain Return: no editable cell, nothing happens.
    press(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(told, QStringList{"keyDown 1000004"});
}

TEST_F(OutlineViewExTest, OtherKeysGetTheViewsOwnHandling)
{
    view.setDelegate(recording(true));
    view.selectRowIndexes({0}, false);
    view.setCurrentIndex(view.indexForRow(0));
    press(Qt::Key_Down);
    EXPECT_EQ(view.selectedRow(), 1);
}

TEST_F(OutlineViewExTest, ReturnStartsEditingOnlyAnEditableSelectedRow)
{
    OutlineDelegate delegate = recording(true);
    delegate.shouldEditTableColumn = [](OutlineView *v, int, void *item) {
        return *static_cast<QString *>(item) == QLatin1String("c");
    };
    view.setDelegate(delegate);
    view.selectRowIndexes({1}, false);
    press(Qt::Key_Return);
    EXPECT_EQ(view.viewport()->findChild<QLineEdit *>(), nullptr);
    view.selectRowIndexes({2}, false);
    press(Qt::Key_Return);
    auto *editor = view.viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("c"));
}

TEST_F(OutlineViewExTest, AClickSelectsItsRowBeforeTheDelegateHearsOfIt)
{
    view.setDelegate(recording(true));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, rowCentre(3));
    EXPECT_EQ(told, QStringList{"mouseDown row 3"});
    EXPECT_EQ(announced, 1);
}

TEST_F(OutlineViewExTest, WithDownToSelectDisabledAClickIsOnlyAnnounced)
{
    view.setDelegate(recording(true));
    view.selectRowIndexes({0}, false);
    view.setDisableDownToSelect(true);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, rowCentre(3));
    EXPECT_TRUE(told.isEmpty());
    EXPECT_EQ(view.selectedRowIndexes(), QList<int>{0});
    EXPECT_EQ(announced, 1);
    EXPECT_EQ(view.selectionMode(), QAbstractItemView::SingleSelection);
}

TEST_F(OutlineViewExTest, ALabelButtonInARowActsAsAButton)
{
    auto *label = new LabelButton(QStringLiteral("div"));
    label->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    view.setIndexWidget(view.indexForRow(1), label);
    int actions = 0;
    QObject::connect(label, &LabelButton::activated, label, [&] { ++actions; });
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(actions, 1);
}

TEST_F(OutlineViewExTest, EditCommandsReachOnlyADelegateThatAnswersThem)
{
    OutlineDelegate delegate;
    delegate.copy = [this](QObject *) { told << "copy"; };
    delegate.saveOutlineview = [this](QObject *) { told << "save"; };
    view.setDelegate(delegate);
    view.cut(nullptr);
    view.copy(nullptr);
    view.paste(nullptr);
    view.save(nullptr);
    EXPECT_EQ(told, (QStringList{"copy", "save"}));
}

TEST_F(OutlineViewExTest, TheEditMenusSlotsAndKeysReachTheDelegateWithTheViewAsSender)
{
    OutlineDelegate delegate = recording(true);
    delegate.copy = [this](QObject *sender) { told << (sender == &view ? "copy from view" : "copy"); };
    delegate.paste = [this](QObject *sender) { told << (sender == &view ? "paste from view" : "paste"); };
    view.setDelegate(delegate);
    ASSERT_TRUE(QMetaObject::invokeMethod(&view, "copy"));
    ASSERT_TRUE(QMetaObject::invokeMethod(&view, "cut"));
    press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(told, (QStringList{"copy from view", "keyDown 56", "paste from view"}));
    EXPECT_TRUE(view.answersEditCommand(QStringLiteral("copy")));
    EXPECT_FALSE(view.answersEditCommand(QStringLiteral("cut")));
}

TEST_F(OutlineViewExTest, ListsTheSelectedItemsInRowOrder)
{
    view.setAllowsMultipleSelection(true);
    view.selectRowIndexes({3, 1}, false);
    const QList<void *> items = OutlineViewUtils::selectedItems(&view);
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(*static_cast<QString *>(items[0]), QStringLiteral("b"));
    EXPECT_EQ(*static_cast<QString *>(items[1]), QStringLiteral("d"));
}

} // namespace
