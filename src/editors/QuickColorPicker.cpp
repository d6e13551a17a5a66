#include "QuickColorPicker.h"

#include "ColorPalletViewController.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/ColorPanel.h"
#include "platform/kit/NamedImage.h"
#include "toolkit/RBLPopover.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

QuickColorPicker::QuickColorPicker(QWidget *parent)
    : QWidget(parent)
    , m_colorPalletButton(new QToolButton(this))
    , m_colorPickerButton(new QToolButton(this))
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    m_colorPalletButton->setAutoRaise(true);
    m_colorPalletButton->setFocusPolicy(Qt::StrongFocus);
    m_colorPalletButton->setToolTip(QStringLiteral("Color palette"));
    m_colorPalletButton->setObjectName(QStringLiteral("colorPalletButton"));
    m_colorPalletButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    // The swatch is drawn by the picker; the button only takes the click.
    m_colorPalletButton->setStyleSheet(QStringLiteral("QToolButton { background: transparent; border: none; }"));
    m_colorPickerButton->setAutoRaise(true);
    m_colorPickerButton->setFocusPolicy(Qt::StrongFocus);
    m_colorPickerButton->setToolTip(QStringLiteral("Show Colors"));
    m_colorPickerButton->setObjectName(QStringLiteral("colorPickerButton"));
    m_colorPickerButton->setIcon(QIcon(NamedImage::imageNamed(QStringLiteral("sf-mac_insp_color_L3-CW"))));
    m_colorPickerButton->setIconSize(QSize(14, 14));
    layout->addWidget(m_colorPalletButton, 1);
    layout->addWidget(m_colorPickerButton);
    connect(m_colorPalletButton, &QToolButton::clicked, this, &QuickColorPicker::showColorPallet);
    connect(m_colorPickerButton, &QToolButton::clicked, this, &QuickColorPicker::showColorPanel);
}

QuickColorPicker::~QuickColorPicker()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    ColorPanel::sharedColorPanel().resignTarget(this);
}

QSize QuickColorPicker::sizeHint() const
{
    return QSize(64, 20);
}

void QuickColorPicker::setColor(const std::optional<RGBAColor> &color)
{
    m_color = color;
    clearUnknownText();
    update();
}

void QuickColorPicker::setUnknownText(const QString &text)
{
    m_color.reset();
    m_unknownText = text;
    m_colorPalletButton->setToolTip(QStringLiteral("Color palette (now %1, kept as written)").arg(text));
    update();
}

void QuickColorPicker::clearUnknownText()
{
    if (m_unknownText.isEmpty())
        return;
    m_unknownText.clear();
    m_colorPalletButton->setToolTip(QStringLiteral("Color palette"));
}

void QuickColorPicker::showColorPallet()
{
    if (!m_popover) {
        m_colorPalletViewController = new ColorPalletViewController(this);
        m_popover = new RBLPopover(m_colorPalletViewController, this);
        m_popover->setBehavior(RBLPopover::Transient);
        m_popover->setAnimates(false);
        m_popover->setCanBecomeKey(true);
        m_popover->setWillShowBlock([this](RBLPopover *) { m_colorPalletViewController->onOpen(); });
        NotificationCenter::defaultCenter().addObserver(
            this, QStringLiteral("ColorPalletChanged"), m_colorPalletViewController,
            [this](const Notification &notification) {
                colorPalletChanged(notification.userInfo, notification.userInfo.contains(QStringLiteral("color")));
            });
    }
    const QSize size = m_colorPalletViewController->view()->sizeHint();
    m_popover->setContentSize(QSizeF(size));
    m_popover->showRelativeToRect(QRectF(), m_colorPalletButton, RectEdge::Below);
}

void QuickColorPicker::showColorPanel()
{
    ColorPanel::sharedColorPanel().openForTarget(this, m_color ? m_color->toQColor() : QColor(Qt::white),
                                                 [this](const QColor &color) { colorPanelChanged(color); });
}

void QuickColorPicker::colorPalletChanged(const QVariantMap &userInfo, bool hasColor)
{
    if (hasColor)
        m_color = RGBAColor::fromQColor(userInfo.value(QStringLiteral("color")).value<QColor>());
    else
        m_color.reset();
    colorChanged();
}

void QuickColorPicker::colorPanelChanged(const QColor &color)
{
    m_color = RGBAColor::fromQColor(color);
    colorChanged();
}

void QuickColorPicker::colorChanged()
{
    clearUnknownText();
    update();
    QVariantMap info;
    if (m_color)
        info.insert(QStringLiteral("color"), m_color->toQColor());
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("QuickColorPickerChanged"), this, info);
    Q_EMIT colorAction();
}

void QuickColorPicker::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
        update();
    QWidget::changeEvent(event);
}

void QuickColorPicker::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath outline;
    outline.addRoundedRect(frame, 4, 4);
    painter.fillPath(outline, palette().base());
    if (m_color) {
        QRectF swatch = QRectF(m_colorPalletButton->geometry()).adjusted(1, 1, -1, -1);
        // A translucent colour over a checkerboard, so that its alpha shows.
        if (m_color->alpha < 1) {
            painter.save();
            painter.setClipRect(swatch);
            for (int y = int(swatch.top()); y < swatch.bottom(); y += 4)
                for (int x = int(swatch.left()); x < swatch.right(); x += 4)
                    if (((x + y) / 4) % 2 == 0)
                        painter.fillRect(QRectF(x, y, 4, 4), Qt::lightGray);
            painter.restore();
        }
        QPainterPath box;
        box.addRoundedRect(swatch, 1, 1);
        painter.fillPath(box, m_color->toQColor());
    } else if (!m_unknownText.isEmpty()) {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
        painter.drawText(QRectF(m_colorPalletButton->geometry()), Qt::AlignCenter, QStringLiteral("?"));
    }
    const QColor border = QColor::fromRgbF(0.5098039215686274, 0.5098039215686274, 0.5098039215686274,
                                           isEnabled() ? 1.0 : 0.4);
    painter.setPen(QPen(border, 1));
    painter.drawPath(outline);
}
