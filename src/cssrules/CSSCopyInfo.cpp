#include "CSSCopyInfo.h"

#include "CSSRule.h"

#include "foundation/DescriptionBuilder.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "stylesheet/StyleSheetParser.h"
#include "workspace/File.h"

namespace {

// "selector{body}" of a file rule.
QString ruleText(const StyleDeclaration &declaration)
{
    return declaration.selector() + QLatin1Char('{') + declaration.generateBody() + QLatin1Char('}');
}

} // namespace

std::shared_ptr<CSSCopyInfo> CSSCopyInfo::initWithRule(const std::shared_ptr<CSSRule> &row)
{
    auto info = std::make_shared<CSSCopyInfo>();
    if (!row)
        return info;
    info->m_type = quint32(row->type());
    const StyleDeclarationPtr declaration = row->styleDeclaration();
    switch (info->m_type) {
    case RuleType::Style:
    case RuleType::Keyframe:
    case RuleType::MediaStyle:
        info->m_cssRule = row->rule();
        if (declaration)
            info->m_cssText = ruleText(*declaration);
        break;
    case RuleType::Media:
    case RuleType::Keyframes: {
        info->m_cssRule = row->rule();
        if (!declaration)
            break;
        QString inner;
        if (File *file = declaration->parentFile()) {
            for (const StyleDeclarationPtr &child : file->getMediaChildren(*declaration))
                inner += ruleText(*child);
        }
        info->m_cssText = declaration->selector() + QLatin1Char('{') + inner + QLatin1Char('}');
        break;
    }
    case RuleType::Declaration:
    case RuleType::ShortHandDeclaration:
        info->m_property = row->property() ? row->property()
                                           : std::make_shared<CSSProperty>(row->propName(), row->valueName());
        return info;
    default:
        return info;
    }
    info->m_declarations = StyleSheetParser::parseStyleSheet(info->m_cssText, row->relatedFile());
    return info;
}

QString CSSCopyInfo::description() const
{
    return DescriptionBuilder::reflectDescription(*this, 1);
}

QString CSSCopyInfo::cssRuleText() const
{
    return m_cssRule ? m_cssRule->cssText() : QString();
}

QStringList CSSCopyInfo::declarationTexts() const
{
    QStringList texts;
    for (const StyleDeclarationPtr &declaration : m_declarations)
        texts.append(declaration->description());
    return texts;
}

QString CSSCopyInfo::propertyText() const
{
    return m_property ? m_property->description() : QString();
}
