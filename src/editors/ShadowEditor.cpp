#include "ShadowEditor.h"

#include "EditorNumber.h"
#include "IconButton.h"
#include "QuickColorPicker.h"
#include "StepNumberTextField.h"
#include "StyleValueMap.h"

#include "cssvalues/BoxShadowParser.h"
#include "cssvalues/TextShadowParser.h"
#include "platform/kit/PopUpButton.h"
#include "workspace/File.h"
#include "foundation/InspectUndoManager.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QToolButton>

namespace {

QString lengthText(const std::optional<LengthValue> &length, const QString &none)
{
    if (!length || !length->isValid())
        return none;
    if (length->value().typeId() == QMetaType::QString)
        return length->value().toString();
    return EditorNumber::cssNumber(length->value().toDouble());
}

} // namespace

ShadowEditor::ShadowEditor(QWidget *parent)
    : AttributeEditor(parent)
    , m_listView(new QListWidget(this))
    , m_offsetHInput(new StepNumberTextField(this))
    , m_offsetVInput(new StepNumberTextField(this))
    , m_blurInput(new StepNumberTextField(this))
    , m_spreadInput(new StepNumberTextField(this))
    , m_insetButton(new QCheckBox(QStringLiteral("Inset"), this))
    , m_unitButton(new PopUpButton(this))
    , m_colorPicker(new QuickColorPicker(this))
    , m_addButton(iconButton(this, "list-add", QStringLiteral("+"), QStringLiteral("Add a shadow")))
    , m_removeButton(iconButton(this, "list-remove", QStringLiteral("-"), QStringLiteral("Remove the shadow")))
{
    m_listView->setMaximumHeight(m_listView->fontMetrics().height() * 4 + 8);
    m_listView->setAccessibleName(QStringLiteral("Shadows"));
    m_unitButton->addItemsWithTitles({QStringLiteral("px"), QStringLiteral("em"), QStringLiteral("rem"),
                                      QStringLiteral("%")});
    m_unitButton->setAccessibleName(QStringLiteral("Shadow unit"));
    const std::array<std::pair<StepNumberTextField *, const char *>, 4> fields{{
        {m_offsetHInput, "X"}, {m_offsetVInput, "Y"}, {m_blurInput, "Blur"}, {m_spreadInput, "Spread"}}};

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    grid->addWidget(m_listView, 0, 0, 1, 4);
    auto *buttons = new QVBoxLayout;
    buttons->setSpacing(0);
    buttons->addWidget(m_addButton);
    buttons->addWidget(m_removeButton);
    buttons->addStretch(1);
    grid->addLayout(buttons, 0, 4);
    for (int i = 0; i < 4; ++i) {
        auto *label = new QLabel(QString::fromLatin1(fields[i].second), this);
        label->setBuddy(fields[i].first);
        fields[i].first->setAccessibleName(QStringLiteral("Shadow %1").arg(QString::fromLatin1(fields[i].second)));
        fields[i].first->setMaximumWidth(fields[i].first->fontMetrics().horizontalAdvance(QStringLiteral("-000.0")) + 10);
        grid->addWidget(label, 1 + i / 2, (i % 2) * 2);
        grid->addWidget(fields[i].first, 1 + i / 2, (i % 2) * 2 + 1);
    }
    grid->addWidget(m_unitButton, 3, 0, 1, 2);
    grid->addWidget(m_colorPicker, 3, 2, 1, 2);
    grid->addWidget(m_insetButton, 4, 0, 1, 4);
    grid->setColumnStretch(3, 1);

    const std::array<Length, 4> kinds{Length::X, Length::Y, Length::Blur, Length::Spread};
    for (int i = 0; i < 4; ++i) {
        StepNumberTextField *field = fields[i].first;
        const Length which = kinds[i];
        TextFieldDelegate delegate;
        delegate.controlTextDidEndEditing = [this, which](TextField *) { lengthChanged(which); };
        field->setDelegate(delegate);
        connect(field, &TextField::activated, this, [this, which] { lengthChanged(which); });
    }
    connect(m_listView, &QListWidget::currentRowChanged, this, &ShadowEditor::showSelection);
    connect(m_addButton, &QToolButton::clicked, this, &ShadowEditor::addShadow);
    connect(m_removeButton, &QToolButton::clicked, this, &ShadowEditor::deleteShadow);
    connect(m_unitButton, &PopUpButton::activatedTitle, this, &ShadowEditor::unitChanged);
    connect(m_colorPicker, &QuickColorPicker::colorAction, this, &ShadowEditor::colorChanged);
    connect(m_insetButton, &QCheckBox::clicked, this, &ShadowEditor::insetChanged);
    reset();
}

