#pragma once

#include "FilledView.h"

// A light grey container.
class ContainerGray : public FilledView
{
    Q_OBJECT

public:
    explicit ContainerGray(QWidget *parent = nullptr);
    ~ContainerGray() override;
};
