#pragma once

// A file or folder the test cannot read, as a user's folder can be. Needs
// only QtCore, so that the end-to-end driver can use it too.

#include <QFile>
#include <QString>

#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// While it lives, the path has mode 000 (or the mode given: 0200 for a file
// that can be written but not read, 0555 for a folder that takes no new
// file) and the calling thread is stopped by it: root, whom permissions do
// not stop, has its override of them dropped for the thread
// (CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH leave the effective set; the
// permitted set keeps them, and the destructor takes them back). The mode
// comes back on destruction.
class Unreadable
{
public:
    explicit Unreadable(const QString &path, mode_t mode = 0) : m_path(QFile::encodeName(path))
    {
        struct stat st;
        if (::stat(m_path.constData(), &st) == 0) {
            m_mode = st.st_mode & 07777;
            m_changed = ::chmod(m_path.constData(), mode) == 0;
        }
        if (::geteuid() != 0)
            return;
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2] = {};
        if (::syscall(SYS_capget, &header, data) != 0)
            return;
        m_effective = data[0].effective;
        data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        m_dropped = ::syscall(SYS_capset, &header, data) == 0;
    }
    ~Unreadable()
    {
        if (m_dropped) {
            __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
            __user_cap_data_struct data[2] = {};
            if (::syscall(SYS_capget, &header, data) == 0) {
                data[0].effective = m_effective;
                ::syscall(SYS_capset, &header, data);
            }
        }
        if (m_changed)
            ::chmod(m_path.constData(), m_mode);
    }
    Unreadable(const Unreadable &) = delete;
    Unreadable &operator=(const Unreadable &) = delete;

    // Whether the path now stops this thread.
    bool holds() const { return m_changed && (::geteuid() != 0 || m_dropped); }

private:
    QByteArray m_path;
    mode_t m_mode = 0;
    bool m_changed = false;
    bool m_dropped = false;
    quint32 m_effective = 0;
};
