#pragma once

#include <QComboBox>

// The combo box of the rules panel's lists; the desktop's own in every way.
class CSSListComboBox : public QComboBox
{
    Q_OBJECT

public:
    using QComboBox::QComboBox;
    ~CSSListComboBox() override;
};
