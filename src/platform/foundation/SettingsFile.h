#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The program's own settings files (the user defaults, a project's
// ".quillmark_config" and ".kem", the snippet library) as their readers see
// them, and what the user is told when one cannot be used (#80).
//
// A damaged file, one that was read but does not parse, is moved aside
// (FileAside) and the defaults take its place. A file that exists but cannot
// be read (no permission, a folder in its place) is the user's all the same:
// it keeps its name and bytes, and nothing is written over it while the
// program runs (isLeftAlone()). Either is said once, naming the file, where
// its copy is and what the program uses instead: in the log, and to the
// listener the shell installs.
namespace SettingsFile {

struct Contents
{
    enum class State { Missing, Read, Unreadable };
    State state = State::Missing;
    QByteArray bytes; // Read: the whole file
    QString reason;   // Unreadable: why
};

// Reads the whole file.
Contents read(const QString &path);

// `what` names the file for the user, starting a sentence ("The project
// settings file"); `instead` says what is used in its place ("the project
// uses the default settings").

// A damaged file: moved aside and the user told. One that cannot be moved is
// left alone, as an unreadable one is. Answers the message.
QString setAside(const QString &path, const QString &what, const QString &problem, const QString &instead);
// A file that cannot be read: left alone and the user told, once for the
// program's life. Answers the message.
QString leaveAlone(const QString &path, const QString &what, const QString &reason, const QString &instead);

// A file that cannot be written: the user told why and what follows, once
// for the program's life. Answers the message.
QString cannotWrite(const QString &path, const QString &what, const QString &reason, const QString &consequence);

// Why the file cannot be written now, in words for the user: its folder
// cannot be made, or a new file cannot be made in it or put in its place.
// Makes the missing folders it can, as a writer would. Empty when it can be
// written.
QString whyUnwritable(const QString &path);

// Whether the file is left alone: its writers write nothing over it.
bool isLeftAlone(const QString &path);
// The failure a writer answers for a file left alone.
QString leftAloneError(const QString &path);

// Receives every message, on the main thread, those told before it was set
// first. An empty listener keeps them until the next is set.
void setListener(std::function<void(const QString &message)> listener);

// Forgets the files left alone and the messages not yet delivered.
void resetForTesting();

} // namespace SettingsFile
