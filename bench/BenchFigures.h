#pragma once

// The minimum, median and maximum of a series of timings, as the live
// benchmarks print them; with the waiting of BenchUtil.h.

#include "BenchUtil.h"

#include <QList>
#include <QString>

#include <algorithm>

struct Figures
{
    QList<double> values;
    int decimals = 1;

    void add(double value) { values.append(value); }
    double median() const
    {
        QList<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        return sorted.at(sorted.size() / 2);
    }
    QString text() const
    {
        QList<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        return QStringLiteral("min %1 ms, median %2 ms, max %3 ms (%4 runs)")
            .arg(sorted.first(), 0, 'f', decimals)
            .arg(median(), 0, 'f', decimals)
            .arg(sorted.last(), 0, 'f', decimals)
            .arg(sorted.size());
    }
};
