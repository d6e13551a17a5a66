#include "BorderEditor.h"

#include "EditorNumber.h"
#include "FieldMark.h"
#include "QuickColorPicker.h"
#include "StepNumberTextField.h"
#include "StyleValueMap.h"
#include "ValueFunctionList.h"

#include "platform/kit/PopUpButton.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/kit/Stepper.h"
#include "stylesheet/ColorUtil.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QStackedWidget>
#include <QToolButton>

namespace {

bool isInitialBorderImage(const QString &name, const QString &value)
{
    static const QMap<QString, QString> initial{
        {QStringLiteral("border-image-source"), QStringLiteral("none")},
        {QStringLiteral("border-image-outset"), QStringLiteral("0")},
        {QStringLiteral("border-image-repeat"), QStringLiteral("stretch")},
        {QStringLiteral("border-image-slice"), QStringLiteral("100%")},
        {QStringLiteral("border-image-width"), QStringLiteral("1")},
    };
    const QString v = value.trimmed().toLower();
    return initial.contains(name) && (v == initial.value(name) || v == u"initial");
}

using BorderPart = BorderDeclarations::Part;
using BorderPartText = BorderDeclarations::PartText;

std::optional<QString> &unknownOf(BorderEditor::DirectionValue &value, BorderPart part)
{
    return value.unknown[int(part)];
}

// A side's value from its texts as written.
BorderEditor::DirectionValue directionValueOf(const BorderDeclarations::SideText &texts)
{
    BorderEditor::DirectionValue value;
    for (int p = 0; p < BorderDeclarations::kPartCount; ++p) {
        if (texts[p].state == BorderPartText::State::Unknown)
            value.unknown[p] = texts[p].text;
    }
    const BorderPartText &style = texts[int(BorderPart::Style)];
    if (style.state == BorderPartText::State::Known)
        value.style = style.text.toLower();
    const BorderPartText &width = texts[int(BorderPart::Width)];
    if (width.state == BorderPartText::State::Known) {
        if (const auto scanned = EditorNumber::scanNumber(width.text)) {
            value.width = scanned->value;
            // A bare zero has no unit; a width typed later gets pixels.
            if (!scanned->rest.isEmpty())
                value.unit = scanned->rest.toLower();
        } else {
            value.widthKeyword = width.text.toLower();
        }
    }
    const BorderPartText &color = texts[int(BorderPart::Color)];
    if (color.state == BorderPartText::State::Known)
        value.color = color.text;
    return value;
}

// The edits that take a side from one value to another; the style removed
// ("-") is said apart, as the side then has no border.
struct BorderEdits
{
    QList<BorderDeclarations::Edit> edits;
    bool styleRemoved = false;
};

// A part that was not read stays as written until the user sets it: its
// text changes only to what the user gave.
BorderEdits borderEditsBetween(const BorderEditor::DirectionValue &was, const BorderEditor::DirectionValue &now)
{
    BorderEdits result;
    const auto changed = [&was, &now](BorderPart part) { return was.unknown[int(part)] != now.unknown[int(part)]; };
    if (now.style != was.style || changed(BorderPart::Style)) {
        if (!now.hasStyle())
            result.styleRemoved = true;
        else
            result.edits.append({BorderPart::Style, now.style});
    }
    const auto unit = [](const BorderEditor::DirectionValue &value) { return value.width ? value.unit : QString(); };
    if (now.width != was.width || now.widthKeyword != was.widthKeyword || unit(now) != unit(was) || changed(BorderPart::Width))
        result.edits.append({BorderPart::Width, BorderEditor::getWidthValue(now)});
    if (now.color != was.color || changed(BorderPart::Color))
        result.edits.append({BorderPart::Color, now.color});
    return result;
}

// Marks a control that shows a text the editor cannot read.
void showUnknownPart(QWidget *control, const std::optional<QString> &text)
{
    control->setToolTip(text ? QStringLiteral("Not read here, kept as written: %1").arg(*text) : QString());
}

} // namespace

