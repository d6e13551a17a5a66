#pragma once

#include "CPToken.h"

// What a parser delegate answers to a parse error: insert a token before the
// current one, delete the current token, or stop the parse (which then
// answers nothing).
class CPRecoveryAction
{
public:
    enum class Type : qint32 {
        Insert = 0,
        Delete = 1,
        Stop = 2,
        // Answered by the delegate base class: the delegate does not handle
        // errors, so the parser logs the error itself.
        Unhandled = -1,
    };

    static CPRecoveryAction recoveryActionWithAdditionalToken(const CPTokenPtr &token)
    {
        return {Type::Insert, token};
    }
    static CPRecoveryAction recoveryActionDeletingCurrentToken() { return {Type::Delete, nullptr}; }
    static CPRecoveryAction recoveryActionStop() { return {Type::Stop, nullptr}; }
    static CPRecoveryAction unhandled() { return {Type::Unhandled, nullptr}; }

    Type recoveryType() const { return m_type; }
    const CPTokenPtr &additionalToken() const { return m_additionalToken; }

private:
    CPRecoveryAction(Type type, CPTokenPtr token) : m_type(type), m_additionalToken(std::move(token)) {}

    Type m_type;
    CPTokenPtr m_additionalToken;
};
