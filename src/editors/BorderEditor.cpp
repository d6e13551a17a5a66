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

const QStringList &borderStyles()
{
    static const QStringList styles{
        QStringLiteral("none"),   QStringLiteral("hidden"), QStringLiteral("dotted"), QStringLiteral("dashed"),
        QStringLiteral("solid"),  QStringLiteral("double"), QStringLiteral("groove"), QStringLiteral("ridge"),
        QStringLiteral("inset"),  QStringLiteral("outset")};
    return styles;
}

// Width keywords of a border; kept as written.
const QStringList &borderWidthKeywords()
{
    static const QStringList keywords{QStringLiteral("thin"), QStringLiteral("medium"), QStringLiteral("thick")};
    return keywords;
}

const QStringList &sideNames()
{
    static const QStringList names{QStringLiteral("top"), QStringLiteral("right"), QStringLiteral("bottom"),
                                   QStringLiteral("left")};
    return names;
}

enum class PartKind { Style, Width, Color };

// One side as written: each part as its text, or not given, and the order
// of a shorthand's parts.
struct Parts
{
    std::optional<QString> style;
    std::optional<QString> width;
    std::optional<QString> color;
    QList<std::pair<PartKind, QString>> order;
};

bool isPart(PartKind kind, const QString &text)
{
    const QString lower = text.toLower();
    if (lower.contains(QLatin1String("var(")))
        return false;
    switch (kind) {
    case PartKind::Style:
        return borderStyles().contains(lower);
    case PartKind::Width: {
        if (borderWidthKeywords().contains(lower))
            return true;
        ValueFunctionList::Number number;
        if (!ValueFunctionList::readNumber(text, &number))
            return false;
        return !number.unit.isEmpty() || number.number.toDouble() == 0;
    }
    case PartKind::Color:
        return ColorUtil::createNSColorWithString(text).has_value();
    }
    return false;
}

std::optional<Parts> parseShorthand(const QString &value)
{
    const QList<ValueFunctionList::Item> items = ValueFunctionList::split(value);
    if (items.isEmpty() || items.size() > 3)
        return std::nullopt;
    Parts parts;
    for (const ValueFunctionList::Item &item : items) {
        const QString &token = item.text;
        std::optional<QString> *slot = nullptr;
        if (isPart(PartKind::Style, token))
            slot = &parts.style;
        else if (isPart(PartKind::Width, token))
            slot = &parts.width;
        else if (isPart(PartKind::Color, token))
            slot = &parts.color;
        if (!slot || slot->has_value())
            return std::nullopt;
        *slot = slot == &parts.style ? token.toLower() : token;
        const PartKind kind = slot == &parts.style ? PartKind::Style : slot == &parts.width ? PartKind::Width : PartKind::Color;
        parts.order.append({kind, token});
    }
    return parts;
}

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

// The four sides set by the border declarations of a map, and their names;
// nothing when one of them holds what the editor cannot.
struct ReadBorders
{
    std::array<Parts, 4> sides;
    QStringList names;
    bool important = false;
};

