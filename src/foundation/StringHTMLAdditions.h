#pragma once

#include <QString>

#include <span>

// HTML-safe text and back. Escaping looks each UTF-16 code unit up in a table
// of entity references sorted by code unit; unescaping replaces named and
// numeric references by their characters.
namespace StringHTMLAdditions {

struct HTMLEscapeMap
{
    const char *escapeSequence; // such as "&amp;"
    char16_t uchar;
};

// The character entity references of HTML 4.01 plus "&apos;", ascending by code unit.
std::span<const HTMLEscapeMap> fullEscapeTable();
// The references that matter for text in UTF-8 pages: markup characters,
// quotation marks, dashes and invisible spacing characters.
std::span<const HTMLEscapeMap> shortEscapeTable();

// Escapes with the short table; other characters stay as they are.
QString gtm_stringByEscapingForHTML(const QString &text);
// Escapes with the full table and writes every other code unit above 127 as a
// decimal reference, so the result is pure ASCII.
QString gtm_stringByEscapingForAsciiHTML(const QString &text);
// The common step of the two above; `table` must be sorted by code unit.
QString gtm_stringByEscapingHTMLUsingTable(const QString &text, std::span<const HTMLEscapeMap> table,
                                           bool escapingUnicode);
// Replaces references of 4 to 10 characters: names of the full table
// (case-sensitive) and decimal or hexadecimal references from 1 to 65534.
// Anything else stays as written.
QString gtm_stringByUnescapingFromHTML(const QString &text);

} // namespace StringHTMLAdditions
