#include "GrammarLog.h"

Q_LOGGING_CATEGORY(lcGrammar, "quillmark.grammar")
