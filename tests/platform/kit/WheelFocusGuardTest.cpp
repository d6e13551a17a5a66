#include "platform/kit/WheelFocusGuard.h"

#include <QApplication>
#include <QComboBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

// A wheel notch down over the widget's middle, as the window system sends it.
void wheel(QWidget *widget)
{
    const QPointF at = QRectF(widget->rect()).center();
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

// A tall page of fields in a scroll area: what the style panel's pages are.
struct Page
{
    Page()
    {
        auto *content = new QWidget;
        auto *layout = new QVBoxLayout(content);
        combo = new QComboBox;
        combo->addItems({QStringLiteral("block"), QStringLiteral("inline"), QStringLiteral("compact")});
        spin = new QSpinBox;
        slider = new QSlider(Qt::Horizontal);
        slider->setRange(0, 100);
        spin->setValue(5);
        slider->setValue(50);
        layout->addWidget(combo);
        layout->addWidget(spin);
        layout->addWidget(slider);
        layout->addSpacing(2000);
        area.setWidget(content);
        area.resize(200, 200);
        WheelFocusGuard::guard(&area);
        // Made after the guard, as a popover's editors are.
        late = new QSpinBox(content);
        late->setValue(5);
        area.show();
    }

    QScrollArea area;
    QComboBox *combo = nullptr;  // Not owned.
    QSpinBox *spin = nullptr;    // Not owned.
    QSlider *slider = nullptr;   // Not owned.
    QSpinBox *late = nullptr;    // Not owned.
};

} // namespace

TEST(WheelFocusGuard, AWheelOverAnUnfocusedFieldScrollsThePanelAndChangesNothing)
{
    Page page;
    QScrollBar *scroll = page.area.verticalScrollBar();
    for (QWidget *field : {static_cast<QWidget *>(page.combo), static_cast<QWidget *>(page.spin),
                           static_cast<QWidget *>(page.slider), static_cast<QWidget *>(page.late)}) {
        const int before = scroll->value();
        wheel(field);
        EXPECT_GT(scroll->value(), before) << field->metaObject()->className();
        // A wheel never gives a field the keyboard.
        EXPECT_NE(field->focusPolicy(), Qt::WheelFocus) << field->metaObject()->className();
    }
    EXPECT_EQ(page.combo->currentIndex(), 0);
    EXPECT_EQ(page.spin->value(), 5);
    EXPECT_EQ(page.slider->value(), 50);
    EXPECT_EQ(page.late->value(), 5);
}

TEST(WheelFocusGuard, TheFieldWithTheKeyboardTakesTheWheel)
{
    Page page;
    page.area.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page.area));
    page.spin->setFocus();
    wheel(page.spin);
    EXPECT_EQ(page.spin->value(), 4);
    page.slider->setFocus();
    wheel(page.slider);
    EXPECT_NE(page.slider->value(), 50);
}
