#include "ShadowListView.h"

#include "ColorEditorView.h"

#include "editors/ColorTextEditor.h"
#include "editors/FieldMark.h"
#include "editors/IconButton.h"
#include "editors/StepNumberTextField.h"
#include "foundation/InspectUndoManager.h"
#include "platform/kit/ButtonMatrix.h"
#include "platform/kit/ColorPanel.h"
#include "platform/kit/ColorWell.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/Stepper.h"
#include "workspace/File.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHideEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int kRowHeight = 18;

// A length as a number field takes it: a number, with or without a unit.
std::optional<std::pair<double, QString>> typedLength(const QString &text)
{
    const auto read = StyleEditorView::numberWithUnit(text);
    if (!read || !std::isfinite(float(read->first)) || (!read->second.isEmpty() && !StyleEditorView::isLengthUnit(read->second)))
        return std::nullopt;
    return read;
}

bool readsLength(const QString &text)
{
    return typedLength(text).has_value();
}

} // namespace

ShadowListView::ShadowListView(const QString &type, bool withSpread, QWidget *parent)
    : StyleEditorView(type, parent), m_withSpread(withSpread)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(6);

    auto *listRow = new QHBoxLayout;
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("layers"));
    m_list->setAccessibleName(QStringLiteral("Shadows"));
    m_list->setUniformItemSizes(true);
    m_list->setFixedHeight(kRowHeight * 4 + 2 * m_list->frameWidth());
    listRow->addWidget(m_list, 1);
    auto *buttons = new QVBoxLayout;
    buttons->setSpacing(0);
    m_addButton = iconButton(this, "list-add", QStringLiteral("+"), QStringLiteral("Add a shadow"));
    m_deleteButton = iconButton(this, "list-remove", QStringLiteral("-"), QStringLiteral("Remove the shadow"));
    buttons->addWidget(m_addButton);
    buttons->addWidget(m_deleteButton);
    buttons->addStretch();
    listRow->addLayout(buttons);
    layout->addLayout(listRow);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(4);
    const std::array<const char *, 4> names = {"X", "Y", "Blur", "Spread"};
    const int count = withSpread ? 4 : 3;
    for (int i = 0; i < count; ++i) {
        const QString name = QString::fromLatin1(names.at(i));
        const auto field = Field(i);
        m_fields[i] = makeNumberField(name.toLower(), QStringLiteral("Shadow %1").arg(name), 60,
                                      [this, field] { controlTextDidChange(field); }, &readsLength);
        m_steppers[i] = new Stepper(this);
        auto *label = new QLabel(name, this);
        label->setBuddy(m_fields[i]);
        grid->addWidget(label, i / 2, (i % 2) * 3);
        grid->addWidget(m_fields[i], i / 2, (i % 2) * 3 + 1);
        grid->addWidget(m_steppers[i], i / 2, (i % 2) * 3 + 2);
        connect(m_steppers[i], &Stepper::stepped, this, [this, field] { stepperChange(field); });
    }
    layout->addLayout(grid);

    auto *unitRow = new QHBoxLayout;
    m_unitChanger = new PopUpButton(this);
    m_unitChanger->setObjectName(QStringLiteral("numberUnit"));
    m_unitChanger->setAccessibleName(QStringLiteral("Shadow unit"));
    m_unitChanger->addItemsWithTitles({QStringLiteral("px"), QStringLiteral("em"), QStringLiteral("rem"),
                                       QStringLiteral("%"), QStringLiteral("pt")});
    unitRow->addWidget(m_unitChanger);
    m_insetCheckBox = new QCheckBox(QStringLiteral("Inset"), this);
    m_insetCheckBox->setVisible(withSpread);
    unitRow->addWidget(m_insetCheckBox);
    unitRow->addStretch();
    layout->addLayout(unitRow);

    m_swatch = ColorEditorView::makeSwatch(this);
    layout->addWidget(m_swatch);
    auto *colorRow = new QHBoxLayout;
    m_colorWell = new ColorWell(this);
    m_colorWell->setObjectName(QStringLiteral("colorWell"));
    colorRow->addWidget(m_colorWell);
    m_radioGroup = ColorEditorView::makeNotationMatrix(this);
    colorRow->addWidget(m_radioGroup);
    colorRow->addStretch();
    layout->addLayout(colorRow);
    m_colorTextEditor = new ColorTextEditor(this);
    m_colorTextEditor->setEditorDelegate(this);
    layout->addWidget(m_colorTextEditor);

    connect(m_list, &QListWidget::currentRowChanged, this, &ShadowListView::inputValue);
    connect(m_addButton, &QToolButton::clicked, this, &ShadowListView::addProp);
    connect(m_deleteButton, &QToolButton::clicked, this, &ShadowListView::deleteProp);
    connect(m_insetCheckBox, &QCheckBox::clicked, this, &ShadowListView::insetCheckBoxChange);
    connect(m_unitChanger, &PopUpButton::activatedTitle, this, &ShadowListView::numberUnitChange);
    connect(m_colorWell, &ColorWell::colorChanged, this, &ShadowListView::colorChange);
    connect(m_radioGroup, &ButtonMatrix::cellClicked, this, &ShadowListView::unitChange);
    connect(m_swatch, &ButtonMatrix::cellClicked, this, &ShadowListView::handleRadioClick);
    setFixedSize(sizeHint());
}

