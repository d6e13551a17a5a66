#include "ProjectUtil.h"

#include "platform/foundation/Archiver.h"
#include "platform/foundation/Assert.h"
#include "platform/foundation/AtomicFileWriter.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/SettingsFile.h"
#include "platform/foundation/UserDefaults.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

// The ignore-option parser and merge live in ProjectUtilIgnoreOption.cpp.

namespace {

const QString kConfigFileName = QStringLiteral(".quillmark_config");
const QString kLegacyStoreKey = QStringLiteral("projectConfigs");
const QString kVersionKey = QStringLiteral("version");

// The store's state; every operation holds the lock while it uses it. The lock
// is recursive because operations call one another (a lookup saves defaults).
struct ProjectStore
{
    QRecursiveMutex lock;
    QMap<QString, QVariantMap> cache;
    QString currentProjectPath;
};

ProjectStore &projectStore()
{
    static ProjectStore s_store;
    return s_store;
}

QVariantList vendarPrefixEntries(bool allOn)
{
    QVariantList entries;
    bool first = true;
    for (const char *prefix : {"-webkit", "-moz", "-o", "-ms"}) {
        entries.append(QVariantMap{{QStringLiteral("prefix"), QString::fromLatin1(prefix)},
                                   {QStringLiteral("on"), allOn || first}});
        first = false;
    }
    return entries;
}

QVariantMap defaultConfig(bool imported)
{
    return {
        {kVersionKey, ProjectUtil::kCurrentVersion},
        {ProjectUtil::kOverrideCSS, true},
        {ProjectUtil::kMinifyCSS, false},
        {ProjectUtil::kOverrideHTML, true},
        {ProjectUtil::kMinifyHTML, false},
        {ProjectUtil::kIgnoreOption, ProjectUtil::defaultIgnoreOption()},
        {ProjectUtil::kHeaderIgnoreOption, QVariantList()},
        {ProjectUtil::kVendarPrefix, vendarPrefixEntries(imported)},
        {ProjectUtil::kVendarPrefixProperties, ProjectUtil::defaultVendarPrefixProperties()},
        {ProjectUtil::kFormatJavaScript, true},
    };
}

QVariantMap legacyStore()
{
    return UserDefaults::standardUserDefaults().dictionaryForKey(kLegacyStoreKey);
}

// "version" is a single-precision number; settings from an XML property list
// (an earlier settings file or the legacy store) carry it as a double.
QVariantMap withSinglePrecisionVersion(QVariantMap config)
{
    const auto version = config.find(kVersionKey);
    if (version != config.end() && version->typeId() == QMetaType::Double)
        *version = version->toFloat();
    return config;
}

// Decodes the settings file: the archive stream, or an XML property list as
// this program wrote it before (rewritten as an archive at the next save).
Result<QVariant> decodeConfigFile(const QByteArray &bytes)
{
    if (Unarchiver::isArchive(bytes))
        return Unarchiver::unarchiveObjectWithData(bytes);
    if (bytes.trimmed().startsWith("<?xml") || bytes.trimmed().startsWith("<plist"))
        return PropertyList::fromXml(bytes);
    return Result<QVariant>::failure(QStringLiteral("neither an archive nor a property list"));
}

const QString kConfigWhat = QStringLiteral("The project settings file");
const QString kConfigInstead = QStringLiteral("the project uses the default settings");

// Reads the settings file. A file that exists but does not hold a dictionary
// is moved aside ("<file>.bak", or ".bak.1" and on when that is taken) so
// that writing the defaults does not destroy what the user had; it then
// counts as absent. One that cannot be read is left alone (SettingsFile):
// it counts as absent too, and is never written.
std::optional<QVariantMap> readConfigFile(const QString &path)
{
    const SettingsFile::Contents contents = SettingsFile::read(path);
    if (contents.state == SettingsFile::Contents::State::Missing)
        return std::nullopt;
    if (contents.state == SettingsFile::Contents::State::Unreadable) {
        SettingsFile::leaveAlone(path, kConfigWhat, contents.reason, kConfigInstead);
        return std::nullopt;
    }
    const Result<QVariant> root = decodeConfigFile(contents.bytes);
    if (root && root->typeId() == QMetaType::QVariantMap)
        return withSinglePrecisionVersion(root->toMap());
    SettingsFile::setAside(path, kConfigWhat, root ? QStringLiteral("it holds no dictionary") : root.error(),
                           kConfigInstead);
    return std::nullopt;
}

bool isBelowCurrentVersion(const QVariantMap &config)
{
    return config.value(kVersionKey).toFloat() < ProjectUtil::kCurrentVersion;
}

} // namespace

