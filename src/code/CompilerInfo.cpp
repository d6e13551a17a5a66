#include "CompilerInfo.h"

#include "platform/foundation/Log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace {

CompilerInfo::Tools &currentTools()
{
    static CompilerInfo::Tools tools;
    return tools;
}

const QStringList yesNo{QStringLiteral("YES"), QStringLiteral("NO")};

} // namespace

const CompilerInfo::Tools &CompilerInfo::tools()
{
    return currentTools();
}

void CompilerInfo::setTools(const Tools &tools)
{
    currentTools() = tools;
}

std::unique_ptr<CompilerInfo> CompilerInfo::createEmpty(const QString &className)
{
    if (className == QLatin1String("NoneCompilerInfo"))
        return std::make_unique<NoneCompilerInfo>();
    if (className == QLatin1String("GoogleClosureCompilerInfo"))
        return std::make_unique<GoogleClosureCompilerInfo>();
    if (className == QLatin1String("YUICompilerInfo"))
        return std::make_unique<YUICompilerInfo>();
    return nullptr;
}

std::unique_ptr<CompilerInfo> CompilerInfo::create(const QString &className)
{
    std::unique_ptr<CompilerInfo> compiler = createEmpty(className);
    if (compiler)
        compiler->init();
    return compiler;
}

void CompilerInfo::init()
{
    m_options.clear();
    m_options.append(CompileSetting(QStringLiteral("Compiler"), compilerNames(), numberOfCompiler(), false));
    m_options.append(defaultOptions());
}

QStringList CompilerInfo::compilerClassNames()
{
    return {QStringLiteral("NoneCompilerInfo"), QStringLiteral("GoogleClosureCompilerInfo"),
            QStringLiteral("YUICompilerInfo")};
}

QStringList CompilerInfo::compilerNames()
{
    return {QStringLiteral("None"), QStringLiteral("Google Closure Compiler"), QStringLiteral("YUI Compresser-2.4.7")};
}

std::unique_ptr<CompilerInfo> CompilerInfo::getCompilerWithName(const QString &name)
{
    const qsizetype index = compilerNames().indexOf(name);
    if (index < 0)
        return nullptr;
    return create(compilerClassNames().at(index));
}

QStringList CompilerInfo::genCompilerStatement() const
{
    const std::optional<QString> jar = compilerPath();
    if (!jar)
        return {};
    return {QStringLiteral("-jar"), *jar};
}

Result<QStringList> CompilerInfo::genSrcStatement(const QStringList &, std::unique_ptr<QTemporaryFile> &) const
{
    return Result<QStringList>::failure(QStringLiteral("No compiler is chosen."));
}

CompileSetting *CompilerInfo::getSettingWithCategory(const QString &label)
{
    for (CompileSetting &setting : m_options) {
        if (setting.label() == label)
            return &setting;
    }
    return nullptr;
}

std::optional<QStringList> CompilerInfo::genCommandStatement() const
{
    if (!compilerPath())
        return std::nullopt;
    QStringList arguments;
    for (const CompileSetting &setting : m_options) {
        if (setting.label() == QLatin1String("Compiler"))
            arguments += genCompilerStatement();
        else
            arguments += setting.genOptionStatement();
    }
    return arguments;
}

std::optional<QString> CompilerInfo::missingToolMessage() const
{
    const std::optional<QString> launcher = commandPath();
    const std::optional<QString> jar = compilerPath();
    if (!launcher || !jar) {
        return QStringLiteral("No compiler is chosen: pick \"%1\" or \"%2\" in the Compiler row.")
            .arg(compilerNames().at(1), compilerNames().at(2));
    }
    if (!QFileInfo(*launcher).isExecutable())
        return QStringLiteral("The Java launcher %1 is missing: install the Debian package default-jre-headless.")
            .arg(*launcher);
    if (!QFileInfo(*jar).isReadable())
        return QStringLiteral("The compressor %1 is missing: install the Debian package %2.").arg(*jar, packageName());
    return std::nullopt;
}

Result<QString> CompilerInfo::joinSources(const QStringList &sources)
{
    QString joined;
    for (const QString &source : sources) {
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly))
            return Result<QString>::failure(
                QStringLiteral("%1 could not be read: %2").arg(QDir::toNativeSeparators(source), file.errorString()));
        joined += QString::fromUtf8(file.readAll());
        joined += QLatin1Char('\n');
    }
    return joined;
}

Result<QStringList> NoneCompilerInfo::genSrcStatement(const QStringList &, std::unique_ptr<QTemporaryFile> &) const
{
    return Result<QStringList>::failure(QStringLiteral("No compiler is chosen."));
}

QList<CompileSetting> GoogleClosureCompilerInfo::defaultOptions() const
{
    return {
        CompileSetting(QStringLiteral("--language_in"),
                       {QStringLiteral("ECMASCRIPT3"), QStringLiteral("ECMASCRIPT5"), QStringLiteral("ECMASCRIPT5_STRICT")},
                       2, false),
        CompileSetting(QStringLiteral("--compilation_level"),
                       {QStringLiteral("WHITESPACE_ONLY"), QStringLiteral("SIMPLE_OPTIMIZATIONS"),
                        QStringLiteral("ADVANCED_OPTIMIZATIONS")},
                       std::nullopt, false),
        CompileSetting(QStringLiteral("--formatting"),
                       {QStringLiteral("PRETTY_PRINT"), QStringLiteral("PRINT_INPUT_DELIMITER")}, std::nullopt, false),
        CompileSetting(QStringLiteral("--third_party"), yesNo, std::nullopt, true),
    };
}

Result<QStringList> GoogleClosureCompilerInfo::genSrcStatement(const QStringList &sources,
                                                               std::unique_ptr<QTemporaryFile> &) const
{
    QStringList words;
    for (const QString &source : sources)
        words << QStringLiteral("--js") << source;
    return words;
}

QList<CompileSetting> YUICompilerInfo::defaultOptions() const
{
    return {
        CompileSetting(QStringLiteral("--nomunge"), yesNo, std::nullopt, true),
        CompileSetting(QStringLiteral("--preserve-semi"), yesNo, std::nullopt, true),
        CompileSetting(QStringLiteral("--disable-optimizations"), yesNo, std::nullopt, true),
        CompileSetting(QStringLiteral("--line-break"),
                       {QStringLiteral("100"), QStringLiteral("500"), QStringLiteral("1000"), QStringLiteral("2000"),
                        QStringLiteral("3000"), QStringLiteral("4000"), QStringLiteral("5000")},
                       2, false),
    };
}

Result<QStringList> YUICompilerInfo::genSrcStatement(const QStringList &sources,
                                                     std::unique_ptr<QTemporaryFile> &joinedInput) const
{
    if (sources.size() == 1)
        return QStringList{sources.first()};
    // The compressor reads one input: the sources joined into a file of
    // this run's own, removed with it.
    Result<QString> joined = joinSources(sources);
    if (!joined)
        return Result<QStringList>::failure(joined.error());
    auto file = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/quillmark-XXXXXX.js"));
    if (!file->open())
        return Result<QStringList>::failure(
            QStringLiteral("The joined sources could not be written: %1").arg(file->errorString()));
    const QByteArray bytes = joined->toUtf8();
    if (file->write(bytes) != bytes.size() || !file->flush())
        return Result<QStringList>::failure(
            QStringLiteral("The joined sources could not be written: %1").arg(file->errorString()));
    file->close();
    const QString path = file->fileName();
    joinedInput = std::move(file);
    return QStringList{path};
}
