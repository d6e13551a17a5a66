#pragma once

#include <QFont>
#include <QString>

#include <functional>

// How the DOM tree measures its rows: the font the rows are drawn in (the
// desktop's fixed font), the width of a text in it, the height of one line
// and the indentation per level. Tests give widths of their own.
struct DOMRowMetrics
{
    QFont font;
    std::function<double(const QString &)> widthOf;
    double lineHeight = 17.0;
    double indentation = 16.0;

    // The desktop's fixed font, measured as it draws.
    static DOMRowMetrics desktop();
};
