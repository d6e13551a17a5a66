// CSSOutlineDelegate: "Add To Responsive", the copy of a rule into one of the
// page's @media blocks; the frames around the elements a rule styles.

#include "CSSOutlineDelegate.h"

#include "StyleSheetWriter.h"

#include "foundation/InspectUndoManager.h"
#include "interfaces/ExWebViewInterface.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMNodeList.h"
#include "workspace/File.h"

#include <QMenu>

#include <algorithm>

QList<StyleDeclarationPtr> CSSOutlineDelegate::getAllMediaList()
{
    QList<StyleDeclarationPtr> blocks;
    for (const CSSRulePtr &row : rulesByElement(nullptr, MediaKind, true)) {
        const StyleDeclarationPtr declaration = row->styleDeclaration();
        if (declaration && !blocks.contains(declaration))
            blocks.append(declaration);
    }
    return blocks;
}

bool CSSOutlineDelegate::isSheetStyleRule(const CSSRulePtr &owner)
{
    return owner && owner->styleDeclaration() && !owner->isWebKitStyle()
           && (owner->type() == RuleType::Style || owner->type() == RuleType::MediaStyle);
}

void CSSOutlineDelegate::fillMediaMenu(QMenu *menu, const CSSRulePtr &owner)
{
    menu->clear();
    if (!isSheetStyleRule(owner))
        return;
    const QString selector = owner->styleDeclaration()->selector();
    for (const StyleDeclarationPtr &media : getAllMediaList()) {
        File *file = media->parentFile();
        if (!file)
            continue;
        const QList<StyleDeclarationPtr> children = file->getMediaChildren(*media);
        const bool holds = std::any_of(children.cbegin(), children.cend(), [&selector](const StyleDeclarationPtr &child) {
            return !child->isRemoved() && child->selector() == selector;
        });
        QAction *item = menu->addAction(QStringLiteral("%1 %2").arg(media->selector(), file->displayName()));
        if (holds) {
            // The block has the rule already.
            item->setCheckable(true);
            item->setChecked(true);
            item->setEnabled(false);
            continue;
        }
        const std::weak_ptr<StyleDeclaration> weakMedia = media;
        const std::weak_ptr<CSSRule> weakOwner = owner;
        connect(item, &QAction::triggered, this, [this, weakOwner, weakMedia] {
            const CSSRulePtr row = weakOwner.lock();
            const StyleDeclarationPtr block = weakMedia.lock();
            if (row && block)
                addResponsive(row, block);
        });
    }
    if (menu->isEmpty())
        menu->addAction(QStringLiteral("No Media Rules"))->setEnabled(false);
}

StyleDeclarationPtr CSSOutlineDelegate::addResponsive(const CSSRulePtr &owner, const StyleDeclarationPtr &media)
{
    const StyleDeclarationPtr rule = owner ? owner->styleDeclaration() : nullptr;
    File *file = media ? media->parentFile() : nullptr;
    if (!rule || !file)
        return nullptr;
    if (InspectUndoManager *undo = undoManager())
        undo->setActionName(QStringLiteral("Add To Responsive"));
    StyleSheetWriter writer(StyleSheetWriterSettings::fromConfig(settingsOf(file)));
    const InnerSelectors inner{{{QStringLiteral("selector"), rule->selector()},
                                {QStringLiteral("body"), writer.generatePropertyText(*rule, QString())}}};
    m_responsiveInsertPending = true;
    const StyleDeclarationPtr merged = createMediaSelector(media->selector(), inner, file, nullptr);
    // The flag is for this copy only, whether the block was found or not.
    m_responsiveInsertPending = false;
    return merged;
}

CSSRulePtr CSSOutlineDelegate::responsiveOwner() const
{
    const CSSRulePtr row = getSelectedCSSRule();
    if (row && !row->styleDeclaration() && row->ownerRule())
        return row->ownerRule();
    return row;
}

// --- Related elements ------------------------------------------------------------------------------

void CSSOutlineDelegate::highlightSelectorsNodes(const QStringList &selectors)
{
    ExWebViewInterface *webview = m_webview ? m_webview() : nullptr;
    DOMDocument *doc = document();
    if (!webview || !doc)
        return;
    QList<DOMNodePtr> nodes;
    for (const QString &selector : selectors) {
        // A selector the page does not take matches nothing.
        for (const DOMNodePtr &node : doc->nodeArrayFromSelector(selector).value_or(DOMNodeList())) {
            if (!nodes.contains(node))
                nodes.append(node);
        }
    }
    webview->showRelatedElementsBounds(nodes);
    webview->setDetectState(ExWebViewInterface::ElementLocked);
    if (!nodes.isEmpty())
        webview->scrollIntoView(nodes.constFirst().get());
}

void CSSOutlineDelegate::highlightSelectorNodes(const QString &selector)
{
    highlightSelectorsNodes({selector});
    if (ExWebViewInterface *webview = m_webview ? m_webview() : nullptr)
        webview->showDetectLayer();
}

void CSSOutlineDelegate::hideRelatedElementsBounds()
{
    if (ExWebViewInterface *webview = m_webview ? m_webview() : nullptr)
        webview->hideRelatedElementsBounds();
}

void CSSOutlineDelegate::highlightRelationWithAnimationName(const QString &name)
{
    if (name.isEmpty()) {
        hideRelatedElementsBounds();
        return;
    }
    QStringList selectors;
    for (const CSSRulePtr &row : getSelectorRulesByProperty(QStringLiteral("animation-name"), name)) {
        if (!selectors.contains(row->selectorName()))
            selectors.append(row->selectorName());
    }
    highlightSelectorsNodes(selectors);
}

void CSSOutlineDelegate::highlightRelation()
{
    const CSSRulePtr row = responsiveOwner();
    if (isSheetStyleRule(row))
        highlightSelectorNodes(row->selectorName());
}
