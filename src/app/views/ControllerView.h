#pragma once

#include "FilledView.h"

// The background of the controller panes, a light blue-grey.
class ControllerView : public FilledView
{
    Q_OBJECT

public:
    explicit ControllerView(QWidget *parent = nullptr);
    ~ControllerView() override;
};
