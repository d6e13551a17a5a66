// Arbitrary attribute text through the row editor's attribute parser and the
// document's attribute check.

#include "domtree/AttributeParser.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"

#include <QString>

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
    static const std::shared_ptr<DOMDocument> document = DOMDocument::create();
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<QVariantMap> attributes = AttributeParser::parseAttributes(text);
    if (!document->validateAttribute(text)) {
        // Every name passed the check: setting them all must work too.
        const DOMElementPtr element = document->createElement(QStringLiteral("div"));
        for (const QVariantMap &attribute : attributes) {
            if (!element->setAttribute(attribute.value(QStringLiteral("name")).toString(),
                                       attribute.value(QStringLiteral("value")).toString()))
                __builtin_trap();
        }
    }
    document->replayLog().clear();
    return 0;
}
