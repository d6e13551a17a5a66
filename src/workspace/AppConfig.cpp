#include "AppConfig.h"

AppConfig *AppConfig::getInstance()
{
    // A function-local static is made once even when first asked from two threads.
    static AppConfig s_instance;
    return &s_instance;
}

QString AppConfig::indent() const
{
    return indentChar().repeated(indentCount());
}

QString AppConfig::indent2() const
{
    return indent() + indent();
}

QStringList AppConfig::vendarPrefixes() const
{
    return {QStringLiteral("-webkit"), QStringLiteral("-moz"), QStringLiteral("-o"),
            QStringLiteral("-ms")};
}
