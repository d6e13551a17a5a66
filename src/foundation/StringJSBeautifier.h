#pragma once

#include <QString>
#include <QStringList>

// Script formatting through the external formatter "js-beautify" of the
// resource folder "jsbeautifier": it takes the path of a script file and
// prints the formatted script.
namespace StringJSBeautifier {

// The source formatted; the source unchanged (and the failure logged) when
// the formatter is missing, fails or prints nothing.
QString decompileJS(const QString &source);
// The same with the given formatter, for tests and tools.
QString decompileJS(const QString &source, const QString &formatterPath);

// The source unchanged.
QString compileJS(const QString &source);

// "<resources>/jsbeautifier/js-beautify"; empty when it is not there.
QString compilerPath();
QStringList createArgs(const QString &inputPath);
bool isValidEnvironment(const QString &formatterPath);

} // namespace StringJSBeautifier
