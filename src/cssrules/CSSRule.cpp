#include "CSSRule.h"

#include "CSSCopyInfo.h"

#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleDeclaration.h"
#include "platform/web/cssom/DOMMediaList.h"
#include "stylesheet/CSSValueKeywords.h"
#include "stylesheet/StringVendarPrefix.h"
#include "stylesheet/VendarPrefixSettings.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

namespace {

std::weak_ptr<CSSRule> s_selectedOwner;

// The piece of a "name: value" text: split on the separator, the piece at
// that index, or nullopt when there is none.
std::optional<QString> pieceOf(const QString &text, const QString &separator, int index)
{
    const QStringList pieces = text.split(separator);
    if (index >= pieces.size())
        return std::nullopt;
    return pieces.at(index);
}

// A rule whose whole text is "* " (no rule the mirror writes for a selector
// and a block reads so).
bool isStarRule(const DOMCSSRulePtr &rule)
{
    return rule && rule->type() == DOMCSSRule::UNKNOWN_RULE && rule->cssText() == QLatin1String("* ");
}

} // namespace

CSSRule::CSSRule(PrivateTag) {}

CSSRule::~CSSRule() = default;

// --- Initialisers ---------------------------------------------------------------------

CSSRulePtr CSSRule::init()
{
    auto row = std::make_shared<CSSRule>(PrivateTag());
    row->setUpStoredTexts();
    row->m_isFirstAssigned = false;
    return row;
}

void CSSRule::setUpStoredTexts()
{
    m_displayName = displayName();
    m_propName = propName();
    m_valueName = valueName();
    m_selectorName = selectorName();
}

CSSRulePtr CSSRule::made()
{
    // Every initialiser but init() leaves the row switched on, at level 0.
    CSSRulePtr row = init();
    row->m_shouldIncludInRule = true;
    row->m_level = 0;
    return row;
}

CSSRulePtr CSSRule::initWithRule(const DOMCSSRulePtr &rule)
{
    CSSRulePtr row = made();
    row->m_rule = rule;
    row->m_ownerRule = row;
    row->m_isRule = true;
    if (rule && rule->type() == DOMCSSRule::STYLE_RULE)
        row->m_domCSSStyleDeclaration = rule->style();
    return row;
}

CSSRulePtr CSSRule::initWithRuleWithWebkitBasicStyle(const DOMCSSRulePtr &rule)
{
    CSSRulePtr row = made();
    row->m_rule = rule;
    row->m_isWebKitStyle = true;
    row->m_fileName = QStringLiteral("default");
    return row;
}

CSSRulePtr CSSRule::initWithPropertyText(const QString &decLine)
{
    CSSRulePtr row = made();
    row->m_decLine = decLine;
    row->m_backup = row->valueName();
    return row;
}

CSSRulePtr CSSRule::initWithShortHand(const QString &shortHandName, const DOMCSSRulePtr &rule)
{
    CSSRulePtr row = made();
    row->m_rule = rule;
    row->m_shortHandName = shortHandName;
    row->m_isShortHand = true;
    return row;
}

CSSRulePtr CSSRule::initElementStyleRuleWithDeclaration(const DOMCSSStyleDeclarationPtr &declaration)
{
    CSSRulePtr row = made();
    row->m_elementStyleDec = declaration;
    return row;
}

CSSRulePtr CSSRule::initWithDeclalation(const DOMCSSStyleDeclarationPtr &computedStyle)
{
    CSSRulePtr row = made();
    row->m_computedStyleDec = computedStyle;
    row->m_backup = row->valueName();
    return row;
}

CSSRulePtr CSSRule::initWithCSSProperty(const CSSPropertyPtr &property, const CSSRulePtr &parent)
{
    // Unlike the others it does not start from init(): its stored texts stay empty.
    auto row = std::make_shared<CSSRule>(PrivateTag());
    row->m_property = property;
    if (property)
        row->m_decLine = property->property() + QStringLiteral(": ") + property->value();
    row->m_ownerRule = parent;
    if (parent)
        row->m_rule = parent->m_rule;
    row->m_shouldIncludInRule = true;
    row->m_level = 0;
    return row;
}

// --- Fields -------------------------------------------------------------------------------

File *CSSRule::relatedFile() const
{
    return m_relatedFile.data();
}

void CSSRule::setFile(File *file)
{
    if (file)
        m_relatedFile = file;
}

// --- Texts ----------------------------------------------------------------------------------

QString CSSRule::ruleHead(const DOMCSSRulePtr &rule)
{
    // The rule's text before its "{", without writing the whole rule (a
    // media block's text holds every rule inside it).
    switch (rule->type()) {
    case DOMCSSRule::STYLE_RULE:
        return rule->selectorText();
    case DOMCSSRule::KEYFRAME_RULE:
        return rule->keyText();
    case DOMCSSRule::MEDIA_RULE:
        return QStringLiteral("@media ") + (rule->media() ? rule->media()->mediaText() : QString());
    case DOMCSSRule::KEYFRAMES_RULE:
        return (rule->isPrefixed() ? QStringLiteral("@-webkit-keyframes ") : QStringLiteral("@keyframes ")) + rule->name();
    case DOMCSSRule::SUPPORTS_RULE:
        return QStringLiteral("@supports ") + rule->conditionText();
    default: {
        const QString text = rule->cssText();
        const qsizetype brace = text.indexOf(QLatin1Char('{'));
        // A statement (an import rule) has no brace: its whole text.
        return brace < 0 ? text : text.left(brace);
    }
    }
}

