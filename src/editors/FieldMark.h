#pragma once

#include <QString>

class QLineEdit;

// The sign on a field of the visual editors whose text could not be read:
// a pale red ground and a tool tip saying so. The value the field edits
// stays as it was; the sign goes with the next text that reads.
namespace FieldMark {

void setRefused(QLineEdit *field, const QString &reason);
void clear(QLineEdit *field);
bool isRefused(const QLineEdit *field);

} // namespace FieldMark
