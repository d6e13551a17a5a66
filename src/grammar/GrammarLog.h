#pragma once

#include <QLoggingCategory>

// The grammar engine's logging category, "quillmark.grammar".
Q_DECLARE_LOGGING_CATEGORY(lcGrammar)