ShadowListView::~ShadowListView()
{
    ColorPanel::sharedColorPanel().resignTarget(m_colorWell);
    // No undo step may run on an editor that is gone.
    dropUndoSteps();
}

void ShadowListView::dropUndoSteps()
{
    if (InspectUndoManager *undo = File::sharedUndoManager())
        undo->removeAllActionsWithTarget(this);
}

void ShadowListView::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        dropUndoSteps();
    StyleEditorView::hideEvent(event);
}

void ShadowListView::parseValue()
{
    // The value in its own case: a layer not edited keeps its text.
    m_props = ShadowLayerReader::read(writtenValue());
    reloadList(0);
}

DropShadowPropPtr ShadowListView::selectedLayer() const
{
    return m_props.value(m_list->currentRow());
}

void ShadowListView::reloadList(int selectRow)
{
    m_loading = true;
    m_list->clear();
    for (const DropShadowPropPtr &layer : m_props) {
        auto *item = new QListWidgetItem(layer->stringValue(), m_list);
        item->setSizeHint(QSize(0, kRowHeight));
        item->setToolTip(layer->stringValue());
    }
    m_loading = false;
    if (selectRow >= 0 && selectRow < m_props.size())
        m_list->setCurrentRow(selectRow);
    m_deleteButton->setEnabled(!m_props.isEmpty());
}

void ShadowListView::refreshSelectedRow()
{
    const DropShadowPropPtr layer = selectedLayer();
    QListWidgetItem *item = m_list->currentItem();
    if (!layer || !item)
        return;
    item->setText(layer->stringValue());
    item->setToolTip(layer->stringValue());
}

void ShadowListView::inputValue()
{
    const DropShadowPropPtr layer = selectedLayer();
    if (m_loading || !layer)
        return;
    m_loading = true;
    const QString unit = layer->numberUnit();
    for (int i = 0; i < 4; ++i) {
        if (!m_fields[i])
            continue;
        const auto which = DropShadowProp::Length(i);
        const float number = layer->length(which);
        // A length in another unit than the layer's shows its own.
        const QString own = layer->lengthUnit(which);
        m_fields[i]->setStringValue(formatNumber(number, 6) + (number != 0 && own != unit ? own : QString()));
        FieldMark::clear(m_fields[i]);
        m_steppers[i]->setDoubleValue(number);
    }
    m_unitChanger->setTitle(unit);
    m_insetCheckBox->setChecked(layer->inset());
    m_radioGroup->selectCellWithTag(layer->unit());
    m_colorWell->setColor(layer->color() ? std::optional<QColor>(layer->color()->toQColor()) : std::nullopt);
    m_colorTextEditor->setUnit(layer->unit());
    if (layer->color())
        m_colorTextEditor->setColor(*layer->color());
    m_loading = false;
}

void ShadowListView::rebuild(DropShadowProp &layer) const
{
    if (m_withSpread)
        layer.createCSSValueStrng();
    else
        layer.createCSSValueStrngWithoutSpread();
}

void ShadowListView::setValue()
{
    if (m_loading)
        return;
    if (const DropShadowPropPtr layer = selectedLayer()) {
        rebuild(*layer);
        // Only the row's text: the fields keep what is being typed in them.
        refreshSelectedRow();
    }
    announce();
}

void ShadowListView::announce()
{
    QStringList texts;
    for (const DropShadowPropPtr &layer : m_props)
        texts.append(layer->stringValue());
    // Without layers the page drops the shadow.
    notifyChange(texts.isEmpty() ? QStringLiteral("none") : texts.join(QLatin1Char(',')));
}

void ShadowListView::controlTextDidChange(Field field)
{
    const DropShadowPropPtr layer = selectedLayer();
    if (m_loading || !layer || !m_fields[field])
        return;
    // Text that is no length (yet) changes nothing.
    const auto typed = typedLength(m_fields[field]->stringValue());
    if (!typed)
        return;
    const auto which = DropShadowProp::Length(field);
    if (typed->second.isEmpty())
        layer->setLength(which, float(typed->first));
    else
        layer->setLength(which, float(typed->first), typed->second.toLower());
    m_steppers[field]->setDoubleValue(typed->first);
    setValue();
}

