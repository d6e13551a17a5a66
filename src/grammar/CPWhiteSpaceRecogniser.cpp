#include "CPWhiteSpaceRecogniser.h"


std::shared_ptr<CPWhiteSpaceRecogniser> CPWhiteSpaceRecogniser::whiteSpaceRecogniser()
{
    return std::make_shared<CPWhiteSpaceRecogniser>();
}

CPTokenPtr CPWhiteSpaceRecogniser::recogniseTokenInString(const QString &input, qsizetype *position) const
{
    const qsizetype start = *position;
    qsizetype end = start;
    while (end >= 0 && end < input.size() && input.at(end).isSpace())
        ++end;
    if (end <= start)
        return {};
    *position = end;
    return std::make_shared<CPWhiteSpaceToken>(input.mid(start, end - start));
}

QVariantMap CPWhiteSpaceRecogniser::archive() const
{
    return {{QStringLiteral("class"), QStringLiteral("CPWhiteSpaceRecogniser")}};
}
