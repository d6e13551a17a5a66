#include "NoodleLineNumberView.h"

#include "CodeView.h"
#include "LineNumberScrollView.h"

#include "platform/foundation/DelayedPerform.h"
#include "platform/kit/DesktopColors.h"

#include <QFontDatabase>
#include <QPaintEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

#include <cmath>

NoodleLineNumberView::NoodleLineNumberView(LineNumberScrollView *scrollView)
    : QWidget(scrollView ? static_cast<QWidget *>(scrollView->documentView()) : nullptr)
{
    setObjectName(QStringLiteral("lineNumberView"));
    setFocusPolicy(Qt::NoFocus);
    setFont(defaultFont());
    setClientView(scrollView ? scrollView->documentView() : nullptr);
}

NoodleLineNumberView::~NoodleLineNumberView() = default;

QFont NoodleLineNumberView::defaultFont()
{
    return QFontDatabase::systemFont(QFontDatabase::SmallestReadableFont);
}

QColor NoodleLineNumberView::defaultTextColor()
{
    return QColor::fromRgbF(0.42f, 0.42f, 0.42f, 1.0f);
}

QColor NoodleLineNumberView::defaultAlternateTextColor()
{
    return Qt::white;
}

CodeView *NoodleLineNumberView::clientView() const
{
    return m_clientView;
}

void NoodleLineNumberView::setClientView(CodeView *view)
{
    disconnect(m_editing);
    disconnect(m_updates);
    m_clientView = view;
    if (view) {
        m_editing = connect(view->document(), &QTextDocument::contentsChange, this,
                            [this](int position, int, int) { textStorageDidProcessEditing(position); });
        // Scrolled with the text, redrawn with it.
        m_updates = connect(view, &QPlainTextEdit::updateRequest, this, [this](const QRect &rect, int dy) {
            if (dy)
                scroll(0, dy);
            else
                update(0, rect.y(), width(), rect.height());
        });
    }
    invalidateLineIndicesFromCharacterIndex(0);
    update();
}

void NoodleLineNumberView::setTextColor(const QColor &color)
{
    m_textColor = color;
    update();
}

void NoodleLineNumberView::setAlternateTextColor(const QColor &color)
{
    m_alternateTextColor = color;
    update();
}

void NoodleLineNumberView::setBackgroundColor(const QColor &color)
{
    m_backgroundColor = color;
    update();
}

// --- Line indices -------------------------------------------------------------------

const QList<int> &NoodleLineNumberView::lineIndices()
{
    if (!hasValidLineIndices())
        calculateLines();
    return m_lineIndices;
}

void NoodleLineNumberView::invalidateLineIndicesFromCharacterIndex(int index)
{
    m_invalidCharacterIndex = std::min(m_invalidCharacterIndex, std::max(0, index));
}

void NoodleLineNumberView::textStorageDidProcessEditing(int position)
{
    invalidateLineIndicesFromCharacterIndex(position);
    update();
}

void NoodleLineNumberView::calculateLines()
{
    if (!m_clientView)
        return;
    const QTextDocument *document = m_clientView->document();
    const int oldCount = int(m_lineIndices.size());
    // Lines before the one holding the first edited position are as they were.
    int line = m_lineIndices.isEmpty() ? 0 : lineNumberForCharacterIndex(m_invalidCharacterIndex);
    int index = m_lineIndices.isEmpty() ? 0 : m_lineIndices.at(line);
    // A line of the view is a block, or the blocks of a long line's slices;
    // an empty last line after a final line break is a block too.
    for (QTextBlock block = document->findBlock(index); block.isValid(); block = block.next()) {
        if (!m_clientView->isContinuation(block)) {
            if (line < m_lineIndices.size())
                m_lineIndices[line] = index;
            else
                m_lineIndices.append(index);
            ++line;
        }
        index += block.length();
    }
    if (line < oldCount)
        m_lineIndices.remove(line, oldCount - line);
    m_invalidCharacterIndex = kValid;
    checkThickness();
}

