#pragma once

#include "platform/foundation/Range.h"

#include <QList>
#include <QString>

class QLineEdit;

// Checks a text control's text as a CSS selector with the shared selector
// validator and marks each faulty range red and underlined in the control;
// the rest of the text keeps the palette's text colour.
namespace ControlSelectorValidator {

// True when the validator finds no error in the text; marks the control's
// text as a side effect.
bool isValidSelector(QLineEdit *control, const QString &text);
// Marks the ranges (a zero-length one runs to the end of the text); none
// clears the marks.
void formatAttributedString(QLineEdit *control, const QList<Range> &errors);
// isValidSelector() with the control's own text.
bool validateSelectorWithFormat(QLineEdit *control);
// The ranges marked now, clipped to the text.
QList<Range> errorRanges(const QLineEdit *control);

// The selector with its spacing made regular: "::" before a pseudo-class
// becomes ":", a comma gets a blank after it and a combinator one on each
// side. Text in [...] and in quotes is left as it is.
QString normalizedSelector(const QString &text);

} // namespace ControlSelectorValidator
