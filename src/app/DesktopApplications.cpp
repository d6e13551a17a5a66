#include "DesktopApplications.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFile>
#include <QHash>
#include <QLoggingCategory>
#include <QMimeDatabase>
#include <QProcess>
#include <QSet>
#include <QTextStream>

Q_LOGGING_CATEGORY(lcDesktopApplications, "quillmark.app.applications")

QIcon DesktopApplication::icon() const
{
    if (iconName.isEmpty())
        return {};
    if (QDir::isAbsolutePath(iconName))
        return QIcon(iconName);
    return QIcon::fromTheme(iconName);
}

namespace DesktopApplications {

namespace {

QStringList environmentFolders(const char *variable, const QString &fallback, bool many)
{
    const QString value = qEnvironmentVariable(variable);
    QStringList folders;
    const QStringList parts = many ? value.split(QLatin1Char(':'), Qt::SkipEmptyParts) : QStringList{value};
    for (const QString &part : parts) {
        // Relative entries are invalid and skipped, as the base-directory rules say.
        if (QDir::isAbsolutePath(part))
            folders.append(part);
    }
    if (folders.isEmpty())
        folders = fallback.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return folders;
}

// The keys of the "[Desktop Entry]" group (or of the named group), unlocalised.
QHash<QString, QString> readGroup(const QString &path, const QString &groupName)
{
    QHash<QString, QString> values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return values;
    QTextStream stream(&file);
    bool inGroup = false;
    while (!stream.atEnd()) {
        const QString line = stream.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1Char('[') + groupName + QLatin1Char(']');
            continue;
        }
        if (!inGroup)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!values.contains(key))
            values.insert(key, line.mid(equals + 1).trimmed());
    }
    return values;
}

QStringList listValue(const QString &value)
{
    return value.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

// The type of the address and every type it is a kind of.
QSet<QString> typesOf(const QUrl &url)
{
    QMimeDatabase database;
    const QMimeType type = url.isLocalFile() ? database.mimeTypeForFile(url.toLocalFile())
                                             : database.mimeTypeForUrl(url);
    QSet<QString> types;
    if (!type.isValid())
        return types;
    types.insert(type.name());
    for (const QString &parent : type.allAncestors())
        types.insert(parent);
    for (const QString &alias : type.aliases())
        types.insert(alias);
    return types;
}

} // namespace

QStringList applicationFolders()
{
    QStringList bases = environmentFolders("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"), false);
    bases += environmentFolders("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"), true);
    QStringList folders;
    for (const QString &base : bases)
        folders.append(QDir::cleanPath(base + QStringLiteral("/applications")));
    folders.removeDuplicates();
    return folders;
}

std::optional<DesktopApplication> applicationAtPath(const QString &path)
{
    const QHash<QString, QString> entry = readGroup(path, QStringLiteral("Desktop Entry"));
    if (entry.value(QStringLiteral("Type")) != QLatin1String("Application"))
        return std::nullopt;
    if (entry.value(QStringLiteral("Hidden")) == QLatin1String("true"))
        return std::nullopt;
    DesktopApplication application;
    application.path = path;
    application.exec = entry.value(QStringLiteral("Exec"));
    if (application.exec.isEmpty())
        return std::nullopt;
    application.name = entry.value(QStringLiteral("Name"));
    if (application.name.isEmpty())
        application.name = QFileInfo(path).completeBaseName();
    application.iconName = entry.value(QStringLiteral("Icon"));
    return application;
}

QList<DesktopApplication> applicationsForURL(const QUrl &url)
{
    const QSet<QString> types = typesOf(url);
    if (types.isEmpty())
        return {};

    // Entries added to the types by the user.
    QSet<QString> addedIds;
    const QStringList configFolders = environmentFolders("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config"), false);
    for (const QString &folder : configFolders) {
        const QHash<QString, QString> added = readGroup(folder + QStringLiteral("/mimeapps.list"),
                                                        QStringLiteral("Added Associations"));
        for (auto it = added.cbegin(); it != added.cend(); ++it) {
            if (!types.contains(it.key()))
                continue;
            for (const QString &id : listValue(it.value()))
                addedIds.insert(id);
        }
    }

    QList<DesktopApplication> applications;
    QSet<QString> seenIds;
    for (const QString &folder : applicationFolders()) {
        QDirIterator it(folder, {QStringLiteral("*.desktop")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            // The desktop file id: the path below the folder, "/" as "-".
            QString id = QDir(folder).relativeFilePath(path);
            id.replace(QLatin1Char('/'), QLatin1Char('-'));
            if (seenIds.contains(id))
                continue;
            seenIds.insert(id);
            const QHash<QString, QString> entry = readGroup(path, QStringLiteral("Desktop Entry"));
            const QStringList entryTypes = listValue(entry.value(QStringLiteral("MimeType")));
            bool opens = addedIds.contains(id);
            for (const QString &type : entryTypes)
                opens = opens || types.contains(type);
            if (!opens)
                continue;
            if (std::optional<DesktopApplication> application = applicationAtPath(path))
                applications.append(*application);
        }
    }
    return applications;
}

QStringList commandLine(const DesktopApplication &application, const QUrl &url)
{
    const QStringList words = QProcess::splitCommand(application.exec);
    const QString file = url.isLocalFile() ? url.toLocalFile() : url.toString();
    const QString address = QString::fromLatin1(url.toEncoded());
    QStringList arguments;
    bool fileGiven = false;
    for (const QString &word : words) {
        if (word == QLatin1String("%f") || word == QLatin1String("%F")) {
            arguments.append(file);
            fileGiven = true;
        } else if (word == QLatin1String("%u") || word == QLatin1String("%U")) {
            arguments.append(address);
            fileGiven = true;
        } else if (word == QLatin1String("%i")) {
            if (!application.iconName.isEmpty())
                arguments << QStringLiteral("--icon") << application.iconName;
        } else {
            QString expanded;
            for (qsizetype i = 0; i < word.size(); ++i) {
                if (word[i] != QLatin1Char('%') || i + 1 >= word.size()) {
                    expanded.append(word[i]);
                    continue;
                }
                const QChar code = word[++i];
                if (code == QLatin1Char('%'))
                    expanded.append(QLatin1Char('%'));
                else if (code == QLatin1Char('c'))
                    expanded.append(application.name);
                else if (code == QLatin1Char('k'))
                    expanded.append(application.path);
                // Deprecated and unknown codes are dropped.
            }
            if (!expanded.isEmpty())
                arguments.append(expanded);
        }
    }
    if (!fileGiven && !arguments.isEmpty())
        arguments.append(file);
    return arguments;
}

bool openURLWithApplication(const QUrl &url, const DesktopApplication &application)
{
    QStringList arguments = commandLine(application, url);
    if (arguments.isEmpty()) {
        qCWarning(lcDesktopApplications) << "no command line in" << application.path;
        return false;
    }
    const QString program = arguments.takeFirst();
    if (!QProcess::startDetached(program, arguments)) {
        qCWarning(lcDesktopApplications) << "could not start" << program << "for" << url;
        return false;
    }
    return true;
}

} // namespace DesktopApplications
