// PreviewDelegate: device sizes, the responsive slider, zoom and the ruler.

#include "PreviewDelegate.h"

#include "ExWebView.h"
#include "GridView.h"

#include "interfaces/CSSOutlineDelegateInterface.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/kit/NamedImage.h"
#include "platform/web/dom/DOMNode.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QLayout>
#include <QPainter>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include <cmath>

namespace {

// Lays out the view the preview lies in when it is resized (the grid fills
// it; the preview sits at the top at its preset's size). A child of the
// delegate: it stops following the view when the delegate goes.
class MainViewResizeFilter : public QObject
{
public:
    MainViewResizeFilter(QObject *parent, std::function<void()> resized)
        : QObject(parent), m_resized(std::move(resized))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            m_resized();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_resized;
};

// The soft shadow around the preview's left, right and bottom edges.
class BorderShadow : public QWidget
{
public:
    explicit BorderShadow(QWidget *parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        // Rings fading outwards from the preview's edge, 10 points wide.
        for (int i = 0; i < kWidth; ++i) {
            QColor color(0, 0, 0, 6 + 2 * i);
            painter.setPen(QPen(color, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(QRectF(rect()).adjusted(i + 0.5, -20, -i - 0.5, -i - 0.5), kWidth - i, kWidth - i);
        }
    }

private:
    static constexpr int kWidth = 10;
};

struct Breakpoint
{
    int low;
    int high;
    int target;
    PreviewDelegate::Marker marker;
};

// Tested in this order, each against the slider's value.
constexpr Breakpoint kBreakpoints[] = {
    {311, 329, 320, PreviewDelegate::BreakIPhoneV},    {471, 489, 480, PreviewDelegate::BreakIPhoneOldH},
    {559, 577, 568, PreviewDelegate::BreakIPhoneH},    {761, 777, 768, PreviewDelegate::BreakIPadV},
    {1015, 1033, 1024, PreviewDelegate::BreakIPadH},
};

// Within this distance of the maximum the slider goes to the maximum.
constexpr int kDesktopSnap = 20;

struct Preset
{
    int width;
    int height;
    int chromedHeight;
    const char *title;
};

// Portrait sizes; landscape swaps width and height and has its own chromed height.
constexpr Preset kPortrait[] = {
    {320, 480, 358, "[320×480 iPhone]"},
    {320, 568, 446, "[640×960 iPhone Retina]"},
    {768, 1034, 938, "[768×1034 iPad iPad mini]"},
    {720, 1184, 1062, "[720×1184 GalaxyNexsas]"},
};
constexpr Preset kLandscape[] = {
    {480, 320, 198, "[480×320 iPhone]"},
    {568, 320, 198, "[960×640 iPhone Retina]"},
    {1024, 768, 672, "[1024×768 iPad iPad mini]"},
    {1184, 720, 598, "[1184×720 GalaxyNexsas]"},
};

constexpr int kPresetCount = 5;

const Preset *presetOf(int tag, bool landscape)
{
    if (tag < 1 || tag >= kPresetCount)
        return nullptr;
    return landscape ? &kLandscape[tag - 1] : &kPortrait[tag - 1];
}

} // namespace

// --- Presets -------------------------------------------------------------------------------

QSize PreviewDelegate::presetSize(int tag, bool landscape, bool chromed)
{
    const Preset *preset = presetOf(tag, landscape);
    if (!preset)
        return {};
    return {preset->width, chromed ? preset->chromedHeight : preset->height};
}

QString PreviewDelegate::presetTitle(int tag, bool landscape)
{
    const Preset *preset = presetOf(tag, landscape);
    return preset ? QString::fromUtf8(preset->title) : QString();
}

PreviewDelegate::Marker PreviewDelegate::presetMarker(int tag, bool landscape)
{
    switch (tag) {
    case 0:
        return BreakDesktop;
    case 1:
        return landscape ? BreakIPhoneOldH : BreakIPhoneV;
    case 2:
        return landscape ? BreakIPhoneH : BreakIPhoneV;
    case 3:
        return landscape ? BreakIPadH : BreakIPadV;
    default:
        return MarkerCount;
    }
}

PreviewDelegate::SliderSnap PreviewDelegate::snapResponsiveWidth(int value, int maximum)
{
    SliderSnap snap{value, MarkerCount};
    for (const Breakpoint &point : kBreakpoints) {
        if (value >= point.low && value <= point.high)
            snap = {point.target, point.marker};
    }
    if (value > maximum - kDesktopSnap)
        snap = {maximum, BreakDesktop};
    return snap;
}

// --- The controls --------------------------------------------------------------------------

void PreviewDelegate::setPreviewSizePopUpButton(QComboBox *popUp)
{
    m_previewSizePopUpButton = popUp;
    if (!popUp)
        return;
    popUp->clear();
    for (int tag = 0; tag < kPresetCount; ++tag)
        popUp->addItem(presetTitle(tag, m_landscapePreview), tag);
    connect(popUp, &QComboBox::activated, this, [this, popUp](int index) { changePreviewSize(popUp->itemData(index).toInt()); });
}

void PreviewDelegate::setOrientationButton(QAbstractButton *button)
{
    m_orientationButton = button;
    if (!button)
        return;
    connect(button, &QAbstractButton::clicked, this, &PreviewDelegate::previewRotation);
    updateOrientationButtonState();
}

void PreviewDelegate::setChromedPreview(QAction *item)
{
    m_chromedPreview = item;
    if (item)
        item->setCheckable(true);
}

void PreviewDelegate::setResponsiveSlider(QSlider *slider)
{
    m_responsiveSlider = slider;
    if (!slider)
        return;
    slider->setMinimum(1);
    connect(slider, &QSlider::valueChanged, this, [this] {
        if (!m_applyingSize)
            changeWebviewWidth();
    });
    // The release commits; a click beside the knob moves it and commits too.
    connect(slider, &QSlider::sliderReleased, this, &PreviewDelegate::commitResponsiveSliderChange);
}

void PreviewDelegate::setResponsiveRuler(QWidget *ruler)
{
    m_responsiveRuler = ruler;
    if (!ruler)
        return;
    const QPixmap art = NamedImage::imageNamed(QStringLiteral("breakpoint"));
    for (int i = 0; i < MarkerCount; ++i) {
        auto *marker = new QLabel(ruler);
        marker->setObjectName(QStringLiteral("breakpointMarker%1").arg(i));
        marker->setPixmap(art);
        marker->setFixedSize(art.isNull() ? QSize(9, 7) : art.deviceIndependentSize().toSize());
        marker->setAttribute(Qt::WA_TransparentForMouseEvents);
        marker->setGraphicsEffect(new QGraphicsOpacityEffect(marker));
        marker->show();
        m_markers[i] = marker;
        setMarkerAlpha(Marker(i), m_markerAlpha[i]);
    }
    placeMarkers();
}

// --- The main view -------------------------------------------------------------------------

void PreviewDelegate::makeMainView(QWidget *container)
{
    delete m_mainView;
    if (!container)
        return;
    if (!container->layout()) {
        auto *layout = new QVBoxLayout(container);
        layout->setContentsMargins(0, 0, 0, 0);
    }
    // The main view stands in the container in place of what it showed.
    QLayout *layout = container->layout();
    for (int i = 0; i < layout->count(); ++i) {
        if (QWidget *shown = layout->itemAt(i)->widget())
            shown->hide();
    }
    auto *mainView = new QWidget(container);
    mainView->setObjectName(QStringLiteral("previewMainView"));
    layout->addWidget(mainView);
    m_mainView = mainView;
    m_gridView = new GridView(mainView);
    m_webviewBorderShadow = new BorderShadow(mainView);
    m_webviewBorderShadow->setObjectName(QStringLiteral("webviewBorderShadow"));
    m_sizeBox = new QWidget(mainView);
    m_sizeBox->setObjectName(QStringLiteral("sizeBox"));
    auto *labels = new QVBoxLayout(m_sizeBox);
    labels->setContentsMargins(0, 4, 0, 0);
    labels->setSpacing(2);
    m_wLabel = new QLabel(m_sizeBox);
    m_hLabel = new QLabel(m_sizeBox);
    for (QLabel *label : {m_wLabel.data(), m_hLabel.data()}) {
        label->setStyleSheet(QStringLiteral("color: #6b717a; font-size: 11px;"));
        labels->addWidget(label);
    }
    labels->addStretch(1);
    m_sizeBox->resize(140, 44);
    m_sizeBox->setVisible(!m_rulerHidden);
    delete m_mainViewFilter;
    m_mainViewFilter = new MainViewResizeFilter(this, [this] {
        m_gridView->setGeometry(m_mainView->rect());
        doSetPreviewSize(m_lastPresetTag, true);
    });
    mainView->installEventFilter(m_mainViewFilter);
}

QRect PreviewDelegate::previewFrame() const
{
    return m_webview ? m_webview->geometry() : QRect();
}

int PreviewDelegate::responsiveWidth() const
{
    return m_responsiveSlider ? m_responsiveSlider->value() : previewFrame().width();
}

void PreviewDelegate::setMarkerAlpha(Marker marker, double alpha)
{
    if (marker == MarkerCount)
        return;
    m_markerAlpha[marker] = alpha;
    if (QWidget *view = m_markers[marker]) {
        if (auto *effect = qobject_cast<QGraphicsOpacityEffect *>(view->graphicsEffect()))
            effect->setOpacity(alpha);
    }
}

void PreviewDelegate::resetMarkers()
{
    for (int i = 0; i < MarkerCount; ++i)
        setMarkerAlpha(Marker(i), 0.5);
}

void PreviewDelegate::placeMarkers()
{
    const int desktop = m_mainView ? m_mainView->width() : 0;
    const int at[MarkerCount] = {320, 568, 480, 768, 1024, desktop};
    for (int i = 0; i < MarkerCount; ++i) {
        if (QWidget *marker = m_markers[i])
            marker->move(at[i] - marker->width() / 2, 0);
    }
}

void PreviewDelegate::showActualSizeTitle(const QSize &size)
{
    if (!m_previewSizePopUpButton)
        return;
    m_previewSizePopUpButton->setCurrentIndex(0);
    m_previewSizePopUpButton->setItemText(
        0, QStringLiteral("%1×%2 Actual Size").arg(size.width()).arg(size.height()));
}

// --- Applying a preset ---------------------------------------------------------------------

void PreviewDelegate::doSetPreviewSize(int index, bool keepSlider)
{
    index = qBound(0, index, kPresetCount - 1);
    // Moving the slider here is no move of the user's.
    const QScopedValueRollback<bool> applying(m_applyingSize, true);
    resetMarkers();
    if (!m_webview || !m_mainView) {
        if (m_responsiveSlider && m_mainView)
            m_responsiveSlider->setValue(m_mainView->width());
        return;
    }
    const QSize main = m_mainView->size();
    QSize size;
    if (index == 0) {
        size = main;
        if (m_responsiveSlider) {
            const int value = m_responsiveSlider->value();
            const bool kept = keepSlider && value < m_responsiveSlider->maximum() - kDesktopSnap;
            m_responsiveSlider->setMaximum(main.width());
            if (kept)
                size.setWidth(value);
        }
        if (m_orientationButton)
            m_orientationButton->setEnabled(false);
        setMarkerAlpha(BreakDesktop, 1.0);
    } else {
        if (m_orientationButton)
            m_orientationButton->setEnabled(true);
        size = presetSize(index, m_landscapePreview, m_chromedPreviewOn);
        size.setHeight(qMin(size.height(), main.height()));
        if (keepSlider && m_responsiveSlider)
            size.setWidth(m_responsiveSlider->value());
        setMarkerAlpha(presetMarker(index, m_landscapePreview), 1.0);
    }
    m_lastPresetTag = index;
    // The preview's top meets the main view's top.
    m_webview->setGeometry(QRect(QPoint(0, 0), size));
    if (index == 0)
        showActualSizeTitle(size);
    else if (m_previewSizePopUpButton)
        m_previewSizePopUpButton->setCurrentIndex(index);
    if (DOMNode *element = selectedElement())
        setElementInformation(element);
    if (m_responsiveSlider)
        m_responsiveSlider->setValue(size.width());
    placeMarkers();
    setBorderShadow(previewFrame());
    setWebviewLabelSize(previewFrame());
}

void PreviewDelegate::changePreviewSize(int tag)
{
    doSetPreviewSize(tag, false);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("reSelectDomNod"), this);
}

void PreviewDelegate::goBiggerSize()
{
    changePreviewSize(m_lastPresetTag >= kPresetCount - 1 ? 0 : m_lastPresetTag + 1);
}

void PreviewDelegate::goSmallerrSize()
{
    changePreviewSize(m_lastPresetTag <= 0 ? kPresetCount - 1 : m_lastPresetTag - 1);
}

void PreviewDelegate::previewRotation()
{
    m_landscapePreview = !m_landscapePreview;
    updateOrientationButtonState();
    if (m_previewSizePopUpButton) {
        for (int tag = 1; tag < kPresetCount; ++tag)
            m_previewSizePopUpButton->setItemText(tag, presetTitle(tag, m_landscapePreview));
    }
    doSetPreviewSize(m_lastPresetTag, false);
}

void PreviewDelegate::updateOrientationButtonState()
{
    if (!m_orientationButton)
        return;
    m_orientationButton->setIcon(NamedImage::imageNamed(m_landscapePreview ? QStringLiteral("OrientalH_Template")
                                                                           : QStringLiteral("OrientalV_Template")));
    m_orientationButton->setToolTip(m_landscapePreview ? QStringLiteral("Landscape") : QStringLiteral("Portrait"));
}

void PreviewDelegate::previewChrome()
{
    m_chromedPreviewOn = !m_chromedPreviewOn;
    if (m_chromedPreview)
        m_chromedPreview->setChecked(m_chromedPreviewOn);
    doSetPreviewWithLastIndex();
}

void PreviewDelegate::doSetPreviewWithLastIndex()
{
    doSetPreviewSize(m_lastPresetTag, true);
}

// --- The responsive slider -----------------------------------------------------------------

void PreviewDelegate::changeWebviewWidth()
{
    if (!m_responsiveSlider || !m_webview)
        return;
    resetMarkers();
    const SliderSnap snap = snapResponsiveWidth(m_responsiveSlider->value(), m_responsiveSlider->maximum());
    {
        const QSignalBlocker blocker(m_responsiveSlider);
        m_responsiveSlider->setValue(snap.value);
    }
    setMarkerAlpha(snap.marker, 1.0);
    QRect frame = previewFrame();
    frame.setWidth(m_responsiveSlider->value());
    m_webview->setGeometry(frame);
    setBorderShadow(frame);
    m_webview->redrawWithLastDimnsiton();
    setWebviewLabelSize(frame);
    m_lastPresetTag = 0;
    showActualSizeTitle(frame.size());
    // The element shown stays in view as the page narrows.
    if (DOMNode *element = m_webview->selectedElement(); element && m_webview->isDetectViewShown()) {
        if (element->nodeName().startsWith(QLatin1Char('#')) && element->parentNode())
            element = element->parentNode();
        m_webview->scrollIntoView(element);
    }
}

void PreviewDelegate::commitResponsiveSliderChange()
{
    if (m_cssOutlineDelegate && selectedElement())
        m_cssOutlineDelegate->updateRulesByElement(selectedElement());
}

void PreviewDelegate::setWebviewLabelSize(const QRect &rect)
{
    if (m_wLabel)
        m_wLabel->setText(QStringLiteral("Width : %1px").arg(rect.width()));
    if (m_hLabel)
        m_hLabel->setText(QStringLiteral("Height : %1px").arg(rect.height()));
    if (m_sizeBox)
        m_sizeBox->move(rect.width() + 10, m_sizeBox->y());
}

void PreviewDelegate::setBorderShadow(const QRect &rect)
{
    if (!m_webviewBorderShadow)
        return;
    m_webviewBorderShadow->setGeometry(rect.x() - 10, rect.y(), responsiveWidth() + 20, rect.height() + 10);
    m_webviewBorderShadow->stackUnder(m_webview);
}

// --- Zoom ----------------------------------------------------------------------------------

void PreviewDelegate::zoomIn()
{
    zoom(++m_zoomLevel);
}

void PreviewDelegate::zoomOut()
{
    m_zoomLevel = qMax<qint64>(1, m_zoomLevel - 1);
    zoom(m_zoomLevel);
}

void PreviewDelegate::resetScaling()
{
    // The step stays: the next zoom in goes on from it.
    zoom(1);
}

void PreviewDelegate::zoom(qint64 level)
{
    if (!m_webview || level < 1)
        return;
    m_webview->setZoomFactor(std::sqrt(double(level)));
    m_webview->redrawWithLastDimnsiton();
}

// --- The ruler -----------------------------------------------------------------------------

void PreviewDelegate::activateResponsiveRuler(bool active)
{
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    defaults.setBool(active, QStringLiteral("rulerActive"));
    defaults.synchronize();
    m_rulerHidden = !active;
    if (m_responsiveRuler)
        m_responsiveRuler->setVisible(active);
    if (m_sizeBox)
        m_sizeBox->setVisible(active);
    if (m_responsiveRulerMenuItem)
        m_responsiveRulerMenuItem->setText(active ? QStringLiteral("Hide Responsive Ruler")
                                                  : QStringLiteral("Show Responsive Ruler"));
    setBorderShadow(previewFrame());
}
