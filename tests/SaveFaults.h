#pragma once

// Two ways for a test to make a save fail: a fault injected into one step
// of AtomicFileWriter, and a real small disk that is full (SmallDisk.h).

#include "SmallDisk.h"

#include "platform/foundation/AtomicFileWriter.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <memory>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

// While it lives, the step fails with the errno: every time, or only from
// the given call of that step on (1 = the first). Removed on destruction.
class InjectedFault
{
public:
    InjectedFault(AtomicFileWriter::Step step, int error, int fromCall = 1)
        : m_calls(std::make_shared<std::atomic<int>>(0))
    {
        AtomicFileWriter::setFaultInjector([step, error, fromCall, calls = m_calls](AtomicFileWriter::Step asked,
                                                                                    const QString &) {
            if (asked != step)
                return 0;
            return ++*calls >= fromCall ? error : 0;
        });
    }
    ~InjectedFault() { AtomicFileWriter::setFaultInjector({}); }
    InjectedFault(const InjectedFault &) = delete;
    InjectedFault &operator=(const InjectedFault &) = delete;

    // How often the step was asked for.
    int calls() const { return *m_calls; }

private:
    std::shared_ptr<std::atomic<int>> m_calls;
};

// The names in a folder, hidden ones too: what a failed write must not leave.
inline QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The names in a folder as the disk has them, bytes that are no UTF-8
// included (QDir leaves such names out), without "." and "..".
inline QList<QByteArray> rawNamesIn(const QString &folder)
{
    QList<QByteArray> names;
    if (DIR *dir = ::opendir(QFile::encodeName(folder).constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                names.append(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// A file whose name is the bytes given (not valid UTF-8, say), removed on
// destruction (QTemporaryDir cannot see it to remove it). path() is the
// name as the program's file tree reads it, with U+FFFD for the bad bytes.
class RawNamedFile
{
public:
    RawNamedFile(const QString &folder, const QByteArray &name, const QByteArray &content)
        : m_raw(QFile::encodeName(folder) + '/' + name)
        , m_path(folder + QLatin1Char('/') + QFile::decodeName(name))
    {
        const int fd = ::open(m_raw.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            m_made = ::write(fd, content.constData(), size_t(content.size())) == content.size();
            ::close(fd);
        }
    }
    ~RawNamedFile() { ::unlink(m_raw.constData()); }
    RawNamedFile(const RawNamedFile &) = delete;
    RawNamedFile &operator=(const RawNamedFile &) = delete;

    bool isMade() const { return m_made; }
    QString path() const { return m_path; }
    // The file's bytes, read by its real name.
    QByteArray bytes() const
    {
        QByteArray data;
        const int fd = ::open(m_raw.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return data;
        char buffer[4096];
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
            data.append(buffer, qsizetype(n));
        ::close(fd);
        return data;
    }

private:
    QByteArray m_raw;
    QString m_path;
    bool m_made = false;
};
