// StyleSheetsManagerDelegate: edits of the listed rules.

#include "StyleSheetsManagerDelegate.h"

#include "ControlSelectorValidator.h"

#include "cssrules/CSSCopyInfo.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "cssrules/CSSRule.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/Log.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QMenu>

namespace {

void setActionName(const QString &name)
{
    if (InspectUndoManager *undo = File::sharedUndoManager())
        undo->setActionName(name);
}

bool isRemovable(int type)
{
    return type == RuleType::Style || type == RuleType::Media || type == RuleType::Keyframes
           || type == RuleType::Keyframe || type == RuleType::MediaStyle;
}

bool isCopyable(int type)
{
    return type == RuleType::Style || type == RuleType::Media || type == RuleType::Keyframes
           || type == RuleType::MediaStyle;
}

} // namespace

void StyleSheetsManagerDelegate::removeSelected(const QString &actionName)
{
    if (!m_rules || !m_view)
        return;
    const int first = m_selectorListView->selectedRow();
    QList<StyleDeclarationPtr> chosen;
    for (const StyleDeclarationPtr &declaration : selectedDeclarations()) {
        if (isRemovable(declaration->type()))
            chosen.append(declaration);
    }
    if (chosen.isEmpty())
        return;
    // One undo step for every rule removed: the group stays open to the end of this turn.
    setActionName(actionName);
    for (const StyleDeclarationPtr &declaration : chosen)
        m_rules->doRemoveSelectorByStyleDeclaration(declaration);
    refreshSelectorList();
    // The row that moved up into the place is chosen next.
    QTimer::singleShot(100, this, [this, first] {
        if (m_view && first >= 0 && first < m_selectorListView->numberOfRows())
            m_selectorListView->selectRowIndexes({first}, false);
    });
}

std::optional<CSSOutlineDelegate::CopyInfos> StyleSheetsManagerDelegate::copyInfosOfSelection() const
{
    CSSOutlineDelegate::CopyInfos infos;
    if (!m_rules)
        return std::nullopt;
    for (const StyleDeclarationPtr &declaration : selectedDeclarations()) {
        if (!isCopyable(declaration->type()))
            continue;
        // A rule the panel does not know ends the copy; the clipboard stays.
        const CSSRulePtr node = m_rules->cssRuleByStyleDeclaration(declaration);
        if (!node) {
            QM_INFO(QStringLiteral("%1 was not copied: the page has no such rule").arg(declaration->selector()));
            return std::nullopt;
        }
        infos.append(CSSCopyInfo::initWithRule(node));
    }
    if (infos.isEmpty())
        return std::nullopt;
    return infos;
}

QList<StyleSheetsManagerDelegate::CopiedRule> StyleSheetsManagerDelegate::copiedRules() const
{
    // The clipboard is the rules panel's: rules copied there paste here too.
    QList<CopiedRule> rules;
    if (!m_rules)
        return rules;
    for (const std::shared_ptr<CSSCopyInfo> &info : m_rules->copyInfos()) {
        if (!info || info->property() || info->declarations().isEmpty())
            continue;
        const QList<StyleDeclarationPtr> &parsed = info->declarations();
        CopiedRule rule;
        for (const StyleDeclarationPtr &declaration : parsed) {
            if (declaration->type() == RuleType::Comment || declaration->isRemoved())
                continue;
            if (!rule.declaration && !declaration->isInBraket())
                rule.declaration = declaration;
            else if (rule.declaration && declaration->isInBraket())
                rule.inner.append(QVariantMap{{QStringLiteral("selector"), declaration->selector()},
                                              {QStringLiteral("body"), declaration->generateBodyForDom()}});
        }
        if (rule.declaration)
            rules.append(rule);
    }
    return rules;
}

void StyleSheetsManagerDelegate::copy()
{
    if (const std::optional<CSSOutlineDelegate::CopyInfos> infos = copyInfosOfSelection())
        m_rules->setCopyInfos(*infos);
}

void StyleSheetsManagerDelegate::cut()
{
    // Every rule is copied before any is removed.
    const std::optional<CSSOutlineDelegate::CopyInfos> infos = copyInfosOfSelection();
    if (!infos)
        return;
    m_rules->setCopyInfos(*infos);
    removeSelected(QStringLiteral("Cut Selector"));
}

