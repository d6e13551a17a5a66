#pragma once

#include "ThumbView.h"

#include "stylesheet/StyleDeclaration.h"

#include <QString>
#include <QStringList>

#include <optional>

// The item of a keyframe's thumb: the keyframe (a StyleDeclaration of type
// 8) and which of the offsets its selector lists the thumb stands for
// ("0%, 100%" has two, each with a thumb of its own).
struct KeyframeOffset
{
    StyleDeclarationPtr keyframe;
    int index = 0;
};

// The thumb of one offset of a keyframe, whose selector lists percentages
// such as "25%" or "0%, 100%". Its position is the offset's percentage over
// 100 ("from" 0, "to" 1, 0 when no number leads it); moving it rewrites that
// offset alone in whole percents, the others as written. Drawn with the key
// images: plain, selected, and cancel while a selected thumb's drop is
// refused.
class KeyframeThumb : public ThumbView
{
    Q_OBJECT

public:
    explicit KeyframeThumb(QWidget *parent = nullptr);
    ~KeyframeThumb() override;

    StyleDeclaration *keyframe() const;
    int offsetIndex() const;

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
    // The offsets a keyframe selector lists, each without the blanks around it.
    static QStringList offsetsOf(const QString &selector);
    // The offset at the index (empty past the last).
    static QString offsetOf(const QString &selector, int index);
    // The selector with the offset at the index replaced, or taken out for a
    // null text; the other offsets and the blanks between them stay as written.
    static QString withOffset(const QString &selector, int index, const QString &offset);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The selector the thumb held when the slider began to move it, and its
    // position: moved back there, the keyframe gets its own text back
    // ("from" stays "from").
    QString m_heldSelector;
    double m_heldRatio = -1;
};
