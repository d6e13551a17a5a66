#pragma once

#include "RGBColorTextInput.h"

// The "rgba" page of a ColorTextEditor: the "rgb" channels and an alpha
// from 0 to 1 or a percentage (clamped), shown with as many decimals as its field has (two
// when it is empty, one when it has no point).
class RGBAColorTextInput : public RGBColorTextInput
{
    Q_OBJECT

public:
    explicit RGBAColorTextInput(ColorTextEditor *editor);

    void displayColor() override;
    void notifyChange() { controlTextDidChange(); }

    QLineEdit *aTextInput() const { return m_aTextInput; }

protected:
    std::optional<RGBAColor> typedColor(QLineEdit **unread) const override;

private:
    QLineEdit *m_aTextInput = nullptr; // Owned (child).
};
