#pragma once

#include <QList>
#include <QMetaType>

// A run of text in one syntax style: [start, start + length) in UTF-16
// units, and the style's number in its colourer (0 is no style).
struct SyntaxSpan
{
    int start = 0;
    int length = 0;
    int style = 0;

    int end() const { return start + length; }
    friend bool operator==(const SyntaxSpan &, const SyntaxSpan &) = default;
};

using SyntaxSpans = QList<SyntaxSpan>;
