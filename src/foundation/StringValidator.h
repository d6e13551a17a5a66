#pragma once

#include <QString>

// Checks on strings typed by the user.
namespace StringValidator {

// True when the text parses as a URL with both a scheme and a host:
// "http://example.com" is one, "example.com" and "/var/www" are not.
bool isValidURL(const QString &text);

} // namespace StringValidator
