#pragma once

#include "code/CompilerInfo.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

// A project folder, source files in it, and a stand-in Java launcher that
// records its arguments and answers with the output, error text and status
// the test chose.
struct ScriptProject
{
    ScriptProject()
    {
        saved = CompilerInfo::tools();
    }
    ~ScriptProject() { CompilerInfo::setTools(saved); }

    QString path() const { return folder.path(); }
    QString file(const QString &name) const { return folder.filePath(name); }
    QString write(const QString &name, const QByteArray &content) const
    {
        QFile out(file(name));
        out.open(QIODevice::WriteOnly);
        out.write(content);
        return file(name);
    }
    QByteArray read(const QString &name) const
    {
        QFile in(file(name));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    // The launcher copies its last argument (the input) aside, prints
    // "stub/out" and "stub/err" and ends with "stub/status".
    void useStubLauncher()
    {
        QDir(folder.path()).mkpath(QStringLiteral("stub"));
        const QString stub = file(QStringLiteral("stub"));
        const QString script = QStringLiteral(
                                   "#!/bin/sh\n"
                                   "d='%1'\n"
                                   "printf '%s\\n' \"$@\" > \"$d/args\"\n"
                                   "for last; do :; done\n"
                                   "[ -f \"$last\" ] && cp \"$last\" \"$d/input\"\n"
                                   "[ -f \"$d/out\" ] && cat \"$d/out\"\n"
                                   "[ -f \"$d/err\" ] && cat \"$d/err\" >&2\n"
                                   "[ -f \"$d/sleep\" ] && sleep \"$(cat \"$d/sleep\")\"\n"
                                   "exit \"$(cat \"$d/status\" 2>/dev/null || echo 0)\"\n")
                                   .arg(stub);
        const QString launcher = write(QStringLiteral("stub/java"), script.toUtf8());
        QFile::setPermissions(launcher, QFile::permissions(launcher) | QFileDevice::ExeOwner);
        CompilerInfo::Tools tools;
        tools.java = launcher;
        tools.closureJar = write(QStringLiteral("stub/compiler.jar"), {});
        tools.yuiJar = write(QStringLiteral("stub/yuicompressor.jar"), {});
        CompilerInfo::setTools(tools);
    }
    QStringList stubArguments() const
    {
        QStringList lines = QString::fromUtf8(read(QStringLiteral("stub/args"))).split(QLatin1Char('\n'));
        lines.removeLast();
        return lines;
    }

    QTemporaryDir folder;
    CompilerInfo::Tools saved;
};
