#pragma once

#include "CompileSetting.h"

#include "platform/foundation/Result.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QTemporaryFile;

// A JavaScript compressor of the compile pane and its option rows: the
// "Compiler" choice first, then the compressor's own options. The
// compressors are jars run by the Java launcher; None runs nothing.
// CompilerInfo.h holds the family: NoneCompilerInfo,
// GoogleClosureCompilerInfo and YUICompilerInfo.
class CompilerInfo
{
public:
    // Where the launcher and the jars are; tests point them at stand-ins.
    struct Tools
    {
        QString java = QStringLiteral("/usr/bin/java");
        QString closureJar = QStringLiteral("/usr/share/java/closure-compiler.jar");
        QString yuiJar = QStringLiteral("/usr/share/java/yuicompressor.jar");
    };
    static const Tools &tools();
    static void setTools(const Tools &tools);

    virtual ~CompilerInfo() = default;

    // A compiler with the "Compiler" row and its default options (init).
    static std::unique_ptr<CompilerInfo> create(const QString &className);
    // The same class with no options, to be filled from the settings file.
    static std::unique_ptr<CompilerInfo> createEmpty(const QString &className);
    static QStringList compilerClassNames();
    static QStringList compilerNames();
    // A fresh compiler of that name with its defaults; null for a name not
    // in compilerNames().
    static std::unique_ptr<CompilerInfo> getCompilerWithName(const QString &name);

    virtual QString className() const = 0;
    virtual QString name() const = 0;
    // Null for None.
    virtual std::optional<QString> commandPath() const { return std::nullopt; }
    virtual std::optional<QString> compilerPath() const { return std::nullopt; }
    virtual QList<CompileSetting> defaultOptions() const { return {}; }
    // The Debian package that brings the jar.
    virtual QString packageName() const { return {}; }
    virtual QStringList genCompilerStatement() const;
    // The input words for the sources, in order. A compressor that reads
    // one input joins several into a temporary file that the caller keeps
    // for the run; an unreadable source fails with its path.
    virtual Result<QStringList> genSrcStatement(const QStringList &sources,
                                                std::unique_ptr<QTemporaryFile> &joinedInput) const;

    // The first setting with that label, or null.
    CompileSetting *getSettingWithCategory(const QString &label);
    int numberOfCompiler() const { return int(compilerNames().indexOf(name())); }
    // The arguments before the sources; null for None.
    std::optional<QStringList> genCommandStatement() const;
    // Why a run cannot start (no compiler, no launcher, no jar); null when it can.
    std::optional<QString> missingToolMessage() const;
    // Each file's UTF-8 text followed by "\n"; fails naming an unreadable file.
    static Result<QString> joinSources(const QStringList &sources);

    QList<CompileSetting> &options() { return m_options; }
    const QList<CompileSetting> &options() const { return m_options; }
    void setOptions(const QList<CompileSetting> &options) { m_options = options; }

protected:
    // The "Compiler" row, then defaultOptions().
    void init();

private:
    QList<CompileSetting> m_options;
};

class NoneCompilerInfo final : public CompilerInfo
{
public:
    QString className() const override { return QStringLiteral("NoneCompilerInfo"); }
    QString name() const override { return QStringLiteral("None"); }
    Result<QStringList> genSrcStatement(const QStringList &sources,
                                        std::unique_ptr<QTemporaryFile> &joinedInput) const override;
};

class GoogleClosureCompilerInfo final : public CompilerInfo
{
public:
    QString className() const override { return QStringLiteral("GoogleClosureCompilerInfo"); }
    QString name() const override { return QStringLiteral("Google Closure Compiler"); }
    std::optional<QString> commandPath() const override { return tools().java; }
    std::optional<QString> compilerPath() const override { return tools().closureJar; }
    QList<CompileSetting> defaultOptions() const override;
    QString packageName() const override { return QStringLiteral("closure-compiler"); }
    Result<QStringList> genSrcStatement(const QStringList &sources,
                                        std::unique_ptr<QTemporaryFile> &joinedInput) const override;
};

class YUICompilerInfo final : public CompilerInfo
{
public:
    QString className() const override { return QStringLiteral("YUICompilerInfo"); }
    QString name() const override { return QStringLiteral("YUI Compresser-2.4.7"); }
    std::optional<QString> commandPath() const override { return tools().java; }
    std::optional<QString> compilerPath() const override { return tools().yuiJar; }
    QList<CompileSetting> defaultOptions() const override;
    QString packageName() const override { return QStringLiteral("yui-compressor"); }
    Result<QStringList> genSrcStatement(const QStringList &sources,
                                        std::unique_ptr<QTemporaryFile> &joinedInput) const override;
};
