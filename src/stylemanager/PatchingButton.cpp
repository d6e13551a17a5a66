#include "PatchingButton.h"

#include "PatchingDrawingView.h"
#include "PatchingDrawingWindow.h"

#include "platform/foundation/Log.h"
#include "platform/kit/NamedImage.h"
#include "toolkit/DragPayload.h"

#include <QCursor>
#include <QDrag>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QSvgRenderer>

namespace {

// How often the line follows the pointer during a drag, in milliseconds.
constexpr int s_followInterval = 15;

// Only an X11 window may cover the screen at a place of its own choosing and
// let the pointer through.
bool canDrawLine()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

bool isSingleClassSelector(const QString &text)
{
    static const QRegularExpression s_class(
        QStringLiteral("^\\.(-?[_a-zA-Z\\x{80}-\\x{10FFFF}]|--)[\\w\\-\\x{80}-\\x{10FFFF}]*$"));
    return s_class.match(text).hasMatch();
}

} // namespace

PatchingButton::PatchingButton(QWidget *parent)
    : QAbstractButton(parent)
{
    // The button is dragged, never clicked or pressed with a key.
    setFocusPolicy(Qt::NoFocus);
    m_followTimer.setInterval(s_followInterval);
    connect(&m_followTimer, &QTimer::timeout, this, [this] {
        if (m_drawingView)
            m_drawingView->drawLineTo(QCursor::pos());
    });
    resetUpImage();
}

PatchingButton::~PatchingButton() = default;

void PatchingButton::setShowButton(bool showButton)
{
    m_showButton = showButton;
}

void PatchingButton::setStyleDeclaration(const StyleDeclarationPtr &styleDeclaration)
{
    m_styleDeclaration = styleDeclaration;
}

void PatchingButton::resetUpImage()
{
    setImageState(m_showButton ? State::Up : State::None);
}

void PatchingButton::updateDrawing() {}

void PatchingButton::setImageState(State state)
{
    if (m_imageState == state)
        return;
    m_imageState = state;
    update();
}

QString PatchingButton::patchingSelector(const QString &selector)
{
    QString text = selector;
    text.replace(QLatin1String("::"), QLatin1String(":"));
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    if (colon >= 0)
        text.truncate(colon);
    return text.trimmed();
}

bool PatchingButton::patchesClass(const QString &selector)
{
    return isSingleClassSelector(patchingSelector(selector));
}

QMimeData *PatchingButton::mimeDataForSelector(const QString &selector)
{
    const QString text = patchingSelector(selector);
    if (!isSingleClassSelector(text))
        return nullptr;
    auto *mime = new QMimeData;
    mime->setData(QString::fromLatin1(DragPayload::kClassSelectorPatching), text.toUtf8());
    return mime;
}

QString PatchingButton::imageName(State state)
{
    switch (state) {
    case State::Up:
        return QStringLiteral("PatchingButton_up_Template.pdf");
    case State::Down:
        return QStringLiteral("PatchingButton_down_Template.pdf");
    case State::None:
        break;
    }
    return QStringLiteral("PatchingButton_none_Template.pdf");
}

QPixmap PatchingButton::image(State state, const QPalette &palette, qreal devicePixelRatio)
{
    const QString name = imageName(state);
    const QString path = NamedImage::pathForImageNamed(name);
    if (path.isEmpty())
        return NamedImage::imageNamed(name); // Null, and logged once.
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QColor color = palette.color(QPalette::Active, QPalette::Text);
    const QString key = QStringLiteral("quillmark-patching:%1@%2:%3").arg(path).arg(ratio).arg(color.rgba(), 8, 16);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    QSvgRenderer renderer(path);
    const QSize size = renderer.defaultSize();
    if (!renderer.isValid() || size.isEmpty())
        return NamedImage::imageNamed(name); // Null, and logged once.
    QImage art((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    art.fill(Qt::transparent);
    QPainter painter(&art);
    renderer.render(&painter);
    painter.end();
    QPixmap drawn = QPixmap::fromImage(art);
    drawn.setDevicePixelRatio(ratio);
    pixmap = NamedImage::tinted(drawn, color);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QSize PatchingButton::sizeHint() const
{
    return QSize(16, 16);
}

void PatchingButton::paintEvent(QPaintEvent *)
{
    const QPixmap pixmap = image(m_imageState, palette(), devicePixelRatioF());
    if (pixmap.isNull())
        return;
    QPainter painter(this);
    const QSizeF size = pixmap.deviceIndependentSize();
    const QPointF at((width() - size.width()) / 2, (height() - size.height()) / 2);
    painter.drawPixmap(at, pixmap);
}

void PatchingButton::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    setImageState(State::Down);
}

void PatchingButton::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    resetUpImage();
}

void PatchingButton::mouseReleaseEvent(QMouseEvent *event)
{
    // The press began a drag, which took the release; no click follows.
    event->accept();
}

void PatchingButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    if (!m_styleDeclaration)
        return;
    QMimeData *mime = mimeDataForSelector(m_styleDeclaration->selector());
    if (!mime) {
        QM_INFO(QStringLiteral("No class to add from the selector %1").arg(m_styleDeclaration->selector()));
        return;
    }

    // The drop may rebuild the list and delete this button before exec()
    // returns, so the drag hangs on a source of its own.
    QObject dragSource;
    auto *drag = new QDrag(&dragSource); // Owned by dragSource.
    drag->setMimeData(mime);
    const bool drawing = beginLine();
    const QPointer<PatchingButton> self(this);
    drag->exec(Qt::CopyAction, Qt::CopyAction);
    if (!self)
        return;
    if (drawing)
        endLine();
    // The pointer may have left while the drag held it.
    if (!rect().contains(mapFromGlobal(QCursor::pos())))
        resetUpImage();
}

bool PatchingButton::beginLine()
{
    if (!canDrawLine()) {
        static bool s_reported = false;
        if (!s_reported) {
            s_reported = true;
            QM_INFO(QStringLiteral("No line is drawn while patching a class on the %1 platform")
                        .arg(QGuiApplication::platformName()));
        }
        return false;
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return false;
    const QRect frame = screen->geometry();
    m_drawingView = nullptr;
    m_drawingWindow = std::make_unique<PatchingDrawingWindow>(frame);
    m_drawingView = new PatchingDrawingView(frame, m_drawingWindow.get());
    m_drawingWindow->show();
    m_drawingWindow->raise();
    const QPointF start = mapToGlobal(QPointF(width() * 0.5, height() * 0.5 + 1.0));
    m_drawingView->drawLine(start, QCursor::pos());
    m_followTimer.start();
    return true;
}

void PatchingButton::endLine()
{
    m_followTimer.stop();
    // The window stays, hidden, until the next drag replaces it.
    if (m_drawingWindow)
        m_drawingWindow->hide();
}