int NoodleLineNumberView::lineNumberForCharacterIndex(int index) const
{
    int left = 0;
    int right = int(m_lineIndices.size());
    while (right - left > 1) {
        const int middle = (left + right) / 2;
        const int start = m_lineIndices.at(middle);
        if (index < start)
            right = middle;
        else if (index > start)
            left = middle;
        else
            return middle;
    }
    return left;
}

// --- Size -------------------------------------------------------------------------------

QColor NoodleLineNumberView::shown(const QColor &color) const
{
    // Light or dark as the text beside it is.
    return DesktopColors::adapted(color, m_clientView ? m_clientView->textPalette() : palette());
}

NoodleLineNumberView::TextAttributes NoodleLineNumberView::textAttributes() const
{
    return {font(), shown(m_textColor.isValid() ? m_textColor : defaultTextColor())};
}

NoodleLineNumberView::TextAttributes NoodleLineNumberView::markerTextAttributes() const
{
    return {font(), shown(m_alternateTextColor.isValid() ? m_alternateTextColor : defaultAlternateTextColor())};
}

int NoodleLineNumberView::requiredThickness()
{
    qsizetype lines = lineIndices().size();
    // A text coming in by slices: room for all of its lines at once. A new
    // width would lay every line out again, each with a layout of its own.
    if (m_clientView)
        lines = std::max<qsizetype>(lines, m_clientView->expectedLineCount());
    const int digits = lines > 0 ? int(std::log10(double(lines))) + 1 : 1;
    const QFontMetricsF metrics(textAttributes().font);
    const qreal width = metrics.horizontalAdvance(QString(digits, u'8')) + 4.0;
    return int(std::ceil(std::max(width, 28.0)));
}

void NoodleLineNumberView::checkThickness()
{
    if (!m_clientView)
        return;
    const int required = requiredThickness();
    if (std::abs(required - m_clientView->rulerThickness()) <= 1)
        return;
    // Not while drawing: the new width lays the view out again.
    const QPointer<CodeView> view = m_clientView;
    DelayedPerform::cancel(this, "setRuleThickness:", {});
    DelayedPerform::perform(this, "setRuleThickness:", {}, 0.0, [this, view] {
        if (view && view == m_clientView && view->rulerThickness() > 0)
            view->setRulerThickness(requiredThickness());
    });
}

// --- Drawing ------------------------------------------------------------------------------

void NoodleLineNumberView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    drawHashMarksAndLabelsInRect(painter, event->rect());
}

void NoodleLineNumberView::drawHashMarksAndLabelsInRect(QPainter &painter, const QRect &rect)
{
    if (m_backgroundColor.isValid()) {
        painter.fillRect(rect, shown(m_backgroundColor));
        painter.setPen(shown(QColor::fromRgbF(0.58f, 0.58f, 0.58f, 1.0f)));
        painter.drawLine(QPointF(width() - 0.5, rect.top()), QPointF(width() - 0.5, rect.bottom() + 1));
    }
    if (!m_clientView)
        return;
    const QList<int> &lines = lineIndices();
    if (lines.isEmpty())
        return;
    const TextAttributes plain = textAttributes();
    const TextAttributes marked = markerTextAttributes();
    const QFontMetricsF metrics(plain.font);
    const qreal rowHeight = QFontMetricsF(m_clientView->font()).height();

    // Only the lines that show, from the first one in the view.
    QTextBlock block = m_clientView->firstVisibleTextBlock();
    // The line whose first slice comes next.
    int next = block.isValid() ? lineNumberForCharacterIndex(block.position()) : 0;
    if (block.isValid() && m_clientView->isContinuation(block))
        ++next;
    for (; block.isValid() && next < lines.size(); block = block.next()) {
        const QRectF geometry = m_clientView->textBlockGeometry(block);
        if (geometry.top() > rect.bottom())
            break;
        // A long line's number stands beside its first slice only.
        if (m_clientView->isContinuation(block))
            continue;
        const int line = next++;
        if (!block.isVisible() || geometry.bottom() < rect.top())
            continue;
        // The height of the line's first row, where its number stands.
        const QTextLayout *layout = block.layout();
        const qreal height = layout && layout->lineCount() > 0 ? layout->lineAt(0).height() : rowHeight;
        const qreal y = geometry.top();
        const NoodleLineNumberMarker *marker = markerAtLine(line + 1);
        if (marker && !marker->image().isNull()) {
            const QImage image = marker->image();
            painter.drawImage(QPointF(width() - image.width() - 1.0, y + height / 2.0 - marker->imageOrigin().y()),
                              image);
        }
        const QString label = QString::number(line + 1);
        const qreal labelWidth = metrics.horizontalAdvance(label);
        const qreal labelHeight = metrics.height();
        painter.setFont((marker ? marked : plain).font);
        painter.setPen((marker ? marked : plain).color);
        painter.drawText(QRectF(width() - labelWidth - 2.0, y + (height - labelHeight) / 2.0, labelWidth, labelHeight),
                         Qt::AlignRight | Qt::AlignVCenter, label);
    }
}

