#include "AttributedStringRBLHTMLAdditions.h"

namespace AttributedStringRBLHTMLAdditions {

std::optional<QTextDocumentFragment> rbl_attributedStringWithHTML(const QString &html)
{
    if (html.isEmpty())
        return std::nullopt;
    // The text is already decoded: a charset the page declares changes nothing.
    return QTextDocumentFragment::fromHtml(html);
}

} // namespace AttributedStringRBLHTMLAdditions
