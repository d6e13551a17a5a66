// CSSOutlineDelegate: rules, media blocks and keyframes blocks created and
// removed, each in the page's sheet, the file's model and (through the
// write-back) its text at once, with undo.

#include "CSSOutlineDelegate.h"

#include "AddSelectorViewController.h"
#include "CSSCopyInfo.h"
#include "CSSSnippetDataSource.h"
#include "StyleSheetWriter.h"

#include "foundation/InspectUndoManager.h"
#include "platform/foundation/Log.h"
#include "platform/kit/Alert.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/cssom/DOMCSSStyleSheet.h"
#include "stylesheet/StringVendarPrefix.h"
#include "stylesheet/StyleDeclaration.h"
#include "workspace/AppConfig.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QRegularExpression>

using StringVendarPrefix::formalPropertyName;

namespace {

bool isLeadingStatement(const StyleDeclaration &declaration)
{
    // The model keeps a namespace statement's text after its "@" as its body.
    return declaration.type() == RuleType::Charset || declaration.type() == RuleType::Import
           || (declaration.type() == RuleType::Other
               && (declaration.selector().startsWith(QLatin1String("@namespace"))
                   || declaration.body().trimmed().startsWith(QLatin1String("namespace"))));
}

qsizetype indexIn(const QList<StyleDeclarationPtr> &list, const StyleDeclarationPtr &declaration)
{
    return declaration ? list.indexOf(declaration) : -1;
}

// Where a new top-level item goes in the list: after the anchor and its
// block's items, or after the leading @charset, @import and @namespace items.
qsizetype modelIndexAfter(const QList<StyleDeclarationPtr> &list, StyleDeclarationPtr afterAt)
{
    if (afterAt && afterAt->isInBraket() && afterAt->parentFile())
        afterAt = afterAt->parentFile()->getMediaOwner(*afterAt);
    qsizetype index = indexIn(list, afterAt);
    if (index < 0) {
        qsizetype position = 0;
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (list.at(i)->type() == RuleType::Comment)
                continue;
            if (!isLeadingStatement(*list.at(i)))
                break;
            position = i + 1;
        }
        return position;
    }
    ++index;
    while (index < list.size() && list.at(index)->isInBraket())
        ++index;
    return index;
}

// The top-level item before the one at index that the text keeps, or null.
StyleDeclarationPtr topLevelBefore(const QList<StyleDeclarationPtr> &list, qsizetype index)
{
    for (qsizetype i = index - 1; i >= 0; --i) {
        const StyleDeclarationPtr &entry = list.at(i);
        if (!entry->isInBraket() && !entry->isRemoved() && entry->type() != RuleType::Comment)
            return entry;
    }
    return nullptr;
}

// A block's items are numbered by the items between it and them.
void renumberChildren(const QList<StyleDeclarationPtr> &list, const StyleDeclarationPtr &block)
{
    const qsizetype at = list.indexOf(block);
    if (at < 0)
        return;
    qsizetype number = 0;
    for (qsizetype i = at + 1; i < list.size() && list.at(i)->isInBraket(); ++i) {
        if (list.at(i)->type() == RuleType::Comment)
            continue;
        if (list.at(i)->range().length == 0)
            list.at(i)->setChildIndex(number);
        ++number;
    }
}

StyleDeclarationPtr newDeclaration(int type, const QString &selector, const QString &body, File *file, bool inBlock)
{
    auto declaration = std::make_shared<StyleDeclaration>();
    declaration->setType(type);
    declaration->setSelector(selector);
    declaration->setParentFile(file);
    declaration->setBody(body, CSSRule::prefixSettingsOf(file));
    declaration->setInBraket(inBlock);
    declaration->setModified(true);
    return declaration;
}

// The top-level item of the selector (in any case) that the text keeps.
StyleDeclarationPtr topLevelWithSelector(const QList<StyleDeclarationPtr> &list, const QString &selector)
{
    for (const StyleDeclarationPtr &d : list) {
        if (d->type() != RuleType::Comment && !d->isRemoved() && !d->isInBraket()
            && d->selector().compare(selector, Qt::CaseInsensitive) == 0)
            return d;
    }
    return nullptr;
}

