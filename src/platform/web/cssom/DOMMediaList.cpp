#include "DOMMediaList.h"

#include "DOMCSSParser.h"

QStringList DOMMediaList::media() const
{
    QStringList media;
    if (m_mediaText.trimmed().isEmpty())
        return media;
    for (const QString &piece : DOMCSSParser::splitTopLevel(m_mediaText, QLatin1Char(',')))
        media.append(piece.simplified());
    return media;
}

void DOMMediaList::setMediaText(const QString &text)
{
    m_mediaText = media().isEmpty() && text.trimmed().isEmpty() ? QString() : text.simplified();
    if (m_changed)
        m_changed(m_mediaText);
}

void DOMMediaList::appendMedium(const QString &medium)
{
    QStringList list = media();
    const QString added = medium.simplified();
    if (added.isEmpty() || list.contains(added))
        return;
    list.append(added);
    setMediaText(list.join(QLatin1String(", ")));
}

void DOMMediaList::deleteMedium(const QString &medium)
{
    QStringList list = media();
    if (list.removeAll(medium.simplified()) == 0)
        return;
    setMediaText(list.join(QLatin1String(", ")));
}
