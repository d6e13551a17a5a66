#include "CPToken.h"

#include <QHash>
#include <QLocale>

QString CPToken::description() const
{
    return QStringLiteral("<%1>").arg(name());
}

bool CPToken::isEqual(const CPToken &other) const
{
    return name() == other.name();
}

size_t CPToken::hash() const
{
    return qHash(name());
}

CPTokenPtr CPToken::tokenWithKeyword(const QString &keyword)
{
    return std::make_shared<CPKeywordToken>(keyword);
}

CPTokenPtr CPToken::tokenWithIdentifier(const QString &identifier)
{
    return std::make_shared<CPIdentifierToken>(identifier);
}

CPTokenPtr CPToken::tokenWithNumber(const QVariant &number)
{
    return std::make_shared<CPNumberToken>(number);
}

CPTokenPtr CPToken::content(const QString &content, const QString &quoteType, const QString &name)
{
    return std::make_shared<CPQuotedToken>(content, quoteType, name);
}

CPTokenPtr CPToken::whiteSpace(const QString &whiteSpace)
{
    return std::make_shared<CPWhiteSpaceToken>(whiteSpace);
}

CPTokenPtr CPToken::eof()
{
    return std::make_shared<CPEOFToken>();
}

CPTokenPtr CPToken::errorWithMessage(const QString &message)
{
    return std::make_shared<CPErrorToken>(message);
}

QString CPKeywordToken::description() const
{
    return QStringLiteral("<Keyword: %1>").arg(m_keyword);
}

bool CPKeywordToken::isEqual(const CPToken &other) const
{
    return other.isKeywordToken() && static_cast<const CPKeywordToken &>(other).m_keyword == m_keyword;
}

size_t CPKeywordToken::hash() const
{
    return qHash(m_keyword);
}

QString CPIdentifierToken::name() const
{
    return QStringLiteral("Identifier");
}

QString CPIdentifierToken::description() const
{
    return QStringLiteral("<Identifier: %1>").arg(m_identifier);
}

bool CPIdentifierToken::isEqual(const CPToken &other) const
{
    return other.isIdentifierToken() && static_cast<const CPIdentifierToken &>(other).m_identifier == m_identifier;
}

size_t CPIdentifierToken::hash() const
{
    return qHash(m_identifier);
}

QString CPNumberToken::name() const
{
    return QStringLiteral("Number");
}

static QString numberText(const QVariant &number)
{
    if (number.typeId() == QMetaType::Double || number.typeId() == QMetaType::Float)
        return QString::number(number.toDouble(), 'g', QLocale::FloatingPointShortest);
    return number.toString();
}

QString CPNumberToken::description() const
{
    return QStringLiteral("<Number: %1>").arg(numberText(m_number));
}

bool CPNumberToken::isEqual(const CPToken &other) const
{
    if (!other.isNumberToken())
        return false;
    const QVariant &theirs = static_cast<const CPNumberToken &>(other).m_number;
    const bool mineIsInteger = m_number.typeId() != QMetaType::Double && m_number.typeId() != QMetaType::Float;
    const bool theirsIsInteger = theirs.typeId() != QMetaType::Double && theirs.typeId() != QMetaType::Float;
    if (mineIsInteger && theirsIsInteger)
        return m_number.toLongLong() == theirs.toLongLong();
    return m_number.toDouble() == theirs.toDouble();
}

size_t CPNumberToken::hash() const
{
    // Equal numbers of either type must hash alike.
    return qHash(m_number.toDouble());
}

QString CPQuotedToken::description() const
{
    return QStringLiteral("<%1: %2>").arg(m_name, m_content);
}

bool CPQuotedToken::isEqual(const CPToken &other) const
{
    if (!other.isQuotedToken())
        return false;
    const auto &quoted = static_cast<const CPQuotedToken &>(other);
    return quoted.m_content == m_content && quoted.m_name == m_name && quoted.m_quoteType == m_quoteType;
}

size_t CPQuotedToken::hash() const
{
    return qHash(m_content);
}

QString CPWhiteSpaceToken::name() const
{
    return QStringLiteral("Whitespace");
}

bool CPWhiteSpaceToken::isEqual(const CPToken &other) const
{
    return other.isWhiteSpaceToken();
}

QString CPEOFToken::name() const
{
    return QStringLiteral("EOF");
}

bool CPEOFToken::isEqual(const CPToken &other) const
{
    return other.isEOFToken();
}

QString CPErrorToken::name() const
{
    return QStringLiteral("Error");
}

bool CPErrorToken::isEqual(const CPToken &other) const
{
    return other.isErrorToken();
}