std::optional<ReadBorders> readBorders(const StyleValueMap &map)
{
    ReadBorders read;
    bool any = false;
    for (const StyleValueMap::Declaration &entry : map.declarations()) {
        if (entry.raw || entry.taken)
            continue;
        const QString name = entry.name.toLower();
        if (name.startsWith(QLatin1String("border-image-"))) {
            if (isInitialBorderImage(name, entry.value))
                read.names.append(name);
            continue;
        }
        const auto take = [&] {
            if (any && entry.important != read.important)
                return false;
            any = true;
            read.important = entry.important;
            read.names.append(name);
            return true;
        };
        if (name == u"border" || (name.startsWith(QLatin1String("border-")) && sideNames().contains(name.mid(7)))) {
            const std::optional<Parts> parts = parseShorthand(entry.value);
            if (!parts || !take())
                return std::nullopt;
            const int side = int(sideNames().indexOf(name.mid(7)));
            for (int s = 0; s < 4; ++s) {
                if (side < 0 || side == s)
                    read.sides[s] = *parts;
            }
            continue;
        }
        static const QStringList partNames{QStringLiteral("style"), QStringLiteral("width"), QStringLiteral("color")};
        const QStringList words = name.split(u'-');
        if (words.size() == 2 && words[0] == u"border" && partNames.contains(words[1])) {
            const auto kind = PartKind(partNames.indexOf(words[1]));
            const std::optional<QStringList> values = StyleValueMap::splitShorthandValue(name, entry.value);
            if (!values || !take())
                return std::nullopt;
            for (int s = 0; s < 4; ++s) {
                if (!isPart(kind, values->at(s)))
                    return std::nullopt;
                std::optional<QString> &slot = kind == PartKind::Style   ? read.sides[s].style
                                               : kind == PartKind::Width ? read.sides[s].width
                                                                         : read.sides[s].color;
                slot = kind == PartKind::Style ? values->at(s).toLower() : values->at(s);
            }
            continue;
        }
        if (words.size() == 3 && words[0] == u"border" && sideNames().contains(words[1]) && partNames.contains(words[2])) {
            const auto kind = PartKind(partNames.indexOf(words[2]));
            if (!isPart(kind, entry.value.trimmed()) || !take())
                return std::nullopt;
            Parts &parts = read.sides[sideNames().indexOf(words[1])];
            std::optional<QString> &slot = kind == PartKind::Style   ? parts.style
                                           : kind == PartKind::Width ? parts.width
                                                                     : parts.color;
            slot = kind == PartKind::Style ? entry.value.trimmed().toLower() : entry.value.trimmed();
        }
    }
    // A width or colour without a style is no border the editor can write.
    for (const Parts &parts : read.sides) {
        if (!parts.style && (parts.width || parts.color))
            return std::nullopt;
    }
    return read;
}

BorderEditor::DirectionValue directionValueOf(const Parts &parts)
{
    BorderEditor::DirectionValue value;
    value.style = parts.style;
    value.color = parts.color;
    if (parts.width) {
        if (const auto scanned = EditorNumber::scanNumber(*parts.width)) {
            value.width = scanned->value;
            // A bare zero has no unit; a width typed later gets pixels.
            if (!scanned->rest.isEmpty())
                value.unit = scanned->rest.toLower();
        } else {
            value.widthKeyword = parts.width->toLower();
        }
    }
    return value;
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
        controls.styleSelector->addItemsWithTitles(QStringList{QStringLiteral("-")} + borderStyles());
        controls.styleSelector->setAccessibleName(QStringLiteral("Border style (%1)").arg(name));
        controls.widthInput = new StepNumberTextField(content);
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
    const std::optional<ReadBorders> read = readBorders(map);
    if (!read || read->names.isEmpty())
        return;
    map.take(read->names);
    setImportant(read->important);
    std::array<DirectionValue, 4> sides;
    for (int s = 0; s < 4; ++s)
        sides[s] = directionValueOf(read->sides[s]);
    setValue(sides);
    // The shorthands' own order and texts, for what is written back.
    const auto written = [this](Direction direction, const Parts &parts) {
        // The parts' texts as they are now: a longhand after the shorthand replaced its own.
        Written kept{m_valueMap[direction], {}};
        for (const auto &entry : parts.order) {
            const PartKind kind = entry.first;
            const std::optional<QString> &text = kind == PartKind::Style   ? parts.style
                                                 : kind == PartKind::Width ? parts.width
                                                                           : parts.color;
            if (text)
                kept.parts.append({Part(int(kind)), *text});
        }
        m_written[direction] = kept;
    };
    if (m_locked) {
        if (!read->sides[0].order.isEmpty())
            written(All, read->sides[0]);
    } else {
        for (int s = 0; s < 4; ++s) {
            if (!read->sides[s].order.isEmpty())
                written(Direction(Top + s), read->sides[s]);
        }
    }
}

