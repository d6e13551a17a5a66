#include "NamedImage.h"

#include "DesktopColors.h"

#include "platform/foundation/Bundle.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPainter>
#include <QPalette>
#include <QPixmapCache>
#include <QSet>
#include <QSvgRenderer>

Q_LOGGING_CATEGORY(lcNamedImage, "quillmark.kit.images")

namespace NamedImage {

QString pathForImageNamed(const QString &name)
{
    const QString translated = QCoreApplication::translate("Images", name.toUtf8().constData());
    QString base = translated.isEmpty() ? name : translated;
    static const QStringList s_extensions = {QStringLiteral("png"), QStringLiteral("pdf"),
                                             QStringLiteral("tiff"), QStringLiteral("svg"), QStringLiteral("icns"),
                                             QStringLiteral("jpg")};
    const QFileInfo info(base);
    if (s_extensions.contains(info.suffix().toLower()))
        base = info.completeBaseName();
    // On a dark desktop a dark variant of the art is taken when there is one.
    if (qApp && DesktopColors::isDark(QGuiApplication::palette())) {
        for (const char *type : {"svg", "png"}) {
            const QString path = Bundle::pathForResource(base + QStringLiteral("-dark"), QString::fromLatin1(type),
                                                         QStringLiteral("images"));
            if (!path.isEmpty())
                return path;
        }
    }
    for (const char *type : {"svg", "png"}) {
        const QString path = Bundle::pathForResource(base, QString::fromLatin1(type), QStringLiteral("images"));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

QPixmap imageNamed(const QString &name)
{
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    const QString path = pathForImageNamed(name);
    const QString key = QStringLiteral("quillmark-image:%1@%2").arg(path).arg(ratio);
    QPixmap pixmap;
    if (!path.isEmpty() && QPixmapCache::find(key, &pixmap))
        return pixmap;
    if (path.isEmpty()) {
        static QSet<QString> s_reported;
        if (!s_reported.contains(name)) {
            s_reported.insert(name);
            qCWarning(lcNamedImage) << "no image named" << name;
        }
        return {};
    }
    if (path.endsWith(QLatin1String(".svg"))) {
        QSvgRenderer renderer(path);
        const QSize size = renderer.defaultSize();
        if (!renderer.isValid() || size.isEmpty()) {
            qCWarning(lcNamedImage) << "unreadable image" << path;
            return {};
        }
        QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        pixmap = QPixmap::fromImage(image);
        pixmap.setDevicePixelRatio(ratio);
    } else if (!pixmap.load(path)) {
        qCWarning(lcNamedImage) << "unreadable image" << path;
        return {};
    }
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QPixmap tinted(const QPixmap &pixmap, const QColor &color)
{
    if (pixmap.isNull())
        return pixmap;
    QPixmap result(pixmap.size());
    result.setDevicePixelRatio(pixmap.devicePixelRatio());
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.drawPixmap(0, 0, pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRect(QPoint(0, 0), pixmap.size()), color);
    return result;
}

QIcon templateImage(const QString &themeName, const QString &fallbackName)
{
    if (!themeName.isEmpty() && QIcon::hasThemeIcon(themeName))
        return QIcon::fromTheme(themeName);
    const QPixmap art = imageNamed(fallbackName);
    if (art.isNull())
        return {};
    const QPalette palette = QGuiApplication::palette();
    QIcon icon;
    icon.addPixmap(tinted(art, palette.color(QPalette::Active, QPalette::WindowText)), QIcon::Normal);
    icon.addPixmap(tinted(art, palette.color(QPalette::Disabled, QPalette::WindowText)), QIcon::Disabled);
    icon.addPixmap(tinted(art, palette.color(QPalette::Active, QPalette::HighlightedText)), QIcon::Selected);
    return icon;
}

} // namespace NamedImage
