#include "stylemanager/PatchingButton.h"
#include "stylemanager/PatchingDrawingView.h"

#include "domtree/LiveDomTreePage.h"

#include "platform/kit/OutlineView.h"
#include "stylesheet/StyleDeclaration.h"
#include "toolkit/DragPayload.h"

#include <QEnterEvent>
#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

StyleDeclarationPtr rule(const QString &selector)
{
    auto declaration = std::make_shared<StyleDeclaration>();
    declaration->setType(RuleType::Style);
    declaration->setSelector(selector);
    return declaration;
}

void enter(PatchingButton &button)
{
    QEnterEvent event(QPointF(4, 4), QPointF(4, 4), button.mapToGlobal(QPointF(4, 4)));
    QCoreApplication::sendEvent(&button, &event);
}

void leave(PatchingButton &button)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(&button, &event);
}

QString dragText(const QString &selector)
{
    std::unique_ptr<QMimeData> mime(PatchingButton::mimeDataForSelector(selector));
    return mime ? QString::fromUtf8(mime->data(QString::fromLatin1(DragPayload::kClassSelectorPatching)))
                : QStringLiteral("(none)");
}

} // namespace

TEST(PatchingButton, TheDragTextIsTheClassBeforeTheFirstColon)
{
    const struct
    {
        const char *name;
        QString selector;
        QString text;
    } rows[] = {
        {"pseudo-class and pseudo-element", QStringLiteral(".btn:hover::before"), QStringLiteral(".btn")},
        {"pseudo-element", QStringLiteral(".note::after"), QStringLiteral(".note")},
        {"plain class", QStringLiteral(".note"), QStringLiteral(".note")},
        {"id", QStringLiteral("#menu"), QStringLiteral("#menu")},
        {"element with a pseudo-class", QStringLiteral("a:hover"), QStringLiteral("a")},
        {"pseudo-element alone", QStringLiteral("::selection"), QString()},
    };
    for (const auto &row : rows)
        EXPECT_EQ(PatchingButton::patchingSelector(row.selector), row.text) << row.name;
}

TEST(PatchingButton, TheDragCarriesOnlyTheClassTypeAndOnlyForASingleClass)
{
    std::unique_ptr<QMimeData> mime(PatchingButton::mimeDataForSelector(QStringLiteral(".btn:hover::before")));
    ASSERT_TRUE(mime);
    EXPECT_EQ(mime->formats(), QStringList{QString::fromLatin1(DragPayload::kClassSelectorPatching)});
    EXPECT_EQ(dragText(QStringLiteral(".btn:hover::before")), QStringLiteral(".btn"));
    EXPECT_EQ(dragText(QStringLiteral(".-x_1::after")), QStringLiteral(".-x_1"));

    // Each of these would give the element a class the rule does not match.
    for (const char *selector : {"#menu", "a:hover", "::selection", ".a.b", ".a,.b", ".a>p", ".a[title]", ".", ""})
        EXPECT_EQ(dragText(QString::fromLatin1(selector)), QStringLiteral("(none)")) << selector;
}

TEST(PatchingButton, TheImageFollowsShowButtonAndThePointer)
{
    PatchingButton button;
    button.resize(button.sizeHint());
    EXPECT_EQ(button.imageState(), PatchingButton::State::None);

    // The list sets the flag, then asks for the image.
    button.setShowButton(true);
    EXPECT_EQ(button.imageState(), PatchingButton::State::None);
    button.resetUpImage();
    EXPECT_EQ(button.imageState(), PatchingButton::State::Up);
    enter(button);
    EXPECT_EQ(button.imageState(), PatchingButton::State::Down);
    leave(button);
    EXPECT_EQ(button.imageState(), PatchingButton::State::Up);

    // A rule matching nothing: "none" until the pointer enters, and again after it leaves.
    button.setShowButton(false);
    button.resetUpImage();
    EXPECT_EQ(button.imageState(), PatchingButton::State::None);
    enter(button);
    EXPECT_EQ(button.imageState(), PatchingButton::State::Down);
    leave(button);
    EXPECT_EQ(button.imageState(), PatchingButton::State::None);
}

