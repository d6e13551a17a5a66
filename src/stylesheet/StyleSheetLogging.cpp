#include "StyleSheetLogging.h"

Q_LOGGING_CATEGORY(lcStyleSheet, "quillmark.stylesheet")
