#pragma once

// The renderer processes of a running browser, for tests that kill them.
// Needs only QtCore, so that the end-to-end driver can use it too.

#include <QDir>
#include <QFile>
#include <QList>
#include <QMap>

#include <sys/types.h>

// Every process of the renderer type that the browser started (through its
// zygote), read from /proc.
inline QList<pid_t> renderersOf(qint64 browser)
{
    QMap<pid_t, pid_t> parents;
    QList<pid_t> renderers;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        QFile status(QStringLiteral("/proc/%1/stat").arg(entry));
        QFile command(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!number || !status.open(QIODevice::ReadOnly) || !command.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold blanks.
        const QByteArray stat = status.readAll();
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            parents.insert(pid, pid_t(fields.at(1).toLongLong()));
        if (command.readAll().contains("--type=renderer"))
            renderers.append(pid);
    }
    QList<pid_t> found;
    for (const pid_t renderer : renderers) {
        for (pid_t up = parents.value(renderer); up > 1; up = parents.value(up)) {
            if (up == pid_t(browser)) {
                found.append(renderer);
                break;
            }
        }
    }
    return found;
}
