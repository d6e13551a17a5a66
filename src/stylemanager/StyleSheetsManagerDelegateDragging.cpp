// StyleSheetsManagerDelegate: rules dragged within the list, snippets and
// words dropped onto it.

#include "StyleSheetsManagerDelegate.h"

#include "cssrules/CSSOutlineDelegate.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/Log.h"
#include "platform/kit/Alert.h"
#include "stylesheet/StyleSheetParser.h"
#include "toolkit/DragPayload.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QMimeData>
#include <QTimer>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextEdit>

namespace {

constexpr char kStyleDeclarationDrag[] = "StyleDeclarationDrag";

bool isBlockType(int type)
{
    return type == RuleType::Media || type == RuleType::Keyframes;
}

// The style-sheet text of a "DomNodeDragCopy" snippet of category "CSS".
std::optional<QString> snippetContent(const QMimeData *mime)
{
    const std::optional<QVariant> value = DragPayload::domNodeDragCopy(mime);
    if (!value || value->typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap map = value->toMap();
    if (map.value(QStringLiteral("category")).toString() != QLatin1String("CSS"))
        return std::nullopt;
    const QString content = map.value(QStringLiteral("content")).toString();
    if (StyleSheetParser::parseStyleSheet(content).isEmpty())
        return std::nullopt;
    return content;
}

// The rules nested in the parsed block at index: those that follow it while
// inside braces, comments left out.
QList<QVariantMap> nestedRulesInSnippet(const QList<StyleDeclarationPtr> &parsed, int index)
{
    QList<QVariantMap> inner;
    for (int i = index + 1; i < parsed.size() && parsed[i]->isInBraket(); ++i) {
        const StyleDeclarationPtr &child = parsed[i];
        if (child->type() == RuleType::Comment || child->isRemoved())
            continue;
        inner.append(QVariantMap{{QStringLiteral("selector"), child->selector()},
                                 {QStringLiteral("body"), child->generateBodyForDom()}});
    }
    return inner;
}

} // namespace

bool StyleSheetsManagerDelegate::writeItems(OutlineView *outlineView, const QList<void *> &items, QMimeData *pasteboard)
{
    if (outlineView != m_selectorListView || items.isEmpty())
        return false;
    // Rules of one level; style sheets, @charset, keyframes, comments and
    // other at-rules stay where they are.
    QList<StyleDeclarationPtr> dragged;
    const Row *first = static_cast<Row *>(items.first());
    for (void *item : items) {
        const auto *row = static_cast<Row *>(item);
        if (row->file || row->level != first->level)
            return false;
        const int type = row->declaration->type();
        if (type == RuleType::Charset || type == RuleType::Keyframe || type == RuleType::Comment || type == RuleType::Other)
            return false;
        dragged.append(row->declaration);
    }
    m_dragItems = dragged;
    m_isDragging = true;
    pasteboard->setData(QString::fromLatin1(kStyleDeclarationDrag), QByteArray());
    return true;
}

std::optional<StyleSheetsManagerDelegate::DropPlace> StyleSheetsManagerDelegate::dropPlace(void *item, int childIndex) const
{
    const auto *row = static_cast<const Row *>(item);
    if (!row)
        return std::nullopt;
    DropPlace place;
    QList<StyleDeclarationPtr> siblings;
    if (row->file) {
        place.file = row->file;
        // Nothing goes before a leading @charset.
        const auto &all = place.file->styleDeclarations();
        if (childIndex < 1 && all && !all->isEmpty() && all->first()->type() == RuleType::Charset)
            return std::nullopt;
        siblings = listedTopLevel(place.file);
    } else {
        if (row->declaration->type() != RuleType::Media)
            return std::nullopt;
        place.block = row->declaration;
        place.file = place.block->parentFile();
        if (!place.file)
            return std::nullopt;
        for (const StyleDeclarationPtr &child : place.file->getMediaChildren(*place.block)) {
            if (!child->isRemoved())
                siblings.append(child);
        }
    }
    if (childIndex >= 1 && childIndex < siblings.size())
        place.before = siblings[childIndex - 1];
    else if (childIndex < 0 || childIndex >= siblings.size())
        place.before = siblings.isEmpty() ? nullptr : siblings.last();
    return place;
}

Qt::DropAction StyleSheetsManagerDelegate::validateDrop(OutlineView *outlineView, const DraggingInfo &info,
                                                        void *proposedItem, int proposedChildIndex)
{
    if (outlineView != m_selectorListView || !info.pasteboard || !m_rules)
        return Qt::IgnoreAction;
    const std::optional<DropPlace> place = dropPlace(proposedItem, proposedChildIndex);
    if (!place)
        return Qt::IgnoreAction;
    const QMimeData *mime = info.pasteboard;
    const auto styleType = [](int type) { return type == RuleType::Style || type == RuleType::MediaStyle; };
    if (mime->hasFormat(QString::fromLatin1(kStyleDeclarationDrag))) {
        if (m_dragItems.isEmpty() || info.source != m_selectorListView)
            return Qt::IgnoreAction;
        if (place->block && (!styleType(m_dragItems.last()->type()) || m_dragItems.contains(place->block)))
            return Qt::IgnoreAction;
        return Qt::MoveAction;
    }
    if (mime->hasFormat(QString::fromLatin1(DragPayload::kDomNodeDragCopy))) {
        const std::optional<QString> content = snippetContent(mime);
        if (!content)
            return Qt::IgnoreAction;
        if (place->block) {
            bool any = false;
            for (const StyleDeclarationPtr &parsed : StyleSheetParser::parseStyleSheet(*content))
                any = any || (!parsed->isInBraket() && styleType(parsed->type()));
            if (!any)
                return Qt::IgnoreAction;
        }
        return Qt::MoveAction;
    }
    if (mime->hasText() && !mime->text().trimmed().isEmpty())
        return Qt::CopyAction;
    return Qt::IgnoreAction;
}

bool StyleSheetsManagerDelegate::acceptDrop(OutlineView *outlineView, const DraggingInfo &info, void *item,
                                            int childIndex)
{
    if (validateDrop(outlineView, info, item, childIndex) == Qt::IgnoreAction)
        return false;
    // The drop ends the drag: the list may open its rows again.
    m_isDragging = false;
    const DropPlace place = *dropPlace(item, childIndex);
    const QMimeData *mime = info.pasteboard;
    if (mime->hasFormat(QString::fromLatin1(kStyleDeclarationDrag)))
        return acceptStyleDeclarationDrop(place);
    if (mime->hasFormat(QString::fromLatin1(DragPayload::kDomNodeDragCopy)))
        return acceptSnippetDrop(place, *snippetContent(mime));
    return acceptStringDrop(place, info);
}

bool StyleSheetsManagerDelegate::checkDuplication(const StyleDeclaration &rule, File *parent)
{
    if (!parent || !parent->styleDeclarations())
        return false;
    for (const StyleDeclarationPtr &other : *parent->styleDeclarations()) {
        if (other.get() != &rule && other->type() != RuleType::Comment && !other->isRemoved()
            && other->selector().compare(rule.selector(), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

void StyleSheetsManagerDelegate::alertAlreadyExists(const StyleDeclaration &rule)
{
    Alert alert;
    alert.setMessageText(QStringLiteral("\"%1\"\nis Already exists.")
                             .arg(QString(rule.selector()).remove(QStringLiteral("-webkit-"))));
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.runModal(m_view);
}

void StyleSheetsManagerDelegate::endDrop(const StyleDeclarationPtr &first)
{
    m_inChange = false;
    refreshSelectorList();
    if (first)
        selectItemFromRule(first);
}

bool StyleSheetsManagerDelegate::acceptStyleDeclarationDrop(const DropPlace &place)
{
    const QList<StyleDeclarationPtr> dragged = m_dragItems;
    if (dragged.size() == 1 && dragged.first() == place.before)
        return false;
    for (const StyleDeclarationPtr &rule : dragged) {
        if (rule == place.block)
            return false;
    }
    QList<QList<QVariantMap>> inner;
    for (const StyleDeclarationPtr &rule : dragged)
        inner.append(rule->getInnerSelectors().value_or(QList<QVariantMap>()));
    m_inChange = true;
    m_rules->setDisplaySelectorType(4);
    // After one of the dragged rules means in its place: the new rules follow
    // the nearest rule before it that stays, never one that is going.
    StyleDeclarationPtr after = place.before;
    while (after && dragged.contains(after)) {
        const std::optional<StyleDeclarationPtr> previous = itemBefore(after);
        after = previous ? *previous : nullptr;
    }
    StyleDeclarationPtr first;
    for (int i = 0; i < dragged.size(); ++i) {
        const StyleDeclarationPtr &rule = dragged[i];
        if (i == dragged.size() - 1)
            m_inChange = false;
        const bool block = isBlockType(rule->type());
        if (block && checkDuplication(*rule, place.file)) {
            alertAlreadyExists(*rule);
            continue;
        }
        if (InspectUndoManager *undo = File::sharedUndoManager())
            undo->setActionName(QStringLiteral("Move Selector"));
        StyleDeclarationPtr made;
        if (block && rule->parentFile() == place.file) {
            // A block cannot stand twice in its file: it leaves first, and
            // comes back where it was when the page refuses the new place.
            const std::optional<StyleDeclarationPtr> home = itemBefore(rule);
            if (!home) {
                QM_INFO(QStringLiteral("%1 was not moved: it is no longer in its style sheet").arg(rule->selector()));
                continue;
            }
            m_rules->doRemoveSelector(rule);
            made = m_rules->doAddSelectorInParentAfterAtInnerSelectors(rule, place.file, nullptr, after, inner[i]);
            if (!made) {
                QM_INFO(QStringLiteral("%1 was not moved: the page refused it").arg(rule->selector()));
                m_rules->doAddSelectorInParentAfterAtInnerSelectors(rule, place.file, nullptr, *home, inner[i]);
            }
        } else {
            // The rule leaves only once its copy stands in the new place.
            made = m_rules->doAddSelectorInParentAfterAtInnerSelectors(rule, place.block ? nullptr : place.file,
                                                                       place.block, after, inner[i]);
            if (made)
                m_rules->doRemoveSelector(rule);
            else
                QM_INFO(QStringLiteral("%1 was not moved: the page refused it").arg(rule->selector()));
        }
        if (made) {
            after = made;
            if (!first)
                first = made;
        }
    }
    endDrop(first);
    return true;
}

bool StyleSheetsManagerDelegate::acceptSnippetDrop(const DropPlace &place, const QString &content)
{
    const QList<StyleDeclarationPtr> parsed = StyleSheetParser::parseStyleSheet(content);
    int topLevel = 0;
    for (const StyleDeclarationPtr &declaration : parsed)
        topLevel += declaration->isInBraket() ? 0 : 1;
    m_inChange = true;
    StyleDeclarationPtr after = place.before;
    StyleDeclarationPtr first;
    for (int i = 0; i < parsed.size(); ++i) {
        const StyleDeclarationPtr &declaration = parsed[i];
        if (i == parsed.size() - 1)
            m_inChange = false;
        if (declaration->isInBraket() || declaration->type() == RuleType::Comment)
            continue;
        if (place.block && declaration->type() != RuleType::Style)
            continue;
        if (isBlockType(declaration->type()) && checkDuplication(*declaration, place.file)) {
            if (topLevel == 1)
                alertAlreadyExists(*declaration);
            continue;
        }
        if (InspectUndoManager *undo = File::sharedUndoManager())
            undo->setActionName(QStringLiteral("Add Selector"));
        if (const StyleDeclarationPtr made = m_rules->doAddSelectorInParentAfterAtInnerSelectors(
                declaration, place.block ? nullptr : place.file, place.block, after, nestedRulesInSnippet(parsed, i))) {
            after = made;
            if (!first)
                first = made;
        }
    }
    endDrop(first);
    return true;
}

QString StyleSheetsManagerDelegate::generateSelectorForIdOrClass(const DraggingInfo &info)
{
    const QString word = info.pasteboard ? info.pasteboard->text().trimmed() : QString();
    QString text;
    int location = -1;
    int length = 0;
    if (const auto *plain = qobject_cast<QPlainTextEdit *>(info.source)) {
        text = plain->toPlainText();
        location = plain->textCursor().selectionStart();
        length = plain->textCursor().selectionEnd() - location;
    } else if (const auto *rich = qobject_cast<QTextEdit *>(info.source)) {
        text = rich->toPlainText();
        location = rich->textCursor().selectionStart();
        length = rich->textCursor().selectionEnd() - location;
    }
    if (location >= 4 && text.size() > location + length
        && text.mid(location - 4, length + 5) == QStringLiteral("id=\"%1\"").arg(word))
        return QLatin1Char('#') + word;
    return QLatin1Char('.') + word;
}

bool StyleSheetsManagerDelegate::acceptStringDrop(const DropPlace &place, const DraggingInfo &info)
{
    const QString selector = generateSelectorForIdOrClass(info);
    StyleDeclarationPtr before = place.before;
    // Dropped after a block at the top, the word goes after the block's last rule.
    if (!place.block && before && before->type() == RuleType::Media) {
        const QList<StyleDeclarationPtr> children = place.file->getMediaChildren(*before);
        if (!children.isEmpty())
            before = children.last();
    }
    if (InspectUndoManager *undo = File::sharedUndoManager())
        undo->setActionName(QStringLiteral("Add Selector"));
    const StyleDeclarationPtr made =
        place.block ? m_rules->createSelectorBodyInMediaAfterAt(selector, QString(), place.block, before)
                    : m_rules->createSelector(selector, QString(), place.file, before);
    if (!made) {
        QM_INFO(QStringLiteral("No rule %1 was made: the page refused it").arg(selector));
        return false;
    }
    refreshSelectorList();
    selectItemFromRule(made);
    return true;
}