void BorderEditor::reset()
{
    AttributeEditor::reset();
    m_written = {};
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
    if (value.style)
        controls.styleSelector->setTitle(*value.style);
    else
        controls.styleSelector->selectItemAtIndex(0);
    controls.unitSelector->setTitle(EditorNumber::unitTitle(value.unit));
    if (value.width) {
        controls.widthInput->setText(EditorNumber::cssNumber(*value.width));
        controls.widthStepper->setDoubleValue(*value.width);
    } else {
        controls.widthInput->setText(value.widthKeyword.value_or(QString()));
    }
    controls.widthStepper->setEnabled(value.width.has_value());
    controls.colorPicker->setColor(value.color ? ColorUtil::createNSColorWithString(*value.color) : std::nullopt);
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
    if (m_lockButton->isChecked()) {
        const DirectionValue top = m_valueMap[Top];
        toLock();
        copyTo(top, All);
        m_written[All] = m_written[Top];
        for (Direction side : {Top, Right, Bottom, Left}) {
            resetValue(side);
            m_written[side].reset();
        }
    } else {
        const DirectionValue all = m_valueMap[All];
        toUnlock();
        for (Direction side : {Top, Right, Bottom, Left}) {
            copyTo(all, side);
            m_written[side] = m_written[All];
        }
        resetValue(All);
        m_written[All].reset();
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
    if (title == u"-") {
        value.style.reset();
    } else {
        if (!value.style && !value.hasWidth()) {
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
    if (text.isEmpty()) {
        value.width.reset();
        value.widthKeyword.reset();
    } else if (lengthKeywords().contains(lower) || borderWidthKeywords().contains(lower)) {
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
    FieldMark::clear(controls.widthInput);
    controls.widthStepper->setEnabled(value.width.has_value());
    notifyChange();
}

void BorderEditor::stepChanged(Direction direction)
{
    DirectionValue &value = m_valueMap[direction];
    value.width = m_guiMap[direction].widthStepper->doubleValue();
    value.widthKeyword.reset();
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

std::optional<QString> BorderEditor::directionValue(Direction direction) const
{
    const DirectionValue &value = m_valueMap[direction];
    if (!value.style)
        return std::nullopt;
    if (const std::optional<Written> &written = m_written[direction]) {
        // In the shorthand's order, each part that did not change as written.
        const DirectionValue &was = written->read;
        const std::optional<QString> width = getWidthValue(value);
        QStringList words;
        QList<Part> placed;
        for (const auto &[part, text] : written->parts) {
            placed.append(part);
            if (part == Part::Style)
                words.append(value.style == was.style ? text : *value.style);
            else if (part == Part::Width && width)
                words.append(value.width == was.width && value.widthKeyword == was.widthKeyword && value.unit == was.unit
                                 ? text
                                 : *width);
            else if (part == Part::Color && value.color)
                words.append(value.color == was.color ? text : *value.color);
        }
        if (!placed.contains(Part::Style))
            words.prepend(*value.style);
        if (!placed.contains(Part::Width) && width)
            words.append(*width);
        if (!placed.contains(Part::Color) && value.color)
            words.append(*value.color);
        return words.join(u' ');
    }
    QStringList parts{*value.style};
    if (const std::optional<QString> width = getWidthValue(value))
        parts.append(*width);
    if (value.color)
        parts.append(*value.color);
    return parts.join(u' ');
}

std::optional<QString> BorderEditor::styleRepresentation() const
{
    if (m_locked) {
        const std::optional<QString> all = directionValue(All);
        if (!all)
            return std::nullopt;
        return declaration(QStringLiteral("border"), *all);
    }
    QStringList declarations;
    for (Direction side : {Top, Right, Bottom, Left}) {
        if (const std::optional<QString> text = directionValue(side))
            declarations.append(declaration(QStringLiteral("border-") + directionName(side), *text));
    }
    if (declarations.isEmpty())
        return std::nullopt;
    // The sides' declarations follow each other with nothing between them.
    return declarations.join(QString());
}

QWidget *BorderEditor::firstControl() const
{
    return m_guiMap[m_locked ? All : Top].styleSelector;
}
