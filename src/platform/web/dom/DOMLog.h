#pragma once

#include <QLoggingCategory>

// Log category of the page mirror: bad HTML, snapshots and selectors.
Q_DECLARE_LOGGING_CATEGORY(lcWeb)
// The preview bridge's traffic, off unless asked for
// (QT_LOGGING_RULES="quillmark.web.bridge.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcWebBridge)
