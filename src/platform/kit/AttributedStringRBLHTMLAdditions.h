#pragma once

#include <QString>
#include <QTextDocumentFragment>

#include <optional>

// HTML to rich text, as the text views and labels of the kit show it.
namespace AttributedStringRBLHTMLAdditions {

// The text and its formats that the HTML describes; nothing for an empty
// text, which gives no data to read.
std::optional<QTextDocumentFragment> rbl_attributedStringWithHTML(const QString &html);

} // namespace AttributedStringRBLHTMLAdditions
