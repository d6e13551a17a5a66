#include "RatioColor.h"

#include "StyleEditorView.h"

void RatioColor::setRatio(float ratio)
{
    if (ratio == m_ratio)
        return;
    m_ratio = ratio;
    m_ratioChanged = true;
}

void RatioColor::setUnit(int unit)
{
    if (unit == m_unit)
        return;
    m_unit = unit;
    // The colour goes over to the notation.
    m_colorText.clear();
    m_colorChanged = true;
}

void RatioColor::setColor(const RGBAColor &color)
{
    m_color = color;
    m_colorText.clear();
    m_colorChanged = true;
}

void RatioColor::setColorText(const QString &text, const RGBAColor &color)
{
    m_color = color;
    m_colorText = text;
    m_colorChanged = true;
}

void RatioColor::setWritten(const QString &text, const QString &colorText, const QString &positionText)
{
    m_written = text;
    m_colorText = colorText;
    m_writtenPosition = positionText;
    m_colorChanged = false;
    m_ratioChanged = false;
}

QString RatioColor::text(const QString &colorByNotation) const
{
    if (m_written && !m_colorChanged && !m_ratioChanged)
        return *m_written;
    const QString color = m_colorText.isEmpty() ? colorByNotation : m_colorText;
    QString position;
    if (m_written && !m_ratioChanged) {
        position = m_writtenPosition;
    } else {
        // Whole percents, or tenths where a position was typed so.
        const QString percent = StyleEditorView::formatNumber(double(m_ratio) * 100, 1);
        if ((percent != u"0" && percent != u"100") || (m_written && !m_writtenPosition.isEmpty()))
            position = percent + u'%';
    }
    const QString stop = position.isEmpty() ? color : color + u' ' + position;
    if (!m_written)
        return stop;
    // The blanks around the stop as they were.
    const QString &written = *m_written;
    qsizetype lead = 0;
    while (lead < written.size() && written.at(lead).isSpace())
        ++lead;
    qsizetype trail = written.size();
    while (trail > lead && written.at(trail - 1).isSpace())
        --trail;
    return written.left(lead) + stop + written.mid(trail);
}
