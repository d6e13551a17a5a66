// The markup members of DOMElement (declared in platform/web/dom/DOMElement.h):
// they parse and serialise HTML, which the DOM layer itself does not know.

#include "HTMLParser.h"
#include "HTMLSerializer.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMElement.h"

QString DOMElement::innerHTML() const
{
    return HTMLSerializer::serializeChildren(*this);
}

QString DOMElement::outerHTML() const
{
    return HTMLSerializer::serialize(*this);
}

Result<void> DOMElement::setInnerHTML(const QString &markup)
{
    DOMDocument *doc = document();
    if (!doc)
        return domFailure("InvalidStateError", QStringLiteral("the element has no document"));
    DOMDocumentFragmentPtr fragment = HTMLParser::parseFragment(*doc, markup, m_localName, m_namespace);
    DOMNode *target = m_templateContent ? static_cast<DOMNode *>(m_templateContent.get()) : this;
    target->removeAllChildren();
    return target->appendChild(fragment);
}

Result<void> DOMElement::setOuterHTML(const QString &markup)
{
    DOMNode *parent = parentNode();
    DOMDocument *doc = document();
    if (!parent || !doc || parent->isDocument())
        return domFailure("NoModificationAllowedError", QStringLiteral("the element has no parent element"));
    DOMDocumentFragmentPtr fragment;
    if (parent->isElement()) {
        const auto *context = static_cast<const DOMElement *>(parent);
        fragment = HTMLParser::parseFragment(*doc, markup, context->localName(), context->namespaceId());
    } else {
        fragment = HTMLParser::parseFragment(*doc, markup, QStringLiteral("body"), DOMNamespace::HTML);
    }
    const DOMNodePtr keepParent = parent->shared_from_this();
    return parent->replaceChild(fragment, this);
}