ShadowEditor::~ShadowEditor() = default;

void ShadowEditor::readStyle(StyleValueMap &map)
{
    const auto values = map.takeIfHeld({property()}, nullptr);
    if (!values)
        return;
    setImportant(values->first().important);
    const QString text = values->first().text;
    std::optional<DropShadowList> layers;
    if (text.trimmed().compare(QLatin1String("none"), Qt::CaseInsensitive) != 0 && m_parser)
        layers = m_parser->parse(text);
    if (layers && !layers->isEmpty()) {
        m_shadows = *layers;
    } else {
        m_shadows.clear();
        m_unreadValue = text;
    }
    reloadTable(-1);
}

void ShadowEditor::reset()
{
    AttributeEditor::reset();
    m_shadows.clear();
    m_unreadValue.reset();
    // Steps registered for the object shown so far are skipped from now on.
    m_shownObject = std::make_unique<QObject>();
    if (property() == u"box-shadow")
        m_parser = std::make_unique<BoxShadowParser>();
    else
        m_parser = std::make_unique<TextShadowParser>();
    reloadTable(-1);
}

std::optional<QString> ShadowEditor::value() const
{
    if (m_shadows.isEmpty())
        return m_unreadValue;
    QStringList layers;
    for (const DropShadowValuePtr &layer : m_shadows)
        layers.append(layer->stringValue());
    return layers.join(QStringLiteral(", "));
}

QWidget *ShadowEditor::firstControl() const
{
    return m_listView;
}

void ShadowEditor::addShadow()
{
    auto layer = std::make_shared<DropShadowValue>(DropShadowValue::defaultValue());
    layer->setBlur(LengthValue(0.0, QStringLiteral("px")));
    if (property() == u"box-shadow")
        layer->setSpread(LengthValue(0.0, QStringLiteral("px")));
    // The new layer replaces a value that was no layer list.
    m_unreadValue.reset();
    doAddProp(layer, int(m_shadows.size()));
    changed();
}

void ShadowEditor::deleteShadow()
{
    const DropShadowValuePtr layer = selectedLayer();
    if (!layer)
        return;
    doDeleteProp(layer);
    changed();
}

void ShadowEditor::doAddProp(const DropShadowValuePtr &layer, int index)
{
    // The group stays open for the receivers of the announcement that
    // follows; their write closes it, so the layer and the style are one step.
    if (InspectUndoManager *undo = File::sharedUndoManager())
        undo->prepareWithInvocationTarget(m_shownObject.get(), [this, layer] { doDeleteProp(layer); });
    m_shadows.insert(std::clamp<qsizetype>(index, 0, m_shadows.size()), layer);
    reloadTable(index);
}

void ShadowEditor::doDeleteProp(const DropShadowValuePtr &layer)
{
    const int index = int(m_shadows.indexOf(layer));
    if (index < 0)
        return;
    if (InspectUndoManager *undo = File::sharedUndoManager())
        undo->prepareWithInvocationTarget(m_shownObject.get(), [this, layer, index] { doAddProp(layer, index); });
    m_shadows.removeAt(index);
    reloadTable(index < m_shadows.size() ? index : -1);
}

DropShadowValuePtr ShadowEditor::selectedLayer() const
{
    const int row = m_listView->currentRow();
    return row >= 0 && row < m_shadows.size() ? m_shadows[row] : nullptr;
}

