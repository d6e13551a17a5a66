#pragma once

#include <QMetaType>
#include <QString>
#include <QVariant>

#include <memory>

// The token family: what the tokeniser cuts a text into and the parser reads.
// A grammar names a terminal by a token's name(), so those names are the
// contract between recognisers, grammars and the value parsers.
//
// Position fields are UTF-16 offsets counted from 0; every "\n" and every "\r"
// counts as a line break. A token made by hand has them all 0.
class CPToken
{
public:
    enum class Kind { Keyword, Identifier, Number, Quoted, WhiteSpace, EOFToken, Error };

    virtual ~CPToken() = default;

    virtual Kind kind() const = 0;
    virtual QString name() const = 0;
    virtual QString description() const;
    // Kinds compare their values as listed per kind; see each override.
    virtual bool isEqual(const CPToken &other) const;
    virtual size_t hash() const;

    bool isKeywordToken() const { return kind() == Kind::Keyword; }
    bool isIdentifierToken() const { return kind() == Kind::Identifier; }
    bool isNumberToken() const { return kind() == Kind::Number; }
    bool isQuotedToken() const { return kind() == Kind::Quoted; }
    bool isWhiteSpaceToken() const { return kind() == Kind::WhiteSpace; }
    bool isEOFToken() const { return kind() == Kind::EOFToken; }
    bool isErrorToken() const { return kind() == Kind::Error; }

    qsizetype lineNumber() const { return m_lineNumber; }
    void setLineNumber(qsizetype line) { m_lineNumber = line; }
    qsizetype columnNumber() const { return m_columnNumber; }
    void setColumnNumber(qsizetype column) { m_columnNumber = column; }
    qsizetype characterNumber() const { return m_characterNumber; }
    void setCharacterNumber(qsizetype offset) { m_characterNumber = offset; }
    qsizetype length() const { return m_length; }
    void setLength(qsizetype length) { m_length = length; }

    static std::shared_ptr<CPToken> tokenWithKeyword(const QString &keyword);
    static std::shared_ptr<CPToken> tokenWithIdentifier(const QString &identifier);
    static std::shared_ptr<CPToken> tokenWithNumber(const QVariant &number);
    static std::shared_ptr<CPToken> content(const QString &content, const QString &quoteType, const QString &name);
    static std::shared_ptr<CPToken> whiteSpace(const QString &whiteSpace);
    static std::shared_ptr<CPToken> eof();
    static std::shared_ptr<CPToken> errorWithMessage(const QString &message);

protected:
    CPToken() = default;

private:
    qsizetype m_lineNumber = 0;
    qsizetype m_columnNumber = 0;
    qsizetype m_characterNumber = 0;
    qsizetype m_length = 0;
};

using CPTokenPtr = std::shared_ptr<CPToken>;
Q_DECLARE_METATYPE(CPTokenPtr)

// A keyword: its name is the keyword text itself.
class CPKeywordToken final : public CPToken
{
public:
    explicit CPKeywordToken(QString keyword = QStringLiteral(" ")) : m_keyword(std::move(keyword)) {}
    Kind kind() const override { return Kind::Keyword; }
    QString name() const override { return m_keyword; }
    QString description() const override;
    bool isEqual(const CPToken &other) const override;
    size_t hash() const override;
    const QString &keyword() const { return m_keyword; }
    void setKeyword(const QString &keyword) { m_keyword = keyword; }

private:
    QString m_keyword;
};

// A name outside the keyword list: named "Identifier".
class CPIdentifierToken final : public CPToken
{
public:
    explicit CPIdentifierToken(QString identifier = {}) : m_identifier(std::move(identifier)) {}
    Kind kind() const override { return Kind::Identifier; }
    QString name() const override;
    QString description() const override;
    bool isEqual(const CPToken &other) const override;
    size_t hash() const override;
    const QString &identifier() const { return m_identifier; }
    void setIdentifier(const QString &identifier) { m_identifier = identifier; }

private:
    QString m_identifier;
};

// A number, named "Number". The value is a qlonglong for integers read by an
// integer-only recogniser and a double otherwise.
class CPNumberToken final : public CPToken
{
public:
    explicit CPNumberToken(QVariant number = QVariant(qlonglong(0))) : m_number(std::move(number)) {}
    Kind kind() const override { return Kind::Number; }
    QString name() const override;
    QString description() const override;
    // Numerically equal numbers are equal, whatever their types.
    bool isEqual(const CPToken &other) const override;
    size_t hash() const override;
    const QVariant &number() const { return m_number; }
    void setNumber(const QVariant &number) { m_number = number; }
    double doubleValue() const { return m_number.toDouble(); }
    qlonglong integerValue() const { return m_number.toLongLong(); }

private:
    QVariant m_number;
};

// A quoted text, quotes removed and escapes resolved; named by its recogniser.
class CPQuotedToken final : public CPToken
{
public:
    CPQuotedToken() = default;
    CPQuotedToken(QString content, QString quoteType, QString name)
        : m_content(std::move(content)), m_quoteType(std::move(quoteType)), m_name(std::move(name))
    {
    }
    Kind kind() const override { return Kind::Quoted; }
    QString name() const override { return m_name; }
    QString description() const override;
    bool isEqual(const CPToken &other) const override;
    size_t hash() const override;
    const QString &content() const { return m_content; }
    void setContent(const QString &content) { m_content = content; }
    const QString &quoteType() const { return m_quoteType; }
    void setQuoteType(const QString &quoteType) { m_quoteType = quoteType; }

private:
    QString m_content;
    QString m_quoteType;
    QString m_name;
};

// A run of blanks and line breaks, named "Whitespace"; all are equal.
class CPWhiteSpaceToken final : public CPToken
{
public:
    explicit CPWhiteSpaceToken(QString whiteSpace = {}) : m_whiteSpace(std::move(whiteSpace)) {}
    Kind kind() const override { return Kind::WhiteSpace; }
    QString name() const override;
    bool isEqual(const CPToken &other) const override;
    size_t hash() const override { return 1; }
    const QString &whiteSpace() const { return m_whiteSpace; }
    void setWhiteSpace(const QString &whiteSpace) { m_whiteSpace = whiteSpace; }

private:
    QString m_whiteSpace;
};

// The end of the input, named "EOF".
class CPEOFToken final : public CPToken
{
public:
    Kind kind() const override { return Kind::EOFToken; }
    QString name() const override;
    bool isEqual(const CPToken &other) const override;
    size_t hash() const override { return 0; }
};

// Input no recogniser took, named "Error".
class CPErrorToken final : public CPToken
{
public:
    explicit CPErrorToken(QString errorMessage = {}) : m_errorMessage(std::move(errorMessage)) {}
    Kind kind() const override { return Kind::Error; }
    QString name() const override;
    bool isEqual(const CPToken &other) const override;
    size_t hash() const override { return 0; }
    const QString &errorMessage() const { return m_errorMessage; }
    void setErrorMessage(const QString &message) { m_errorMessage = message; }

private:
    QString m_errorMessage;
};

inline bool operator==(const CPToken &a, const CPToken &b)
{
    return a.isEqual(b);
}
