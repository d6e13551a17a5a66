#pragma once

#include "CompilerInfo.h"
#include "PackItem.h"

#include "platform/foundation/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

class QWidget;

// A project's script package settings, the file ".kem" in its folder: the
// chosen compressor with its option values and the tree of package items.
// The file is an XML property list: every object names its class
// ("$class") beside the keys the program reads, an absent value has no key,
// and package items stand in one table ("$objects") that children and
// parent links refer to ({"$ref": n}), so each link reads back to the same
// item it was written as.
class ProjectSetting
{
public:
    ProjectSetting();
    ~ProjectSetting();

    // What opening a project's settings found.
    struct Opened
    {
        std::unique_ptr<ProjectSetting> setting;
        // A damaged file, kept aside, one that cannot be read, or one that
        // could not be written: for the console (the user is told the first
        // two by SettingsFile). Empty when all went well.
        QString problem;
    };
    // Reads the project's ".kem", or makes and saves the defaults (Closure,
    // no packages). A damaged file is moved aside to ".kem.bak" and the
    // defaults take its place; one that cannot be read is left alone and
    // never saved over. The settings always save into this project.
    static Opened openForProject(const QString &projectPath);
    static QString settingsPathForProject(const QString &projectPath);

    QString path() const { return m_path; }
    void setPath(const QString &path) { m_path = path; }
    CompilerInfo *compilerInfo() const { return m_compilerInfo.get(); }
    void setCompilerInfo(std::unique_ptr<CompilerInfo> compiler) { m_compilerInfo = std::move(compiler); }
    QList<PackItemPtr> &packages() { return m_packages; }
    const QList<PackItemPtr> &packages() const { return m_packages; }

    // Writes the whole tree to path() through AtomicFileWriter; the old file
    // stays when writing fails (logged).
    Result<void> save() const;
    // save(), and when it fails the alert that names the file and the reason.
    bool saveOrAlert(QWidget *parent = nullptr) const;

    QByteArray encode() const;
    static Result<std::unique_ptr<ProjectSetting>> decode(const QByteArray &bytes);

private:
    QVariant encodeVariant() const;

    QString m_path;
    std::unique_ptr<CompilerInfo> m_compilerInfo;
    QList<PackItemPtr> m_packages;
};
