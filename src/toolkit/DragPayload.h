#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

class QMimeData;

// The program's own drag and clipboard types and how their data is written.
//
// "DomNodeDragCopy": an element or snippet for a page, dragged from the
// element palette or the DOM tree. The data is one QVariant in a QDataStream:
// a string (an element name, optionally followed by a blank and attributes,
// as in "a href") or a map (a snippet, its text under "content").
//
// "CSSRuleDrag": a style-sheet rule dragged from the rules panel, as UTF-8
// text; empty when a declaration is dragged.
//
// "InnerDomNodeDrag": rows dragged inside the DOM tree, the marker "drag"
// (the rows stay with the tree). "com.tarnwel.quillmark.ClassSelectorPatching":
// a class name, as UTF-8 text, shown live on the element under the pointer.
namespace DragPayload {

inline constexpr char kDomNodeDragCopy[] = "DomNodeDragCopy";
inline constexpr char kCSSRuleDrag[] = "CSSRuleDrag";
inline constexpr char kInnerDomNodeDrag[] = "InnerDomNodeDrag";
inline constexpr char kClassSelectorPatching[] = "com.tarnwel.quillmark.ClassSelectorPatching";

QByteArray encodeDomNodeDragCopy(const QVariant &value);
// The string or map the data holds; nullopt for data of any other shape
// (truncated, another type, a later stream version).
std::optional<QVariant> decodeDomNodeDragCopy(const QByteArray &data);

// Puts the value on the drag under "DomNodeDragCopy".
void setDomNodeDragCopy(QMimeData *mime, const QVariant &value);
std::optional<QVariant> domNodeDragCopy(const QMimeData *mime);

void setCSSRuleDrag(QMimeData *mime, const QString &ruleText);
// The rule's text; nullopt when the drag holds no "CSSRuleDrag".
std::optional<QString> cssRuleDrag(const QMimeData *mime);

} // namespace DragPayload
