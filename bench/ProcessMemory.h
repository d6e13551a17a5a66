#pragma once

// The memory of processes as the live benchmarks compare it: proportional
// set sizes, so that a page shared by processes counts once.

#include "BenchUtil.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>
#include <map>

// The proportional set size of a process in kilobytes: its resident
// memory, each page it shares with others counted by its share. Summed over
// the browser's processes, shared pages are counted once.
inline qint64 proportionalKilobytes(const QByteArray &pid)
{
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(QString::fromLatin1(pid)));
    if (!rollup.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : rollup.readAll().split('\n')) {
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// The proportional set size of every process of a process group, in
// kilobytes; by kind of process ("renderer", "gpu-process", "browser") in
// kinds when asked, with the number of processes of each kind.
struct KindMemory
{
    qint64 kilobytes = 0;
    int processes = 0;
};
using Kinds = std::map<QString, KindMemory>;
inline qint64 groupKilobytes(qint64 group, Kinds *kinds = nullptr)
{
    qint64 total = 0;
    for (const QByteArray &pid : processGroup(group)) {
        const qint64 kilobytes = std::max<qint64>(0, proportionalKilobytes(pid));
        total += kilobytes;
        if (!kinds)
            continue;
        QFile command(QStringLiteral("/proc/%1/cmdline").arg(QString::fromLatin1(pid)));
        QString kind = QStringLiteral("browser");
        if (command.open(QIODevice::ReadOnly)) {
            // The browser's helpers rewrite their command line into one text.
            for (const QByteArray &argument : command.readAll().replace('\0', ' ').split(' ')) {
                if (argument.startsWith("--type="))
                    kind = QString::fromLatin1(argument.mid(7));
            }
        }
        (*kinds)[kind].kilobytes += kilobytes;
        ++(*kinds)[kind].processes;
    }
    return total;
}

inline double megabytes(qint64 kilobytes)
{
    return double(kilobytes) / 1024.0;
}
