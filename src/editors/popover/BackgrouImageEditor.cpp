#include "BackgrouImageEditor.h"

#include "ColorEditorView.h"
#include "GradientSlider.h"

#include "editors/ColorTextEditor.h"
#include "editors/StepNumberTextField.h"
#include "platform/foundation/Log.h"
#include "platform/kit/ButtonMatrix.h"
#include "platform/kit/ColorPanel.h"
#include "platform/kit/ColorWell.h"
#include "platform/kit/PopUpButton.h"
#include "platform/kit/Stepper.h"
#include "stylesheet/ColorUtil.h"
#include "stylesheet/GradientColorParser.h"

#include <QGridLayout>
#include <QRegularExpression>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

namespace {

PopUpButton *popUp(QWidget *parent, const QString &name, const QStringList &titles)
{
    auto *button = new PopUpButton(parent);
    button->setObjectName(name);
    button->setAccessibleName(name);
    button->addItemsWithTitles(titles);
    return button;
}

void setItemEnabled(PopUpButton *button, const QString &title, bool enabled)
{
    if (auto *model = qobject_cast<QStandardItemModel *>(button->model())) {
        if (QStandardItem *item = model->item(button->findText(title, Qt::MatchExactly)))
            item->setEnabled(enabled);
    }
}

QString colorText(const RatioColor &stop)
{
    switch (stop.unit()) {
    case 2:
        return ColorUtil::cssColorValueRGBA(stop.color());
    case 1:
        return ColorUtil::cssColorValueRGB(stop.color());
    default:
        return QLatin1Char('#') + ColorUtil::hexadecimalValue(stop.color());
    }
}

// A gradient function as written in a value: where it stands and its
// arguments between the commas, blanks kept.
struct WrittenGradient
{
    qsizetype start = 0;
    qsizetype nameLength = 0;
    qsizetype end = 0; // After the closing bracket.
    QStringList arguments;
};

std::optional<WrittenGradient> writtenGradient(const QString &text)
{
    static const QRegularExpression name(QStringLiteral("(?<![-\\w])(repeating-)?(linear|radial)-gradient\\("),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = name.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    WrittenGradient gradient;
    gradient.start = match.capturedStart();
    gradient.nameLength = match.capturedLength() - 1;
    int depth = 0;
    QChar quote;
    qsizetype argument = match.capturedEnd();
    for (qsizetype i = match.capturedEnd(); i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'(') {
            ++depth;
        } else if (c == u')' && depth > 0) {
            --depth;
        } else if (c == u')') {
            gradient.arguments.append(text.mid(argument, i - argument));
            gradient.end = i + 1;
            return gradient;
        } else if (c == u',' && depth == 0) {
            gradient.arguments.append(text.mid(argument, i - argument));
            argument = i + 1;
        }
    }
    return std::nullopt;
}

// A stop's text as its colour and its position (empty when none is written).
std::pair<QString, QString> stopParts(const QString &text)
{
    const QString trimmed = text.trimmed();
    int depth = 0;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        if (c == u'(')
            ++depth;
        else if (c == u')')
            --depth;
        else if (c.isSpace() && depth == 0)
            return {trimmed.left(i), trimmed.mid(i).trimmed()};
    }
    return {trimmed, QString()};
}

// A stop's notation: a name or another function is written as "#" hex, or
// as rgba() when it is not opaque.
int notationOf(const GradientColorStop &stop)
{
    if (stop.unit >= 0 && stop.unit <= 2)
        return stop.unit;
    return stop.color && stop.color->alpha < 1 ? 2 : 0;
}

} // namespace