QString innerText(const CSSOutlineDelegate::InnerSelectors &inner)
{
    QString text;
    for (const QVariantMap &entry : inner)
        text += entry.value(QStringLiteral("selector")).toString() + u'{' + entry.value(QStringLiteral("body")).toString()
                + QStringLiteral("}\n");
    return text;
}

} // namespace

// --- Helpers -----------------------------------------------------------------------------------

bool CSSOutlineDelegate::isEmptyRuleBody(const QString &text)
{
    if (text.isNull())
        return true;
    static const QRegularExpression empty(QStringLiteral("media[^{]+\\{[\\s\\n]*\\}"));
    return empty.match(text).hasMatch();
}

QString CSSOutlineDelegate::insertDammyToEmptyRuleBody(const QString &text)
{
    QString result = text;
    result.replace(QStringLiteral("{ \n}"), QStringLiteral("{}"));
    result.replace(QStringLiteral("{}"), QStringLiteral("{*{}}"));
    return result;
}

QString CSSOutlineDelegate::generateAnimationTriggerBody(const StyleDeclaration &keyframes) const
{
    QString body;
    const QVariantMap defaults = ProjectUtil::defaultVendarPrefixProperties();
    for (const QVariantMap &snippet : CSSSnippetDataSource::snippetsInCategory()) {
        if (snippet.value(QStringLiteral("title")).toString() != QLatin1String(".animation_easy"))
            continue;
        for (const CSSPropertyPtr &property : CSSSnippetDataSource::propertiesFromSnippet(snippet)) {
            const QString formal = formalPropertyName(property->property());
            const QString name = defaults.contains(formal) ? QStringLiteral("-webkit-") + formal : formal;
            const QString value = formal == QLatin1String("animation-name") ? animationName(keyframes.selector()) : property->value();
            body += name + u':' + value + QStringLiteral(";\n");
        }
        break;
    }
    return body;
}

void CSSOutlineDelegate::alertDomException(const DOMCSSInsertion &exception, const QString &css)
{
    QString message;
    switch (exception.exceptionCode) {
    case 12:
        message = QStringLiteral("Selector \"%1\" is Invalid CSS Syntax.").arg(css);
        break;
    case 3:
        message = QStringLiteral("CSS Cannot Insert Error.\n%1").arg(css);
        break;
    case 1:
        message = QStringLiteral("CSS Insert Index Size Error.\n%1").arg(css);
        break;
    default:
        message = QStringLiteral("%1 %2").arg(css, exception.message);
        break;
    }
    cssOperationError(2, message);
    alertOK(message);
    if (InspectUndoManager *undo = undoManager())
        undo->reserveCloseGroupingAtEndOfRunLoop();
}

void CSSOutlineDelegate::alertOK(const QString &message)
{
    Alert alert;
    alert.setMessageText(message);
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.runModal(m_view);
}

int CSSOutlineDelegate::liveIndexAfter(File *file, const StyleDeclarationPtr &afterAt)
{
    const DOMCSSStyleSheetPtr sheet = styleSheetWithFile(file);
    if (!sheet)
        return 0;
    const QList<StyleDeclarationPtr> list = styleDeclarationsOf(file);
    StyleDeclarationPtr anchor = afterAt;
    if (anchor && anchor->isInBraket())
        anchor = file->getMediaOwner(*anchor);
    // The nearest item at or before the anchor with a rule in the page.
    for (qsizetype i = indexIn(list, anchor); i >= 0; --i) {
        const StyleDeclarationPtr &entry = list.at(i);
        if (entry->isInBraket() || entry->isRemoved() || entry->type() == RuleType::Comment)
            continue;
        if (const DOMCSSRulePtr rule = domCSSRuleByStyleDeclaration(entry)) {
            const int index = sheet->indexOfRule(rule);
            if (index >= 0)
                return index + 1;
        }
    }
    const DOMCSSRuleList rules = sheet->cssRules();
    int index = 0;
    while (index < rules.length()
           && (rules.item(index)->type() == DOMCSSRule::IMPORT_RULE || rules.item(index)->type() == DOMCSSRule::NAMESPACE_RULE
               || rules.item(index)->type() == DOMCSSRule::CHARSET_RULE))
        ++index;
    return index;
}