TEST(PatchingButton, TheImagesAreTintedWithThePalettesTextColour)
{
    QPalette dark;
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    for (PatchingButton::State state : {PatchingButton::State::Up, PatchingButton::State::None, PatchingButton::State::Down}) {
        const QPixmap pixmap = PatchingButton::image(state, dark, 2.0);
        ASSERT_FALSE(pixmap.isNull()) << PatchingButton::imageName(state).toStdString();
        EXPECT_EQ(pixmap.deviceIndependentSize().toSize(), QSize(14, 14));
        EXPECT_EQ(pixmap.size(), QSize(28, 28));
        const QImage image = pixmap.toImage();
        bool opaqueSeen = false;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.alpha() < 40)
                    continue;
                opaqueSeen = true;
                ASSERT_NEAR(pixel.red(), 230, 3) << x << "," << y;
            }
        }
        EXPECT_TRUE(opaqueSeen);
    }
    // The three states look different.
    const QImage up = PatchingButton::image(PatchingButton::State::Up, dark, 1).toImage();
    EXPECT_NE(up, PatchingButton::image(PatchingButton::State::None, dark, 1).toImage());
    EXPECT_NE(up, PatchingButton::image(PatchingButton::State::Down, dark, 1).toImage());
}

TEST(PatchingButton, APressNeverMakesAClick)
{
    PatchingButton button;
    button.resize(button.sizeHint());
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    QSignalSpy pressed(&button, &QAbstractButton::pressed);
    QTest::mouseClick(&button, Qt::LeftButton);
    button.setStyleDeclaration(rule(QStringLiteral(".note:hover")));
    QTest::mouseClick(&button, Qt::LeftButton);
    QTest::mouseClick(&button, Qt::RightButton);
    button.setStyleDeclaration(rule(QStringLiteral("#menu")));
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(pressed.count(), 0);
    EXPECT_FALSE(button.isDown());
}

TEST(PatchingDrawingView, ThePointsAreScreenPointsAndTheLineIsDrawnBetweenThem)
{
    EXPECT_EQ(PatchingDrawingView::rectForEllipse(QPointF(10, 20), 2.0f), QRectF(8, 18, 4, 4));
    EXPECT_EQ(PatchingDrawingView::rectForEllipse(QPointF(-1.5, 0), 0.5f), QRectF(-2, -0.5, 1, 1));

    // A screen whose frame does not start at the origin.
    const QRect frame(100, 50, 200, 100);
    PatchingDrawingView view(frame);
    EXPECT_EQ(view.size(), frame.size());
    view.drawLine(QPointF(110.5, 100.5), QPointF(290.5, 60.5));
    EXPECT_EQ(view.start(), QPointF(110.5, 100.5));
    EXPECT_EQ(view.end(), QPointF(290.5, 60.5));
    view.drawLineTo(QPointF(280.5, 100.5));
    EXPECT_EQ(view.start(), QPointF(110.5, 100.5));
    EXPECT_EQ(view.end(), QPointF(280.5, 100.5));

    QImage image(frame.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const auto at = [&image, &frame](int x, int y) { return image.pixelColor(QPoint(x, y) - frame.topLeft()); };
    const QRgb blue = QColor(56, 107, 218).rgb();
    // The line and the dots at its ends in blue, a faint red shadow beside
    // them, and nothing anywhere else.
    EXPECT_EQ(at(200, 100).rgb(), blue);
    EXPECT_EQ(at(110, 100).rgb(), blue);
    EXPECT_EQ(at(280, 100).rgb(), blue);
    const QColor shadow = at(200, 101);
    EXPECT_GT(shadow.red(), 200);
    EXPECT_LT(shadow.blue(), 50);
    EXPECT_GT(shadow.alpha(), 0);
    EXPECT_LT(shadow.alpha(), 150);
    EXPECT_EQ(at(200, 104).alpha(), 0);
    EXPECT_EQ(at(290, 60).alpha(), 0);
}

TEST(PatchingButtonLive, TheDragDroppedOnAnElementRowAddsTheClassUndoably)
{
    LiveDomTreePage page(
        "<!DOCTYPE html>\n<html>\n<head><title>Patch</title></head>\n<body>\n<p id='one'>One</p>\n</body>\n</html>\n");
    ASSERT_TRUE(page.loaded);
    // Selecting the element opens its ancestors' rows.
    page.select(page.byId("one"));
    OutlineView *outline = page.tree->outline();
    const QPoint row = outline->rectOfRow(outline->rowForItem(page.rowOf(page.byId("one")))).center();
    std::unique_ptr<QMimeData> mime(PatchingButton::mimeDataForSelector(QStringLiteral(".hot:hover::before")));
    ASSERT_TRUE(mime);

    // As the window system hands the drag over: a copy is all the button offers.
    QDragEnterEvent enter(row, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(outline->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(row), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(outline->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    page.settle();
    EXPECT_EQ(page.inPage("document.getElementById('one').className"), QStringLiteral("hot"));
    EXPECT_EQ(page.undo.undoActionName(), QStringLiteral("Add Class Name"));
    EXPECT_TRUE(page.text().contains(QStringLiteral("<p id='one' class='hot'>"))) << page.text().toStdString();
    page.undoStep();
    EXPECT_EQ(page.inPage("document.getElementById('one').className"), QString());
}
