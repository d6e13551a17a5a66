#include "WebViewCell.h"

#include "platform/foundation/Log.h"
#include "platform/web/engine/WebPage.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QPainter>
#include <QUrl>

#include <cmath>

namespace {

// The title under each picture, and the tallest a picture is shown.
constexpr int kTitleHeight = 18;
constexpr int kMaxPictureHeight = 160;

// The six lengths and the height of the body, asked together.
const char s_metricsScript[] =
    "(() => { const b = document.body; if (!b) return null; const s = getComputedStyle(b);"
    " const r = {}; for (const n of ['margin-top', 'margin-bottom', 'padding-top', 'padding-bottom',"
    " 'border-top-width', 'border-bottom-width', 'height']) r[n] = s.getPropertyValue(n); return r; })()";

double scannedNumber(const QString &text)
{
    // "12px" counts 12, as a scanner reading a float would.
    qsizetype end = 0;
    while (end < text.size() && (text.at(end).isDigit() || text.at(end) == QLatin1Char('.') || (end == 0 && text.at(end) == QLatin1Char('-'))))
        ++end;
    return text.left(end).toDouble();
}

} // namespace

WebViewCell::WebViewCell(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

WebViewCell::~WebViewCell() = default;

void WebViewCell::setCellWidth(int width)
{
    if (width <= 0 || width == m_cellWidth)
        return;
    // Pictures are laid out in the cell's width: another width renders anew.
    m_cellWidth = width;
    m_pictures.clear();
}

int WebViewCell::offsetFor(int cellHeight, int contentHeight)
{
    return int(cellHeight * 0.5 - contentHeight / 2);
}

int WebViewCell::contentHeightOf(const QVariantMap &computed)
{
    double spacing = 0;
    for (const char *name : {"margin-top", "margin-bottom", "padding-top", "padding-bottom", "border-top-width",
                             "border-bottom-width"})
        spacing += scannedNumber(computed.value(QString::fromLatin1(name)).toString());
    return int(std::trunc(spacing)) + int(scannedNumber(computed.value(QStringLiteral("height")).toString()));
}

WebViewCell::Picture WebViewCell::pictureOf(const QString &file)
{
    const auto found = m_pictures.constFind(file);
    if (found != m_pictures.constEnd())
        return *found;
    if (!m_queue.contains(file)) {
        m_queue.append(file);
        if (m_queue.size() == 1)
            renderNext();
    }
    return {};
}

void WebViewCell::renderNext()
{
    if (m_queue.isEmpty())
        return;
    if (!m_page) {
        m_page = new WebPage(this);
        connect(m_page, &WebPage::loadFinished, this, [this](bool ok) {
            if (m_queue.isEmpty())
                return;
            const QString file = m_queue.constFirst();
            if (!ok) {
                QM_INFO(QStringLiteral("the component %1 could not be shown").arg(file));
                finish(file, {});
                return;
            }
            m_page->runJavaScript(QString::fromLatin1(s_metricsScript), WebPage::World::Page,
                                  [this, file](const QVariant &result) {
                const int height = contentHeightOf(result.toMap());
                if (height <= 0) {
                    finish(file, {});
                    return;
                }
                const QJsonObject clip{{QStringLiteral("x"), 0}, {QStringLiteral("y"), 0}, {QStringLiteral("width"), m_cellWidth},
                                       {QStringLiteral("height"), height}, {QStringLiteral("scale"), 1}};
                m_page->send(QStringLiteral("Page.captureScreenshot"),
                             {{QStringLiteral("format"), QStringLiteral("png")}, {QStringLiteral("captureBeyondViewport"), true},
                              {QStringLiteral("clip"), clip}},
                             [this, file, height](const QJsonObject &shot, const QString &error) {
                                 Picture picture;
                                 picture.contentHeight = height;
                                 if (error.isEmpty())
                                     picture.image.loadFromData(
                                         QByteArray::fromBase64(shot.value(QStringLiteral("data")).toString().toLatin1()), "PNG");
                                 finish(file, picture);
                             });
            });
        });
    }
    const QString file = m_queue.constFirst();
    QFile fragment(file);
    if (!fragment.open(QIODevice::ReadOnly)) {
        QM_INFO(QStringLiteral("the component %1 cannot be read: %2").arg(file, fragment.errorString()));
        finish(file, {});
        return;
    }
    // A fragment has no doctype of its own; without one the body would
    // fill the viewport. Its folder stays the base of its addresses.
    const QByteArray page = "<!DOCTYPE html><html><head><meta charset='utf-8'><base href='"
        + QUrl::fromLocalFile(QFileInfo(file).absolutePath() + QLatin1Char('/')).toEncoded() + "'></head><body>"
        + fragment.readAll() + "</body></html>";
    m_page->setViewport(QSize(m_cellWidth, 600), 1.0);
    m_page->load(QUrl(QStringLiteral("data:text/html;charset=utf-8;base64,") + QString::fromLatin1(page.toBase64())));
}

void WebViewCell::finish(const QString &file, const Picture &picture)
{
    m_pictures.insert(file, picture);
    m_queue.removeAll(file);
    Q_EMIT pictureRendered(file);
    renderNext();
}

QSize WebViewCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QString file = index.data(Qt::UserRole).toString();
    const Picture picture = m_pictures.value(file);
    const int height = picture.isValid() ? qMin(picture.contentHeight, kMaxPictureHeight) : 0;
    return QSize(option.rect.width(), qMax(28, height + kTitleHeight + 8));
}

void WebViewCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyledItemDelegate::paint(painter, option, QModelIndex());
    const QString file = index.data(Qt::UserRole).toString();
    const QString title = index.data(Qt::DisplayRole).toString();
    if (!file.isEmpty())
        const_cast<WebViewCell *>(this)->pictureOf(file);
    const Picture picture = m_pictures.value(file);
    QRect pictureArea = option.rect.adjusted(4, 4, -4, -kTitleHeight);
    if (picture.isValid()) {
        // Each picture stands centred in its own row.
        const int shown = qMin(picture.contentHeight, pictureArea.height());
        const int top = pictureArea.top() + qMax(0, offsetFor(pictureArea.height(), shown));
        painter->save();
        painter->setClipRect(pictureArea);
        painter->drawImage(QRect(pictureArea.left(), top, qMin(picture.image.width(), pictureArea.width()), shown),
                           picture.image, QRect(0, 0, qMin(picture.image.width(), pictureArea.width()), shown));
        painter->restore();
    }
    painter->save();
    painter->setPen(option.palette.color(option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(option.rect.adjusted(6, 0, -6, -2), Qt::AlignBottom | Qt::AlignLeft, title);
    painter->restore();
}
