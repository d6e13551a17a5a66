#include "ColorEditorView.h"

#include "editors/ColorTextEditor.h"
#include "platform/kit/ButtonMatrix.h"
#include "platform/kit/ColorPanel.h"
#include "platform/kit/ColorWell.h"
#include "stylesheet/ColorUtil.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyleOptionFocusRect>
#include <QVBoxLayout>

namespace {

// One swatch of the palette: its colour, framed when chosen or focused.
class SwatchCell : public QAbstractButton
{
public:
    SwatchCell(const QColor &color, QWidget *parent) : QAbstractButton(parent), m_color(color)
    {
        setFixedSize(19, 19);
        setFocusPolicy(Qt::TabFocus);
        setAccessibleName(color.name());
        setToolTip(color.name());
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect().adjusted(1, 1, -1, -1), m_color);
        if (isChecked() || hasFocus()) {
            painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
            painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
        }
    }

private:
    QColor m_color;
};

} // namespace

ColorEditorView::ColorEditorView(QWidget *parent) : StyleEditorView(QStringLiteral("color"), parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    createSwatch();
    layout->addWidget(m_swatch);

    auto *row = new QHBoxLayout;
    m_colorWell = new ColorWell(this);
    m_colorWell->setObjectName(QStringLiteral("colorWell"));
    row->addWidget(m_colorWell);
    m_radioGroup = makeNotationMatrix(this);
    row->addWidget(m_radioGroup);
    row->addStretch();
    layout->addLayout(row);

    m_colorTextEditor = new ColorTextEditor(this);
    m_colorTextEditor->setEditorDelegate(this);
    layout->addWidget(m_colorTextEditor);

    connect(m_colorWell, &ColorWell::colorChanged, this, [this] {
        if (const std::optional<QColor> picked = m_colorWell->color())
            m_color = RGBAColor::fromQColor(*picked);
        colorChange();
    });
    connect(m_radioGroup, &ButtonMatrix::cellClicked, this, &ColorEditorView::unitChange);
    connect(m_swatch, &ButtonMatrix::cellClicked, this, &ColorEditorView::handleRadioClick);
    setFixedSize(sizeHint());
}

ColorEditorView::~ColorEditorView()
{
    // The shared panel outlives the editor; it stops reporting to it.
    ColorPanel::sharedColorPanel().resignTarget(m_colorWell);
}

void ColorEditorView::createSwatch()
{
    m_swatch = makeSwatch(this);
}

ButtonMatrix *ColorEditorView::makeSwatch(QWidget *parent)
{
    auto *swatch = new ButtonMatrix(parent);
    swatch->setObjectName(QStringLiteral("swatch"));
    swatch->setSpacing(1);
    const QStringList colors = ColorUtil::pantoneColors();
    for (int i = 0; i < colors.size(); ++i)
        swatch->addCell(new SwatchCell(ColorUtil::colorFromHexadecimalValue(colors.at(i)).toQColor(), swatch), i, i / 14, i % 14);
    return swatch;
}

ButtonMatrix *ColorEditorView::makeNotationMatrix(QWidget *parent)
{
    auto *matrix = new ButtonMatrix(parent);
    matrix->setObjectName(QStringLiteral("notation"));
    const QStringList notations = {QStringLiteral("Hex"), QStringLiteral("RGB"), QStringLiteral("RGBA")};
    for (int tag = 0; tag < notations.size(); ++tag)
        matrix->addCell(new QRadioButton(notations.at(tag)), tag, 0, tag);
    matrix->selectCellWithTag(0);
    return matrix;
}

std::optional<RGBAColor> ColorEditorView::swatchColor(int tag)
{
    const QStringList colors = ColorUtil::pantoneColors();
    if (tag < 0 || tag >= colors.size())
        return std::nullopt;
    return ColorUtil::colorFromHexadecimalValue(colors.at(tag));
}

void ColorEditorView::parseValue()
{
    const QString text = value().trimmed();
    static const QRegularExpression hexDigits(QStringLiteral("^#([0-9a-f]{3}){1,2}$"));
    std::optional<RGBAColor> read = ColorUtil::cssColorWithString(text);
    // A "#" without its digits is no colour (it would read as black).
    if (text.startsWith(QLatin1Char('#')) && !hexDigits.match(text).hasMatch())
        read.reset();
    int unit = 0;
    if (text.startsWith(QLatin1Char('#'))) {
        m_radioGroup->selectCellWithTag(0);
    } else if (text.contains(QLatin1String("rgba(")) || text.contains(QLatin1String("hsla("))) {
        unit = 2;
        m_radioGroup->selectCellWithTag(2);
    } else if (text.contains(QLatin1String("rgb("))) {
        unit = 1;
        m_radioGroup->selectCellWithTag(1);
    }
    // A translucent colour ("transparent" included) keeps its alpha.
    if (read && read->alpha < 1) {
        unit = 2;
        m_radioGroup->selectCellWithTag(2);
    }
    m_colorTextEditor->setUnit(unit);
    m_color = read;
    if (read) {
        m_colorWell->setColor(read->toQColor());
        m_colorTextEditor->setColor(*read);
    } else {
        m_colorWell->setColor(std::nullopt);
    }
}

void ColorEditorView::colorChange()
{
    writeColor(TypedText::No);
}

void ColorEditorView::writeColor(TypedText typed)
{
    if (typed == TypedText::No)
        m_typedText.clear();
    if (!m_typedText.isEmpty()) {
        setValue(m_typedText);
        notifyChange(m_typedText);
        return;
    }
    // Nothing to write before there is a colour.
    if (!m_color)
        return;
    const RGBAColor color = *m_color;
    QString text;
    switch (m_radioGroup->selectedTag()) {
    case 2:
        text = ColorUtil::cssColorValueRGBA(color);
        break;
    case 1:
        text = ColorUtil::cssColorValueRGB(color);
        break;
    default:
        text = QLatin1Char('#') + ColorUtil::hexadecimalValue(color);
        break;
    }
    // The colour text being typed stays as typed.
    if (typed == TypedText::No)
        m_colorTextEditor->setColor(color);
    setValue(text);
    notifyChange(text);
}

void ColorEditorView::unitChange(int tag)
{
    m_radioGroup->selectCellWithTag(tag);
    m_colorTextEditor->setUnit(tag);
    colorChange();
}

void ColorEditorView::showColor(const RGBAColor &color)
{
    m_color = color;
    m_colorWell->setColor(color.toQColor());
}

void ColorEditorView::handleRadioClick(int tag)
{
    const std::optional<RGBAColor> color = swatchColor(tag);
    if (!color)
        return;
    showColor(*color);
    colorChange();
}

void ColorEditorView::colorDidChange(const RGBAColor &color)
{
    m_typedText.clear();
    showColor(color);
    writeColor(TypedText::Yes);
}

void ColorEditorView::colorTextDidChange(const QString &text, const std::optional<RGBAColor> &color)
{
    m_typedText = text;
    m_color = color;
    m_colorWell->setColor(color ? std::optional<QColor>(color->toQColor()) : std::nullopt);
    writeColor(TypedText::Yes);
}