BackgrouImageEditor::BackgrouImageEditor(QWidget *parent) : StyleEditorView(QStringLiteral("backgroundImage"), parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(6);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    m_backgroundType = popUp(this, QStringLiteral("Gradient kind"),
                             {QStringLiteral("linear-gradient"), QStringLiteral("repeating-linear-gradient"),
                              QStringLiteral("radial-gradient"), QStringLiteral("repeating-radial-gradient")});
    grid->addWidget(m_backgroundType, 0, 0, 1, 3);
    m_shapeSelector = popUp(this, QStringLiteral("Shape"), {QString(), QStringLiteral("circle"), QStringLiteral("ellipse")});
    m_sizeSelector = popUp(this, QStringLiteral("Size"),
                           {QString(), QStringLiteral("closest-side"), QStringLiteral("farthest-side"),
                            QStringLiteral("closest-corner"), QStringLiteral("farthest-corner"), QStringLiteral("cover"),
                            QStringLiteral("contain")});
    grid->addWidget(new QLabel(QStringLiteral("Shape"), this), 1, 0);
    grid->addWidget(m_shapeSelector, 1, 1);
    grid->addWidget(m_sizeSelector, 1, 2);

    m_angleDescribe = new ButtonMatrix(this);
    m_angleDescribe->setObjectName(QStringLiteral("directionMode"));
    m_angleDescribe->addCell(new QRadioButton(QStringLiteral("Direction")), 0, 0, 0);
    m_angleDescribe->addCell(new QRadioButton(QStringLiteral("Angle")), 1, 1, 0);
    m_angleDescribe->selectCellWithTag(0);
    grid->addWidget(m_angleDescribe, 2, 0, 2, 1);
    m_hAngleDescribe = popUp(this, QStringLiteral("Horizontal"),
                             {QString(), QStringLiteral("left"), QStringLiteral("center"), QStringLiteral("right")});
    m_vAngleDescribe = popUp(this, QStringLiteral("Vertical"),
                             {QString(), QStringLiteral("top"), QStringLiteral("center"), QStringLiteral("bottom")});
    grid->addWidget(m_hAngleDescribe, 2, 1);
    grid->addWidget(m_vAngleDescribe, 2, 2);
    auto *angleRow = new QHBoxLayout;
    m_degreeInput = makeNumberField(QStringLiteral("degree"), QStringLiteral("Angle"), 60,
                                    [this] { controlTextDidChange(m_degreeInput); }, [](const QString &text) {
                                        const auto angle = numberWithUnit(text);
                                        return angle && (angle->second.isEmpty() || angle->second.toLower() == u"deg");
                                    });
    m_degreeStepper = new Stepper(this);
    m_degreeStepper->setMinValue(-360);
    m_degreeStepper->setMaxValue(360);
    angleRow->addWidget(m_degreeInput);
    angleRow->addWidget(m_degreeStepper);
    angleRow->addWidget(new QLabel(QStringLiteral("deg"), this));
    angleRow->addStretch();
    grid->addLayout(angleRow, 3, 1, 1, 2);
    layout->addLayout(grid);

    m_gradientSlider = new GradientSlider(this);
    m_gradientSlider->setDelegate(this);
    layout->addWidget(m_gradientSlider);
    auto *stopRow = new QHBoxLayout;
    m_colorWell = new ColorWell(this);
    m_colorWell->setObjectName(QStringLiteral("colorWell"));
    stopRow->addWidget(m_colorWell);
    m_ratioInput = makeNumberField(QStringLiteral("ratio"), QStringLiteral("Stop position"), 50,
                                   [this] { controlTextDidChange(m_ratioInput); }, [](const QString &text) {
                                       const auto percent = numberWithUnit(text);
                                       return percent && (percent->second.isEmpty() || percent->second == u"%");
                                   });
    m_ratioStepper = new Stepper(this);
    m_ratioStepper->setMinValue(0);
    m_ratioStepper->setMaxValue(1);
    m_ratioStepper->setIncrement(0.01);
    stopRow->addWidget(m_ratioInput);
    stopRow->addWidget(m_ratioStepper);
    stopRow->addWidget(new QLabel(QStringLiteral("%"), this));
    m_unitMatrix = ColorEditorView::makeNotationMatrix(this);
    stopRow->addWidget(m_unitMatrix);
    stopRow->addStretch();
    layout->addLayout(stopRow);
    m_colorTextEditor = new ColorTextEditor(this);
    m_colorTextEditor->setEditorDelegate(this);
    layout->addWidget(m_colorTextEditor);
    m_swatch = ColorEditorView::makeSwatch(this);
    layout->addWidget(m_swatch);

    connect(m_backgroundType, &PopUpButton::activatedTitle, this, &BackgrouImageEditor::backgroundTypeChange);
    connect(m_shapeSelector, &PopUpButton::activatedTitle, this, &BackgrouImageEditor::gradientShapeSizeChanged);
    connect(m_sizeSelector, &PopUpButton::activatedTitle, this, &BackgrouImageEditor::gradientShapeSizeChanged);
    connect(m_hAngleDescribe, &PopUpButton::activatedTitle, this, &BackgrouImageEditor::angleDescribeChange);
    connect(m_vAngleDescribe, &PopUpButton::activatedTitle, this, &BackgrouImageEditor::angleDescribeChange);
    connect(m_angleDescribe, &ButtonMatrix::cellClicked, this, &BackgrouImageEditor::angleDescribeTypeChange);
    connect(m_degreeStepper, &Stepper::stepped, this, &BackgrouImageEditor::angleStepperChange);
    connect(m_ratioStepper, &Stepper::stepped, this, &BackgrouImageEditor::ratioChanged);
    connect(m_colorWell, &ColorWell::colorChanged, this, &BackgrouImageEditor::colorChange);
    connect(m_unitMatrix, &ButtonMatrix::cellClicked, this, &BackgrouImageEditor::unitChange);
    connect(m_swatch, &ButtonMatrix::cellClicked, this, &BackgrouImageEditor::handleRadioClick);
    setRadialEnabled(false);
    setFixedSize(sizeHint());
}

