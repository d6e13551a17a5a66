#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "workspace/File.h"

// Internals shared by the shell's files.
namespace ShellPrivate {

// The file a notification is about ("file" in its user info).
inline File *fileOf(const Notification &notification)
{
    return notification.userInfo.value(QStringLiteral("file")).value<File *>();
}

// The item of the project tree's outline view.
inline File *asFile(void *item)
{
    return static_cast<File *>(item);
}

} // namespace ShellPrivate