// --- Creating -----------------------------------------------------------------------------------

bool CSSOutlineDelegate::insertIntoPage(File *file, const QString &text, const StyleDeclarationPtr &afterAt, const QString &shown)
{
    const DOMCSSStyleSheetPtr sheet = styleSheetWithFile(file);
    if (!sheet) {
        QM_INFO(QStringLiteral("%1 is not a style sheet of the page; the rule goes into the file only").arg(file->path()));
        return true;
    }
    const DOMCSSInsertion inserted = sheet->insertRule(text, liveIndexAfter(file, afterAt));
    if (!inserted)
        alertDomException(inserted, shown);
    return inserted.isOk();
}

StyleDeclarationPtr CSSOutlineDelegate::createSelector(const QString &selector, const QString &body, File *file,
                                                       const StyleDeclarationPtr &afterAt)
{
    if (!file)
        return nullptr;
    QList<StyleDeclarationPtr> list = styleDeclarationsOf(file);
    const QString text = selector + QStringLiteral(" {") + body + u'}';
    // A refusal quotes the rule as the file would take it, its line break included.
    if (!insertIntoPage(file, text, afterAt, text + u'\n'))
        return nullptr;
    const StyleDeclarationPtr declaration = newDeclaration(RuleType::Style, selector, body, file, false);
    const qsizetype at = modelIndexAfter(list, afterAt);
    declaration->setStyleIndex(at);
    list.insert(at, declaration);
    file->setStyleDeclarations(list);
    if (InspectUndoManager *undo = undoManager())
        undo->prepareWithInvocationTarget(this, [this, declaration] { doRemoveSelector(declaration); });
    m_shownStyleDeclaration = declaration;
    if (m_displaySelectorType != StyleDeclarationRule)
        reloadRuleList(1);
    applyContentToFile(file);
    return declaration;
}

StyleDeclarationPtr CSSOutlineDelegate::createSelectorBodyInMediaAfterAt(const QString &selector, const QString &body,
                                                                          const StyleDeclarationPtr &media,
                                                                          const StyleDeclarationPtr &afterAt)
{
    File *file = media ? media->parentFile() : nullptr;
    if (!file)
        return nullptr;
    QList<StyleDeclarationPtr> list = styleDeclarationsOf(file);
    const QList<StyleDeclarationPtr> children = file->getMediaChildren(*media);
    const QString text = selector + QStringLiteral(" {") + body + u'}';
    if (const DOMCSSRulePtr live = domCSSRuleByStyleDeclaration(media)) {
        // After the nearest earlier rule of the block that the page has.
        int index = 0;
        for (qsizetype i = children.indexOf(afterAt); i >= 0; --i) {
            const DOMCSSRulePtr rule = domCSSRuleByStyleDeclaration(children.at(i));
            if (rule && live->indexOfRule(rule) >= 0) {
                index = live->indexOfRule(rule) + 1;
                break;
            }
        }
        const DOMCSSInsertion inserted = live->insertRule(text, index);
        if (!inserted) {
            alertDomException(inserted, u'\n' + AppConfig::getInstance()->indent() + text + u'\n');
            return nullptr;
        }
    } else {
        QM_INFO(QStringLiteral("%1 has no rule in the page; the rule goes into the file only").arg(media->selector()));
    }
    const StyleDeclarationPtr child = newDeclaration(RuleType::Style, selector, body, file, true);
    // After the anchor and, for a block nested there, after its items.
    qsizetype anchor = afterAt && children.contains(afterAt) ? list.indexOf(afterAt) : list.indexOf(media);
    if (afterAt && children.contains(afterAt) && afterAt->type() != RuleType::Style) {
        QList<StyleDeclarationPtr> inner = file->getMediaChildren(*afterAt);
        while (!inner.isEmpty()) {
            const StyleDeclarationPtr last = inner.last();
            anchor = std::max(anchor, list.indexOf(last));
            inner = last->type() == RuleType::Style ? QList<StyleDeclarationPtr>() : file->getMediaChildren(*last);
        }
    }
    list.insert(anchor + 1, child);
    renumberChildren(list, media);
    file->setStyleDeclarations(list);
    media->setModified(true);
    if (InspectUndoManager *undo = undoManager())
        undo->prepareWithInvocationTarget(this, [this, child] { doRemoveSelector(child); });
    m_shownStyleDeclaration = media;
    if (m_displaySelectorType != StyleDeclarationRule)
        reloadRuleList(2);
    applyContentToFile(file);
    return child;
}

