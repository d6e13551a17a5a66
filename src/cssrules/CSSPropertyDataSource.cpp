#include "CSSPropertyDataSource.h"

#include "stylesheet/WebCoreObjects.h"

CSSPropertyDataSource::CSSPropertyDataSource(QObject *parent) : LinearOutlineDataSource(parent)
{
    refresh();
}

QVariantList CSSPropertyDataSource::sourceList() const
{
    QVariantList names;
    for (const QString &name : WebCoreObjects::getStyleNames())
        names.append(name);
    return names;
}