QString CSSRule::selectorName() const
{
    if (m_rule)
        return ruleHead(m_rule).trimmed();
    const CSSRulePtr owner = ownerRule();
    if (owner && owner.get() != this)
        return owner->selectorName().trimmed();
    return m_selectorName.trimmed();
}

QString CSSRule::valueName() const
{
    if (!m_valueName2.isNull())
        return m_valueName2;
    if (m_decLine.isNull())
        return {};
    return pieceOf(m_decLine, QStringLiteral(": "), 1).value_or(QString()).trimmed();
}

QString CSSRule::propName() const
{
    if (!m_propName2.isNull())
        return m_propName2;
    if (isStarRule(m_rule))
        return QStringLiteral("");
    if (m_computedStyleDec)
        return QStringLiteral("computed");
    if (m_elementStyleDec)
        return QStringLiteral("style attribute");
    if (m_rule) {
        QString name;
        if (m_isShortHand)
            name = m_shortHandName;
        else if (m_property)
            name = m_property->property();
        else {
            name = ruleHead(m_rule);
            if (type() == RuleType::Keyframes)
                name.replace(QLatin1String("@-webkit-"), QLatin1String("@"));
        }
        return name.trimmed();
    }
    return pieceOf(m_decLine, QStringLiteral(":"), 0).value_or(QStringLiteral("")).trimmed();
}

QString CSSRule::displayName() const
{
    if (isStarRule(m_rule))
        return QStringLiteral("");
    QString text = QStringLiteral("");
    if (m_computedStyleDec)
        text = QStringLiteral("computed");
    if (m_elementStyleDec)
        text = QStringLiteral("style attribute");
    if (m_rule)
        text = m_isShortHand ? m_shortHandName : ruleHead(m_rule);
    else if (!m_decLine.isNull())
        text = pieceOf(m_decLine, QStringLiteral(":"), 1).value_or(QStringLiteral(""));
    return text.trimmed();
}

QString CSSRule::fileName()
{
    if (m_relatedFile) {
        const qsizetype line = m_styleDeclaration ? m_styleDeclaration->lineNumber() : 0;
        m_fileName = m_relatedFile->displayName() + QLatin1Char(':') + QString::number(line);
    } else {
        m_fileName = QStringLiteral("default");
    }
    return m_fileName;
}

// --- Kind ------------------------------------------------------------------------------------

int CSSRule::type() const
{
    if (m_property)
        return m_property->isShartHand() ? RuleType::ShortHandDeclaration : RuleType::Declaration;
    if (!m_mediaOwner.expired())
        return RuleType::MediaStyle;
    if (!m_animationOwner.expired())
        return m_isRule ? RuleType::Keyframe : RuleType::Declaration;
    if (m_styleDeclaration)
        return m_styleDeclaration->type();
    return RuleType::Other;
}

bool CSSRule::isKeyFrame() const
{
    return m_rule && m_rule->type() == DOMCSSRule::KEYFRAME_RULE;
}

QStringList CSSRule::cssList() const
{
    return CSSValueKeywords::getValueKeywords(propName());
}

QColor CSSRule::displayColor()
{
    return QColor();
}

void CSSRule::selectedCSSRuleOwner(const CSSRulePtr &row)
{
    s_selectedOwner = row;
}

std::shared_ptr<CSSCopyInfo> CSSRule::copyInfo()
{
    return CSSCopyInfo::initWithRule(shared_from_this());
}

VendarPrefixSettings CSSRule::prefixSettingsOf(const File *file)
{
    // The settings of the file's own project, not of whichever project is current.
    if (!file || file->rootProject().isEmpty())
        return VendarPrefixSettings::current();
    // Asked for every row the outline shows: the settings are read again
    // only when the project's have changed (#68).
    const QVariantMap config = ProjectUtil::getProjectConfig(file->rootProject());
    thread_local std::pair<QVariantMap, VendarPrefixSettings> last;
    if (!config.isSharedWith(last.first) || config.isEmpty())
        last = {config, VendarPrefixSettings::fromConfig(config)};
    return last.second;
}

QString CSSRule::getPropertyShorthand(const QString &longhand, const QStringList &declaredNames)
{
    // The shorthands of each longhand: the table of shorthands turned round.
    static const QHash<QString, QStringList> shorthandsOf = [] {
        QHash<QString, QStringList> table;
        const QHash<QString, QStringList> &map = CSSProperty::shortHandMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            for (const QString &name : it.value())
                table[name].append(it.key());
        }
        for (QStringList &names : table)
            names.sort();
        return table;
    }();
    for (const QString &shorthand : shorthandsOf.value(longhand)) {
        if (declaredNames.contains(shorthand))
            return shorthand;
    }
    return {};
}

QString CSSRule::debugDescription() const
{
    return QStringLiteral("%1 %2 %3").arg(type()).arg(propName(), valueName());
}