void ShadowEditor::reloadTable(int selectRow)
{
    {
        const QSignalBlocker blocker(m_listView);
        m_listView->clear();
        for (const DropShadowValuePtr &layer : std::as_const(m_shadows))
            m_listView->addItem(layer->stringValue());
        m_listView->setCurrentRow(selectRow >= 0 && selectRow < m_shadows.size() ? selectRow : -1);
    }
    showSelection();
}

void ShadowEditor::showSelection()
{
    const DropShadowValuePtr layer = selectedLayer();
    const bool enabled = layer != nullptr;
    for (QWidget *control : std::initializer_list<QWidget *>{m_offsetHInput, m_offsetVInput, m_blurInput,
                                                             m_spreadInput, m_insetButton, m_unitButton,
                                                             m_colorPicker, m_removeButton})
        control->setEnabled(enabled);
    m_spreadInput->setEnabled(enabled && property() == u"box-shadow");
    if (!layer) {
        for (StepNumberTextField *field : {m_offsetHInput, m_offsetVInput, m_blurInput, m_spreadInput})
            field->clear();
        m_insetButton->setChecked(false);
        m_unitButton->selectItemAtIndex(0);
        m_colorPicker->setColor(std::nullopt);
        return;
    }
    m_offsetHInput->setText(lengthText(layer->x(), QStringLiteral("0")));
    m_offsetVInput->setText(lengthText(layer->y(), QStringLiteral("0")));
    m_blurInput->setText(lengthText(layer->blur(), QString()));
    m_spreadInput->setText(lengthText(layer->spread(), QString()));
    m_unitButton->setTitle(layer->x().unit());
    m_colorPicker->setColor(layer->color());
    m_insetButton->setChecked(layer->inset());
}

void ShadowEditor::lengthChanged(Length which)
{
    const DropShadowValuePtr layer = selectedLayer();
    if (!layer)
        return;
    StepNumberTextField *field = which == Length::X      ? m_offsetHInput
                                 : which == Length::Y    ? m_offsetVInput
                                 : which == Length::Blur ? m_blurInput
                                                         : m_spreadInput;
    const QString text = field->text().trimmed();
    QVariant value;
    if (text.isEmpty()) {
        value = 0.0;
        field->setText(QStringLiteral("0"));
    } else if (DropShadowValue::lengthKeywords().contains(text)) {
        value = text;
    } else {
        const std::optional<EditorNumber::Scanned> scanned = EditorNumber::scanNumber(text);
        value = scanned ? scanned->value : 0.0;
        field->setText(EditorNumber::cssNumber(value.toDouble()));
    }
    const QString unit = layer->x().unit();
    switch (which) {
    case Length::X:
        layer->setX(LengthValue(value, layer->x().unit()));
        break;
    case Length::Y:
        layer->setY(LengthValue(value, layer->y().unit()));
        break;
    case Length::Blur:
        layer->setBlur(LengthValue(value, layer->blur() ? layer->blur()->unit() : unit));
        break;
    case Length::Spread:
        layer->setSpread(LengthValue(value, layer->spread() ? layer->spread()->unit() : unit));
        break;
    }
    changed();
}

void ShadowEditor::unitChanged()
{
    const DropShadowValuePtr layer = selectedLayer();
    if (!layer)
        return;
    const QString unit = m_unitButton->titleOfSelectedItem();
    layer->setX(LengthValue(layer->x().value(), unit));
    layer->setY(LengthValue(layer->y().value(), unit));
    if (layer->blur())
        layer->setBlur(LengthValue(layer->blur()->value(), unit));
    if (layer->spread())
        layer->setSpread(LengthValue(layer->spread()->value(), unit));
    changed();
}

void ShadowEditor::colorChanged()
{
    if (const DropShadowValuePtr layer = selectedLayer()) {
        layer->setColor(m_colorPicker->getColor());
        changed();
    }
}

void ShadowEditor::insetChanged()
{
    if (const DropShadowValuePtr layer = selectedLayer()) {
        layer->setInset(m_insetButton->isChecked());
        changed();
    }
}

void ShadowEditor::changed()
{
    notifyChange();
    // Each row shows its layer's new text.
    for (int row = 0; row < m_shadows.size() && row < m_listView->count(); ++row)
        m_listView->item(row)->setText(m_shadows[row]->stringValue());
}