StyleDeclarationPtr CSSOutlineDelegate::createBlock(int type, const QString &selector, const InnerSelectors &inner, File *file,
                                                    const StyleDeclarationPtr &afterAt, const QString &shown)
{
    QList<StyleDeclarationPtr> list = styleDeclarationsOf(file);
    const QString body = innerText(inner);
    // An empty block goes in as it is.
    if (!insertIntoPage(file, selector + QStringLiteral(" {") + body + u'}', afterAt, shown))
        return nullptr;
    const StyleDeclarationPtr block = newDeclaration(type, selector, body, file, false);
    qsizetype at = modelIndexAfter(list, afterAt);
    block->setStyleIndex(at);
    list.insert(at, block);
    const int childType = type == RuleType::Keyframes ? RuleType::Keyframe : RuleType::Style;
    for (const QVariantMap &entry : inner)
        list.insert(++at, newDeclaration(childType, entry.value(QStringLiteral("selector")).toString(),
                                         entry.value(QStringLiteral("body")).toString(), file, true));
    renumberChildren(list, block);
    file->setStyleDeclarations(list);
    if (InspectUndoManager *undo = undoManager())
        undo->prepareWithInvocationTarget(this, [this, block] { doRemoveSelector(block); });
    if (m_displaySelectorType != StyleDeclarationRule)
        reloadRuleList(2);
    applyContentToFile(file);
    return block;
}

StyleDeclarationPtr CSSOutlineDelegate::createMediaSelector(const QString &selector, const InnerSelectors &inner, File *file,
                                                            const StyleDeclarationPtr &afterAt)
{
    if (!file)
        return nullptr;
    const StyleDeclarationPtr same = topLevelWithSelector(styleDeclarationsOf(file), selector);
    if (same && !m_responsiveInsertPending) {
        alertOK(QStringLiteral("\"%1\"\nis Already exists.").arg(selector));
        return nullptr;
    }
    if (same) {
        // "Add To Responsive": the rules go into the block there is.
        m_responsiveInsertPending = false;
        for (const QVariantMap &entry : inner) {
            const QList<StyleDeclarationPtr> children = file->getMediaChildren(*same);
            if (!createSelectorBodyInMediaAfterAt(entry.value(QStringLiteral("selector")).toString(),
                                                  entry.value(QStringLiteral("body")).toString(), same,
                                                  children.isEmpty() ? nullptr : children.last()))
                return nullptr;
        }
        m_shownStyleDeclaration = same;
        return same;
    }
    const StyleDeclarationPtr block = createBlock(RuleType::Media, selector, inner, file, afterAt, selector);
    if (block)
        m_shownStyleDeclaration = block;
    return block;
}

