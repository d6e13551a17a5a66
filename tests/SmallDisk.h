#pragma once

// A real small disk for tests of a full disk: a tmpfs that a test fills.
// Needs only QtCore, so that the end-to-end driver can use it too.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <memory>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

// A tmpfs of the given size mounted on a fresh folder (or on the folder
// given, over what it held), unmounted on destruction; lazily, as a program
// under test may still hold files there. Mounting needs root
// (CAP_SYS_ADMIN): a test checks isMounted() and skips when it is not.
class SmallDisk
{
public:
    explicit SmallDisk(const char *size = "64k") : m_folder(std::make_unique<QTemporaryDir>())
    {
        mount(m_folder->isValid() ? m_folder->path() : QString(), size);
    }
    SmallDisk(const QString &folder, const char *size) { mount(folder, size); }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_path).constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool isMounted() const { return m_mounted; }
    QString path() const { return m_path; }
    QString filePath(const QString &name) const { return m_path + QLatin1Char('/') + name; }

    // Takes every byte still free with a file of its own, ".filler": the
    // next write of anything fails with "No space left on device".
    bool fill() const
    {
        const int fd = ::open(QFile::encodeName(filePath(QStringLiteral(".filler"))).constData(),
                              O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        const QByteArray page(4096, 'f');
        while (::write(fd, page.constData(), size_t(page.size())) > 0) {}
        while (::write(fd, "f", 1) > 0) {}
        const bool full = errno == ENOSPC;
        ::close(fd);
        return full;
    }
    // Gives the room taken by fill() back.
    bool empty() const { return QFile::remove(filePath(QStringLiteral(".filler"))); }

private:
    void mount(const QString &folder, const char *size)
    {
        m_path = folder;
        const QByteArray options = QByteArray("size=") + size;
        m_mounted = !folder.isEmpty()
                    && ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) == 0;
    }

    std::unique_ptr<QTemporaryDir> m_folder; // The folder made for the disk, if any.
    QString m_path;
    bool m_mounted = false;
};
