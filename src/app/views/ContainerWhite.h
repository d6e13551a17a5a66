#pragma once

#include "FilledView.h"

// A white container.
class ContainerWhite : public FilledView
{
    Q_OBJECT

public:
    explicit ContainerWhite(QWidget *parent = nullptr);
    ~ContainerWhite() override;
};