std::optional<int> NoodleLineNumberView::lineNumberForLocation(qreal y)
{
    if (!m_clientView)
        return std::nullopt;
    const QList<int> &lines = lineIndices();
    if (lines.isEmpty())
        return std::nullopt;
    // The text's own lines: the first whose first row holds the height.
    const QTextBlock block = m_clientView->cursorForPosition(QPoint(0, int(y))).block();
    if (!block.isValid() || m_clientView->isContinuation(block))
        return std::nullopt;
    const QRectF geometry = m_clientView->textBlockGeometry(block);
    const QTextLayout *layout = block.layout();
    const qreal height = layout && layout->lineCount() > 0 ? layout->lineAt(0).height() : geometry.height();
    if (y < geometry.top() || y >= geometry.top() + height)
        return std::nullopt;
    return lineNumberForCharacterIndex(block.position()) + 1;
}

// --- Markers ----------------------------------------------------------------------------------

const NoodleLineNumberMarker *NoodleLineNumberView::markerAtLine(int line) const
{
    const auto it = m_linesToMarkers.constFind(line - 1);
    return it == m_linesToMarkers.constEnd() ? nullptr : &*it;
}

void NoodleLineNumberView::setMarkers(const QList<NoodleLineNumberMarker> &markers)
{
    m_linesToMarkers.clear();
    for (const NoodleLineNumberMarker &marker : markers)
        addMarker(marker);
    update();
}

void NoodleLineNumberView::addMarker(const NoodleLineNumberMarker &marker)
{
    m_linesToMarkers.insert(int(marker.lineNumber()) - 1, marker);
    update();
}

void NoodleLineNumberView::removeMarker(const NoodleLineNumberMarker &marker)
{
    m_linesToMarkers.remove(int(marker.lineNumber()) - 1);
    update();
}

// --- Archive ------------------------------------------------------------------------------------

void NoodleLineNumberView::initWithCoder(const QVariantMap &coder)
{
    QFont restored;
    if (coder.contains(QStringLiteral("font")) && restored.fromString(coder.value(QStringLiteral("font")).toString()))
        setFont(restored);
    const auto color = [&coder](const char *key) {
        const QString name = coder.value(QString::fromLatin1(key)).toString();
        return name.isEmpty() ? QColor() : QColor::fromString(name);
    };
    m_textColor = color("textColor");
    m_alternateTextColor = color("alternateTextColor");
    m_backgroundColor = color("backgroundColor");
    m_linesToMarkers.clear();
    update();
}

void NoodleLineNumberView::encodeWithCoder(QVariantMap &coder) const
{
    coder.insert(QStringLiteral("font"), font().toString());
    const auto put = [&coder](const char *key, const QColor &color) {
        if (color.isValid())
            coder.insert(QString::fromLatin1(key), color.name(QColor::HexArgb));
    };
    put("textColor", m_textColor);
    put("alternateTextColor", m_alternateTextColor);
    put("backgroundColor", m_backgroundColor);
}
