#pragma once

#include "LinearOutlineDataSource.h"

#include <QStringList>

// The eighteen recommended media queries, as maps with "title", for the
// drop-down of the media query field.
class MediaRecommendDataSource : public LinearOutlineDataSource
{
    Q_OBJECT

public:
    explicit MediaRecommendDataSource(QObject *parent = nullptr);
    QVariantList sourceList() const override;

    // The template texts, max-width ones first, then min-width ones.
    static const QStringList &templates();
    static QVariantList getTemplateMediaQueryList();

protected:
    QString displayText(const QVariant &item) const override;
};
