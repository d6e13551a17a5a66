// Arbitrary bytes as a page snapshot: the reader refuses or builds a tree,
// never crashes.

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMSnapshot.h"
#include "platform/web/html/HTMLSerializer.h"

#include <QByteArray>

#include <QLoggingCategory>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Bad input is the point here; its log lines would only slow the run.
    QLoggingCategory::setFilterRules(QStringLiteral("quillmark.*=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray json(reinterpret_cast<const char *>(data), qsizetype(size));
    Result<std::shared_ptr<DOMDocument>> document = DOMSnapshot::readDocument(json);
    if (document)
        HTMLSerializer::serialize(**document);
    return 0;
}