void StyleSheetsManagerDelegate::paste()
{
    if (!m_view || !m_rules)
        return;
    const Row *target = rowAt(m_selectorListView->selectedRow());
    if (!target)
        return;
    // Copied declarations go into the chosen rule.
    const CSSOutlineDelegate::CopyInfos infos = m_rules->copyInfos();
    if (!infos.isEmpty() && infos.first() && infos.first()->property()) {
        if (!target->declaration || !isCopyable(target->declaration->type()))
            return;
        setActionName(QStringLiteral("Copy Declaration"));
        for (const std::shared_ptr<CSSCopyInfo> &info : infos) {
            if (info && info->property())
                m_rules->doAddDeclaration(target->declaration, info->property()->property(), info->property()->value());
        }
        refreshSelectorList();
        return;
    }
    pasteAfter(copiedRules(), target, QStringLiteral("Paste Selector"));
}

void StyleSheetsManagerDelegate::duplicate()
{
    const QList<Row *> selected = selectorListSelection();
    if (selected.isEmpty() || !selected.last()->declaration)
        return;
    QList<CopiedRule> copies;
    for (const StyleDeclarationPtr &declaration : selectedDeclarations()) {
        if (isCopyable(declaration->type()))
            copies.append({declaration->copy(), declaration->getInnerSelectors().value_or(QList<QVariantMap>())});
    }
    pasteAfter(copies, selected.last(), QStringLiteral("Duplicate Selector"));
}

bool StyleSheetsManagerDelegate::pasteAfter(const QList<CopiedRule> &copies, const Row *target, const QString &actionName)
{
    if (copies.isEmpty() || !target || !m_rules)
        return false;
    // Onto a style sheet: first in it. Onto an @media block: first in the
    // block. Onto a rule: after it, in its block when it is in one.
    File *file = target->file ? target->file.data() : target->declaration->parentFile();
    if (!file)
        return false;
    StyleDeclarationPtr block;
    StyleDeclarationPtr after;
    if (target->declaration) {
        if (target->declaration->type() == RuleType::Media) {
            block = target->declaration;
        } else {
            block = target->declaration->isInBraket() ? file->getMediaOwner(*target->declaration) : nullptr;
            after = target->declaration;
        }
    }
    setActionName(actionName);
    bool pasted = false;
    for (const CopiedRule &copied : copies) {
        if (block && copied.declaration->type() != RuleType::Style && copied.declaration->type() != RuleType::MediaStyle)
            continue;
        if (const StyleDeclarationPtr made = m_rules->doAddSelectorInParentAfterAtInnerSelectors(
                copied.declaration, block ? nullptr : file, block, after, copied.inner)) {
            after = made;
            pasted = true;
        }
    }
    refreshSelectorList();
    if (pasted)
        selectItemFromRule(after);
    return pasted;
}

QString StyleSheetsManagerDelegate::normalizedSelectorName(const QString &text)
{
    return ControlSelectorValidator::normalizedSelector(text.simplified());
}

bool StyleSheetsManagerDelegate::renameRule(const StyleDeclarationPtr &target, const QString &text)
{
    // A copy: the caller's may live in a row that the rebuild below frees.
    const StyleDeclarationPtr declaration = target;
    File *file = declaration ? declaration->parentFile() : nullptr;
    if (!file || !m_rules)
        return false;
    const int type = declaration->type();
    if (type != RuleType::Style && type != RuleType::MediaStyle && type != RuleType::Media && type != RuleType::Keyframes)
        return false;
    // A keyframes row shows its name without the prefix.
    const QString shown = type == RuleType::Keyframes
                              ? QString(declaration->selector()).replace(QStringLiteral("@-webkit-"), QStringLiteral("@"))
                              : declaration->selector();
    if (text == shown)
        return false;
    const QString name = normalizedSelectorName(text);
    if (name.isEmpty() || name == declaration->selector())
        return false;
    if (type == RuleType::Style || type == RuleType::MediaStyle) {
        // A style rule keeps its place and its text: only the selector changes.
        setActionName(QStringLiteral("Rename Selector"));
        if (!m_rules->doRenameSelector(declaration, name)) {
            QM_INFO(QStringLiteral("%1 was not renamed to %2").arg(declaration->selector(), name));
            refreshListWithCurrentItem();
            return false;
        }
        refreshSelectorList();
        selectItemFromRule(declaration);
        return true;
    }
    // A block is made anew with its rules, and the old one goes.
    const std::optional<StyleDeclarationPtr> before = itemBefore(declaration);
    if (!before) {
        QM_INFO(QStringLiteral("%1 was not renamed: it is no longer in its style sheet").arg(declaration->selector()));
        refreshSelectorList();
        return false;
    }
    const StyleDeclarationPtr block = declaration->isInBraket() ? file->getMediaOwner(*declaration) : nullptr;
    const QList<QVariantMap> inner = declaration->getInnerSelectors().value_or(QList<QVariantMap>());
    StyleDeclarationPtr replacement = declaration->copy();
    replacement->setSelector(name);
    const auto add = [&](const StyleDeclarationPtr &rule) {
        return m_rules->doAddSelectorInParentAfterAtInnerSelectors(rule, block ? nullptr : file, block, *before, inner);
    };
    setActionName(QStringLiteral("Rename Selector"));
    m_rules->setDisplaySelectorType(4);
    StyleDeclarationPtr renamed;
    const bool caseOnly = name.toLower() == QString(declaration->selector()).remove(QStringLiteral("-webkit-")).toLower();
    if (caseOnly) {
        // The page holds a block of a name once: the old one leaves first and
        // comes back where it was when the page refuses the new name.
        m_inChange = true;
        m_rules->doRemoveSelectorByStyleDeclaration(declaration);
        m_inChange = false;
        renamed = add(replacement);
        if (!renamed)
            add(declaration->copy());
    } else {
        // The new rule goes in first, before the old one: when the page
        // refuses it (the panel says why), the old rule is still there.
        renamed = add(replacement);
        if (renamed) {
            m_inChange = true;
            m_rules->doRemoveSelectorByStyleDeclaration(declaration);
            m_inChange = false;
        }
    }
    if (!renamed) {
        QM_INFO(QStringLiteral("%1 was not renamed to %2: the page refused it").arg(declaration->selector(), name));
        refreshListWithCurrentItem();
        return false;
    }
    refreshSelectorList();
    selectItemFromRule(renamed);
    return true;
}

