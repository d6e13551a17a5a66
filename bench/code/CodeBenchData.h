#pragma once

// The files the code benchmarks open: a file written whole, and a style
// sheet of 300 KB (a sheet repeated to that size).

#include <QByteArray>
#include <QFile>
#include <QString>

inline bool writeBenchFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

// The sheet at path repeated to 300 KB; empty when it cannot be read.
inline QByteArray paddedSheet(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray sheet = file.readAll();
    if (sheet.isEmpty())
        return {};
    QByteArray padded;
    while (padded.size() < 300 * 1024)
        padded += sheet;
    return padded.left(300 * 1024);
}
