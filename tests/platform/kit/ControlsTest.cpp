#include "platform/kit/AnimationContext.h"
#include "platform/kit/NameDetailCell.h"
#include "platform/kit/NamedImage.h"
#include "platform/kit/PathCell.h"
#include "platform/kit/PathControl.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/kit/SplitView.h"
#include "platform/kit/TextField.h"

#include "TestUtil.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

TEST(TextField, EditingBeginsWithTheUsersFirstChangeAndEndsWithReturn)
{
    TextField field;
    QStringList told;
    TextFieldDelegate delegate;
    delegate.controlTextDidBeginEditing = [&](TextField *) { told << "begin"; };
    delegate.controlTextDidChange = [&](TextField *) { told << "change"; };
    delegate.controlTextDidEndEditing = [&](TextField *) { told << "end"; };
    field.setDelegate(delegate);
    int actions = 0;
    QObject::connect(&field, &TextField::activated, &field, [&] { ++actions; });

    field.setText(QStringLiteral("set by the program"));
    EXPECT_TRUE(told.isEmpty());
    field.clear();
    QTest::keyClicks(&field, QStringLiteral("ab"));
    EXPECT_TRUE(field.isEditing());
    EXPECT_EQ(field.textWhenEditingBegan(), QString());
    QTest::keyClick(&field, Qt::Key_Return);
    EXPECT_EQ(told, (QStringList{"begin", "change", "change", "end"}));
    EXPECT_EQ(actions, 1);
    EXPECT_FALSE(field.isEditing());
}

TEST(TextField, ACommandTheDelegateHandlesGoesNoFurther)
{
    TextField field;
    QList<TextCommand> commands;
    TextFieldDelegate delegate;
    delegate.doCommandBySelector = [&](TextField *, TextCommand command) {
        commands << command;
        return command == TextCommand::DeleteBackward;
    };
    field.setDelegate(delegate);
    QTest::keyClicks(&field, QStringLiteral("xy"));
    QTest::keyClick(&field, Qt::Key_Backspace);
    EXPECT_EQ(field.text(), QStringLiteral("xy"));
    QTest::keyClick(&field, Qt::Key_Left);
    EXPECT_EQ(field.cursorPosition(), 1);
    EXPECT_EQ(commands, (QList<TextCommand>{TextCommand::DeleteBackward, TextCommand::MoveLeft}));
    field.setRefusesFirstResponder(true);
    EXPECT_EQ(field.focusPolicy(), Qt::NoFocus);
}

// A text longer than the field reads from its start wherever the user is
// not typing: as the program puts it in, and once the user has left (#79).
TEST(TextField, ShowsTheStartOfALongTextOutsideEditing)
{
    QWidget window;
    TextField field(&window);
    QLineEdit other(&window);
    other.move(0, 40);
    field.resize(60, 24);
    window.show();
    const QString address = QStringLiteral("file:///home/someone/projects/site/pages/index.html");
    field.setText(address);
    EXPECT_EQ(field.cursorPosition(), 0);

    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    field.setFocus();
    field.end(false);
    QTest::keyClicks(&field, QStringLiteral("?a"));
    EXPECT_EQ(field.cursorPosition(), address.size() + 2);
    other.setFocus();
    EXPECT_EQ(field.cursorPosition(), 0);
}

TEST(SegmentedControl, SelectsOneAnyOrNoneByTrackingMode)
{
    SegmentedControl control;
    control.setSegmentCount(3);
    for (int i = 0; i < 3; ++i)
        control.setWidth(30, i);
    control.resize(control.sizeHint());
    QList<int> selectedDuringAction;
    QObject::connect(&control, &SegmentedControl::activated, &control,
                     [&] { selectedDuringAction << control.selectedSegment(); });

    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(45, 5));
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(75, 5));
    EXPECT_FALSE(control.isSelectedForSegment(1));
    EXPECT_TRUE(control.isSelectedForSegment(2));

    control.setTrackingMode(SegmentedControl::TrackingMode::SelectAny);
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(15, 5));
    EXPECT_TRUE(control.isSelectedForSegment(0));
    EXPECT_TRUE(control.isSelectedForSegment(2));

    control.setTrackingMode(SegmentedControl::TrackingMode::Momentary);
    control.setSelectedSegment(-1);
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(45, 5));
    EXPECT_FALSE(control.isSelectedForSegment(1));
    EXPECT_EQ(selectedDuringAction, (QList<int>{1, 2, 0, 1}));
}