void ShadowListView::stepperChange(Field field)
{
    const DropShadowPropPtr layer = selectedLayer();
    if (!m_fields[field] || !layer)
        return;
    const auto which = DropShadowProp::Length(field);
    const QString own = layer->lengthUnit(which);
    const double number = m_steppers[field]->doubleValue();
    m_fields[field]->setStringValue(formatNumber(number, 6) + (own != layer->numberUnit() && number != 0 ? own : QString()));
    controlTextDidChange(field);
}

void ShadowListView::insetCheckBoxChange()
{
    if (const DropShadowPropPtr layer = selectedLayer(); layer && !m_loading)
        layer->setInset(m_withSpread && m_insetCheckBox->isChecked());
    setValue();
}

void ShadowListView::numberUnitChange()
{
    const DropShadowPropPtr layer = selectedLayer();
    if (!layer || m_loading)
        return;
    layer->setNumberUnit(m_unitChanger->titleOfSelectedItem());
    setValue();
    inputValue();
}

void ShadowListView::colorChange()
{
    layerColorChanged(TypedText::No);
}

void ShadowListView::layerColorChanged(TypedText typed)
{
    if (m_loading)
        return;
    const DropShadowPropPtr layer = selectedLayer();
    const std::optional<QColor> picked = m_colorWell->color();
    if (layer && picked) {
        layer->setUnit(m_radioGroup->selectedTag());
        // The well's QColor rounds the channels: a colour read keeps its own.
        if (!layer->color() || layer->color()->toQColor() != *picked)
            layer->setColor(RGBAColor::fromQColor(*picked));
    }
    setValue();
    if (layer && layer->color() && typed == TypedText::No)
        m_colorTextEditor->setColor(*layer->color());
}

void ShadowListView::unitChange(int tag)
{
    m_radioGroup->selectCellWithTag(tag);
    m_colorTextEditor->setUnit(tag);
    colorChange();
}

void ShadowListView::handleRadioClick(int tag)
{
    const std::optional<RGBAColor> color = ColorEditorView::swatchColor(tag);
    if (!color)
        return;
    if (const DropShadowPropPtr layer = selectedLayer())
        layer->setColor(color);
    m_colorWell->setColor(color->toQColor());
    colorChange();
}

void ShadowListView::colorDidChange(const RGBAColor &color)
{
    if (const DropShadowPropPtr layer = selectedLayer())
        layer->setColor(color);
    m_colorWell->setColor(color.toQColor());
    layerColorChanged(TypedText::Yes);
}

void ShadowListView::colorTextDidChange(const QString &text, const std::optional<RGBAColor> &color)
{
    if (const DropShadowPropPtr layer = selectedLayer())
        layer->setColorText(text, color);
    m_colorWell->setColor(color ? std::optional<QColor>(color->toQColor()) : std::nullopt);
    setValue();
}

DropShadowPropPtr ShadowListView::newLayer() const
{
    auto layer = std::make_shared<DropShadowProp>();
    layer->setH(2);
    layer->setV(2);
    layer->setB(2);
    if (m_withSpread)
        layer->setS(1);
    layer->setNumberUnit(QStringLiteral("px"));
    layer->setColor(RGBAColor{0, 0, 0, 1});
    return layer;
}

void ShadowListView::addProp()
{
    const DropShadowPropPtr layer = newLayer();
    m_colorTextEditor->setUnit(0);
    doAddProp(layer, int(m_props.size()));
}

void ShadowListView::deleteProp()
{
    if (const DropShadowPropPtr layer = selectedLayer())
        doDeleteProp(layer);
}

void ShadowListView::doAddProp(const DropShadowPropPtr &layer, int index)
{
    InspectUndoManager *undo = File::sharedUndoManager();
    if (undo)
        undo->prepareWithInvocationTarget(this, [this, layer] { doDeleteProp(layer); });
    rebuild(*layer);
    index = int(std::clamp<qsizetype>(index, 0, m_props.size()));
    m_props.insert(index, layer);
    reloadList(index);
    inputValue();
    announce();
    if (undo)
        undo->reserveCloseGroupingAtEndOfRunLoop();
}

void ShadowListView::doDeleteProp(const DropShadowPropPtr &layer)
{
    const int index = int(m_props.indexOf(layer));
    if (index < 0)
        return;
    InspectUndoManager *undo = File::sharedUndoManager();
    if (undo)
        undo->prepareWithInvocationTarget(this, [this, layer, index] { doAddProp(layer, index); });
    m_props.removeAt(index);
    reloadList(std::min(index, int(m_props.size()) - 1));
    inputValue();
    announce();
    if (undo)
        undo->reserveCloseGroupingAtEndOfRunLoop();
}