QString BorderEditor::directionName(Direction direction)
{
    static const std::array<const char *, DirectionCount> names{"all", "top", "right", "bottom", "left"};
    return QLatin1String(names[direction]);
}

BorderEditor::BorderEditor(QWidget *parent)
    : AttributeEditor(parent)
    , m_lockButton(new QToolButton(this))
    , m_tabController(new SegmentedControl(this))
    , m_tabView(new QStackedWidget(this))
{
    // Pages 0-3 are the sides, page 4 all of them.
    for (int page = 0; page < DirectionCount; ++page) {
        const auto direction = Direction(page == 4 ? All : page + 1);
        auto *content = new QWidget(m_tabView);
        auto *grid = new QGridLayout(content);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setHorizontalSpacing(2);
        grid->setVerticalSpacing(2);
        Controls &controls = m_guiMap[direction];
        const QString name = directionName(direction);
        controls.styleSelector = new PopUpButton(content);
        controls.styleSelector->addItemsWithTitles(QStringList{QStringLiteral("-")} + BorderDeclarations::styleKeywords());
        controls.styleSelector->setAccessibleName(QStringLiteral("Border style (%1)").arg(name));
        controls.widthInput = new StepNumberTextField(content);
        controls.widthInput->setObjectName(QStringLiteral("borderWidth-") + name);
        controls.widthInput->setAccessibleName(QStringLiteral("Border width (%1)").arg(name));
        controls.widthInput->setMaximumWidth(controls.widthInput->fontMetrics().horizontalAdvance(QStringLiteral("medium00")));
        controls.widthStepper = new Stepper(content);
        controls.widthStepper->setMinValue(0);
        controls.unitSelector = new PopUpButton(content);
        controls.unitSelector->addItemsWithTitles(EditorNumber::lengthUnits());
        controls.unitSelector->setAccessibleName(QStringLiteral("Border width unit (%1)").arg(name));
        controls.colorPicker = new QuickColorPicker(content);
        controls.colorPicker->setAccessibleName(QStringLiteral("Border colour (%1)").arg(name));
        grid->addWidget(controls.styleSelector, 0, 0, 1, 2);
        grid->addWidget(controls.colorPicker, 0, 2, 1, 2);
        grid->addWidget(controls.widthInput, 1, 0);
        grid->addWidget(controls.widthStepper, 1, 1);
        grid->addWidget(controls.unitSelector, 1, 2);
        grid->setColumnStretch(4, 1);
        m_tabView->addWidget(content);

        connect(controls.styleSelector, &PopUpButton::activatedTitle, this, [this, direction] { styleChanged(direction); });
        TextFieldDelegate delegate;
        delegate.controlTextDidEndEditing = [this, direction](TextField *) { widthChanged(direction); };
        controls.widthInput->setDelegate(delegate);
        connect(controls.widthInput, &TextField::activated, this, [this, direction] { widthChanged(direction); });
        connect(controls.widthStepper, &Stepper::stepped, this, [this, direction] { stepChanged(direction); });
        connect(controls.unitSelector, &PopUpButton::activatedTitle, this, [this, direction] { unitChanged(direction); });
        connect(controls.colorPicker, &QuickColorPicker::colorAction, this, [this, direction] { colorChanged(direction); });
    }

    m_tabController->setSegmentCount(4);
    const std::array<const char *, 4> labels{"Top", "Right", "Bottom", "Left"};
    for (int segment = 0; segment < 4; ++segment) {
        m_tabController->setLabel(QString::fromLatin1(labels[segment]), segment);
        m_tabController->setToolTip(QStringLiteral("%1 border").arg(QString::fromLatin1(labels[segment])), segment);
    }
    connect(m_tabController, &SegmentedControl::activated, this,
            [this] { m_tabView->setCurrentIndex(std::max(0, m_tabController->selectedSegment())); });

    m_lockButton->setCheckable(true);
    m_lockButton->setAutoRaise(true);
    m_lockButton->setFocusPolicy(Qt::StrongFocus);
    m_lockButton->setToolTip(QStringLiteral("Same border on all sides"));
    m_lockButton->setAccessibleName(m_lockButton->toolTip());
    const QIcon locked = QIcon::fromTheme(QStringLiteral("object-locked"));
    const QIcon unlocked = QIcon::fromTheme(QStringLiteral("object-unlocked"));
    if (locked.isNull() || unlocked.isNull()) {
        m_lockButton->setText(QStringLiteral("="));
    } else {
        QIcon icon;
        icon.addPixmap(unlocked.pixmap(16), QIcon::Normal, QIcon::Off);
        icon.addPixmap(locked.pixmap(16), QIcon::Normal, QIcon::On);
        m_lockButton->setIcon(icon);
    }
    connect(m_lockButton, &QToolButton::clicked, this, &BorderEditor::lockChanged);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto *top = new QHBoxLayout;
    top->addWidget(m_lockButton);
    top->addWidget(m_tabController);
    top->addStretch(1);
    layout->addLayout(top);
    layout->addWidget(m_tabView);
    reset();
}

