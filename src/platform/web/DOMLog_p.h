#pragma once

#include <QLoggingCategory>

// Log category of the page mirror: bad HTML, snapshots and selectors.
Q_DECLARE_LOGGING_CATEGORY(lcWeb)
