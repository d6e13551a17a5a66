// File: the parsed rules of a style sheet, their filtered views and the index
// conversions between them.

#include "File.h"

#include "stylesheet/StringKeyframes.h"
#include "stylesheet/StyleSheetParser.h"
#include "stylesheet/WebCoreObjects.h"

namespace {

// The style-sheet model asks the file model for the children of a block.
void installMediaChildrenProvider()
{
    static const bool installed = [] {
        StyleDeclaration::setMediaChildrenProvider([](const StyleDeclaration &owner) {
            const File *file = owner.parentFile();
            return file ? file->getMediaChildren(owner) : QList<StyleDeclarationPtr>();
        });
        return true;
    }();
    Q_UNUSED(installed);
}

// Whether the text of block holds range.
bool holds(Range block, Range range)
{
    return block.location < range.location && range.end() <= block.end();
}

bool holds(const StyleDeclaration &block, Range range)
{
    return holds(block.range(), range);
}

bool isKeyframes(const StyleDeclarationPtr &declaration)
{
    return declaration->type() == RuleType::Keyframes;
}

bool isWebkitKeyframes(const StyleDeclarationPtr &declaration)
{
    return declaration->selector().startsWith(QLatin1String("@-webkit"));
}

template<typename Predicate>
QList<StyleDeclarationPtr> filtered(const QList<StyleDeclarationPtr> &list, Predicate keep)
{
    QList<StyleDeclarationPtr> result;
    for (const StyleDeclarationPtr &declaration : list) {
        if (keep(declaration))
            result.append(declaration);
    }
    return result;
}

const QList<StyleDeclarationPtr> &emptyList()
{
    static const QList<StyleDeclarationPtr> list;
    return list;
}

} // namespace

void File::setStyleDeclarations(const std::optional<QList<StyleDeclarationPtr>> &declarations)
{
    installMediaChildrenProvider();
    m_styleDeclarations = declarations;
}

void File::parseStyleSheet()
{
    installMediaChildrenProvider();
    m_styleDeclarations = StyleSheetParser::parseStyleSheet(currentContent().value_or(QString()), this);
}

const QList<StyleDeclarationPtr> &File::parsedDeclarations()
{
    if (!m_styleDeclarations)
        parseStyleSheet();
    return *m_styleDeclarations;
}

qsizetype File::indexOfDeclaration(const QList<StyleDeclarationPtr> &list,
                                   const StyleDeclaration *declaration) const
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).get() == declaration)
            return i;
    }
    return -1;
}

QList<StyleDeclarationPtr> File::topLevelDeclarations()
{
    return filtered(parsedDeclarations(), [](const StyleDeclarationPtr &d) { return !d->isInBraket(); });
}

QList<StyleDeclarationPtr> File::topLevelDeclarationsNoRemoved()
{
    return filtered(parsedDeclarations(), [](const StyleDeclarationPtr &d) {
        return !d->isRemoved() && !d->isInBraket() && (!isKeyframes(d) || isWebkitKeyframes(d));
    });
}

QList<StyleDeclarationPtr> File::mediaDeclarations()
{
    return filtered(parsedDeclarations(), [](const StyleDeclarationPtr &d) { return d->type() == RuleType::Media; });
}

QList<StyleDeclarationPtr> File::keyframesDeclarations()
{
    return filtered(parsedDeclarations(), isKeyframes);
}

QList<StyleDeclarationPtr> File::topLevelDeclarationsWithNoWebkitPrefixKeyframes()
{
    return filtered(topLevelDeclarations(), [](const StyleDeclarationPtr &d) {
        return !d->isRemoved() && (!isKeyframes(d) || isWebkitKeyframes(d));
    });
}

QList<StyleDeclarationPtr> File::topLevelDeclarationsWithNoVenderPrefixKeyframes()
{
    return filtered(topLevelDeclarations(), [](const StyleDeclarationPtr &d) {
        return !d->isRemoved() && (!isKeyframes(d) || !d->selector().startsWith(QLatin1String("@-")));
    });
}

QList<StyleDeclarationPtr> File::domDeclarations()
{
    return filtered(topLevelDeclarations(), [](const StyleDeclarationPtr &d) {
        return !d->isRemoved() && d->type() != RuleType::Comment && (!isKeyframes(d) || isWebkitKeyframes(d));
    });
}

QList<StyleDeclarationPtr> File::actualDomDeclarations()
{
    return filtered(domDeclarations(), [](const StyleDeclarationPtr &d) {
        if (d->type() == RuleType::Other)
            return false;
        return d->type() != RuleType::Style || !WebCoreObjects::isInvalidSelector(d->selector());
    });
}

QList<StyleDeclarationPtr> File::keyframesDeclarationsWithSameName(const StyleDeclaration &declaration)
{
    const std::optional<QString> name = StringKeyframes::animationName(declaration.selector());
    if (!name)
        return {};
    return filtered(keyframesDeclarations(),
                    [&name](const StyleDeclarationPtr &d) { return StringKeyframes::animationName(d->selector()) == name; });
}

QList<StyleDeclarationPtr> File::noCommentDeclarations() const
{
    return filtered(m_styleDeclarations.value_or(emptyList()),
                    [](const StyleDeclarationPtr &d) { return d->type() != RuleType::Comment; });
}

QList<StyleDeclarationPtr> File::getKeyframeRemovedDeclarations() const
{
    return filtered(m_styleDeclarations.value_or(emptyList()),
                    [](const StyleDeclarationPtr &d) { return d->type() != RuleType::Keyframe; });
}

