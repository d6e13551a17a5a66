#pragma once

#include "AttributeEditor.h"

#include <QMap>

#include <array>
#include <optional>

class PopUpButton;
class QStackedWidget;
class QToolButton;
class QuickColorPicker;
class SegmentedControl;
class StepNumberTextField;
class Stepper;

// The panel's borders: style, width with unit, and colour, for all four
// sides at once (locked) or per side. It reads "border", the side
// shorthands, "border-style"/"-width"/"-color" and the twelve longhands,
// and writes one "border" when the four sides are equal, else one
// declaration per styled side. A part that is not given is left out of the
// declaration. Initial "border-image-" longhands are dropped. A direction
// read from a shorthand is written in the shorthand's order, each part that
// did not change as it was written ("1px solid #e3e6f0" with another style
// gives "1px dashed #e3e6f0").
class BorderEditor : public AttributeEditor
{
    Q_OBJECT

public:
    // "all", "top", "right", "bottom", "left".
    enum Direction { All, Top, Right, Bottom, Left, DirectionCount };

    // One direction's value.
    struct DirectionValue
    {
        std::optional<QString> style;
        // A number, or a keyword ("thin", "auto", "inherit") in widthKeyword.
        std::optional<double> width;
        std::optional<QString> widthKeyword;
        QString unit = QStringLiteral("px");
        std::optional<QString> color;

        bool hasWidth() const { return width || widthKeyword; }
        bool operator==(const DirectionValue &other) const = default;
    };

    enum class Part { Style, Width, Color };
    // A direction as a shorthand wrote it: its value then, and its parts in
    // their order, each as written.
    struct Written
    {
        DirectionValue read;
        QList<std::pair<Part, QString>> parts;
    };

    // The controls of one direction.
    struct Controls
    {
        PopUpButton *styleSelector = nullptr;       // Not owned (the page's child).
        StepNumberTextField *widthInput = nullptr;  // Not owned (the page's child).
        Stepper *widthStepper = nullptr;            // Not owned (the page's child).
        PopUpButton *unitSelector = nullptr;        // Not owned (the page's child).
        QuickColorPicker *colorPicker = nullptr;    // Not owned (the page's child).
    };

    explicit BorderEditor(QWidget *parent = nullptr);

    void readStyle(StyleValueMap &map) override;
    void reset() override;
    std::optional<QString> styleRepresentation() const override;
    QWidget *firstControl() const override;

    // Shows the four sides: locked when they are equal.
    void setValue(const std::array<DirectionValue, 4> &sides);
    void setValue(const DirectionValue &value, Direction direction);
    void resetValue(Direction direction);
    void toLock();
    void toUnlock();
    // The lock button's action: carries the values over.
    void lockChanged();
    void copyTo(const DirectionValue &source, Direction target);

    void styleChanged(Direction direction);
    void widthChanged(Direction direction);
    void stepChanged(Direction direction);
    void unitChanged(Direction direction);
    void colorChanged(Direction direction);

    // The width as CSS text; nothing without one.
    static std::optional<QString> getWidthValue(const DirectionValue &value);
    // "style width colour" of what is given; nothing without a style.
    std::optional<QString> directionValue(Direction direction) const;

    bool isLocked() const { return m_locked; }
    const DirectionValue &valueOf(Direction direction) const { return m_valueMap[direction]; }
    const Controls &controls(Direction direction) const { return m_guiMap[direction]; }
    QToolButton *lockButton() const { return m_lockButton; }
    SegmentedControl *tabController() const { return m_tabController; }
    QStackedWidget *tabView() const { return m_tabView; }
    static QString directionName(Direction direction);

private:
    void showPage(int page);

    std::array<DirectionValue, DirectionCount> m_valueMap;
    std::array<std::optional<Written>, DirectionCount> m_written;
    std::array<Controls, DirectionCount> m_guiMap;
    bool m_locked = true;
    QToolButton *m_lockButton = nullptr;           // Owned (child).
    SegmentedControl *m_tabController = nullptr;   // Owned (child).
    QStackedWidget *m_tabView = nullptr;           // Owned (child).
};
