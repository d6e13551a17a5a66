#pragma once

// The files the code benchmarks open: a file written whole, a style sheet of
// 300 KB (a sheet repeated to that size), and the site of both.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>

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

// The site folder with page.html and bootstrap.css (the sheet at sheetPath
// padded to 300 KB); says on stderr what could not be written.
inline bool writeBenchSite(const QString &site, const QByteArray &page, const QString &sheetPath)
{
    QDir().mkpath(site);
    const QByteArray sheet = paddedSheet(sheetPath);
    if (sheet.isEmpty() || !writeBenchFile(site + QStringLiteral("/page.html"), page)
        || !writeBenchFile(site + QStringLiteral("/bootstrap.css"), sheet)) {
        std::fprintf(stderr, "cannot write the page and the style sheet (is %s there?)\n", qPrintable(sheetPath));
        return false;
    }
    return true;
}
