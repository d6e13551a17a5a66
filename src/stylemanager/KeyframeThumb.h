#pragma once

#include "ThumbView.h"

#include <QString>

#include <optional>

class StyleDeclaration;

// The thumb of a keyframe (a StyleDeclaration of type 8 whose selector is a
// percentage such as "25%"). Its position is the percentage over 100 ("from"
// 0, "to" 1, 0 when no number leads the selector); moving it rewrites the
// selector in whole percents. Drawn with the key images: plain, selected,
// and cancel while a selected thumb's drop is refused.
class KeyframeThumb : public ThumbView
{
    Q_OBJECT

public:
    explicit KeyframeThumb(QWidget *parent = nullptr);
    ~KeyframeThumb() override;

    StyleDeclaration *keyframe() const;

    double ratio() const override;
    void setRatio(double ratio) override;
    void holdPlace() override;

    // The number a selector starts with, as a scanner reads a float; none
    // for "from", "to" or any other text.
    static std::optional<double> leadingNumber(const QString &selector);
    // The position of a keyframe selector, 0 to 1.
    static double ratioOfSelector(const QString &selector);
    // "%i%" of the position times 100, truncated toward zero.
    static QString selectorOfRatio(double ratio);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The selector the thumb held when the slider began to move it, and its
    // position: moved back there, the keyframe gets its own text back
    // ("from" stays "from").
    QString m_heldSelector;
    double m_heldRatio = -1;
};
