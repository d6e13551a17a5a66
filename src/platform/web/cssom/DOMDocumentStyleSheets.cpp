// The style-sheet members of DOMDocument (declared in platform/web/dom/DOMDocument.h):
// the document owns its list, which the CSSOM layer makes and deletes.

#include "DOMCSSStyleDeclaration.h"
#include "DOMStyleSheetList.h"

#include "platform/web/dom/DOMDocument.h"

DOMStyleSheetList &DOMDocument::styleSheets() const
{
    if (!m_styleSheets)
        m_styleSheets = {new DOMStyleSheetList(const_cast<DOMDocument *>(this)),
                         [](DOMStyleSheetList *list) { delete list; }};
    return *m_styleSheets;
}

std::shared_ptr<DOMCSSStyleDeclaration> DOMDocument::createCSSStyleDeclaration() const
{
    return styleSheets().createCSSStyleDeclaration();
}
