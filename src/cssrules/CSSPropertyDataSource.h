#pragma once

#include "LinearOutlineDataSource.h"

// Every CSS property name the vocabulary knows, as texts.
class CSSPropertyDataSource : public LinearOutlineDataSource
{
    Q_OBJECT

public:
    explicit CSSPropertyDataSource(QObject *parent = nullptr);
    QVariantList sourceList() const override;
};