StyleDeclarationPtr CSSOutlineDelegate::createKeyframesSelector(const QString &selector, const InnerSelectors &inner, File *file,
                                                                const StyleDeclarationPtr &afterAt)
{
    if (!file)
        return nullptr;
    // After an unprefixed block, its "-webkit-" twin is the anchor.
    StyleDeclarationPtr anchor = afterAt;
    if (anchor && anchor->type() == RuleType::Keyframes && !anchor->selector().startsWith(QLatin1String("@-"))) {
        for (const StyleDeclarationPtr &twin : file->keyframesDeclarationsWithSameName(*anchor)) {
            if (!twin->isRemoved() && twin->selector().startsWith(QLatin1String("@-webkit"))) {
                anchor = twin;
                break;
            }
        }
    }
    const QString shown = QString(selector).remove(QStringLiteral("-webkit-"));
    if (topLevelWithSelector(styleDeclarationsOf(file), selector)) {
        alertOK(QStringLiteral("\"%1\"\nis Already exists.").arg(shown));
        return nullptr;
    }
    const StyleDeclarationPtr block = createBlock(RuleType::Keyframes, selector, inner, file, anchor, shown);
    refreshTimeline();
    return block;
}

StyleDeclarationPtr CSSOutlineDelegate::doAddSelector(const SelectorRequest &request)
{
    File *file = request.selectedFile;
    InspectUndoManager *undo = undoManager();
    const StyleDeclarationPtr anchor = request.anchor;
    File *anchorFile = anchor ? anchor->parentFile() : nullptr;
    const StyleDeclarationPtr owner = anchor && anchor->isInBraket() && anchorFile ? anchorFile->getMediaOwner(*anchor) : nullptr;
    StyleDeclarationPtr created;
    switch (request.type) {
    case SelectorRequest::StyleRule: {
        QString body = request.presetBody;
        if (request.cssCopyInfo && !request.cssCopyInfo->declarations().isEmpty()) {
            if (undo)
                undo->setActionName(QStringLiteral("Duplicate Selector"));
            StyleSheetWriter writer(StyleSheetWriterSettings::fromConfig(settingsOf(file)));
            body = writer.generatePropertyText(*request.cssCopyInfo->declarations().first(), AppConfig::getInstance()->indent());
        } else if (undo) {
            undo->setActionName(QStringLiteral("Insert Selector"));
        }
        if (owner && owner->type() == RuleType::Keyframes)
            break;
        if (owner)
            created = createSelectorBodyInMediaAfterAt(request.selectorName, body, owner, anchor);
        else if (anchor && anchor->type() == RuleType::Media && !request.cssCopyInfo)
            created = createSelectorBodyInMediaAfterAt(request.selectorName, body, anchor, nullptr);
        else
            created = createSelector(request.selectorName, body, file, anchor);
        break;
    }
    case SelectorRequest::MediaRule: {
        InnerSelectors inner;
        if (request.cssCopyInfo) {
            for (const StyleDeclarationPtr &declaration : request.cssCopyInfo->declarations()) {
                if (declaration->isInBraket())
                    inner.append({{QStringLiteral("selector"), declaration->selector()}, {QStringLiteral("body"), declaration->body()}});
            }
        } else {
            inner.append({{QStringLiteral("selector"), QStringLiteral("body")},
                          {QStringLiteral("body"), QStringLiteral("background-color:#FFFFFF;")}});
        }
        created = createMediaSelector(request.selectorName, inner, file, owner ? owner : anchor);
        if (created && undo)
            undo->setActionName(QStringLiteral("Insert Media"));
        break;
    }
    case SelectorRequest::KeyframesRule: {
        if (!file)
            break;
        QString name = request.selectorName.simplified();
        if (!AddSelectorViewController::isValidAnimationName(animationName(name))) {
            alertOK(QStringLiteral("\"%1\" is no animation name.").arg(animationName(name)));
            break;
        }
        // A name that another block uses, whatever its prefix, gets "_copy".
        const auto taken = [file](const QString &candidate) {
            const QString wanted = animationName(candidate);
            const QList<StyleDeclarationPtr> blocks = file->keyframesDeclarations();
            return std::any_of(blocks.cbegin(), blocks.cend(), [&wanted](const StyleDeclarationPtr &d) {
                return !d->isRemoved() && animationName(d->selector()).compare(wanted, Qt::CaseInsensitive) == 0;
            });
        };
        while (taken(name))
            name += QStringLiteral("_copy");
        // Blocks of that name that were removed go for good, with undo.
        const QList<StyleDeclarationPtr> before = styleDeclarationsOf(file);
        QList<StyleDeclarationPtr> purged;
        for (const StyleDeclarationPtr &block : file->keyframesDeclarations()) {
            if (!block->isRemoved() || animationName(block->selector()) != animationName(name))
                continue;
            purged.append(block);
            for (qsizetype i = before.indexOf(block) + 1; i < before.size() && before.at(i)->isInBraket(); ++i)
                purged.append(before.at(i));
        }
        if (!purged.isEmpty()) {
            QList<StyleDeclarationPtr> kept = before;
            for (const StyleDeclarationPtr &gone : std::as_const(purged))
                kept.removeOne(gone);
            file->setStyleDeclarations(kept);
            QPointer<File> target = file;
            if (undo)
                undo->prepareWithInvocationTarget(this, [target, before] {
                    if (target)
                        target->setStyleDeclarations(before);
                });
        }
        InnerSelectors keyframes = request.presetKeyframes;
        if (keyframes.isEmpty())
            keyframes = {{{QStringLiteral("selector"), QStringLiteral("0%")}, {QStringLiteral("body"), QString()}},
                         {{QStringLiteral("selector"), QStringLiteral("100%")}, {QStringLiteral("body"), QString()}}};
        created = createKeyframesSelector(name, keyframes, file, owner ? owner : anchor);
        if (!created)
            break;
        if (undo)
            undo->setActionName(QStringLiteral("Insert Keyframes"));
        // The class that plays the animation follows the block.
        createSelector(u'.' + animationName(name), generateAnimationTriggerBody(*created), file, created);
        break;
    }
    default:
        break;
    }
    m_shownStyleDeclaration = created;
    return created;
}

