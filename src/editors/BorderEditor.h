#pragma once

#include "AttributeEditor.h"
#include "BorderDeclarations.h"

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
// sides at once (locked, when the sides read are equal) or per side. It
// holds "border", the side shorthands, "border-style"/"-width"/"-color",
// the twelve longhands and the "border-image-" longhands at their initial
// values, and writes them as they were read with each edit put into the
// declaration that sets the edited part ("var(--w) solid var(--c)" with
// another style gives "var(--w) dashed var(--c)"); a side edited alone
// gets a declaration of its own. A part that cannot be read (a var()) is
// shown as written. Locking makes the top side one "border" (#66).
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
        // A part as written where it cannot be read (a var()), by part.
        std::array<std::optional<QString>, BorderDeclarations::kPartCount> unknown;

        bool hasStyle() const { return style || unknown[int(BorderDeclarations::Part::Style)]; }
        bool hasWidth() const { return width || widthKeyword || unknown[int(BorderDeclarations::Part::Width)]; }
        bool operator==(const DirectionValue &other) const = default;
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
    // Unlocked, the page of the side the name says ("border-bottom-color"),
    // else of the first side with a style.
    void showControlsOf(const QString &property) override;

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

    bool isLocked() const { return m_locked; }
    const DirectionValue &valueOf(Direction direction) const { return m_valueMap[direction]; }
    const Controls &controls(Direction direction) const { return m_guiMap[direction]; }
    QToolButton *lockButton() const { return m_lockButton; }
    SegmentedControl *tabController() const { return m_tabController; }
    QStackedWidget *tabView() const { return m_tabView; }
    static QString directionName(Direction direction);

private:
    void showPage(int page);
    // The value a side (0 top to 3 left) has now.
    const DirectionValue &sideValue(int side) const;
    // The declarations read with the edits made since.
    BorderDeclarations edited() const;
    // The edits so far become what was read.
    void takeEdits();

    std::array<DirectionValue, DirectionCount> m_valueMap;
    // The declarations as read (or as locking made them) and the sides they give.
    BorderDeclarations m_read;
    std::array<DirectionValue, 4> m_readSides;
    std::array<Controls, DirectionCount> m_guiMap;
    bool m_locked = true;
    QToolButton *m_lockButton = nullptr;           // Owned (child).
    SegmentedControl *m_tabController = nullptr;   // Owned (child).
    QStackedWidget *m_tabView = nullptr;           // Owned (child).
};
