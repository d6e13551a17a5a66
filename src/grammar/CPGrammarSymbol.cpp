#include "CPGrammarSymbol.h"

QString CPGrammarSymbol::description() const
{
    return m_terminal ? QStringLiteral("\"%1\"").arg(m_name) : QStringLiteral("<%1>").arg(m_name);
}

QVariantMap CPGrammarSymbol::archive() const
{
    return {{QStringLiteral("n"), m_name}, {QStringLiteral("t"), m_terminal}};
}

CPGrammarSymbol CPGrammarSymbol::fromArchive(const QVariantMap &archive)
{
    return {archive.value(QStringLiteral("n")).toString(), archive.value(QStringLiteral("t")).toBool()};
}
