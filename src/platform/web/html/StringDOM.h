#pragma once

#include <QString>

// Helpers for HTML text.
namespace StringDOM {

// The first tag name of an HTML text, lower-cased ("div" for "  <DIV class=\"a\">",
// "br" for "<br/>", "/p" for an end tag), or a null string when there is no tag.
QString firstNodeName(const QString &text);

} // namespace StringDOM