StyleDeclarationPtr CSSOutlineDelegate::doAddSelectorInParentAfterAtInnerSelectors(const StyleDeclarationPtr &templateDeclaration,
                                                                                    File *parentFile,
                                                                                    const StyleDeclarationPtr &parentBlock,
                                                                                    const StyleDeclarationPtr &afterAt,
                                                                                    const InnerSelectors &inner)
{
    if (!templateDeclaration)
        return nullptr;
    const int type = templateDeclaration->type();
    if (parentFile && !parentBlock) {
        if (type == RuleType::Media)
            return createMediaSelector(templateDeclaration->selector(), inner, parentFile, afterAt);
        if (type == RuleType::Keyframes) {
            QString selector = templateDeclaration->selector();
            if (!selector.startsWith(QLatin1String("@-webkit-")))
                selector.replace(QStringLiteral("@keyframes"), QStringLiteral("@-webkit-keyframes"));
            return createKeyframesSelector(selector, inner, parentFile, afterAt);
        }
        return createSelector(templateDeclaration->selector(), templateDeclaration->generateBodyForDom(), parentFile, afterAt);
    }
    if (!parentBlock)
        return nullptr;
    if (type == RuleType::Style || type == RuleType::MediaStyle)
        return createSelectorBodyInMediaAfterAt(templateDeclaration->selector(), templateDeclaration->generateBodyForDom(),
                                                parentBlock, afterAt);
    if (type == RuleType::Keyframe) {
        const StyleDeclarationPtr keyframe = createNewKeyframe(templateDeclaration->selector());
        keyframe->setParentFile(parentBlock->parentFile());
        return doAddKeyframeTo(parentBlock, keyframe, templateDeclaration->generateBodyForDom());
    }
    return nullptr;
}

// --- Removing -------------------------------------------------------------------------------------

namespace {

// One item taken out: with the items of its block and its rule in the page.
struct RemovedItem
{
    StyleDeclarationPtr declaration;
    QList<StyleDeclarationPtr> children;
    DOMCSSRulePtr rule;
    // Where the rule stood: its block's rule (null for its sheet), its index there.
    DOMCSSRulePtr parent;
    int index = -1;
};

void setRemoved(const RemovedItem &item, bool removed)
{
    item.declaration->setRemoved(removed);
    item.declaration->setModified(true);
    for (const StyleDeclarationPtr &child : item.children) {
        child->setRemoved(removed);
        child->setModified(true);
    }
}

} // namespace

