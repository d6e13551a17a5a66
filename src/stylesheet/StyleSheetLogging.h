#pragma once

#include <QLoggingCategory>

// The logging category of the style-sheet model and vocabulary.
Q_DECLARE_LOGGING_CATEGORY(lcStyleSheet)
