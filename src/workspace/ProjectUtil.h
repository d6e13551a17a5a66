#pragma once

#include "IgnoreOptionValue.h"

#include "stylesheet/VendarPrefixSettings.h"

#include <QLatin1String>
#include <QList>
#include <QMap>
#include <QString>
#include <QVariantMap>

// The project settings store: creates, reads, caches, migrates and writes the
// settings dictionary of each project folder. The dictionary lives in the file
// ".quillmark_config" (the classic archive stream, see Archiver; an XML
// property list written by earlier versions is still read) in the project folder; a
// process-wide cache keeps the last dictionary read or written per project
// path, and the legacy user-defaults store "projectConfigs" is still read and
// moved into the files. Every operation is serialised by one lock, as project
// loading uses the store from a background thread.
//
// Lookups answer a copy; a caller changes settings by changing its copy and
// saving it with saveProjectConfig().
class ProjectUtil
{
public:
    // Keys of the settings dictionary ("version" has no constant).
    static constexpr QLatin1String kOverrideCSS = VendarPrefixSettings::kOverrideCSS;
    static constexpr QLatin1String kMinifyCSS{"minifyCSS"};
    static constexpr QLatin1String kOverrideHTML{"overrideHTML"};
    static constexpr QLatin1String kMinifyHTML{"minifyHTML"};
    static constexpr QLatin1String kIgnoreOption{"ignoreOption"};
    static constexpr QLatin1String kHeaderIgnoreOption{"headerIgnoreOption"};
    static constexpr QLatin1String kVendarPrefix = VendarPrefixSettings::kVendarPrefix;
    static constexpr QLatin1String kVendarPrefixProperties = VendarPrefixSettings::kVendarPrefixProperties;
    static constexpr QLatin1String kFormatJavaScript{"formatJavaScript"};
    static constexpr QLatin1String kIsWebProject{"isWebProject"};
    static constexpr QLatin1String kWebMainURL{"webMainURL"};

    // The current format version; older dictionaries are migrated.
    static constexpr float kCurrentVersion = 1.7f;

    ProjectUtil() = delete;

    // The project path with ".quillmark_config" appended as a path component.
    static QString configPath(const QString &projectPath);

    static void setCurrentProjectPath(const QString &path);
    static QString getCurrentProjectPath();

    static QVariantMap getCurrentProjectConfig();
    // Cache, settings file, legacy store, then the defaults (written at once).
    // Empty only for an empty path.
    static QVariantMap getProjectConfig(const QString &projectPath);
    // Cache first, then the settings file; empty when neither has settings.
    static QVariantMap readProjectConfigFromFile(const QString &projectPath);

    static bool saveProjectConfig(const QVariantMap &config, const QString &projectPath, QString *error = nullptr);
    // Writes the settings file atomically and caches the dictionary. A failed
    // write is logged and answered false, with the reason in `error` ("cannot
    // write <path>: <reason>"); the cache still takes the new settings.
    static bool saveProjectConfigToFile(const QVariantMap &config, const QString &projectPath,
                                        QString *error = nullptr);

    // Brings a dictionary to the current version in place.
    static void migrateProjectConfigVersion(QVariantMap &config);
    // Moves the path's legacy entry into its settings file, unless one exists.
    static void migrateProjectConfigToFile(const QString &projectPath);
    // Removes the path's legacy entry; the settings file and cache entry stay.
    static void removeProjectConfig(const QString &projectPath);
    // Gives a just imported project the imported defaults when it has no settings yet.
    static void initImportedProjectConfig(const QString &projectPath);

    static QVariantMap createDefaultProjectConfig();
    static QVariantMap createImportedDefaultProjectConfig();

    // The first cached project whose "webMainURL" equals the text exactly.
    static QString projectPathWithURL(const QString &url);

    // A copy of the cache, project path to settings.
    static QMap<QString, QVariantMap> projectConfigsCache();

    // The property names that get vendor-prefixed copies: a new dictionary of
    // name to true on every call.
    static QVariantMap defaultVendarPrefixProperties();

    // The "ignoreOption" text of new and imported projects.
    static QString defaultIgnoreOption();

    // The rule list of the dictionary's "ignoreOption"; the last parse is cached.
    static QList<IgnoreOptionValue> ignoreOptionWithProjectConfig(const QVariantMap &config);
    static QList<IgnoreOptionValue> parseIgnoreOption(const QString &text);
    // One rule without a selector whose conditions merge the given rules':
    // one condition per name, its distinct values in first-seen order.
    static IgnoreOptionValue computedIgnoreOptionValue(const QList<IgnoreOptionValue> &values);

    // Forgets the cache and the current project path; for tests.
    static void resetForTesting();
};
