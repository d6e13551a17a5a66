#pragma once

#include "platform/foundation/SettingsFile.h"

#include <QCoreApplication>
#include <QStringList>

// What SettingsFile tells the user while it lives, from a clean start: the
// files left alone before are forgotten, before and after.
class SettingsFileMessages
{
public:
    SettingsFileMessages()
    {
        SettingsFile::resetForTesting();
        SettingsFile::setListener([this](const QString &message) { m_told << message; });
    }
    ~SettingsFileMessages()
    {
        SettingsFile::setListener({});
        SettingsFile::resetForTesting();
    }
    SettingsFileMessages(const SettingsFileMessages &) = delete;
    SettingsFileMessages &operator=(const SettingsFileMessages &) = delete;

    // What was told on this thread so far: the messages come at the next
    // turn of the event loop, which this takes.
    QStringList told()
    {
        QCoreApplication::processEvents();
        return m_told;
    }

private:
    QStringList m_told;
};