void CSSOutlineDelegate::doRemoveSelector(const StyleDeclarationPtr &declaration)
{
    File *file = declaration ? declaration->parentFile() : nullptr;
    if (!file || declaration->isRemoved())
        return;
    styleDeclarationsOf(file);
    const StyleDeclarationPtr owner = declaration->isInBraket() ? file->getMediaOwner(*declaration) : nullptr;
    // A keyframes block goes with every block of its name.
    QList<StyleDeclarationPtr> targets{declaration};
    if (declaration->type() == RuleType::Keyframes) {
        for (const StyleDeclarationPtr &twin : file->keyframesDeclarationsWithSameName(*declaration)) {
            if (twin != declaration && !twin->isRemoved())
                targets.append(twin);
        }
    }
    QList<RemovedItem> items;
    for (const StyleDeclarationPtr &target : std::as_const(targets)) {
        // A block goes with its items and those of the blocks nested in it.
        QList<StyleDeclarationPtr> inside;
        for (QList<StyleDeclarationPtr> blocks{target}; !blocks.isEmpty();) {
            const StyleDeclarationPtr block = blocks.takeFirst();
            if (block->type() != RuleType::Media && block->type() != RuleType::Keyframes && block->type() != RuleType::Supports)
                continue;
            const QList<StyleDeclarationPtr> children = file->getMediaChildren(*block);
            inside += children;
            blocks += children;
        }
        items.append({target, inside, domCSSRuleByStyleDeclaration(target), nullptr, -1});
    }
    // The page first: a refusal leaves everything as it was.
    QList<std::pair<DOMCSSRulePtr, std::pair<DOMCSSRulePtr, int>>> deleted;
    const DOMCSSStyleSheetPtr sheet = styleSheetWithFile(file);
    for (RemovedItem &item : items) {
        if (!item.rule) {
            QM_INFO(QStringLiteral("%1 has no rule in the page; it goes from the file only").arg(item.declaration->selector()));
            continue;
        }
        const DOMCSSRulePtr parent = item.rule->parentRule();
        const DOMCSSStyleSheetPtr parentSheet = item.rule->parentStyleSheet();
        const int index = parent ? parent->indexOfRule(item.rule) : parentSheet ? parentSheet->indexOfRule(item.rule) : -1;
        if (index < 0)
            continue;
        const DOMCSSInsertion done = parent ? parent->deleteRule(index) : parentSheet->deleteRule(index);
        if (!done) {
            // Put back what went, without a trace.
            for (auto it = deleted.crbegin(); it != deleted.crend(); ++it) {
                const auto &[rule, where] = *it;
                if (where.first)
                    where.first->insertRule(rule, where.second);
                else if (sheet)
                    sheet->insertRule(rule, where.second);
            }
            alertDomException(done, item.rule->cssText());
            return;
        }
        deleted.append({item.rule, {parent, index}});
        item.parent = parent;
        item.index = index;
    }
    for (const RemovedItem &item : std::as_const(items))
        setRemoved(item, true);
    if (owner)
        owner->setModified(true);
    if (InspectUndoManager *undo = undoManager()) {
        undo->prepareWithInvocationTarget(this, [this, items, owner] {
            // Back into the page one at a time, each after the item before it.
            QList<DOMCSSRulePtr> inserted;
            for (const RemovedItem &item : items) {
                setRemoved(item, false);
                if (!item.rule)
                    continue;
                File *itemFile = item.declaration->parentFile();
                const QList<StyleDeclarationPtr> list = itemFile->styleDeclarations().value_or(QList<StyleDeclarationPtr>());
                DOMCSSInsertion done;
                if (!list.contains(item.declaration)) {
                    // An item of a model the text was read again over (typed
                    // into since) has no place in the model there is: its
                    // rule goes back where it stood, the page being as the
                    // removal left it (#84).
                    const DOMCSSStyleSheetPtr liveSheet = styleSheetWithFile(itemFile);
                    done = item.parent ? item.parent->insertRule(item.rule, item.index)
                           : liveSheet ? liveSheet->insertRule(item.rule, item.index)
                                       : DOMCSSInsertion::failure(3, QString());
                } else if (owner) {
                    const DOMCSSRulePtr live = domCSSRuleByStyleDeclaration(owner);
                    const QList<StyleDeclarationPtr> siblings = itemFile->getMediaChildren(*owner);
                    int index = 0;
                    for (qsizetype i = siblings.indexOf(item.declaration) - 1; live && i >= 0; --i) {
                        const DOMCSSRulePtr rule = domCSSRuleByStyleDeclaration(siblings.at(i));
                        if (rule && live->indexOfRule(rule) >= 0) {
                            index = live->indexOfRule(rule) + 1;
                            break;
                        }
                    }
                    done = live ? live->insertRule(item.rule, index) : DOMCSSInsertion::failure(3, QString());
                } else if (const DOMCSSStyleSheetPtr liveSheet = styleSheetWithFile(itemFile)) {
                    const StyleDeclarationPtr before = topLevelBefore(list, list.indexOf(item.declaration));
                    done = liveSheet->insertRule(item.rule, before ? liveIndexAfter(itemFile, before) : liveIndexAfter(itemFile, nullptr));
                } else {
                    done = DOMCSSInsertion::failure(3, QString());
                }
                if (!done) {
                    for (const DOMCSSRulePtr &rule : std::as_const(inserted)) {
                        if (const DOMCSSRulePtr parent = rule->parentRule())
                            parent->removeRuleByRule(rule);
                        else if (const DOMCSSStyleSheetPtr parentSheet = rule->parentStyleSheet())
                            parentSheet->removeRuleByRule(rule);
                    }
                    for (const RemovedItem &each : items)
                        setRemoved(each, true);
                    alertDomException(done, item.rule->cssText());
                    return;
                }
                inserted.append(item.rule);
                keepLiveRule(item.declaration, item.rule);
            }
            redoCreateSelector(items.first().declaration, items.first().children);
        });
    }
    if (declaration->type() == RuleType::Keyframes)
        replayAnimation(animationName(declaration->selector()));
    if (m_shownStyleDeclaration == declaration)
        m_shownStyleDeclaration = owner;
    applyContentToFile(file);
    if (m_displaySelectorType != StyleDeclarationRule)
        reloadRuleList(1);
    if (declaration->type() == RuleType::Keyframes)
        refreshTimeline();
}

