#include "CPTokenRecogniser.h"

#include "CPIdentifierRecogniser.h"
#include "CPKeywordRecogniser.h"
#include "CPNumberRecogniser.h"
#include "CPQuotedRecogniser.h"
#include "CPWhiteSpaceRecogniser.h"
#include "GrammarLog.h"

static std::optional<CPCharacterSet> optionalSet(const QVariantMap &archive, const QString &key)
{
    if (!archive.contains(key))
        return std::nullopt;
    return CPCharacterSet(archive.value(key).toString());
}

CPTokenRecogniserPtr CPTokenRecogniser::fromArchive(const QVariantMap &archive)
{
    const QString kind = archive.value(QStringLiteral("class")).toString();
    if (kind == QLatin1String("CPKeywordRecogniser"))
        return std::make_shared<CPKeywordRecogniser>(archive.value(QStringLiteral("K.k")).toString(),
                                                     optionalSet(archive, QStringLiteral("K.f")));
    if (kind == QLatin1String("CPIdentifierRecogniser"))
        return std::make_shared<CPIdentifierRecogniser>(optionalSet(archive, QStringLiteral("I.i")),
                                                        optionalSet(archive, QStringLiteral("I.c")));
    if (kind == QLatin1String("CPNumberRecogniser"))
        return std::make_shared<CPNumberRecogniser>(archive.value(QStringLiteral("N.i")).toBool(),
                                                    archive.value(QStringLiteral("N.f")).toBool());
    if (kind == QLatin1String("CPQuotedRecogniser")) {
        bool ok = false;
        const quint64 stored = archive.value(QStringLiteral("Q.m")).toULongLong(&ok);
        qsizetype maximumLength = CPQuotedRecogniser::Unlimited;
        if (ok && stored <= quint64(CPQuotedRecogniser::Unlimited))
            maximumLength = qsizetype(stored);
        else
            qCWarning(lcGrammar, "Warning, value for maximum length too long for this platform, allowing infinite "
                                 "lengths");
        return std::make_shared<CPQuotedRecogniser>(
            archive.value(QStringLiteral("Q.s")).toString(), archive.value(QStringLiteral("Q.e")).toString(),
            archive.value(QStringLiteral("Q.es")).toString(), maximumLength,
            archive.value(QStringLiteral("Q.n")).toString());
    }
    if (kind == QLatin1String("CPWhiteSpaceRecogniser"))
        return std::make_shared<CPWhiteSpaceRecogniser>();
    qCWarning(lcGrammar, "Unknown token recogniser in archive: %s", qPrintable(kind));
    return {};
}
