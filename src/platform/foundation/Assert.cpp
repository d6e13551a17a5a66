#include "Assert.h"

#include "Log.h"

#include <atomic>
#include <cstdlib>

namespace Assert {

static std::atomic<bool> s_fatal = false;

void failed(const char *condition, const char *file, int line)
{
    Log::write(LogLevel::Error, "QM_ASSERT", line,
               QStringLiteral("\"%1\" in %2").arg(QLatin1String(condition), QLatin1String(file)));
    if (s_fatal)
        std::abort();
}

void setFatal(bool fatal)
{
    s_fatal = fatal;
}

} // namespace Assert