QString ProjectUtil::configPath(const QString &projectPath)
{
    if (projectPath.endsWith(QLatin1Char('/')))
        return projectPath + kConfigFileName;
    return projectPath + QLatin1Char('/') + kConfigFileName;
}

void ProjectUtil::setCurrentProjectPath(const QString &path)
{
    // The style-sheet model reads the current project's prefix settings here.
    VendarPrefixSettings::setConfigProvider(&ProjectUtil::getCurrentProjectConfig);
    QMutexLocker locker(&projectStore().lock);
    projectStore().currentProjectPath = path;
}

QString ProjectUtil::getCurrentProjectPath()
{
    QMutexLocker locker(&projectStore().lock);
    return projectStore().currentProjectPath;
}

QVariantMap ProjectUtil::getCurrentProjectConfig()
{
    QMutexLocker locker(&projectStore().lock);
    return getProjectConfig(projectStore().currentProjectPath);
}

QVariantMap ProjectUtil::getProjectConfig(const QString &projectPath)
{
    if (projectPath.isEmpty())
        return {};
    QMutexLocker locker(&projectStore().lock);
    QVariantMap found = readProjectConfigFromFile(projectPath);
    // Settings of the cache or the file are answered as they are, whatever
    // their version.
    if (!found.isEmpty())
        return found;

    QVariantMap config;
    const QVariantMap legacy = legacyStore();
    if (legacy.contains(projectPath)) {
        config = withSinglePrecisionVersion(legacy.value(projectPath).toMap());
    } else {
        config = createDefaultProjectConfig();
        saveProjectConfigToFile(config, projectPath);
    }
    if (isBelowCurrentVersion(config)) {
        migrateProjectConfigVersion(config);
        saveProjectConfig(config, projectPath);
    }
    return config;
}

QVariantMap ProjectUtil::readProjectConfigFromFile(const QString &projectPath)
{
    if (projectPath.isEmpty())
        return {};
    QMutexLocker locker(&projectStore().lock);
    const auto cached = projectStore().cache.constFind(projectPath);
    if (cached != projectStore().cache.cend())
        return *cached;
    const std::optional<QVariantMap> config = readConfigFile(configPath(projectPath));
    if (!config || config->isEmpty())
        return {};
    projectStore().cache.insert(projectPath, *config);
    return *config;
}

bool ProjectUtil::saveProjectConfig(const QVariantMap &config, const QString &projectPath, QString *error)
{
    QM_DEBUG(QStringLiteral("save config:%1").arg(projectPath));
    return saveProjectConfigToFile(config, projectPath, error);
}

bool ProjectUtil::saveProjectConfigToFile(const QVariantMap &config, const QString &projectPath, QString *error)
{
    QM_ASSERT(!projectPath.isEmpty(), return false);
    QMutexLocker locker(&projectStore().lock);
    // The program runs on with the new settings even when the file could not
    // be written; the failure is only reported.
    projectStore().cache.insert(projectPath, config);
    const QString path = configPath(projectPath);
    if (SettingsFile::isLeftAlone(path)) {
        if (error)
            *error = SettingsFile::leftAloneError(path);
        return false;
    }
    const Result<QByteArray> archive = Archiver::archivedDataWithRootObject(withSinglePrecisionVersion(config));
    const Result<void> written = archive
        ? AtomicFileWriter::writeFile(path, *archive)
        : Result<void>::failure(QStringLiteral("cannot write %1: %2").arg(path, archive.error()));
    if (!written) {
        QM_ERROR(QStringLiteral("project settings not saved: %1").arg(written.error()));
        if (error)
            *error = written.error();
        return false;
    }
    return true;
}