TEST(SegmentedControl, IsUsableByKeyboard)
{
    SegmentedControl control;
    control.setSegmentCount(2);
    control.setEnabled(false, 1);
    QTest::keyClick(&control, Qt::Key_Right);
    QTest::keyClick(&control, Qt::Key_Space);
    EXPECT_EQ(control.selectedSegment(), -1);
    QTest::keyClick(&control, Qt::Key_Left);
    QTest::keyClick(&control, Qt::Key_Space);
    EXPECT_EQ(control.selectedSegment(), 0);
}

std::shared_ptr<PathCell> cell(const QString &title)
{
    auto made = std::make_shared<PathCell>();
    made->setTitle(title);
    return made;
}

TEST(PathControl, SendsItsActionWithTheClickedCell)
{
    PathControl control;
    control.setPathComponentCells({cell("site"), cell("css"), cell("main.css")});
    control.resize(300, 22);
    QStringList clicked;
    QObject::connect(&control, &PathControl::activated, &control, [&] {
        clicked << control.clickedPathComponentCell()->title();
        // An action that replaces the cells must not pull the clicked one
        // away under the control.
        control.setPathComponentCells({cell("other")});
    });
    QTest::mouseClick(&control, Qt::LeftButton, {}, control.rectForCell(1).center());
    EXPECT_EQ(clicked, QStringList{"css"});
    EXPECT_EQ(control.clickedPathComponentCell(), nullptr);
    QTest::keyClick(&control, Qt::Key_Return);
    EXPECT_EQ(clicked, (QStringList{"css", "other"}));
}

// Where the cells do not fit, the folders give up their width, the outer
// first, and the file's name stays whole as long as it can; the whole path
// reads in the tool tip (#88).
TEST(PathControl, TheLastCellStaysWholeWhileTheOthersGiveUpTheirWidth)
{
    PathControl control;
    control.setPathComponentCells({cell("sbadmin2"), cell("stylesheets"), cell("sb-admin-2.min.css")});
    const QFontMetricsF metrics(control.pathComponentCells().back()->font());
    control.resize(control.sizeHint().width(), 22);
    EXPECT_EQ(control.shownTitle(0), QStringLiteral("sbadmin2"));
    EXPECT_EQ(control.shownTitle(2), QStringLiteral("sb-admin-2.min.css"));

    // Narrower: the project's name goes first, then the folder's.
    const int full = control.sizeHint().width();
    control.resize(full - 30, 22);
    EXPECT_NE(control.shownTitle(0), QStringLiteral("sbadmin2"));
    EXPECT_EQ(control.shownTitle(1), QStringLiteral("stylesheets"));
    EXPECT_EQ(control.shownTitle(2), QStringLiteral("sb-admin-2.min.css"));
    control.resize(int(metrics.horizontalAdvance(QStringLiteral("sb-admin-2.min.css"))) + 70, 22);
    EXPECT_EQ(control.shownTitle(2), QStringLiteral("sb-admin-2.min.css"));
    EXPECT_NE(control.shownTitle(1), QStringLiteral("stylesheets"));
    EXPECT_LE(control.rectForCell(2).right(), control.width());

    // Past their least the cells between the first and the last leave the
    // bar, and the name follows the first.
    control.resize(int(metrics.horizontalAdvance(QStringLiteral("sb-admin-2.min.css"))) + 40, 22);
    EXPECT_TRUE(control.rectForCell(1).isNull());
    EXPECT_EQ(control.shownTitle(1), QString());
    EXPECT_FALSE(control.rectForCell(0).isNull());
    EXPECT_EQ(control.shownTitle(2), QStringLiteral("sb-admin-2.min.css"));
    EXPECT_EQ(control.rectForCell(2).left(), control.rectForCell(0).right() + 1 + 14);

    // Then the first leaves too.
    control.resize(int(metrics.horizontalAdvance(QStringLiteral("sb-admin-2.min.css"))) + 12, 22);
    EXPECT_TRUE(control.rectForCell(0).isNull());
    EXPECT_EQ(control.shownTitle(2), QStringLiteral("sb-admin-2.min.css"));

    // Narrower still, the name itself is cut in its middle.
    control.resize(int(metrics.horizontalAdvance(QStringLiteral("sb-admin-2.min.css")) * 0.7), 22);
    EXPECT_TRUE(control.shownTitle(2).contains(QChar(0x2026))) << control.shownTitle(2).toStdString();
    EXPECT_TRUE(control.shownTitle(2).endsWith(QStringLiteral("css")));

    control.show();
    QHelpEvent tip(QEvent::ToolTip, control.rectForCell(2).center(), control.mapToGlobal(control.rectForCell(2).center()));
    QApplication::sendEvent(&control, &tip);
    EXPECT_TRUE(TestUtil::waitUntil([] { return QToolTip::isVisible(); }));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("sbadmin2 \u203A stylesheets \u203A sb-admin-2.min.css"));
    QToolTip::hideText();
}

