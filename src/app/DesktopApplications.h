#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// An application of the desktop: its desktop entry.
struct DesktopApplication
{
    // The desktop entry file; the application's identity.
    QString path;
    QString name;
    QString exec;
    QString iconName;

    QIcon icon() const;
    bool operator==(const DesktopApplication &other) const { return path == other.path; }
};

// The applications able to open a file, from the desktop's MIME associations:
// the desktop entries of the applications folders of $XDG_DATA_HOME and
// $XDG_DATA_DIRS that name the file's MIME type or one of its parents (an
// entry of an earlier folder hides one with the same name in a later
// folder, as on the desktop), and the entries added to a type in the
// user's mimeapps.list.
namespace DesktopApplications {

// In no particular order; empty when the address has no type or nothing
// opens it.
QList<DesktopApplication> applicationsForURL(const QUrl &url);

// The entry at a path; nullopt when it is not an application's entry.
std::optional<DesktopApplication> applicationAtPath(const QString &path);

// Starts the application with the file, as its entry's command line says.
bool openURLWithApplication(const QUrl &url, const DesktopApplication &application);

// The command line of the entry for the file: program first.
QStringList commandLine(const DesktopApplication &application, const QUrl &url);

// The applications folders, in the order they are searched.
QStringList applicationFolders();

} // namespace DesktopApplications
