#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMComment.h"
#include "platform/web/dom/DOMText.h"
#include "platform/foundation/NotificationCenter.h"
#include "preview/BackgroundView.h"
#include "preview/ExWebView.h"
#include "toolkit/DragPayload.h"
#include "toolkit/LabelButton.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

QVariantMap widths(double padding, double border)
{
    QVariantMap map;
    for (const char *side : {"top", "left", "right", "bottom"}) {
        map.insert(QStringLiteral("padding-%1").arg(QLatin1String(side)), padding);
        map.insert(QStringLiteral("border-%1-width").arg(QLatin1String(side)), border);
    }
    return map;
}

// An overlay of a 400 x 300 view over an element of a document of its own.
struct Overlay
{
    Overlay()
    {
        view.resize(400, 300);
        document = DOMDocument::create();
        element = document->createElement(QStringLiteral("div"));
        document->appendChild(element);
        view.setElement(element);
    }
    BackgroundView view;
    DOMDocumentPtr document;
    DOMElementPtr element;
};

} // namespace

TEST(BackgroundView, LabelTextNamesTheTagIdAndClasses)
{
    const DOMDocumentPtr document = DOMDocument::create();
    const DOMElementPtr div = document->createElement(QStringLiteral("DIV"));
    EXPECT_EQ(BackgroundView::elementLabelText(div.get()), QStringLiteral("\u25BC div"));
    div->setAttribute(QStringLiteral("id"), QString());
    EXPECT_EQ(BackgroundView::elementLabelText(div.get()), QStringLiteral("\u25BC div"));
    div->setAttribute(QStringLiteral("id"), QStringLiteral("main"));
    div->setAttribute(QStringLiteral("class"), QStringLiteral("a b"));
    EXPECT_EQ(BackgroundView::elementLabelText(div.get()), QStringLiteral("\u25BC div#main.a b"));
    EXPECT_EQ(BackgroundView::elementLabelText(document->createTextNode(QStringLiteral("x")).get()),
              QStringLiteral("\u25BC #text"));
    EXPECT_EQ(BackgroundView::elementLabelText(document->createComment(QStringLiteral("x")).get()),
              QStringLiteral("\u25BC #comment"));
    EXPECT_EQ(BackgroundView::sizeLabelText(QSizeF(120.4, 65.6)), QStringLiteral("w:120px h:66px"));
}

TEST(BackgroundView, LabelsStayInsideTheView)
{
    // An element at the very top: its label is held 14 points under the top.
    EXPECT_EQ(BackgroundView::labelOrigin(QRectF(30, 5, 50, 20), 300), QPointF(30, 286));
    EXPECT_EQ(BackgroundView::labelOrigin(QRectF(30, 100, 50, 20), 300), QPointF(30, 200));
    // An element at the left and bottom edges: the size label stops at 0.
    EXPECT_EQ(BackgroundView::sizeTextOrigin(QRectF(-0.5, 2, 20, 10), QSizeF(80, 14)), QPointF(0, 0));
    EXPECT_EQ(BackgroundView::sizeTextOrigin(QRectF(100, 50, 120, 40), QSizeF(80, 14)), QPointF(140, 36));
    EXPECT_EQ(BackgroundView::resizeRect(QRectF(10, 20, 100, 50), 300), QRectF(94, 230, 16, 16));
}

TEST(BackgroundView, AResizeDragStopsAtThePaddingsAndBordersAndKeepsThePlace)
{
    const QVariantMap dimension = widths(5, 2);
    const QRectF start(10, 20, 100, 50);
    EXPECT_EQ(BackgroundView::resizedRect(start, QPointF(30, -10), dimension), QRectF(10, 20, 130, 60));
    EXPECT_EQ(BackgroundView::resizedRect(start, QPointF(-200, 200), dimension), QRectF(10, 20, 14, 14));
    // Missing widths read as 0.
    EXPECT_EQ(BackgroundView::resizedRect(start, QPointF(-200, 0), {}), QRectF(10, 20, 0, 50));
}

TEST(BackgroundView, NoElementOrAnEmptyBoxHidesTheLabels)
{
    Overlay overlay;
    overlay.view.setRect(QRectF(10, 10, 0, 0));
    overlay.view.refresh();
    EXPECT_TRUE(overlay.view.elementText()->isHidden());
    EXPECT_TRUE(overlay.view.sizeText()->isHidden());
    EXPECT_TRUE(overlay.view.toOuterButton()->isHidden());
    // The picked box is still drawn, grown to 1 x 0.5.
    EXPECT_EQ(overlay.view.drawingRect(), QRectF(9.5, 300 - 9.5 - 0.5, 1, 0.5));

    overlay.view.setRect(QRectF(10, 10, 40, 20));
    overlay.view.refresh();
    EXPECT_FALSE(overlay.view.elementText()->isHidden());
    overlay.view.setElement(nullptr);
    overlay.view.refresh();
    EXPECT_TRUE(overlay.view.elementText()->isHidden());
    EXPECT_TRUE(overlay.view.drawingRect().isNull());
}