BackgrouImageEditor::~BackgrouImageEditor()
{
    ColorPanel::sharedColorPanel().resignTarget(m_colorWell);
}

void BackgrouImageEditor::setRadialEnabled(bool radial)
{
    m_shapeSelector->setEnabled(radial);
    m_sizeSelector->setEnabled(radial);
    setItemEnabled(m_hAngleDescribe, QStringLiteral("center"), radial);
    setItemEnabled(m_vAngleDescribe, QStringLiteral("center"), radial);
}

void BackgrouImageEditor::parseValue()
{
    m_loading = true;
    angleDescribeTypeChange();
    m_loading = false;
    // The first gradient of the value as written; the text around it stays.
    const QString written = writtenValue();
    const std::optional<WrittenGradient> gradient = writtenGradient(written);
    if (!gradient)
        return;
    const QString call = written.mid(gradient->start, gradient->end - gradient->start);
    const GradientColorParser parser;
    const std::optional<GradientRecord> record = parser.decode(call.toLower());
    if (!record)
        return;
    m_before = written.left(gradient->start);
    m_name = written.mid(gradient->start, gradient->nameLength);
    m_after = written.mid(gradient->end);
    // Each stop with its text: the arguments are the stops, after the
    // direction part when there is one. Stops the text does not line up
    // with are not rewritten.
    const qsizetype stopCount = record->colorRatios.size();
    const qsizetype headCount = gradient->arguments.size() - stopCount;
    if (headCount == 1)
        m_head = gradient->arguments.first();
    else if (headCount != 0)
        m_readOnly = true;
    if (stopCount >= 2 && headCount >= 0) {
        const QString second = gradient->arguments.value(headCount + 1);
        qsizetype lead = 0;
        while (lead < second.size() && second.at(lead).isSpace())
            ++lead;
        m_stopLead = second.left(lead);
    }

    // Stops without a position spread between their positioned neighbours.
    QList<RatioColorPtr> stops;
    QList<qsizetype> pending;
    double last = 0;
    const auto place = [&](qsizetype index, double percent) {
        const GradientColorStop &stop = record->colorRatios.at(index);
        auto ratio = std::make_shared<RatioColor>(float(percent / 100), stop.color.value_or(RGBAColor{0, 0, 0, 1}));
        ratio->setUnit(notationOf(stop));
        if (!m_readOnly) {
            const QString text = gradient->arguments.at(headCount + index);
            const auto [colorText, positionText] = stopParts(text);
            ratio->setWritten(text, colorText, positionText);
        }
        stops.append(ratio);
    };
    for (qsizetype i = 0; i < stopCount; ++i) {
        const GradientColorStop &stop = record->colorRatios.at(i);
        qsizetype length = 0;
        if (const std::optional<double> percent = leadingNumber(stop.ratio, &length)) {
            // Only % positions are written back.
            if (stop.ratio.mid(length) != u"%")
                m_readOnly = true;
            const qsizetype n = pending.size();
            for (qsizetype k = 0; k < n; ++k) {
                place(pending.at(k), stops.isEmpty() ? double(k) * (*percent - last) / double(n)
                                                     : last + double(k + 1) * (*percent - last) / double(n + 1));
            }
            pending.clear();
            place(i, *percent);
            last = *percent;
        } else if (stop.ratio == u"none") {
            pending.append(i);
        }
    }
    const qsizetype n = pending.size();
    if (stops.isEmpty() && n == 1)
        return;
    for (qsizetype k = 0; k < n; ++k) {
        if (k == n - 1)
            place(pending.at(k), 100);
        else if (stops.isEmpty())
            place(pending.at(k), double(k) * 100 / double(n - 1));
        else
            place(pending.at(k), last + double(k + 1) * (100 - last) / double(n));
    }
    for (const RatioColorPtr &stop : std::as_const(stops))
        m_gradientSlider->addRatioColor(stop);

    // The direction words, or an angle.
    static const QStringList directionWords = {QStringLiteral("left"), QStringLiteral("center"), QStringLiteral("right"),
                                               QStringLiteral("top"), QStringLiteral("bottom")};
    const QStringList &degree = record->degree;
    const bool hasWords = std::any_of(directionWords.begin(), directionWords.end(),
                                      [this](const QString &word) { return value().contains(word); });
    const auto wordTitle = [](const QString &word) { return word == u"center" ? QString() : word; };
    if (!degree.isEmpty() && hasWords) {
        m_angleDescribe->selectCellWithTag(0);
        m_hAngleDescribe->setTitle(degree.size() >= 2 ? wordTitle(degree.at(1)) : QString());
        m_vAngleDescribe->setTitle(degree.size() >= 3 ? wordTitle(degree.at(2)) : QString());
    } else if (degree.size() == 1) {
        m_angleDescribe->selectCellWithTag(1);
        const double angle = leadingNumber(degree.first()).value_or(0);
        m_degreeInput->setStringValue(QString::number(angle, 'f', 1));
        m_degreeStepper->setDoubleValue(angle);
    } else {
        m_angleDescribe->selectCellWithTag(0);
        m_hAngleDescribe->setTitle(QString());
        m_vAngleDescribe->setTitle(QString());
    }
    m_loading = true;
    angleDescribeTypeChange();
    m_loading = false;

    m_shapeSelector->setTitle(record->shape.value_or(QString()));
    m_sizeSelector->setTitle(record->size.value_or(QString()));
    m_backgroundType->setTitle(record->name);
    setRadialEnabled(record->type == u"radial");
    showStop();
    if (m_readOnly) {
        for (QWidget *child : findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            child->setEnabled(false);
    }
}

QString BackgrouImageEditor::builtHead() const
{
    const QString kind = m_backgroundType->titleOfSelectedItem();
    const QString h = m_hAngleDescribe->titleOfSelectedItem();
    const QString v = m_vAngleDescribe->titleOfSelectedItem();
    if (!kind.contains(QLatin1String("radial"))) {
        if (m_angleDescribe->selectedTag() != 0)
            return formatNumber(m_degreeStepper->doubleValue(), 6) + QStringLiteral("deg");
        if (!h.isEmpty() || !v.isEmpty())
            return QStringLiteral("to ") + h + (v.isEmpty() ? QString() : QLatin1Char(' ') + v);
        return {};
    }
    QStringList words;
    if (!m_shapeSelector->titleOfSelectedItem().isEmpty())
        words.append(m_shapeSelector->titleOfSelectedItem());
    if (!m_sizeSelector->titleOfSelectedItem().isEmpty())
        words.append(m_sizeSelector->titleOfSelectedItem());
    if (!h.isEmpty() || !v.isEmpty()) {
        words.append(QStringLiteral("at"));
        words.append(h);
        if (!v.isEmpty())
            words.append(v);
    }
    return words.join(QLatin1Char(' '));
}

void BackgrouImageEditor::headChanged()
{
    if (!m_loading)
        m_headChanged = true;
}

void BackgrouImageEditor::setValue()
{
    // Nothing to write without stops, or for positions this editor cannot write.
    if (m_readOnly || m_gradientSlider->ratioColors().isEmpty())
        return;
    const QString kind = m_backgroundType->titleOfSelectedItem();
    QStringList arguments;
    if (m_head && !m_headChanged) {
        arguments.append(*m_head);
    } else if (const QString head = builtHead(); !head.isEmpty()) {
        // A new direction part takes the blanks of the one it replaces.
        const QString old = m_head.value_or(QString());
        qsizetype lead = 0;
        while (lead < old.size() && old.at(lead).isSpace())
            ++lead;
        arguments.append(old.left(lead) + head);
    }
    for (const RatioColorPtr &stop : m_gradientSlider->ratioColors()) {
        QString text = stop->text(colorText(*stop));
        // Where a stop now stands first, or after a blank the others have,
        // it follows the others' layout: so does a stop the user added.
        if (arguments.isEmpty() && m_head)
            text = text.trimmed();
        else if (!arguments.isEmpty() && (text.isEmpty() || !text.at(0).isSpace()))
            text = m_stopLead + text;
        arguments.append(text);
    }
    const QString name = m_name.compare(kind, Qt::CaseInsensitive) == 0 ? m_name : kind;
    const QString call = name + QLatin1Char('(') + arguments.join(QLatin1Char(',')) + QLatin1Char(')');
    const QString text = m_before + call + m_after;
    notifyChange(text);
    StyleEditorView::setValue(text);
}

void BackgrouImageEditor::backgroundTypeChange()
{
    const bool radial = m_backgroundType->titleOfSelectedItem().contains(QLatin1String("radial"));
    // The direction part of a linear gradient means nothing to a radial one.
    if (radial != m_name.contains(QLatin1String("radial"), Qt::CaseInsensitive))
        headChanged();
    setRadialEnabled(radial);
    setValue();
}

void BackgrouImageEditor::gradientShapeSizeChanged()
{
    headChanged();
    if (m_shapeSelector->titleOfSelectedItem().isEmpty())
        m_sizeSelector->setTitle(QString());
    setValue();
}

void BackgrouImageEditor::angleDescribeChange()
{
    headChanged();
    setValue();
}

void BackgrouImageEditor::angleDescribeTypeChange()
{
    const bool angle = m_angleDescribe->selectedTag() == 1;
    m_degreeInput->setEnabled(angle);
    m_degreeStepper->setEnabled(angle);
    m_hAngleDescribe->setEnabled(!angle);
    m_vAngleDescribe->setEnabled(!angle);
    if (!m_loading) {
        headChanged();
        setValue();
    }
}

void BackgrouImageEditor::controlTextDidChange(QWidget *field)
{
    // Text that is no number (yet) changes nothing; the field says so when
    // editing ends.
    if (field == m_degreeInput) {
        const auto angle = numberWithUnit(m_degreeInput->stringValue());
        if (!angle || (!angle->second.isEmpty() && angle->second.toLower() != u"deg"))
            return;
        m_degreeStepper->setDoubleValue(angle->first);
        headChanged();
    } else if (field == m_ratioInput) {
        const auto percent = numberWithUnit(m_ratioInput->stringValue());
        if (!percent || (!percent->second.isEmpty() && percent->second != u"%"))
            return;
        const double ratio = std::clamp(percent->first / 100, 0.0, 1.0);
        m_ratioStepper->setDoubleValue(ratio);
        if (const RatioColorPtr stop = m_gradientSlider->selectedRatioColor()) {
            stop->setRatio(float(ratio));
            m_gradientSlider->updateLayout();
        }
    }
    setValue();
}

void BackgrouImageEditor::angleStepperChange()
{
    headChanged();
    m_degreeInput->setStringValue(QString::number(m_degreeStepper->doubleValue(), 'f', 1));
    setValue();
}

void BackgrouImageEditor::ratioChanged()
{
    m_ratioInput->setStringValue(formatNumber(m_ratioStepper->doubleValue() * 100, 1));
    if (const RatioColorPtr stop = m_gradientSlider->selectedRatioColor()) {
        stop->setRatio(float(m_ratioStepper->doubleValue()));
        m_gradientSlider->updateLayout();
    }
    setValue();
}

void BackgrouImageEditor::updateRatio()
{
    if (const RatioColorPtr stop = m_gradientSlider->selectedRatioColor()) {
        m_ratioInput->setStringValue(formatNumber(double(stop->ratio()) * 100, 1));
        m_ratioStepper->setDoubleValue(stop->ratio());
    } else {
        m_ratioInput->setStringValue(QString());
        m_ratioStepper->setDoubleValue(0);
    }
}

void BackgrouImageEditor::showStop()
{
    if (const RatioColorPtr stop = m_gradientSlider->selectedRatioColor()) {
        m_colorWell->setColor(stop->color().toQColor());
        m_unitMatrix->selectCellWithTag(stop->unit());
        m_colorTextEditor->setUnit(stop->unit());
        m_colorTextEditor->setColor(stop->color());
    }
    updateRatio();
}

void BackgrouImageEditor::ratioColorDidChanged(GradientSlider *)
{
    updateRatio();
    setValue();
}

void BackgrouImageEditor::selectionChanged(GradientSlider *)
{
    showStop();
}

void BackgrouImageEditor::colorChange()
{
    stopColorChanged(TypedText::No);
}

void BackgrouImageEditor::stopColorChanged(TypedText typed)
{
    const RatioColorPtr stop = m_gradientSlider->selectedRatioColor();
    const std::optional<QColor> picked = m_colorWell->color();
    // The well's QColor rounds the channels: a colour set in full stays.
    if (stop && picked && stop->color().toQColor() != *picked)
        stop->setColor(RGBAColor::fromQColor(*picked));
    m_gradientSlider->updateColors();
    setValue();
    if (stop && typed == TypedText::No) {
        m_colorTextEditor->setUnit(stop->unit());
        m_colorTextEditor->setColor(stop->color());
    }
}

void BackgrouImageEditor::unitChange(int tag)
{
    m_unitMatrix->selectCellWithTag(tag);
    const RatioColorPtr stop = m_gradientSlider->selectedRatioColor();
    if (stop)
        stop->setUnit(tag);
    setValue();
    if (stop) {
        m_colorTextEditor->setUnit(stop->unit());
        m_colorTextEditor->setColor(stop->color());
    }
}

void BackgrouImageEditor::handleRadioClick(int tag)
{
    const std::optional<RGBAColor> color = ColorEditorView::swatchColor(tag);
    if (!color)
        return;
    if (const RatioColorPtr stop = m_gradientSlider->selectedRatioColor())
        stop->setColor(*color);
    m_colorWell->setColor(color->toQColor());
    colorChange();
}

void BackgrouImageEditor::colorDidChange(const RGBAColor &color)
{
    if (const RatioColorPtr stop = m_gradientSlider->selectedRatioColor())
        stop->setColor(color);
    m_colorWell->setColor(color.toQColor());
    stopColorChanged(TypedText::Yes);
}

void BackgrouImageEditor::colorTextDidChange(const QString &text, const std::optional<RGBAColor> &color)
{
    const RatioColorPtr stop = m_gradientSlider->selectedRatioColor();
    // A stop's colour is a colour: "currentcolor" is not taken.
    if (!stop || !color)
        return;
    stop->setColorText(text, *color);
    m_colorWell->setColor(color->toQColor());
    m_gradientSlider->updateColors();
    setValue();
}