void ProjectUtil::migrateProjectConfigVersion(QVariantMap &config)
{
    config.insert(kVendarPrefixProperties, defaultVendarPrefixProperties());
    config.insert(kVersionKey, kCurrentVersion);
    if (!config.contains(kHeaderIgnoreOption))
        config.insert(kHeaderIgnoreOption, QVariantList());
    if (!config.contains(kFormatJavaScript))
        config.insert(kFormatJavaScript, true);
    if (!config.contains(kIsWebProject)) {
        config.insert(kIsWebProject, false);
        config.insert(kWebMainURL, QString());
    }
}

void ProjectUtil::migrateProjectConfigToFile(const QString &projectPath)
{
    if (projectPath.isEmpty())
        return;
    QMutexLocker locker(&projectStore().lock);
    const QVariantMap legacy = legacyStore();
    if (!legacy.contains(projectPath))
        return;
    if (!QFileInfo::exists(configPath(projectPath)))
        saveProjectConfigToFile(withSinglePrecisionVersion(legacy.value(projectPath).toMap()), projectPath);
    removeProjectConfig(projectPath);
}

void ProjectUtil::removeProjectConfig(const QString &projectPath)
{
    QMutexLocker locker(&projectStore().lock);
    UserDefaults &defaults = UserDefaults::standardUserDefaults();
    QVariantMap legacy = defaults.dictionaryForKey(kLegacyStoreKey);
    legacy.remove(projectPath);
    defaults.setObject(legacy, kLegacyStoreKey);
    defaults.synchronize();
}

void ProjectUtil::initImportedProjectConfig(const QString &projectPath)
{
    if (projectPath.isEmpty())
        return;
    QMutexLocker locker(&projectStore().lock);
    if (readProjectConfigFromFile(projectPath).isEmpty())
        saveProjectConfig(createImportedDefaultProjectConfig(), projectPath);
}

QVariantMap ProjectUtil::createDefaultProjectConfig()
{
    return defaultConfig(false);
}

QVariantMap ProjectUtil::createImportedDefaultProjectConfig()
{
    return defaultConfig(true);
}

QString ProjectUtil::projectPathWithURL(const QString &url)
{
    QMutexLocker locker(&projectStore().lock);
    const QMap<QString, QVariantMap> &cache = projectStore().cache;
    for (auto it = cache.cbegin(); it != cache.cend(); ++it) {
        const QVariant mainURL = it.value().value(kWebMainURL);
        if (mainURL.isValid() && mainURL.toString() == url)
            return it.key();
    }
    return {};
}

QMap<QString, QVariantMap> ProjectUtil::projectConfigsCache()
{
    QMutexLocker locker(&projectStore().lock);
    return projectStore().cache;
}

QString ProjectUtil::defaultIgnoreOption()
{
    return QStringLiteral("script[async]{\n\tignore:true;\n}\n\n"
                          "script[id=\"twitter-wjs\"]{\n\tignore:true;\n}\n\n"
                          "body > iframe[id*=\"oauth\"]{\n\tignore:true;\n}\n");
}

void ProjectUtil::resetForTesting()
{
    QMutexLocker locker(&projectStore().lock);
    projectStore().cache.clear();
    projectStore().currentProjectPath.clear();
}

QVariantMap ProjectUtil::defaultVendarPrefixProperties()
{
    return VendarPrefixSettings::defaultProperties();
}
