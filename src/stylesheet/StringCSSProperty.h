#pragma once

#include <QStringList>
#include <QVarLengthArray>

// Splitting of declaration bodies.
namespace StringCSSProperty {

// The declarations of a body, each without its ";", in order, untrimmed, empty
// pieces (from ";;") included. Line breaks and tabs are deleted and comments
// removed first. A ";" inside parentheses, inside a quoted string (backslash
// escapes honoured) or inside an unquoted url() does not split; text left in
// an unclosed string or group at the end is kept as the last piece.
QStringList cssProperties(const QString &body);

// The body with line breaks and tabs deleted and comments outside quoted
// strings removed (an unclosed comment stays), trimmed of blanks.
QString cleanBody(const QString &body);

// The declarations of a body as views into it, split as cssProperties()
// splits; closed comments do not split. Views into a body that was not
// cleaned may still hold line breaks, tabs and comments.
using DeclarationViews = QVarLengthArray<QStringView, 32>;
DeclarationViews declarationViews(QStringView body);

} // namespace StringCSSProperty
