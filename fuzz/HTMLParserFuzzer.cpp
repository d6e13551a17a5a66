// Arbitrary HTML into the mirror: parsing a document and fragments in
// several contexts, with the page's scripts on and off, writing it back and
// reading the result again.

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMSnapshot.h"
#include "platform/web/html/HTMLParser.h"
#include "platform/web/html/HTMLSerializer.h"

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
    // The first byte picks the scripting.
    const Scripting scripting = size > 0 && (data[0] & 1) ? Scripting::Disabled : Scripting::Enabled;
    const QString html = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(html, scripting);
    const QString written = HTMLSerializer::serialize(*document);
    HTMLParser::parseDocument(written, scripting);
    DOMSnapshot::readDocument(DOMSnapshot::write(*document));
    document->createNodesFromString(html);
    if (DOMElement *body = document->body()) {
        body->setInnerHTML(html);
        body->cloneNode(true);
    }
    if (DOMElement *head = document->head())
        head->setInnerHTML(html);
    if (DOMElementPtr noscript = document->createElement(QStringLiteral("noscript"))) {
        document->body() ? (void)document->body()->appendChild(noscript) : (void)0;
        noscript->setInnerHTML(html);
        noscript->outerHTML();
    }
    return 0;
}