void BorderEditor::readStyle(StyleValueMap &map)
{
    BorderDeclarations read;
    QStringList names;
    for (const StyleValueMap::Declaration &entry : map.declarations()) {
        if (entry.raw || entry.taken)
            continue;
        const QString name = entry.name.toLower();
        if (!BorderDeclarations::isBorderName(name) && !isInitialBorderImage(name, entry.value))
            continue;
        const QString priority = entry.writtenValue.startsWith(entry.value) ? entry.writtenValue.mid(entry.value.size())
                                 : entry.important                        ? QStringLiteral(" !important")
                                                                          : QString();
        read.append(entry.name, entry.value, priority);
        names.append(name);
    }
    if (!read.hasBorders())
        return;
    map.take(names);
    m_read = read;
    for (int s = 0; s < 4; ++s)
        m_readSides[s] = directionValueOf(read.side(s));
    setValue(m_readSides);
}

void BorderEditor::reset()
{
    AttributeEditor::reset();
    m_read = {};
    m_readSides = {};
    for (int d = 0; d < DirectionCount; ++d)
        resetValue(Direction(d));
    toLock();
}

void BorderEditor::setValue(const std::array<DirectionValue, 4> &sides)
{
    const bool equal = sides[0] == sides[1] && sides[0] == sides[2] && sides[0] == sides[3];
    if (equal) {
        toLock();
        setValue(sides[0], All);
        return;
    }
    toUnlock();
    for (int s = 0; s < 4; ++s)
        setValue(sides[s], Direction(Top + s));
}

void BorderEditor::setValue(const DirectionValue &value, Direction direction)
{
    m_valueMap[direction] = value;
    const Controls &controls = m_guiMap[direction];
    const std::optional<QString> &unknownStyle = value.unknown[int(BorderPart::Style)];
    if (value.style)
        controls.styleSelector->setTitle(*value.style);
    else if (unknownStyle)
        controls.styleSelector->setTitle(*unknownStyle);
    else
        controls.styleSelector->selectItemAtIndex(0);
    showUnknownPart(controls.styleSelector, unknownStyle);
    controls.unitSelector->setTitle(EditorNumber::unitTitle(value.unit));
    const std::optional<QString> &unknownWidth = value.unknown[int(BorderPart::Width)];
    if (value.width) {
        controls.widthInput->setText(EditorNumber::cssNumber(*value.width));
        controls.widthStepper->setDoubleValue(*value.width);
    } else {
        controls.widthInput->setText(value.widthKeyword.value_or(unknownWidth.value_or(QString())));
        // A long text shows its start ("var(--bs-…").
        controls.widthInput->setCursorPosition(0);
    }
    showUnknownPart(controls.widthInput, unknownWidth);
    controls.widthStepper->setEnabled(value.width.has_value());
    // A colour without one of its own ("currentcolor") is shown as a text, as a var() is.
    const std::optional<RGBAColor> color = value.color ? ColorUtil::cssColorWithString(*value.color) : std::nullopt;
    controls.colorPicker->setColor(color);
    const std::optional<QString> &unknownColor = value.unknown[int(BorderPart::Color)];
    if (unknownColor || (value.color && !color))
        controls.colorPicker->setUnknownText(unknownColor ? *unknownColor : *value.color);
}

