#pragma once

#include <QColor>
#include <QString>
#include <QTextCharFormat>

class QPalette;

// The look of one syntax category: a font name (shown at 11 points), a text
// colour and a background colour, each left unchanged when unset. Colours
// are given for a light background; on a dark palette they are lightened.
class SyntaxStyle
{
public:
    SyntaxStyle() = default;
    static SyntaxStyle init(const QString &fontName, const QColor &fontColor, const QColor &backgroundColor);

    QString fontName() const { return m_fontName; }
    void setFontName(const QString &name) { m_fontName = name; }
    QColor fontColor() const { return m_fontColor; }
    void setFontColor(const QColor &color) { m_fontColor = color; }
    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor &color) { m_backgroundColor = color; }

    // The display format of the style on that palette.
    QTextCharFormat format(const QPalette &palette) const;
    // The colour as shown on that palette: as given on a light one, lighter
    // on a dark one, its hue kept.
    static QColor colorOn(const QColor &color, const QPalette &palette);

private:
    QString m_fontName;
    QColor m_fontColor;
    QColor m_backgroundColor;
};