void CSSOutlineDelegate::redoCreateSelector(const StyleDeclarationPtr &declaration, const QList<StyleDeclarationPtr> &children)
{
    File *file = declaration ? declaration->parentFile() : nullptr;
    if (!file)
        return;
    if (InspectUndoManager *undo = undoManager())
        undo->prepareWithInvocationTarget(this, [this, declaration] { doRemoveSelector(declaration); });
    declaration->setModified(true);
    declaration->setRemoved(false);
    for (const StyleDeclarationPtr &child : children)
        child->setRemoved(false);
    if (declaration->type() == RuleType::Keyframes)
        replayAnimation(animationName(declaration->selector()));
    if (declaration->isInBraket()) {
        if (const StyleDeclarationPtr owner = file->getMediaOwner(*declaration))
            owner->setModified(true);
    }
    m_shownStyleDeclaration = declaration;
    if (m_displaySelectorType != StyleDeclarationRule)
        reloadRuleList(2);
    applyContentToFile(file);
    if (declaration->type() == RuleType::Keyframes)
        refreshTimeline();
}

void CSSOutlineDelegate::doRemoveSelectorByStyleDeclaration(const StyleDeclarationPtr &declaration)
{
    if (!declaration)
        return;
    if (declaration->type() == RuleType::Keyframe) {
        File *file = declaration->parentFile();
        if (const StyleDeclarationPtr owner = file ? file->getMediaOwner(*declaration) : nullptr)
            doRemoveKeyframeFrom(owner, declaration);
        return;
    }
    doRemoveSelector(declaration);
}
