#pragma once

#include <QStringList>
#include <QVarLengthArray>

// Splitting of declaration bodies.
namespace StringCSSProperty {

// The declarations of a body, each without its ";", in order, untrimmed, empty
// pieces (from ";;") included. Runs of white space that hold a line break or
// a tab become one blank and comments are removed first. A ";" inside (), []
// or {}, inside a quoted string, after a backslash or inside an unquoted url()
// does not split; text left in an unclosed string or group at the end is kept
// as the last piece. Rules and at-rules nested in the body are no pieces; a
// custom property ("--x: {a; b}") keeps the {} block of its value.
QStringList cssProperties(const QString &body);

// The body with every run of white space that holds a line break or a tab
// made one blank and comments outside quoted strings removed (an unclosed
// comment stays), trimmed of blanks. Strings stay as written.
QString cleanBody(const QString &body);

// The declarations of a body as views into it, split as cssProperties()
// splits; closed comments do not split. Views into a body that was not
// cleaned may still hold line breaks, tabs and comments.
using DeclarationViews = QVarLengthArray<QStringView, 32>;
DeclarationViews declarationViews(QStringView body);

} // namespace StringCSSProperty