std::optional<StyleDeclarationPtr> StyleSheetsManagerDelegate::itemBefore(const StyleDeclarationPtr &declaration) const
{
    File *file = declaration ? declaration->parentFile() : nullptr;
    if (!file)
        return std::nullopt;
    const StyleDeclarationPtr block = declaration->isInBraket() ? file->getMediaOwner(*declaration) : nullptr;
    const QList<StyleDeclarationPtr> siblings = block ? file->getMediaChildren(*block) : listedTopLevel(file);
    StyleDeclarationPtr before;
    for (const StyleDeclarationPtr &item : siblings) {
        if (item == declaration)
            return before;
        if (!item->isRemoved() && item->type() != RuleType::Comment)
            before = item;
    }
    return std::nullopt;
}

bool StyleSheetsManagerDelegate::validateMenuItem(const QString &title) const
{
    const Row *row = rowAt(m_selectorListView->clickedRow());
    if (title == QLatin1String("Paste"))
        return m_rules && !m_rules->copyInfos().isEmpty() && (!row || !selectorListSelection().isEmpty());
    if (!row)
        return !selectorListSelection().isEmpty();
    if (row->file)
        return false;
    switch (row->declaration->type()) {
    case RuleType::Style:
    case RuleType::Keyframes:
    case RuleType::MediaStyle:
        return true;
    case RuleType::Media:
        return !title.startsWith(QLatin1String("Duplicate"));
    default:
        return false;
    }
}

void StyleSheetsManagerDelegate::buildContextMenu()
{
    auto *menu = new QMenu(m_selectorListView);
    menu->setObjectName(QStringLiteral("styleSheetsManagerMenu"));
    const QList<QPair<QString, std::function<void()>>> commands = {
        {QStringLiteral("Cut"), [this] { cut(); }},
        {QStringLiteral("Copy"), [this] { copy(); }},
        {QStringLiteral("Paste"), [this] { paste(); }},
        {QStringLiteral("Duplicate"), [this] { duplicate(); }},
        {QString(), {}},
        {QStringLiteral("Remove"), [this] { removeSelected(); }},
    };
    QList<QAction *> items;
    for (const auto &[title, run] : commands) {
        if (title.isEmpty()) {
            menu->addSeparator();
            continue;
        }
        QAction *item = menu->addAction(title);
        connect(item, &QAction::triggered, this, run);
        items.append(item);
    }
    connect(menu, &QMenu::aboutToShow, this, [this, items] {
        // The row under the click joins the selection it is not in.
        const int clicked = m_selectorListView->clickedRow();
        if (clicked >= 0 && !m_selectorListView->selectedRowIndexes().contains(clicked))
            m_selectorListView->selectRowIndexes({clicked}, false);
        for (QAction *item : items)
            item->setEnabled(validateMenuItem(item->text()));
    });
    m_selectorListView->setMenu(menu);
}