void BorderEditor::resetValue(Direction direction)
{
    setValue(DirectionValue(), direction);
    m_guiMap[direction].widthStepper->setDoubleValue(0);
}

void BorderEditor::showPage(int page)
{
    m_tabView->setCurrentIndex(page);
}

void BorderEditor::toLock()
{
    m_locked = true;
    m_lockButton->setChecked(true);
    m_tabController->setVisible(false);
    showPage(4);
}

void BorderEditor::toUnlock()
{
    m_locked = false;
    m_lockButton->setChecked(false);
    m_tabController->setVisible(true);
    m_tabController->setSelectedSegment(0);
    showPage(0);
}

void BorderEditor::lockChanged()
{
    // What the sides show now is what is written from here on.
    takeEdits();
    if (m_lockButton->isChecked()) {
        // The top side becomes the one border; a top side that cannot be
        // written as one (a var() that may hold several parts beside a
        // longhand) leaves the sides as they are.
        if (!m_read.replaceWithOneBorder(0)) {
            m_lockButton->setChecked(false);
            return;
        }
        const DirectionValue top = m_valueMap[Top];
        toLock();
        copyTo(top, All);
        for (Direction side : {Top, Right, Bottom, Left})
            resetValue(side);
        m_readSides.fill(top);
    } else {
        // The sides take the value of all of them: nothing is written anew.
        const DirectionValue all = m_valueMap[All];
        toUnlock();
        for (Direction side : {Top, Right, Bottom, Left})
            copyTo(all, side);
        resetValue(All);
    }
    notifyChange();
}

void BorderEditor::copyTo(const DirectionValue &source, Direction target)
{
    // Every part goes over as it is; a part not given stays not given.
    setValue(source, target);
}

void BorderEditor::styleChanged(Direction direction)
{
    DirectionValue &value = m_valueMap[direction];
    const QString title = m_guiMap[direction].styleSelector->titleOfSelectedItem();
    std::optional<QString> &unknown = unknownOf(value, BorderPart::Style);
    // The text of a style that is not read, chosen again, changes nothing.
    if (unknown && title == *unknown)
        return;
    const bool hadStyle = value.hasStyle();
    unknown.reset();
    showUnknownPart(m_guiMap[direction].styleSelector, std::nullopt);
    if (title == u"-") {
        value.style.reset();
    } else {
        if (!hadStyle && !value.hasWidth()) {
            value.width = 1;
            m_guiMap[direction].widthInput->setText(QStringLiteral("1"));
            m_guiMap[direction].widthStepper->setDoubleValue(1);
            m_guiMap[direction].widthStepper->setEnabled(true);
        }
        value.style = title;
    }
    notifyChange();
}

void BorderEditor::widthChanged(Direction direction)
{
    DirectionValue &value = m_valueMap[direction];
    const Controls &controls = m_guiMap[direction];
    const QString text = controls.widthInput->text().trimmed();
    const QString lower = text.toLower();
    const std::optional<EditorNumber::Scanned> scanned = EditorNumber::scanNumber(text);
    std::optional<QString> &unknown = unknownOf(value, BorderPart::Width);
    // The text of a width that is not read, left as it was.
    if (unknown && text == *unknown) {
        FieldMark::clear(controls.widthInput);
        return;
    }
    if (text.isEmpty()) {
        value.width.reset();
        value.widthKeyword.reset();
    } else if (lengthKeywords().contains(lower) || BorderDeclarations::widthKeywords().contains(lower)) {
        value.width.reset();
        value.widthKeyword = lower;
    } else if (scanned && (scanned->rest.trimmed().isEmpty() || EditorNumber::isKnownUnit(scanned->rest.trimmed().toLower()))) {
        value.width = scanned->value;
        value.widthKeyword.reset();
        // A unit typed with the number is the width's unit.
        if (const QString unit = scanned->rest.trimmed().toLower(); !unit.isEmpty()) {
            value.unit = unit;
            controls.unitSelector->setTitle(EditorNumber::unitTitle(unit));
        }
        controls.widthInput->setText(EditorNumber::cssNumber(scanned->value));
        controls.widthStepper->setDoubleValue(scanned->value);
    } else {
        // Neither a number nor a keyword: the width stays as it was, and
        // the field says why (#66).
        setValue(DirectionValue(value), direction);
        FieldMark::setRefused(controls.widthInput, QStringLiteral("\"%1\" is no border width").arg(text));
        return;
    }
    unknown.reset();
    FieldMark::clear(controls.widthInput);
    showUnknownPart(controls.widthInput, std::nullopt);
    controls.widthStepper->setEnabled(value.width.has_value());
    notifyChange();
}

