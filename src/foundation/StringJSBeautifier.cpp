#include "StringJSBeautifier.h"

#include "CommandLineManager.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace StringJSBeautifier {

QString decompileJS(const QString &source)
{
    return decompileJS(source, compilerPath());
}

QString decompileJS(const QString &source, const QString &formatterPath)
{
    if (!isValidEnvironment(formatterPath)) {
        static bool s_reported = false;
        if (!s_reported) {
            s_reported = true;
            QM_ERROR(QStringLiteral("no script formatter at \"%1\"; scripts are shown as they are")
                         .arg(formatterPath));
        }
        return source;
    }
    // A private file per run: runs never overwrite each other's input, and no
    // other user can swap the file between writing and formatting.
    QTemporaryFile input(QDir::tempPath() + QStringLiteral("/quillmark-XXXXXX.js"));
    const QByteArray bytes = source.toUtf8();
    if (!input.open() || input.write(bytes) != bytes.size() || !input.flush()) {
        QM_ERROR(QStringLiteral("cannot write the script to format: %1").arg(input.errorString()));
        return source;
    }
    input.close();

    QString result = source;
    CommandLineManager manager;
    bool formatted = false;
    manager.execute(
        formatterPath, createArgs(input.fileName()),
        [&](const QString &output) {
            result = output;
            formatted = true;
        },
        [](const QString &error) { QM_ERROR(QStringLiteral("decompile error:%1").arg(error)); },
        false);
    if (!formatted)
        return source;
    if (!manager.lastRunSucceeded()) {
        QM_ERROR(QStringLiteral("the script formatter failed; the script is kept as it was"));
        return source;
    }
    if (result.trimmed().isEmpty() && !source.trimmed().isEmpty()) {
        QM_ERROR(QStringLiteral("the script formatter printed nothing; the script is kept as it was"));
        return source;
    }
    return result;
}

QString compileJS(const QString &source)
{
    return source;
}

QString compilerPath()
{
    return Bundle::pathForResource(QStringLiteral("js-beautify"), QString(), QStringLiteral("jsbeautifier"));
}

QStringList createArgs(const QString &inputPath)
{
    return {inputPath};
}

bool isValidEnvironment(const QString &formatterPath)
{
    return !formatterPath.isEmpty() && QFileInfo(formatterPath).isExecutable();
}

} // namespace StringJSBeautifier
