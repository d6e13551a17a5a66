#include "AlignEditor.h"

#include "StyleValueMap.h"

#include "platform/kit/SegmentedControl.h"

#include <QHBoxLayout>
#include <QIcon>

AlignEditor::AlignEditor(QWidget *parent)
    : AttributeEditor(parent)
    , m_control(new SegmentedControl(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_control);
    layout->addStretch(1);
    m_control->setObjectName(QStringLiteral("text-align"));
    m_control->setSegmentCount(4);
    m_control->setTrackingMode(SegmentedControl::TrackingMode::SelectOne);
    const QStringList icons = {QStringLiteral("format-justify-left"), QStringLiteral("format-justify-center"),
                               QStringLiteral("format-justify-right"), QStringLiteral("format-justify-fill")};
    for (int segment = 0; segment < 4; ++segment) {
        const QIcon icon = QIcon::fromTheme(icons[segment]);
        if (icon.isNull())
            m_control->setLabel(keywords()[segment].left(1).toUpper(), segment);
        else
            m_control->setImage(icon, segment);
        m_control->setToolTip(keywords()[segment], segment);
        m_control->setWidth(26, segment);
    }
    connect(m_control, &SegmentedControl::activated, this, &AlignEditor::valueChanged);
}

const QStringList &AlignEditor::keywords()
{
    static const QStringList words = {QStringLiteral("left"), QStringLiteral("center"), QStringLiteral("right"),
                                      QStringLiteral("justify")};
    return words;
}

void AlignEditor::readStyle(StyleValueMap &map)
{
    const auto values = map.takeIfHeld({property()}, nullptr);
    if (!values)
        return;
    setImportant(values->first().important);
    setValue(values->first().text);
}

void AlignEditor::reset()
{
    AttributeEditor::reset();
    m_val.reset();
    m_control->setSelectedSegment(-1);
}

void AlignEditor::setValue(const std::optional<QString> &value)
{
    m_val = value;
    if (!value) {
        m_control->setSelectedSegment(-1);
        return;
    }
    const int segment = int(keywords().indexOf(*value));
    if (segment >= 0)
        m_control->setSelectedSegment(segment);
    else
        m_control->setSelectedSegment(-1);
}

std::optional<QString> AlignEditor::value() const
{
    if (!m_val || m_val->isEmpty())
        return std::nullopt;
    return m_val;
}

QWidget *AlignEditor::firstControl() const
{
    return m_control;
}

void AlignEditor::valueChanged()
{
    const int segment = m_control->selectedSegment();
    const std::optional<QString> chosen
        = segment >= 0 && segment < 4 ? std::optional<QString>(keywords()[segment]) : std::nullopt;
    if (chosen && chosen == m_val) {
        m_control->setSelectedSegment(-1);
        m_val.reset();
    } else {
        m_val = chosen;
    }
    notifyChange();
}
