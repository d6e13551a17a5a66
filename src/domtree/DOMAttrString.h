#pragma once

#include <QList>
#include <QString>
#include <QTextLayout>

// A DOM tree row's text with its colours: the formats cover the text in
// order without overlapping; a part they leave out takes the view's text
// colour. The flags say what the colours were made for, so that a row's
// cached text is made again when one of them changes.
struct DOMAttrString
{
    QString text;
    QList<QTextLayout::FormatRange> formats;
    bool dark = false;
    bool ignore = false;

    // The format in effect at a position of the text; an empty one outside the formats.
    QTextCharFormat formatAt(qsizetype position) const
    {
        for (const QTextLayout::FormatRange &range : formats) {
            if (position >= range.start && position < range.start + range.length)
                return range.format;
        }
        return {};
    }
};
