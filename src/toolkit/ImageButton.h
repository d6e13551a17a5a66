#pragma once

#include <QToolButton>

// A button that shows its image alone, without a border.
class ImageButton : public QToolButton
{
    Q_OBJECT

public:
    explicit ImageButton(QWidget *parent = nullptr);
    ~ImageButton() override;
};
