#pragma once

#include "NoodleLineNumberMarker.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QVariantMap>
#include <QWidget>

#include <limits>
#include <optional>

class CodeView;
class LineNumberScrollView;

// The line-number ruler in the left margin of a code view. It keeps the
// position at which each line of the text starts (lineIndices()), brought up
// to date lazily from the first edited position on, finds lines by binary
// search, draws the numbers of the visible lines beside their first row, and
// widens on the next turn of the event loop when the digits need more than
// one pixel more or less. Lines may carry a NoodleLineNumberMarker image.
// Colours follow a dark text background (turned over); the font is the
// widget's.
class NoodleLineNumberView : public QWidget
{
    Q_OBJECT

public:
    struct TextAttributes
    {
        QFont font;
        QColor color;
    };

    // A ruler for the scroll view's code view, drawn inside that view.
    explicit NoodleLineNumberView(LineNumberScrollView *scrollView);
    ~NoodleLineNumberView() override;

    static QFont defaultFont();
    static QColor defaultTextColor();
    static QColor defaultAlternateTextColor();

    CodeView *clientView() const;
    // Follows the view's text from now on; the line indices start over.
    void setClientView(CodeView *view);

    // Colours; an invalid one is none (the default; no fill for the background).
    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor &color);
    QColor alternateTextColor() const { return m_alternateTextColor; }
    void setAlternateTextColor(const QColor &color);
    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor &color);

    // Line i starts at lineIndices()[i] (view positions); recomputed first
    // when out of date.
    const QList<int> &lineIndices();
    void invalidateLineIndicesFromCharacterIndex(int index);
    // The client's text changed at the position.
    void textStorageDidProcessEditing(int position);
    void calculateLines();
    // The line (from 0) holding the position, by binary search in the stored
    // indices, even when they are out of date.
    int lineNumberForCharacterIndex(int index) const;
    // Whether the indices are up to date.
    bool hasValidLineIndices() const { return m_invalidCharacterIndex == kValid; }

    TextAttributes textAttributes() const;
    TextAttributes markerTextAttributes() const;
    // The width the numbers need: as many "8" as the digits of the line
    // count, plus 4, at least 28, rounded up.
    int requiredThickness();

    // The line (from 1) whose first row covers the height in the ruler.
    std::optional<int> lineNumberForLocation(qreal y);

    // Markers by line (from 1).
    const NoodleLineNumberMarker *markerAtLine(int line) const;
    void setMarkers(const QList<NoodleLineNumberMarker> &markers);
    void addMarker(const NoodleLineNumberMarker &marker);
    void removeMarker(const NoodleLineNumberMarker &marker);

    // Archived as a property list: "font", "textColor", "alternateTextColor"
    // and "backgroundColor", each present when set.
    void initWithCoder(const QVariantMap &coder);
    void encodeWithCoder(QVariantMap &coder) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    static constexpr int kValid = std::numeric_limits<int>::max();

    void drawHashMarksAndLabelsInRect(QPainter &painter, const QRect &rect);
    // The colour as shown beside the client's text.
    QColor shown(const QColor &color) const;
    // Applies the needed thickness on the next turn when it differs by more
    // than one pixel.
    void checkThickness();

    QPointer<CodeView> m_clientView;
    QMetaObject::Connection m_editing;
    QMetaObject::Connection m_updates;
    QList<int> m_lineIndices;
    int m_invalidCharacterIndex = 0;
    QHash<int, NoodleLineNumberMarker> m_linesToMarkers;
    QColor m_textColor;
    QColor m_alternateTextColor;
    QColor m_backgroundColor;
};
