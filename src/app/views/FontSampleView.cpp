#include "FontSampleView.h"

#include "ImageBrowserView.h"

#include "platform/foundation/Log.h"
#include "workspace/File.h"

#include <QFontDatabase>
#include <QPainter>

FontSampleView::FontSampleView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("fontView"));
}

FontSampleView::~FontSampleView()
{
    releaseFont();
}

void FontSampleView::releaseFont()
{
    if (m_fontId >= 0)
        QFontDatabase::removeApplicationFont(m_fontId);
    m_fontId = -1;
    m_family.clear();
}

void FontSampleView::setFontFile(File *file)
{
    releaseFont();
    m_fontFile = file;
    if (file) {
        m_fontId = file->isLocalFile() ? QFontDatabase::addApplicationFont(file->path())
                                       : QFontDatabase::addApplicationFontFromData(file->webResourceData());
        const QStringList families = m_fontId >= 0 ? QFontDatabase::applicationFontFamilies(m_fontId) : QStringList();
        if (families.isEmpty())
            QM_INFO(QStringLiteral("%1 cannot be shown: it is no font this program can load").arg(file->path()));
        else
            m_family = families.first();
    }
    update();
}

void FontSampleView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), ImageBrowserView::backgroundColor(palette()));
    if (!m_fontFile)
        return;
    const QColor ink = palette().color(QPalette::Text);
    const QRect page = rect().adjusted(24, 20, -24, -20);
    painter.setPen(ink);
    QFont label = font();
    label.setBold(true);
    painter.setFont(label);
    const QString title = m_family.isEmpty() ? m_fontFile->displayName() : m_family;
    painter.drawText(page, Qt::AlignLeft | Qt::AlignTop, title);
    int top = page.top() + QFontMetrics(label).height() + 12;
    if (m_family.isEmpty()) {
        painter.setFont(font());
        painter.drawText(QRect(page.left(), top, page.width(), page.height()), Qt::AlignLeft | Qt::AlignTop,
                         QStringLiteral("This file cannot be shown as a font."));
        return;
    }
    const QStringList lines = {QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), QStringLiteral("abcdefghijklmnopqrstuvwxyz"),
                               QStringLiteral("0123456789 .,;:!?&@#%()")};
    QFont sample(m_family);
    sample.setPointSize(18);
    painter.setFont(sample);
    for (const QString &line : lines) {
        painter.drawText(QRect(page.left(), top, page.width(), page.height()), Qt::AlignLeft | Qt::AlignTop, line);
        top += QFontMetrics(sample).height() + 4;
    }
    top += 12;
    for (int size : {12, 18, 24, 36, 48, 64}) {
        if (top > page.bottom())
            break;
        sample.setPointSize(size);
        painter.setFont(sample);
        const QFontMetrics metrics(sample);
        painter.drawText(QRect(page.left(), top, page.width(), metrics.height()), Qt::AlignLeft | Qt::AlignTop,
                         metrics.elidedText(QStringLiteral("%1  The quick brown fox jumps over the lazy dog").arg(size),
                                            Qt::ElideRight, page.width()));
        top += metrics.height() + 6;
    }
}
