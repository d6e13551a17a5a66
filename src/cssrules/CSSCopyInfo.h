#pragma once

#include "platform/web/cssom/DOMCSSRuleList.h"
#include "stylesheet/CSSProperty.h"
#include "stylesheet/StyleDeclaration.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class CSSRule;

// The clipboard and drag record of a copied row of the rules outline: the
// copied rule as style-sheet text and parsed again into file declarations,
// with its live rule; or the copied declaration. It lives in memory only.
class CSSCopyInfo
{
    Q_GADGET
    Q_PROPERTY(quint32 type READ type)
    Q_PROPERTY(QString cssRule READ cssRuleText)
    Q_PROPERTY(QString cssText READ cssText)
    Q_PROPERTY(QStringList declarations READ declarationTexts)
    Q_PROPERTY(QString property READ propertyText)

public:
    // Builds the record from the row, by the row's type.
    static std::shared_ptr<CSSCopyInfo> initWithRule(const std::shared_ptr<CSSRule> &row);

    quint32 type() const { return m_type; }
    void setType(quint32 type) { m_type = type; }
    DOMCSSRulePtr cssRule() const { return m_cssRule; }
    void setCssRule(const DOMCSSRulePtr &rule) { m_cssRule = rule; }
    QString cssText() const { return m_cssText; }
    void setCssText(const QString &text) { m_cssText = text; }
    const QList<StyleDeclarationPtr> &declarations() const { return m_declarations; }
    void setDeclarations(const QList<StyleDeclarationPtr> &declarations) { m_declarations = declarations; }
    CSSPropertyPtr property() const { return m_property; }
    void setProperty(const CSSPropertyPtr &property) { m_property = property; }

    // The fields by name and value, one a line.
    QString description() const;

private:
    QString cssRuleText() const;
    QStringList declarationTexts() const;
    QString propertyText() const;

    quint32 m_type = 0;
    DOMCSSRulePtr m_cssRule;
    QString m_cssText;
    QList<StyleDeclarationPtr> m_declarations;
    CSSPropertyPtr m_property;
};
