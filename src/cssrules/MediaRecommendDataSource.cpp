#include "MediaRecommendDataSource.h"

#include <QVariantMap>

MediaRecommendDataSource::MediaRecommendDataSource(QObject *parent) : LinearOutlineDataSource(parent)
{
    refresh();
}

const QStringList &MediaRecommendDataSource::templates()
{
    static const QStringList s_templates = [] {
        QStringList texts;
        const int widths[] = {320, 480, 568, 640, 720, 768, 960, 1024, 1136};
        for (const char *bound : {"max", "min"}) {
            for (int width : widths)
                texts.append(QStringLiteral("@media only screen and (%1-width: %2px)").arg(QLatin1String(bound)).arg(width));
        }
        return texts;
    }();
    return s_templates;
}

QVariantList MediaRecommendDataSource::getTemplateMediaQueryList()
{
    QVariantList list;
    for (const QString &text : templates())
        list.append(QVariantMap{{QStringLiteral("title"), text}});
    return list;
}

QVariantList MediaRecommendDataSource::sourceList() const
{
    return getTemplateMediaQueryList();
}

QString MediaRecommendDataSource::displayText(const QVariant &item) const
{
    return item.toMap().value(QStringLiteral("title")).toString();
}
