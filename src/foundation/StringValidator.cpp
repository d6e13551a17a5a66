#include "StringValidator.h"

#include <QUrl>

namespace StringValidator {

bool isValidURL(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && !url.scheme().isEmpty() && !url.host().isEmpty();
}

} // namespace StringValidator
