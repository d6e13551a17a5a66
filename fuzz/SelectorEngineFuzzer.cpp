// Arbitrary selector text against the selector engine: parsing, matching and
// queries over a document and a detached fragment must never crash or hang.

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/dom/DOMSelectorEngine.h"
#include "platform/web/html/HTMLParser.h"

#include <QString>

#include <QLoggingCategory>

#include <cstddef>
#include <cstdint>

namespace {

struct Fixture
{
    std::shared_ptr<DOMDocument> document;
    std::shared_ptr<DOMDocumentFragment> fragment;

    Fixture()
    {
        document = HTMLParser::parseDocument(QStringLiteral(
            "<!DOCTYPE html><html lang='en-GB'><head><title>t</title></head><body>"
            "<div id='main' class='a b'><p class='x'>one <a href='#'>link</a></p><p></p>"
            "<ul><li>1</li><li class='on'>2</li><li>3</li></ul>"
            "<form><fieldset disabled><legend><input></legend><input type='checkbox' checked required>"
            "<select><option>a<option selected>b</select><textarea placeholder='p'></textarea></fieldset></form>"
            "<svg viewBox='0 0 1 1'><use xlink:href='#c'/><circle id='c' r='1'/><foreignObject/></svg>"
            "<table><tr><td>1<td>2</table><template><b>t</b></template></div></body></html>"));
        fragment = HTMLParser::parseFragment(*document, QStringLiteral("<section><h1>a</h1><h2 title=x>b</h2></section>"),
                                             QStringLiteral("div"), DOMNamespace::HTML);
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Bad input is the point here; its log lines would only slow the run.
    QLoggingCategory::setFilterRules(QStringLiteral("quillmark.*=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Fixture fixture;
    const QString selector = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    DOMSelectorEngine::parse(selector);
    fixture.document->querySelectorAll(selector);
    fixture.fragment->querySelector(selector);
    if (DOMElement *body = fixture.document->body()) {
        body->querySelectorAll(selector);
        body->matches(selector);
    }
    if (DOMElement *root = fixture.document->documentElement())
        root->matches(selector);
    return 0;
}
