#pragma once

#include "StyleDeclaration.h"

// A comment of a style-sheet file outside rule bodies (type 1000): its whole
// text, "/*" and "*/" included, and its range. No selector, body or line.
class StyleComment final : public StyleDeclaration
{
public:
    StyleComment() { setType(RuleType::Comment); }

    const QString &commentBody() const { return m_commentBody; }
    void setCommentBody(const QString &text) { m_commentBody = text; }

    QString getSelector() const override { return m_commentBody; }
    QString description() const override;

private:
    QString m_commentBody;
};
