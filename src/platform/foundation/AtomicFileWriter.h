#pragma once

#include "Result.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// The one way the program writes a file the user sees: a page, a style
// sheet, project settings, snippets, build settings, a download. The bytes go
// to a new hidden file in the same folder; every write is checked, the new
// file is synced to the disk (fsync) and closed, and only then renamed over
// the file. The file keeps its permissions (and owner, where allowed); a
// link is followed, so the file it leads to is replaced and the link kept.
// When any step fails, the new file is removed, the old one is left exactly
// as it was, and errorString() says why ("No space left on device").
//
// Usage: open(), write() as often as needed, commit(); or writeFile() for
// bytes at hand. A writer that is destroyed uncommitted leaves no trace.
// Each writer is used by one thread at a time; writers of different files
// may run on different threads.
class AtomicFileWriter
{
public:
    // Whether an existing file is replaced, or the write fails when there is
    // one (a new file, never written over one that appeared meanwhile).
    enum class Replace { Yes, No };

    // The steps of a write, for the fault injector.
    enum class Step { Open, Write, Sync, Close, Rename };

    explicit AtomicFileWriter(const QString &path, Replace replace = Replace::Yes);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter &) = delete;
    AtomicFileWriter &operator=(const AtomicFileWriter &) = delete;

    QString path() const { return m_path; }

    // Makes the new file beside the target. False, with errorString(), when
    // the target cannot be written (a folder, a read-only file, a name that
    // is not valid UTF-8 on disk, a missing folder) or the folder takes no
    // new file.
    bool open();
    bool isOpen() const { return m_fd >= 0; }
    // Appends to the new file; false once any write failed (the writer then
    // takes nothing more and commit() fails).
    bool write(const char *data, qint64 size);
    bool write(const QByteArray &data) { return write(data.constData(), data.size()); }
    // Syncs, closes and renames the new file over the target. False, with the
    // target untouched, when any of them fails.
    bool commit();
    // Removes the new file; the target stays as it was.
    void discard();

    // Why the last step failed, in words for the user; empty after success.
    QString errorString() const { return m_error; }

    // Writes the bytes as one file. The failure reads "cannot write <path>:
    // <reason>".
    static Result<void> writeFile(const QString &path, const QByteArray &data, Replace replace = Replace::Yes);

    // For tests: called before each step with the target's path; an answer
    // other than 0 is taken as the errno that step failed with. Write is
    // asked before each system call of a write, at most 64 KiB each. Empty:
    // no faults.
    using FaultInjector = std::function<int(Step step, const QString &path)>;
    static void setFaultInjector(FaultInjector injector);

    // A message when some part of the path stands for a name on disk whose
    // bytes are not valid UTF-8: Qt read it with U+FFFD in place of those
    // bytes, so the path names no file the program can read or write (a
    // write would make a second file with U+FFFD in its name). nullopt for
    // every other path.
    static std::optional<QString> undecodableNameProblem(const QString &path);

private:
    bool fail(const QString &reason);
    bool failWithErrno(int error, const QString &what);
    int injectedFault(Step step) const;

    QString m_path;
    Replace m_replace;
    // The file written in the end: the path, or where its links lead.
    QByteArray m_target;
    QByteArray m_temporary;
    int m_fd = -1;
    bool m_failed = false;
    QString m_error;
};