void BorderEditor::stepChanged(Direction direction)
{
    DirectionValue &value = m_valueMap[direction];
    value.width = m_guiMap[direction].widthStepper->doubleValue();
    value.widthKeyword.reset();
    unknownOf(value, BorderPart::Width).reset();
    showUnknownPart(m_guiMap[direction].widthInput, std::nullopt);
    m_guiMap[direction].widthInput->setText(EditorNumber::cssNumber(*value.width));
    notifyChange();
}

void BorderEditor::unitChanged(Direction direction)
{
    m_valueMap[direction].unit = EditorNumber::unitFromTitle(m_guiMap[direction].unitSelector->titleOfSelectedItem());
    notifyChange();
}

void BorderEditor::colorChanged(Direction direction)
{
    const std::optional<RGBAColor> color = m_guiMap[direction].colorPicker->getColor();
    if (color)
        m_valueMap[direction].color = ColorUtil::cssColorValue(*color);
    else
        m_valueMap[direction].color.reset();
    unknownOf(m_valueMap[direction], BorderPart::Color).reset();
    notifyChange();
}

std::optional<QString> BorderEditor::getWidthValue(const DirectionValue &value)
{
    if (value.widthKeyword)
        return value.widthKeyword;
    if (!value.width)
        return std::nullopt;
    if (*value.width == 0)
        return QStringLiteral("0");
    return EditorNumber::cssNumber(*value.width) + value.unit;
}

const BorderEditor::DirectionValue &BorderEditor::sideValue(int side) const
{
    return m_valueMap[m_locked ? All : Direction(Top + side)];
}

BorderDeclarations BorderEditor::edited() const
{
    BorderDeclarations declarations = m_read;
    const auto apply = [&declarations](int sides, const DirectionValue &was, const DirectionValue &now) {
        const BorderEdits edits = borderEditsBetween(was, now);
        if (edits.styleRemoved)
            declarations.removeSides(sides);
        else if (!edits.edits.isEmpty())
            declarations.edit(sides, edits.edits);
    };
    // Locked, the sides read are equal: one edit for all of them.
    if (m_locked) {
        apply(BorderDeclarations::kAllSides, m_readSides[0], m_valueMap[All]);
        return declarations;
    }
    for (int s = 0; s < 4; ++s)
        apply(1 << s, m_readSides[s], sideValue(s));
    return declarations;
}

void BorderEditor::takeEdits()
{
    m_read = edited();
    for (int s = 0; s < 4; ++s)
        m_readSides[s] = sideValue(s);
}

std::optional<QString> BorderEditor::styleRepresentation() const
{
    const QString text = edited().text();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

QWidget *BorderEditor::firstControl() const
{
    return m_guiMap[m_locked ? All : Direction(Top + std::max(0, m_tabController->selectedSegment()))].styleSelector;
}

void BorderEditor::showControlsOf(const QString &property)
{
    if (m_locked)
        return;
    int side = -1;
    for (int s = 0; s < 4 && side < 0; ++s) {
        const QString name = QStringLiteral("border-") + directionName(Direction(Top + s));
        if (property == name || property.startsWith(name + u'-'))
            side = s;
    }
    // A side with a border rather than an empty first page.
    for (int s = 0; s < 4 && side < 0; ++s) {
        if (m_valueMap[Top + s].hasStyle())
            side = s;
    }
    if (side < 0)
        return;
    m_tabController->setSelectedSegment(side);
    showPage(side);
}