StyleDeclarationPtr File::getMediaOwner(const StyleDeclaration &declaration) const
{
    const QList<StyleDeclarationPtr> &list = m_styleDeclarations ? *m_styleDeclarations : emptyList();
    const qsizetype index = indexOfDeclaration(list, &declaration);
    if (index < 0)
        return nullptr;
    // Blocks nest in blocks: the owner is the nearest block before the item
    // whose text holds it.
    const Range range = declaration.range();
    if (declaration.isInBraket() && range.length > 0) {
        for (qsizetype i = index - 1; i >= 0; --i) {
            const StyleDeclarationPtr &entry = list.at(i);
            // A removed item's range points into a text that no longer holds it.
            if (entry->isRemoved() && !declaration.isRemoved())
                continue;
            if (entry->type() != RuleType::Comment && entry->hasBody() && holds(*entry, range))
                return entry;
        }
    }
    // An item made by an editor has no place in the text: the owner stands
    // before the first child, so step back over the earlier children.
    // Comments between children are not counted (they are no children, and
    // stand outside the block in the list).
    qsizetype siblings = declaration.childIndex();
    for (qsizetype i = index - 1; i >= 0; --i) {
        if (list.at(i)->type() == RuleType::Comment)
            continue;
        if (siblings == 0)
            return list.at(i);
        --siblings;
    }
    return nullptr;
}

QList<StyleDeclarationPtr> File::getMediaChildren(const StyleDeclaration &owner) const
{
    const File *file = owner.parentFile();
    if (!file || !file->m_styleDeclarations)
        return {};
    const QList<StyleDeclarationPtr> &list = *file->m_styleDeclarations;
    const qsizetype index = indexOfDeclaration(list, &owner);
    if (index < 0)
        return {};
    QList<StyleDeclarationPtr> children;
    for (const qsizetype position : childPositionsOf(list, index))
        children.append(list.at(position));
    return children;
}

QList<qsizetype> File::childPositionsOf(const QList<StyleDeclarationPtr> &list, qsizetype index)
{
    if (index < 0 || index >= list.size())
        return {};
    // The children follow the block, marked inBraket; those of a block
    // nested in it (by their place in the text) are its own.
    const StyleDeclaration &owner = *list.at(index);
    const Range ownRange = owner.range();
    Range nested;
    QList<qsizetype> children;
    for (qsizetype i = index + 1; i < list.size(); ++i) {
        const StyleDeclarationPtr &entry = list.at(i);
        if (entry->type() == RuleType::Comment)
            continue;
        if (!entry->isInBraket())
            break;
        // A removed item is no longer in the text its range points into.
        if (entry->isRemoved())
            continue;
        const Range range = entry->range();
        if (range.length > 0 && ownRange.length > 0) {
            if (!holds(owner, range))
                break;
            if (nested.length > 0 && holds(nested, range))
                continue;
            nested = range;
        }
        children.append(i);
    }
    return children;
}

int File::noCommentIndex(int index) const
{
    const QList<StyleDeclarationPtr> noComment = noCommentDeclarations();
    if (index < 0 || index >= noComment.size())
        return -1;
    const StyleDeclarationPtr &entry = noComment.at(index);
    qsizetype total = indexOfDeclaration(m_styleDeclarations.value_or(emptyList()), entry.get());
    // A block's position is taken after its children.
    if (entry->type() == RuleType::Media)
        total += getMediaChildren(*entry).size();
    return int(total);
}

int File::topLevelIndexToTotalIndex(int index)
{
    const QList<StyleDeclarationPtr> topLevel = topLevelDeclarations();
    const QList<StyleDeclarationPtr> &all = parsedDeclarations();
    if (index == topLevel.size())
        return topLevel.isEmpty() ? -1 : int(indexOfDeclaration(all, topLevel.constLast().get()));
    if (index < 0 || index > topLevel.size())
        return -1;
    return int(indexOfDeclaration(all, topLevel.at(index).get()));
}

int File::totalIndexToTopLevelIndex(int index)
{
    const QList<StyleDeclarationPtr> topLevel = topLevelDeclarations();
    const QList<StyleDeclarationPtr> &all = parsedDeclarations();
    if (index == all.size()) {
        if (all.isEmpty())
            return 0;
        // The end of the list is the end of the top level, also when the
        // last entry sits inside a block.
        const qsizetype last = indexOfDeclaration(topLevel, all.constLast().get());
        return int(last >= 0 ? last + 1 : topLevel.size());
    }
    if (index < 0 || index > all.size())
        return -1;
    return int(indexOfDeclaration(topLevel, all.at(index).get()));
}

int File::mediaIndexToTopLevelIndex(int index)
{
    const QList<StyleDeclarationPtr> topLevel = topLevelDeclarations();
    const QList<StyleDeclarationPtr> keyframeRemoved = getKeyframeRemovedDeclarations();
    if (index == keyframeRemoved.size()) {
        if (keyframeRemoved.isEmpty())
            return 0;
        const qsizetype last = indexOfDeclaration(topLevel, keyframeRemoved.constLast().get());
        return int(last >= 0 ? last + 1 : topLevel.size());
    }
    if (index < 0 || index > keyframeRemoved.size())
        return -1;
    return int(indexOfDeclaration(topLevel, keyframeRemoved.at(index).get()));
}

int File::keyframeRemovedIndexToTotalIndex(int index) const
{
    const QList<StyleDeclarationPtr> keyframeRemoved = getKeyframeRemovedDeclarations();
    if (index == keyframeRemoved.size())
        index = int(keyframeRemoved.size()) - 1;
    if (index < 0 || index >= keyframeRemoved.size())
        return -1;
    return int(indexOfDeclaration(m_styleDeclarations.value_or(emptyList()), keyframeRemoved.at(index).get()));
}
