#include "CreateKeyframeDelegate.h"

#include "cssrules/CSSCopyInfo.h"
#include "cssrules/KeyframesPresetDataSource.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleDeclaration.h"
#include "stylesheet/StringKeyframes.h"
#include "stylesheet/StringVendarPrefix.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListView>

CreateKeyframeDelegate::CreateKeyframeDelegate(CSSOutlineDelegate *cssOutlineDelegate, QObject *parent)
    : CreateMediaQueryDelegate(cssOutlineDelegate, parent)
{
}

QWidget *CreateKeyframeDelegate::makeNameField(QWidget *page)
{
    m_nameField = new QLineEdit(page);
    m_nameField->setObjectName(QStringLiteral("selectorNameInputView"));
    m_nameField->setPlaceholderText(QStringLiteral("Animation name"));
    m_nameField->setAccessibleName(QStringLiteral("Animation Name"));
    return m_nameField;
}

LinearOutlineDataSource *CreateKeyframeDelegate::makePresetSource()
{
    return new KeyframesPresetDataSource(this);
}

QString CreateKeyframeDelegate::selectorName()
{
    return QStringLiteral("%1 %2").arg(QStringLiteral("@-webkit-keyframes"), selectorNameInputView()->text());
}

void CreateKeyframeDelegate::controlTextDidChange()
{
    enableOk(isValid());
}

void CreateKeyframeDelegate::setDuplicateMode(const std::shared_ptr<CSSCopyInfo> &copy)
{
    view();
    if (copy && copy->type() == RuleType::Keyframes) {
        m_copyInfo = copy;
        QString name = copy->cssRule() ? copy->cssRule()->animationName() : QString();
        if (name.isEmpty() && !copy->declarations().isEmpty())
            name = StringKeyframes::animationName(copy->declarations().first()->selector()).value_or(QString());
        selectorNameInputView()->setText(name);
        if (!copy->declarations().isEmpty())
            m_selectedFile = copy->declarations().last()->parentFile();
    }
    CreateMediaQueryDelegate::initFiles();
}

void CreateKeyframeDelegate::setStyleList()
{
    clearDecItems();
    const QList<StyleDeclarationPtr> blocks = m_selectedFile ? m_selectedFile->keyframesDeclarations() : QList<StyleDeclarationPtr>();
    m_styleSelectListView->setEnabled(!blocks.isEmpty());
    QStringList names;
    QList<StyleDeclarationPtr> chosen;
    for (const StyleDeclarationPtr &block : blocks) {
        if (block->isRemoved())
            continue;
        const QString name = StringKeyframes::animationName(block->selector()).value_or(QString());
        const qsizetype at = names.indexOf(name);
        if (at < 0) {
            names.append(name);
            chosen.append(block);
        } else if (chosen.at(at)->selector().startsWith(QLatin1String("@-")) && !block->selector().startsWith(QLatin1String("@-"))) {
            chosen[at] = block;
        }
    }
    for (qsizetype i = 0; i < chosen.size(); ++i)
        addDecItem(QStringLiteral("@keyframes %1").arg(names.at(i)), chosen.at(i));
    showDecItem(m_selectedDec);
}

QList<QVariantMap> CreateKeyframeDelegate::presetKeyframes() const
{
    if (m_copyInfo)
        return liveKeyframes();
    QList<QVariantMap> keyframes;
    if (!m_presetList || !m_presetList->currentIndex().isValid())
        return keyframes;
    const StyleDeclarationPtr rule = m_presetSource->itemAt(m_presetList->currentIndex().row()).value<StyleDeclarationPtr>();
    File *file = rule ? rule->parentFile() : nullptr;
    if (!file)
        return keyframes;
    for (const StyleDeclarationPtr &keyframe : file->getMediaChildren(*rule))
        keyframes.append({{QStringLiteral("selector"), keyframe->selector()}, {QStringLiteral("body"), keyframe->generateBodyForDom()}});
    return keyframes;
}

// The copied keyframes with the values the page holds now.
QList<QVariantMap> CreateKeyframeDelegate::liveKeyframes() const
{
    QList<QVariantMap> keyframes;
    const QList<StyleDeclarationPtr> &declarations = m_copyInfo->declarations();
    if (declarations.size() < 2)
        return keyframes;
    const QList<StyleDeclarationPtr> copied = declarations.mid(1);
    const QVariantMap prefixed = ProjectUtil::defaultVendarPrefixProperties();
    const DOMCSSRulePtr live = m_copyInfo->cssRule();
    const DOMCSSRuleList liveKeyframes = live ? live->cssRules() : DOMCSSRuleList();
    for (int i = 0; i < liveKeyframes.length(); ++i) {
        const DOMCSSRulePtr liveKeyframe = liveKeyframes.item(i);
        const DOMCSSStyleDeclarationPtr style = liveKeyframe ? liveKeyframe->style() : nullptr;
        if (!style)
            continue;
        for (const StyleDeclarationPtr &keyframe : copied) {
            QString key = keyframe->selector().trimmed();
            if (key == QLatin1String("from"))
                key = QStringLiteral("0%");
            else if (key == QLatin1String("to"))
                key = QStringLiteral("100%");
            if (key != liveKeyframe->keyText())
                continue;
            for (const CSSPropertyPtr &property : keyframe->properties()) {
                const QString name = property->property();
                QString value;
                if (prefixed.contains(StringVendarPrefix::formalPropertyName(name)) && !name.startsWith(u'-'))
                    value = style->getPropertyValue(QStringLiteral("-webkit-") + name);
                // The engine drops prefixes it does not know: the plain name then.
                if (value.isEmpty())
                    value = style->getPropertyValue(name);
                if (!value.isEmpty())
                    property->setValue(value);
            }
            keyframe->setBody(keyframe->generateBodyForDom());
        }
    }
    for (const StyleDeclarationPtr &keyframe : copied)
        keyframes.append({{QStringLiteral("selector"), keyframe->selector()}, {QStringLiteral("body"), keyframe->body()}});
    return keyframes;
}
