#pragma once

#include <QColor>
#include <QString>

// How a comment row reads and is edited: shown as "<!--body-->" in the
// formatter's colour, edited as its body only, and stored with the markers
// put back around the edited body.
class DomCommentRowFormatter
{
public:
    // Black when never set.
    QColor color() const { return m_color.isValid() ? m_color : QColor(Qt::black); }
    void setColor(const QColor &color) { m_color = color; }

    // The shown text of a comment whose body is given.
    static QString stringForObjectValue(const QString &body);
    // The text between the first "<!--" and the first "-->" after it; the
    // text unchanged when either is missing.
    static QString getCommentBody(const QString &text);
    // What an editor starts with: the body.
    static QString editingStringForObjectValue(const QString &value);
    // What an edit stores: "<!--body-->" around the body of the edited text.
    static QString getObjectValue(const QString &string);

private:
    QColor m_color;
};
