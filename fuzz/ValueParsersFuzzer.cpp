// Feeds the CSS value parsers. The first byte picks the parser, the rest is
// the value text (UTF-8):
//   0: text-shadow, 1: box-shadow, 2: the selector validator.
// Every text must end in a value or nothing, and what the parsers answer must
// hold together:
//   - the shadow layers' CSS texts read back, and a second write-back gives
//     the same text as the first one read back;
//   - the validator accepts every text it finds no error in (recovery may
//     also end in a tree after errors), and each error range lies inside the
//     text.
//
// The validator logs a line for every error it finds; run with
// -close_fd_mask=2 to keep the runs quick.

#include "cssvalues/BoxShadowParser.h"
#include "cssvalues/CSSSelectorValidator.h"
#include "cssvalues/TextShadowParser.h"
#include "platform/foundation/Assert.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QThread>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QString written(const DropShadowList &shadows)
{
    QStringList layers;
    for (const DropShadowValuePtr &shadow : shadows)
        layers.append(shadow->stringValue());
    return layers.join(QStringLiteral(", "));
}

void checkShadows(ShadowParser &parser, const QString &text)
{
    const std::optional<DropShadowList> shadows = parser.parse(text);
    if (!shadows || shadows->isEmpty())
        return;
    const QString first = written(*shadows);
    const std::optional<DropShadowList> again = parser.parse(first);
    if (!again || again->size() != shadows->size())
        std::abort();
    const QString second = written(*again);
    const std::optional<DropShadowList> third = parser.parse(second);
    if (!third || written(*third) != second)
        std::abort();
}

void checkSelector(CSSSelectorValidator &validator, const QString &text)
{
    const bool accepted = validator.parse(text).isValid();
    if (!accepted && validator.errors().isEmpty())
        std::abort();
    for (const CSSSelectorValidator::ErrorRecord &error : validator.errors()) {
        if (error.range.location < 0 || error.range.length < 0 || error.range.end() > text.size())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication application(*argc, *argv);
    QLoggingCategory::setFilterRules(QStringLiteral("quillmark.grammar.debug=false\nquillmark.grammar.warning=false"));
    Assert::setFatal(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static TextShadowParser textShadow;
    static BoxShadowParser boxShadow;
    static CSSSelectorValidator *const validator = [] {
        CSSSelectorValidator *shared = CSSSelectorValidator::getInstance();
        while (!shared->isReady())
            QThread::msleep(1);
        return shared;
    }();
    if (size == 0)
        return 0;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    switch (data[0] % 3) {
    case 0:
        checkShadows(textShadow, text);
        break;
    case 1:
        checkShadows(boxShadow, text);
        break;
    default:
        checkSelector(*validator, text);
        break;
    }
    return 0;
}
