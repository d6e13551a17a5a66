#include "BlockSheet.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/NamedImage.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>

BlockSheet::BlockSheet(QWidget *parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    setAutoFillBackground(false);

    m_imageView = new QLabel(this);
    m_imageView->setFixedSize(100, 100);
    m_imageView->setAlignment(Qt::AlignCenter);
    m_imageView->setPixmap(NamedImage::tinted(NamedImage::imageNamed(QStringLiteral("Sync_Template.pdf")),
                                              QColor(110, 124, 140)));
    m_imageView->setAttribute(Qt::WA_TransparentForMouseEvents);

    m_opacity = new QGraphicsOpacityEffect(this);
    m_opacity->setOpacity(1.0);
    setGraphicsEffect(m_opacity);

    if (parent)
        parent->installEventFilter(this);
    coverParent();
    hide();
}

BlockSheet::~BlockSheet() = default;

void BlockSheet::coverParent()
{
    if (QWidget *parent = parentWidget())
        setGeometry(parent->rect());
    m_imageView->move((width() - m_imageView->width()) / 2, (height() - m_imageView->height()) / 2);
}

bool BlockSheet::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        coverParent();
    return false;
}

void BlockSheet::fade(double from, double to, double seconds)
{
    if (m_anim)
        m_anim->stop();
    auto *animation = new QPropertyAnimation(m_opacity, "opacity", this);
    animation->setStartValue(from);
    animation->setEndValue(to);
    animation->setDuration(int(seconds * 1000));
    m_anim = animation;
    if (to == 0.0) {
        connect(animation, &QPropertyAnimation::finished, this, [this] {
            // A fade-out that ran to its end leaves the overlay hidden, unless
            // it was made active again meanwhile.
            if (!m_isActive)
                hide();
        });
    }
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void BlockSheet::active()
{
    setAttribute(Qt::WA_TransparentForMouseEvents, false);
    show();
    raise();
    if (!m_isActive)
        fade(0.0, 1.0, kFadeInDuration);
    update();
    m_isActive = true;
}

void BlockSheet::deactive()
{
    if (m_isActive) {
        // Clicks go to the panel below while the overlay fades out.
        setAttribute(Qt::WA_TransparentForMouseEvents, true);
        m_isActive = false;
        fade(m_opacity->opacity(), 0.0, kFadeOutDuration);
    } else {
        hide();
    }
    update();
}

void BlockSheet::mousePressEvent(QMouseEvent *event)
{
    if (!m_isActive) {
        QFrame::mousePressEvent(event);
        return;
    }
    event->accept();
    // The click brings the page in step, and is the panel's too: the
    // overlay goes at once and the panel below takes it.
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("NeedSaveAndRefresh"), this);
    if (m_isActive)
        deactive();
    QWidget *parent = parentWidget();
    QWidget *below = parent ? parent->childAt(mapToParent(event->position().toPoint())) : nullptr;
    m_clickedBelow = below && below != this ? below : parent;
    passOn(event);
}

void BlockSheet::mouseMoveEvent(QMouseEvent *event)
{
    if (m_clickedBelow)
        passOn(event);
    else
        QFrame::mouseMoveEvent(event);
}

void BlockSheet::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_clickedBelow) {
        passOn(event);
        m_clickedBelow = nullptr;
        return;
    }
    if (m_isActive)
        event->accept();
    else
        QFrame::mouseReleaseEvent(event);
}

void BlockSheet::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The second click of a double click is one more click on the overlay.
    mousePressEvent(event);
}

void BlockSheet::passOn(QMouseEvent *event)
{
    // The rest of a click whose press went to the panel (the overlay holds
    // the mouse until the button is let go).
    QWidget *target = m_clickedBelow.data();
    if (!target)
        return;
    const QPointF global = event->globalPosition();
    QMouseEvent copy(event->type(), target->mapFromGlobal(global), global, event->button(), event->buttons(),
                     event->modifiers(), event->pointingDevice());
    QCoreApplication::sendEvent(target, &copy);
}

void BlockSheet::paintEvent(QPaintEvent *event)
{
    // The box's fill is fully transparent: only the symbol shows.
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgbF(221 / 255.0f, 227 / 255.0f, 234 / 255.0f, 0.0f));
    QFrame::paintEvent(event);
}