TEST(BackgroundView, ResizeModeTakesTheHandleOnlyAndReportsTheNewSize)
{
    Overlay overlay;
    overlay.view.show();
    overlay.view.setRect(QRectF(10, 20, 100, 50));
    overlay.view.setDimension(widths(0, 0));
    overlay.view.refresh();
    QRectF reported;
    NotificationCenter::defaultCenter().addObserver(&overlay, QStringLiteral("elementResized"), nullptr,
                                                    [&reported](const Notification &notification) {
                                                        reported = notification.userInfo.value(QStringLiteral("elementRect")).toRectF();
                                                    });
    const auto press = [&](const QPointF &point) {
        QMouseEvent event(QEvent::MouseButtonPress, point, overlay.view.mapToGlobal(point), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&overlay.view, &event);
        return event.isAccepted();
    };
    // Outside resize mode every click goes on to the page.
    EXPECT_FALSE(press(QPointF(105, 65)));
    overlay.view.setDetectResizable(true);
    EXPECT_FALSE(press(QPointF(50, 40)));
    ASSERT_TRUE(press(QPointF(105, 65)));
    QMouseEvent drag(QEvent::MouseMove, QPointF(125, 75), overlay.view.mapToGlobal(QPointF(125, 75)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&overlay.view, &drag);
    EXPECT_EQ(reported, QRectF(10, 20, 120, 60));
    EXPECT_EQ(overlay.view.rect(), QRectF(10, 20, 120, 60));
    NotificationCenter::defaultCenter().removeObserver(&overlay);
}

TEST(BackgroundView, SubElementsMakeOneBoxWithItsSizeOnly)
{
    Overlay overlay;
    overlay.view.setRect(QRectF(10, 20, 100, 50));
    overlay.view.setSubElements({overlay.document->createElement(QStringLiteral("span"))});
    overlay.view.refresh();
    EXPECT_TRUE(overlay.view.elementText()->isHidden());
    EXPECT_TRUE(overlay.view.toOuterButton()->isHidden());
    EXPECT_FALSE(overlay.view.sizeText()->isHidden());
}

TEST(ExWebViewDrag, DragsAreTakenByTheirTypes)
{
    const auto operation = [](const std::function<void(QMimeData &)> &fill) {
        QMimeData data;
        fill(data);
        return ExWebView::dragOperationForMimeData(&data);
    };
    const auto snippet = [](QMimeData &data, const QVariant &value) { DragPayload::setDomNodeDragCopy(&data, value); };

    EXPECT_EQ(operation([](QMimeData &data) { data.setText(QStringLiteral("text")); }), Qt::IgnoreAction);
    EXPECT_EQ(operation([&](QMimeData &data) {
                  data.setText(QStringLiteral("text"));
                  snippet(data, QStringLiteral("div"));
              }),
              Qt::IgnoreAction);
    EXPECT_EQ(operation([](QMimeData &data) { DragPayload::setCSSRuleDrag(&data, QStringLiteral(".a {}")); }),
              Qt::IgnoreAction);
    EXPECT_EQ(operation([](QMimeData &data) { data.setData(QStringLiteral("StyleDeclarationDrag"), {}); }),
              Qt::IgnoreAction);
    EXPECT_EQ(operation([&](QMimeData &data) {
                  snippet(data, QVariantMap{{QStringLiteral("content"), QStringLiteral("\n<HTML><body></body></html>")}});
              }),
              Qt::IgnoreAction);
    EXPECT_EQ(operation([&](QMimeData &data) {
                  snippet(data, QVariantMap{{QStringLiteral("content"), QStringLiteral("<div class=row></div>")}});
              }),
              Qt::CopyAction);
    EXPECT_EQ(operation([&](QMimeData &data) { snippet(data, QStringLiteral("a href")); }), Qt::CopyAction);
    EXPECT_EQ(operation([](QMimeData &data) {
                  data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt")), QUrl::fromLocalFile(QStringLiteral("/tmp/b.PNG"))});
              }),
              Qt::IgnoreAction);
    EXPECT_EQ(operation([](QMimeData &data) {
                  data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/a.txt")), QUrl::fromLocalFile(QStringLiteral("/tmp/b.png"))});
                  // A file manager may add the paths as text.
                  data.setText(QStringLiteral("/tmp/a.txt\n/tmp/b.png"));
              }),
              Qt::CopyAction);
    // Rows of the DOM tree and anything else without those types.
    EXPECT_EQ(operation([](QMimeData &data) { data.setData(QStringLiteral("InnerDomNodeDrag"), "1"); }), Qt::CopyAction);
    EXPECT_EQ(ExWebView::dragOperationForMimeData(nullptr), Qt::IgnoreAction);
}