// A name and its detail: the detail gives way first, then the name (#88).
TEST(NameDetailCell, TheDetailGivesWayBeforeTheName)
{
    const QFontMetricsF metrics(QApplication::font());
    const QString name = QStringLiteral("jquery.min.js");
    const QString folder = QStringLiteral("vendor/jquery");
    const double nameWidth = metrics.horizontalAdvance(name);
    const auto shown = [&](double width) {
        return NameDetailCell::fit(name, folder, metrics, width, NameDetailCell::NameCut::ExtensionFirst, Qt::ElideLeft);
    };
    EXPECT_EQ(shown(1000).name, name);
    EXPECT_EQ(shown(1000).detail, folder);
    // Cut at its start: the nearest folder stays.
    const NameDetailCell::Shown cut = shown(nameWidth + metrics.horizontalAdvance(QStringLiteral("  \u2026jquery")) + 1);
    EXPECT_EQ(cut.name, name);
    EXPECT_EQ(cut.detail, QStringLiteral("\u2026jquery"));
    // No room for the detail: left out, the name whole.
    EXPECT_EQ(shown(nameWidth + 2).name, name);
    EXPECT_EQ(shown(nameWidth + 2).detail, QString());
    // Then the name: by its extension, which its neighbours share, first.
    EXPECT_EQ(shown(nameWidth - 1).name, QStringLiteral("jquery\u2026"));
    EXPECT_EQ(shown(nameWidth - 1).detail, QString());
    const QString start = shown(metrics.horizontalAdvance(QStringLiteral("jqu\u2026")) + 1).name;
    EXPECT_EQ(start, QStringLiteral("jqu\u2026"));
}

TEST(SplitView, MovesDividersAndTellsCollapsedPanes)
{
    SplitView split(Qt::Horizontal);
    auto *left = new QWidget;
    auto *right = new QWidget;
    split.addWidget(left);
    split.addWidget(right);
    split.resize(400, 100);
    split.show();
    split.setPositionOfDividerAtIndex(150, 0);
    EXPECT_EQ(split.positionOfDividerAtIndex(0), 150);
    split.setPositionOfDividerAtIndex(0, 0);
    EXPECT_TRUE(split.isSubviewCollapsed(left));
    EXPECT_FALSE(split.isSubviewCollapsed(right));
    EXPECT_TRUE(split.isVertical());
}

TEST(NamedImage, FindsOurArtByTheNamesTheInterfaceUses)
{
    EXPECT_TRUE(NamedImage::pathForImageNamed(QStringLiteral("object.png")).endsWith(QLatin1String("object.svg")));
    EXPECT_TRUE(NamedImage::pathForImageNamed(QStringLiteral("ControllerHeaderBlack.pdf"))
                    .endsWith(QLatin1String("ControllerHeaderBlack.svg")));
    for (const char *name : {"object.png", "ControllerHeader.pdf", "ControllerHeaderBlack.pdf",
                             "linen_blue_light.png", "shadow.png", "shadow-left-active.png", "bg"})
        EXPECT_FALSE(NamedImage::imageNamed(QString::fromLatin1(name)).isNull()) << name;
    EXPECT_TRUE(NamedImage::imageNamed(QStringLiteral("no-such-image.png")).isNull());
}

TEST(NamedImage, TintsASymbolAndKeepsItsShape)
{
    QPixmap symbol(4, 4);
    symbol.fill(Qt::transparent);
    {
        QPainter painter(&symbol);
        painter.fillRect(0, 0, 2, 4, Qt::black);
    }
    const QImage tinted = NamedImage::tinted(symbol, Qt::red).toImage();
    EXPECT_EQ(tinted.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(tinted.pixelColor(3, 0).alpha(), 0);
}

TEST(AnimationContext, CompletesAfterItsAnimationsAndOnTheNextTurnWithoutAny)
{
    QWidget widget;
    widget.setProperty("level", 0.0);
    bool done = false;
    AnimationContext::runAnimationGroup(
        [&](AnimationContext &context) {
            context.setDuration(0.02);
            context.animate(&widget, "windowOpacity", 0.5);
        },
        [&] { done = true; });
    EXPECT_FALSE(done);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return done; }, 2000));

    bool empty = false;
    AnimationContext::runAnimationGroup([](AnimationContext &) {}, [&] { empty = true; });
    EXPECT_FALSE(empty);
    EXPECT_TRUE(TestUtil::waitUntil([&] { return empty; }, 1000));
}

} // namespace
