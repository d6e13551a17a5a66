#pragma once

// How the rules panel's benchmarks print a series of timings.

#include "../BenchUtil.h"

#include <QString>

#include <algorithm>
#include <vector>

inline QString figures(const std::vector<double> &values)
{
    return QStringLiteral("median %1 ms, 95th percentile %2 ms, worst %3 ms (%4 runs)")
        .arg(median(values), 0, 'f', 1)
        .arg(percentile(values, 0.95), 0, 'f', 1)
        .arg(*std::max_element(values.begin(), values.end()), 0, 'f', 1)
        .arg(values.size());
}
