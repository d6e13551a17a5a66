#include "HexColorRecogniser.h"

static bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
}

static bool isNameCharacter(QChar c)
{
    const char16_t u = c.unicode();
    return u < 128 && (c.isLetterOrNumber() || u == u'-' || u == u'_');
}

QString HexColorRecogniser::tokenName()
{
    return QStringLiteral("Hex");
}

std::shared_ptr<HexColorRecogniser> HexColorRecogniser::hexColorRecogniser()
{
    return std::make_shared<HexColorRecogniser>();
}

CPTokenPtr HexColorRecogniser::recogniseTokenInString(const QString &input, qsizetype *position) const
{
    const qsizetype start = *position;
    if (start < 0 || start >= input.size() || input.at(start) != u'#')
        return {};
    qsizetype end = start + 1;
    while (end < input.size() && isHexDigit(input.at(end)))
        ++end;
    const qsizetype digits = end - start - 1;
    if (digits != 3 && digits != 6)
        return {};
    if (end < input.size() && isNameCharacter(input.at(end)))
        return {};
    *position = end;
    return std::make_shared<CPQuotedToken>(input.mid(start + 1, digits), QStringLiteral("#"), tokenName());
}

QVariantMap HexColorRecogniser::archive() const
{
    return {{QStringLiteral("class"), QStringLiteral("HexColorRecogniser")}};
}
