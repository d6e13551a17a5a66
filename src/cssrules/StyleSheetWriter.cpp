#include "StyleSheetWriter.h"
#include "CSSRules_p.h"

#include "foundation/StringUtils.h"
#include "stylesheet/GradientColorParser.h"
#include "stylesheet/StringVendarPrefix.h"
#include "stylesheet/StyleComment.h"
#include "stylesheet/StyleSheetParser.h"
#include "workspace/AppConfig.h"
#include "workspace/File.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>

#include <algorithm>
#include <optional>

namespace {

using StringVendarPrefix::formalPropertyName;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

using CSSRulesPrivate::isWhite;
using CSSRulesPrivate::isWritten;

using CSSRulesPrivate::lineStart;
using CSSRulesPrivate::onlyBlanksBetween;

// The end of a line break at position, or position when there is none.
qsizetype afterLineBreak(const QString &text, qsizetype position)
{
    if (position < text.size() && text.at(position) == u'\r')
        ++position;
    if (position < text.size() && text.at(position) == u'\n')
        ++position;
    return position;
}

// What cutting out [from, to) takes with it: the line, when nothing else
// stands on it, with its line break; and one empty line of two that meet.
Range cutRange(const QString &text, qsizetype from, qsizetype to)
{
    const qsizetype start = lineStart(text, from);
    qsizetype end = to;
    while (end < text.size() && isBlank(text.at(end)))
        ++end;
    const bool wholeLines = onlyBlanksBetween(text, start, from)
                            && (end >= text.size() || text.at(end) == u'\n' || text.at(end) == u'\r');
    if (!wholeLines)
        return {from, to - from};
    end = afterLineBreak(text, end);
    // An empty line before and after: one of them goes too.
    const bool emptyBefore = start >= 1 && (start < 2 || text.at(start - 2) == u'\n') && text.at(start - 1) == u'\n';
    qsizetype next = end;
    while (next < text.size() && isBlank(text.at(next)))
        ++next;
    if (emptyBefore && next < text.size() && text.at(next) == u'\n')
        end = next + 1;
    return {start, end - start};
}

// The style of a rule's declarations as written: the text before a name on
// its line, whether each stands on a line of its own, and what separates
// name and value.
struct DeclarationStyle
{
    QString indent;
    bool ownLines = true;
    QString separator = QStringLiteral(":");
};

DeclarationStyle styleOf(const StyleSheetSource::ItemText &item, const QString &text, const QString &indent)
{
    DeclarationStyle style;
    style.indent = indent;
    bool first = true;
    for (const StyleSheetSource::PropertyText &property : item.properties) {
        if (property.pieces.isEmpty())
            continue;
        const StyleSheetSource::Piece piece = item.placed(property.pieces.first());
        const QString leading = text.mid(piece.whole.location, piece.name.location - piece.whole.location);
        if (first) {
            style.ownLines = leading.contains(u'\n');
            const qsizetype start = lineStart(text, piece.name.location);
            style.indent = style.ownLines ? text.mid(start, piece.name.location - start) : leading;
            style.separator = text.mid(piece.name.end(), piece.value.location - piece.name.end());
            if (style.separator.isEmpty())
                style.separator = QStringLiteral(":");
            if (style.ownLines)
                return style;
            first = false;
            continue;
        }
        // On one line, what follows the ";" before a later declaration
        // separates declarations ("" in a minified sheet, " " in "a { b: c; d: e }").
        if (!leading.contains(u'\n'))
            style.indent = leading;
        return style;
    }
    return style;
}

// The text with every line break written as lineBreak.
QString withLineBreaks(const QString &text, const QString &lineBreak)
{
    QString out;
    out.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'\n' && (i == 0 || text.at(i - 1) != u'\r'))
            out += lineBreak;
        else
            out += text.at(i);
    }
    return out;
}

QString keyOf(const StyleDeclaration &declaration)
{
    if (declaration.type() == RuleType::Comment)
        return static_cast<const StyleComment &>(declaration).commentBody().trimmed();
    return StyleSheetParser::planeSelector(declaration.selector());
}

bool isKeyframesPart(int type)
{
    return type == RuleType::Keyframes || type == RuleType::Keyframe;
}

// A property the parser made from vendor-prefixed declarations alone, of the
// formal name given.
bool isPrefixedCopyOf(const CSSProperty &property, const QString &name)
{
    return property.vendorPrefixes() && !property.vendorPrefixes()->isEmpty()
           && property.textRanges().size() == property.vendorPrefixes()->size()
           && property.formalName() == formalPropertyName(name);
}

// The vendor prefix ("-webkit-") a piece of a declaration is the copy of,
// or empty for the plain declaration. A gradient's copies keep the plain name
// and carry the prefix in their value ("background-image:
// -webkit-linear-gradient(...)"); other copies carry it in their name.
QString copyPrefixOf(const QString &formal, const QString &modelName, const QString &pieceName, const QString &pieceValue)
{
    if (formal == QLatin1String("background-image") && pieceName == formal) {
        static const QRegularExpression gradient(QStringLiteral("^(-[a-z]+-)((repeating-)?(linear|radial)-)?gradient\\s*\\("),
                                                 QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch match = gradient.match(pieceValue);
        return match.hasMatch() ? match.captured(1).toLower() : QString();
    }
    const QString prefix = StringVendarPrefix::prefix(pieceName);
    return pieceName != modelName ? prefix : QString();
}

// The prefixes ("-webkit", no trailing dash) whose copies the rule's text
// writes for some declaration.
QStringList copyPrefixesIn(const StyleSheetSource::ItemText &item, const QString &text)
{
    QStringList prefixes;
    for (const StyleSheetSource::PropertyText &relative : item.properties) {
        const StyleSheetSource::PropertyText was = item.placed(relative);
        const QString formal = formalPropertyName(was.name);
        for (const StyleSheetSource::Piece &piece : was.pieces) {
            const QString prefix = copyPrefixOf(formal, was.name, text.mid(piece.name.location, piece.name.length),
                                                text.mid(piece.value.location, piece.value.length));
            if (!prefix.isEmpty() && !prefixes.contains(prefix.chopped(1)))
                prefixes.append(prefix.chopped(1));
        }
    }
    return prefixes;
}

} // namespace

bool StyleSheetWriter::isMinifiedText(const QString &text)
{
    return StyleSheetLayout::isMinified(text);
}

bool StyleSheetWriter::isEdited(const StyleDeclaration &declaration, const StyleSheetSource &previous) const
{
    Q_UNUSED(previous);
    return m_edited.contains(&declaration);
}

QSet<const StyleDeclaration *> StyleSheetWriter::withDescendants(const QList<StyleDeclarationPtr> &roots)
{
    // A block's items, and theirs: asked of the file once per block, never
    // once per item (a look-up of an item's owner walks the whole list).
    QSet<const StyleDeclaration *> all;
    QList<StyleDeclarationPtr> pending = roots;
    while (!pending.isEmpty()) {
        const StyleDeclarationPtr item = pending.takeLast();
        if (all.contains(item.get()))
            continue;
        all.insert(item.get());
        File *file = item->parentFile();
        // Rules and keyframes hold no items: what follows them is their block's.
        if (!file || item->type() == RuleType::Style || item->type() == RuleType::Keyframe || item->type() == RuleType::Comment)
            continue;
        if (!item->isRemoved()) {
            pending += file->getMediaChildren(*item);
            continue;
        }
        // A removed block's range points into an older text and would claim
        // items that came after it: its items are those that name it their owner.
        const QList<StyleDeclarationPtr> list = file->styleDeclarations().value_or(QList<StyleDeclarationPtr>());
        for (qsizetype i = list.indexOf(item) + 1; i > 0 && i < list.size() && list.at(i)->isInBraket(); ++i) {
            if (list.at(i)->type() != RuleType::Comment && file->getMediaOwner(*list.at(i)) == item)
                pending.append(list.at(i));
        }
    }
    return all;
}

QList<StyleSheetWriter::Splice> StyleSheetWriter::effective(QList<Splice> splices)
{
    // At one place, text put in goes before text cut out, which would skip it.
    std::stable_sort(splices.begin(), splices.end(), [](const Splice &a, const Splice &b) {
        return a.location < b.location || (a.location == b.location && a.length == 0 && b.length > 0);
    });
    QList<Splice> kept;
    kept.reserve(splices.size());
    qsizetype at = 0;
    for (Splice &splice : splices) {
        // A change inside a part already cut out has nothing left to change.
        if (splice.location < at)
            continue;
        at = splice.location + splice.length;
        kept.append(std::move(splice));
    }
    return kept;
}

QString StyleSheetWriter::applied(const QString &text, QList<Splice> splices)
{
    QString written;
    written.reserve(text.size() + 256);
    qsizetype at = 0;
    for (const Splice &splice : effective(std::move(splices))) {
        written += QStringView(text).mid(at, splice.location - at);
        written += splice.text;
        at = splice.location + splice.length;
    }
    written += QStringView(text).mid(at);
    return written;
}

void StyleSheetWriter::rewritePieces(const CSSProperty &property, const StyleSheetSource::PropertyText &was,
                                     const QString &text, QList<Splice> &splices) const
{
    const QString formal = formalPropertyName(property.property());
    const bool gradient = formal == QLatin1String("background-image");
    QSet<QString> present;
    const StyleSheetSource::Piece *plain = nullptr;
    for (const StyleSheetSource::Piece &piece : was.pieces) {
        const QString pieceName = text.mid(piece.name.location, piece.name.length);
        const QString prefix = copyPrefixOf(formal, was.name, pieceName, text.mid(piece.value.location, piece.value.length));
        QString name = property.property();
        QString value = property.value();
        if (!prefix.isEmpty()) {
            present.insert(prefix.chopped(1));
            if (gradient) {
                // A gradient's copy keeps the plain name; a value without a
                // gradient has no copy, and the copy goes (#77).
                name = pieceName;
                value = GradientColorParser::convertFormalToVendarPrefix(value, prefix);
                if (value == property.value()) {
                    cutPiece(piece, text, splices);
                    continue;
                }
            } else {
                name = prefix + formal;
                value = valueForPrefix(formal, value, prefix.chopped(1));
            }
        } else {
            plain = &piece;
        }
        if (name != pieceName) {
            splices.append({piece.name.location, piece.value.end() - piece.name.location,
                            name + text.mid(piece.name.end(), piece.value.location - piece.name.end()) + value});
        } else if (value != text.mid(piece.value.location, piece.value.length)) {
            splices.append({piece.value.location, piece.value.length, value});
        }
    }
    // The copies the project wants that the text did not have go before the
    // plain declaration, in its indentation: those the rule writes for others.
    if (!plain || !m_settings.prefixes.isPrefixed(formal) || gradient)
        return;
    const qsizetype start = lineStart(text, plain->name.location);
    const bool ownLine = onlyBlanksBetween(text, start, plain->name.location);
    const QString indent = ownLine ? text.mid(start, plain->name.location - start) : QString();
    const QString separator = text.mid(plain->name.end(), plain->value.location - plain->name.end());
    // On a line shared with others, each copy is followed by what stands
    // before the plain declaration: nothing in a minified sheet (#72).
    qsizetype blanks = plain->name.location;
    while (!ownLine && blanks > start && isBlank(text.at(blanks - 1)))
        --blanks;
    const QString between = ownLine ? u'\n' + indent : text.mid(blanks, plain->name.location - blanks);
    QString copies;
    for (const QString &prefix : copyPrefixesOf(property)) {
        if (present.contains(prefix))
            continue;
        copies += prefix + u'-' + formal + separator + valueForPrefix(formal, property.value(), prefix) + u';' + between;
    }
    if (!copies.isEmpty())
        splices.append({plain->name.location, 0, copies});
}

void StyleSheetWriter::cutPiece(const StyleSheetSource::Piece &piece, const QString &text, QList<Splice> &splices)
{
    qsizetype end = piece.whole.end();
    if (end < text.size() && text.at(end) == u';')
        ++end;
    Range cut = cutRange(text, piece.name.location, end);
    // A declaration on a line shared with others loses its own text and the
    // blank after it.
    if (cut.location == piece.name.location) {
        qsizetype after = cut.end();
        while (after < text.size() && isBlank(text.at(after)))
            ++after;
        cut.length = after - cut.location;
    }
    splices.append({cut.location, cut.length, QString()});
}

QSet<const CSSProperty *> StyleSheetWriter::movedProperties(const QList<CSSPropertyPtr> &current,
                                                         const StyleSheetSource::ItemText &item)
{
    // The declarations the text has, in the model's order, by where they stand.
    QList<std::pair<const CSSProperty *, qsizetype>> written;
    for (const CSSPropertyPtr &property : current) {
        const StyleSheetSource::PropertyText *was = item.propertyText(property.get());
        if (was && !was->removed && isWritten(*property) && !was->pieces.isEmpty())
            written.append({property.get(), was->pieces.constFirst().whole.location});
    }
    // The longest run in text order stays where it is; the others moved.
    const qsizetype count = written.size();
    QList<qsizetype> length(count, 1);
    QList<qsizetype> before(count, -1);
    qsizetype best = -1;
    for (qsizetype i = 0; i < count; ++i) {
        for (qsizetype j = 0; j < i; ++j) {
            if (written.at(j).second < written.at(i).second && length.at(j) + 1 > length.at(i)) {
                length[i] = length.at(j) + 1;
                before[i] = j;
            }
        }
        if (best < 0 || length.at(i) > length.at(best))
            best = i;
    }
    QSet<const CSSProperty *> moved;
    for (const auto &entry : std::as_const(written))
        moved.insert(entry.first);
    for (qsizetype i = best; i >= 0; i = before.at(i))
        moved.remove(written.at(i).first);
    return moved;
}

void StyleSheetWriter::propertySplices(const StyleDeclaration &declaration, const StyleSheetSource::ItemText &item,
                                       const QString &text, QList<Splice> &splices) const
{
    const QList<CSSPropertyPtr> &current = declaration.properties();
    const std::optional<QStringList> copiesBefore = std::exchange(m_copiesOfRule, copyPrefixesIn(item, text));
    const auto restore = qScopeGuard([&] { m_copiesOfRule = copiesBefore; });
    const QSet<const CSSProperty *> moved = movedProperties(current, item);
    for (const StyleSheetSource::PropertyText &relative : item.properties) {
        const StyleSheetSource::PropertyText was = item.placed(relative);
        const CSSPropertyPtr &property = was.property;
        const bool listed = current.contains(property);
        if (!listed || (!isWritten(*property) && !was.removed) || moved.contains(property.get())) {
            for (const StyleSheetSource::Piece &piece : was.pieces)
                cutPiece(piece, text, splices);
        } else if (isWritten(*property) && (property->property() != was.name || property->value() != was.value)) {
            rewritePieces(*property, was, text, splices);
        }
    }

    // Declarations the rule gained: after the one before them, in the rule's style.
    const qsizetype bodyStart = item.range.location + 1;
    const qsizetype bodyEnd = std::max(bodyStart, item.range.end() - 1);
    const DeclarationStyle style = styleOf(item, text, m_layout.indent);
    const bool minified = m_previous && &text == &m_previous->text() ? m_previous->isMinified()
                                                                     : StyleSheetLayout::isMinified(text);
    qsizetype insertAt = bodyStart;
    bool needsSemicolon = false;
    for (const CSSPropertyPtr &property : current) {
        if (const StyleSheetSource::PropertyText *was = item.propertyText(property.get()); was && !moved.contains(property.get())) {
            // A declaration cut out in this write is no place to add after:
            // what is added there would go with it.
            if (!was->pieces.isEmpty() && isWritten(*property)) {
                insertAt = item.placed(was->pieces.constLast()).whole.end();
                needsSemicolon = !(insertAt < text.size() && text.at(insertAt) == u';');
                if (!needsSemicolon)
                    ++insertAt;
            }
            continue;
        }
        if (!isWritten(*property) || property->property().isNull())
            continue;
        const bool emptyBody = std::all_of(item.properties.cbegin(), item.properties.cend(),
                                           [](const StyleSheetSource::PropertyText &p) { return p.pieces.isEmpty(); })
                               && text.mid(bodyStart, bodyEnd - bodyStart).trimmed().isEmpty();
        if (emptyBody) {
            // A rule without declarations gets the layout of a new one, one
            // level deeper than its selector's line; in a minified sheet,
            // the minified one.
            QStringList written;
            for (const CSSPropertyPtr &added : current) {
                if (isWritten(*added) && !added->property().isNull()) {
                    for (const Line &line : linesOf(*added))
                        written << m_layout.declaration(line.name, line.value);
                }
            }
            const QString indent = StyleSheetLayout::indentOfLine(text, item.whole.location);
            splices.append({bodyStart, bodyEnd - bodyStart,
                            minified ? m_layout.closed(written.join(u';') + u';')
                                     : generatePropertyText(declaration, indent + m_layout.indent) + u'\n' + indent});
            return;
        }
        // After a last declaration written without its ";" (as minified sheets
        // end a rule), the added ones end without one too.
        const bool lastWithoutSemicolon = needsSemicolon && onlyBlanksBetween(text, insertAt, bodyEnd);
        QString lines = needsSemicolon ? QStringLiteral(";") : QString();
        needsSemicolon = false;
        for (const Line &line : linesOf(*property)) {
            if (!lines.isEmpty() && !lines.endsWith(u';'))
                lines += u';';
            lines += (style.ownLines ? QStringLiteral("\n") + style.indent : style.indent) + line.name + style.separator
                     + line.value;
            if (!line.value.endsWith(u';') && !lastWithoutSemicolon)
                lines += u';';
        }
        if (lastWithoutSemicolon)
            needsSemicolon = !lines.endsWith(u';');
        splices.append({insertAt, 0, lines});
    }
}

QList<StyleSheetWriter::Splice> StyleSheetWriter::splicesOf(const QList<StyleDeclarationPtr> &declarations,
                                                            const StyleSheetSource &previous) const
{
    const QString &text = previous.text();
    // What an edit adds to the text is written in the text's layout, read
    // from the items around the first place the write adds to (#77); a
    // sheet without items is written as the generators write it.
    const bool minified = previous.isMinified();
    // A rule an edit adds to a text gets the copies its own declarations
    // were written with, none the project adds on its own (#77); a text made
    // from the model alone gets every copy the project asks for.
    const std::optional<QStringList> copies = m_previous ? std::optional<QStringList>(QStringList()) : std::nullopt;
    const std::optional<QStringList> copiesBefore = std::exchange(m_copiesOfRule, copies);
    const auto restore = qScopeGuard([&] { m_copiesOfRule = copiesBefore; });
    std::optional<StyleSheetWriter> made;
    const auto generatorNear = [&](qsizetype near) -> const StyleSheetWriter & {
        if (!made) {
            made = *this;
            if (!previous.items().isEmpty())
                made->m_layout = StyleSheetLayout::of(previous, near, m_layout.indent);
        }
        return *made;
    };
    QList<Splice> splices;
    qsizetype anchor = 0;
    bool anchorAfterItem = false;
    QString group;
    const auto flush = [&] {
        if (group.isEmpty())
            return;
        if (minified) {
            while (group.endsWith(u'\n'))
                group.chop(1);
            splices.append({anchor, 0, group});
        } else if (anchorAfterItem) {
            while (group.endsWith(u'\n'))
                group.chop(1);
            splices.append({anchor, 0, generatorNear(anchor).m_layout.ruleGap + group});
        } else {
            // Where the kept text goes on (after a rule cut out here) with a
            // line break, the group brings only one of its own.
            qsizetype next = anchor;
            for (const Splice &splice : std::as_const(splices)) {
                if (splice.location == anchor && splice.length > 0)
                    next = std::max(next, splice.location + splice.length);
            }
            if (next < text.size() && text.at(next) == u'\n') {
                while (group.endsWith(u'\n'))
                    group.chop(1);
                group += u'\n';
            }
            splices.append({anchor, 0, group});
        }
        group.clear();
    };
    Range cutOut;
    for (const StyleDeclarationPtr &declaration : declarations) {
        const StyleSheetSource::ItemText *item = previous.itemText(declaration.get());
        if (item && cutOut.length > 0 && cutOut.location <= item->whole.location && item->whole.end() <= cutOut.end())
            continue;
        if (!item) {
            if (declaration->isRemoved())
                continue;
            if (!declaration->isInBraket()) {
                const StyleSheetWriter &generator = generatorNear(anchor);
                group += isKeyframesPart(declaration->type()) && declaration->selector().startsWith(QLatin1String("@-webkit"))
                    ? generator.duplicateVendarPrefixKeyframes(*declaration)
                    : generator.generateSelector(*declaration);
                continue;
            }
            // A new rule inside a block the text has: at the end of the block.
            File *file = declaration->parentFile();
            const StyleDeclarationPtr owner = file ? file->getMediaOwner(*declaration) : nullptr;
            const StyleSheetSource::ItemText *ownerItem = owner ? previous.itemText(owner.get()) : nullptr;
            if (!ownerItem || owner->isRemoved())
                continue;
            // After the nearest rule or block before it in the block that the
            // text keeps (a block nested there ends after its own items),
            // else first when the block keeps rules, else at the end of the
            // empty block; laid out like the rules the block keeps.
            const QList<StyleDeclarationPtr> siblings = file->getMediaChildren(*owner);
            const StyleSheetSource::ItemText *kept = nullptr;
            for (qsizetype i = 0; i < siblings.size() && !kept; ++i)
                kept = previous.itemText(siblings.at(i).get());
            const StyleSheetSource::ItemText *before = nullptr;
            for (qsizetype i = siblings.indexOf(declaration) - 1; i >= 0 && !before; --i)
                before = previous.itemText(siblings.at(i).get());
            const StyleSheetSource::ItemText *like = before ? before : kept;
            const StyleSheetWriter &generator = generatorNear(ownerItem->whole.location);
            const QString indent = like && onlyBlanksBetween(text, lineStart(text, like->whole.location), like->whole.location)
                                       ? StyleSheetLayout::indentOfLine(text, like->whole.location)
                                       : StyleSheetLayout::indentOfLine(text, ownerItem->whole.location) + generator.m_layout.indent;
            const bool oneLine = like && !QStringView(text).mid(like->whole.location, like->whole.length).contains(u'\n');
            const QString rule = generator.innerRuleText(*declaration, indent, oneLine);
            const QString lineBreak = minified ? QString() : QStringLiteral("\n");
            if (before) {
                splices.append({before->whole.end(), 0, lineBreak + rule});
                continue;
            }
            if (kept) {
                splices.append({ownerItem->range.location + 1, 0, lineBreak + rule});
                continue;
            }
            const qsizetype close = ownerItem->range.end() - 1;
            const qsizetype start = lineStart(text, close);
            const bool closeOnOwnLine = onlyBlanksBetween(text, start, close) && start > ownerItem->range.location;
            splices.append(closeOnOwnLine ? Splice{start, 0, rule + lineBreak}
                                          : Splice{close, 0, lineBreak + rule + lineBreak});
            continue;
        }
        if (!declaration->isInBraket()) {
            flush();
            // A rule cut out here leaves no end to follow: what the model puts
            // after it follows the rule the text keeps before it.
            if (!declaration->isRemoved() || item->removed || m_gainedOnly) {
                anchor = item->whole.end();
                anchorAfterItem = true;
            }
        }
        if (declaration->isRemoved()) {
            if (!item->removed && !m_gainedOnly) {
                const Range cut = cutRange(text, item->whole.location, item->whole.end());
                splices.append({cut.location, cut.length, QString()});
                cutOut = item->whole;
            }
            continue;
        }
        if (!isEdited(*declaration, previous))
            continue;
        if (declaration->type() != RuleType::Comment && declaration->selector() != item->selector
            && item->whole.location < item->range.location) {
            qsizetype selectorEnd = item->range.location;
            while (selectorEnd > item->whole.location && isWhite(text.at(selectorEnd - 1)))
                --selectorEnd;
            splices.append({item->whole.location, selectorEnd - item->whole.location, declaration->selector()});
        }
        generatorNear(item->whole.location).propertySplices(*declaration, *item, text, splices);
    }
    flush();
    // The text's own line breaks in what the write puts in: those of its
    // rules, else its first.
    const qsizetype firstBreak = text.indexOf(u'\n');
    const bool crlf = previous.items().isEmpty() ? firstBreak > 0 && text.at(firstBreak - 1) == u'\r'
                      : !splices.isEmpty() && generatorNear(splices.constFirst().location).m_layout.lineBreak == QLatin1String("\r\n");
    if (crlf) {
        for (Splice &splice : splices)
            splice.text = withLineBreaks(splice.text, QStringLiteral("\r\n"));
    }
    return splices;
}

QString StyleSheetWriter::regeneratedText(const QList<StyleDeclarationPtr> &declarations,
                                          const StyleSheetSource *previous) const
{
    QString text;
    for (const StyleDeclarationPtr &declaration : declarations) {
        if (declaration->isRemoved() || declaration->isInBraket())
            continue;
        const int type = declaration->type();
        const bool unwritable = type == RuleType::Supports
                                || (type == RuleType::Other && declaration->hasBody()
                                    && !declaration->selector().startsWith(QLatin1String("@-moz-document")));
        const StyleSheetSource::ItemText *item = previous ? previous->itemText(declaration.get()) : nullptr;
        if (unwritable && item) {
            // The model cannot write these blocks: their text stays, with only
            // the declarations that changed inside them rewritten.
            QList<Splice> splices;
            const QString &source = previous->text();
            for (const StyleSheetSource::ItemText &inner : previous->items()) {
                if (inner.range.location > item->range.location && inner.range.end() < item->range.end()
                    && !inner.declaration->isRemoved() && isEdited(*inner.declaration, *previous))
                    propertySplices(*inner.declaration, inner, source, splices);
            }
            for (Splice &splice : splices)
                splice.location -= item->whole.location;
            text += applied(source.mid(item->whole.location, item->whole.length), splices);
            continue;
        }
        if (type == RuleType::Keyframes && declaration->selector().startsWith(QLatin1String("@-webkit")))
            text += duplicateVendarPrefixKeyframes(*declaration);
        else
            text += generateSelector(*declaration);
    }
    return text;
}

StyleSheetWriter::Result StyleSheetWriter::write(const QList<StyleDeclarationPtr> &declarations,
                                                 const StyleSheetSource *previous, Written what, NewText wanted) const
{
    m_previous = previous;
    m_gainedOnly = what == Written::GainedItems && previous;
    // A change inside a block may mark only the block.
    QList<StyleDeclarationPtr> marked;
    if (!m_gainedOnly)
        marked = previous ? previous->markedOf(declarations) : StyleSheetSource::markedIn(declarations);
    m_edited = withDescendants(marked);
    // Not "previous ? *previous : StyleSheetSource()": that would copy the source.
    const StyleSheetSource none;
    const StyleSheetSource &last = previous ? *previous : none;
    QString text;
    QList<Splice> splices;
    std::optional<Result> around;
    if (m_settings.minify && !m_gainedOnly) {
        text = regeneratedText(declarations, previous);
    } else {
        const std::optional<QList<StyleDeclarationPtr>> walked =
            previous && !m_gainedOnly ? walkedInPlace(declarations, marked, *previous) : std::nullopt;
        splices = splicesOf(walked ? *walked : declarations, last);
        // Changes that stay inside items are checked there alone.
        if (previous && !m_gainedOnly)
            around = alignedAround(splices, declarations, *previous);
        if (!around)
            text = applied(last.text(), splices);
    }
    Result result = around ? std::move(*around) : aligned(text, declarations);
    if (around && wanted == NewText::Whole) {
        const auto [prefix, suffix] = *result.unchangedEnds;
        result.text = StringUtils::withMiddle(last.text(), prefix, *result.middle, suffix);
        result.source->giveText(result.text);
        result.middle.reset();
    }
    m_previous = nullptr;
    m_gainedOnly = false;
    return result;
}

StyleSheetWriter::Result StyleSheetWriter::lineUp(const QString &text, const QList<StyleDeclarationPtr> &declarations) const
{
    m_liningUp = true;
    Result result = aligned(text, declarations);
    m_liningUp = false;
    return result;
}

std::optional<QList<StyleDeclarationPtr>> StyleSheetWriter::walkedInPlace(const QList<StyleDeclarationPtr> &declarations,
                                                                        const QList<StyleDeclarationPtr> &marked,
                                                                        const StyleSheetSource &previous) const
{
    // The model holds the text's items in their order and none it gained or
    // lost since: only the edited items and those inside them have anything
    // to write, and nothing else needs a place to follow.
    if (!previous.holdsExactly(declarations))
        return std::nullopt;
    const StyleSheetSource::Items &items = previous.items();
    QList<StyleDeclarationPtr> walked;
    qsizetype next = 0;
    for (const StyleDeclarationPtr &declaration : marked) {
        qsizetype i = previous.indexOf(declaration.get());
        if (i < next)
            continue;
        walked.append(items.declarationAt(i));
        // The items of a block follow it, comments aside.
        for (++i; i < items.size(); ++i) {
            const StyleDeclaration &inside = *items.declarationAt(i);
            if (!inside.isInBraket() && inside.type() != RuleType::Comment)
                break;
            walked.append(items.declarationAt(i));
        }
        next = i;
    }
    return walked;
}

std::optional<StyleSheetWriter::Result> StyleSheetWriter::alignedAround(const QList<Splice> &splices,
                                                                      const QList<StyleDeclarationPtr> &declarations,
                                                                      const StyleSheetSource &previous) const
{
    using ItemText = StyleSheetSource::ItemText;
    const StyleSheetSource::Items &items = previous.items();
    if (items.isEmpty())
        return std::nullopt;
    // The top-level item (a rule, or a block with everything in it) around a place of the text last written.
    const auto blockAt = [&items](qsizetype location) -> qsizetype {
        // The first item that begins after location.
        qsizetype low = 0;
        qsizetype high = items.size();
        while (low < high) {
            const qsizetype middle = low + (high - low) / 2;
            if (location < items.wholeLocation(middle))
                high = middle;
            else
                low = middle + 1;
        }
        if (low == 0)
            return -1;
        qsizetype first = low - 1;
        while (first > 0 && items.declarationAt(first)->isInBraket())
            --first;
        return items.declarationAt(first)->isInBraket() ? -1 : first;
    };
    // Each block to read again with the change of the text inside it. Every
    // splice must fall inside one: one at an item's edge (a rule added or
    // cut out between items) needs the whole text read again.
    // What changes in a block: its length, and the splices inside it,
    // counted from its start.
    struct Change
    {
        qsizetype characters = 0;
        QList<Splice> splices;
    };
    const QString &was = previous.text();
    const QList<Splice> kept = effective(splices);
    QMap<qsizetype, Change> change;
    qsizetype lineBreaks = previous.lineBreaks();
    qsizetype unchangedStart = was.size();
    qsizetype unchangedEnd = 0;
    for (const Splice &splice : kept) {
        unchangedStart = std::min(unchangedStart, splice.location);
        unchangedEnd = std::max(unchangedEnd, splice.location + splice.length);
        lineBreaks += splice.text.count(u'\n') - QStringView(was).sliced(splice.location, splice.length).count(u'\n');
        const qsizetype first = blockAt(splice.location);
        if (first < 0)
            return std::nullopt;
        const Range whole = items.at(first).whole;
        const bool inside = splice.length > 0
                                ? whole.location <= splice.location && splice.location + splice.length <= whole.end()
                                : whole.location < splice.location && splice.location < whole.end();
        if (!inside)
            return std::nullopt;
        Change &block = change[first];
        block.characters += splice.text.size() - splice.length;
        block.splices.append({splice.location - whole.location, splice.length, splice.text});
    }
    // Edited items whose text did not change are snapshotted again all the same.
    for (const StyleDeclaration *declaration : std::as_const(m_edited)) {
        if (const ItemText *item = previous.itemText(declaration)) {
            const qsizetype first = blockAt(item->whole.location);
            if (first < 0)
                return std::nullopt;
            change[first];
        }
    }

    QList<StyleSheetSource::Replacement> replaced;
    qsizetype characters = 0;
    qsizetype lines = 0;
    for (auto block = change.cbegin(); block != change.cend(); ++block) {
        const qsizetype first = block.key();
        const ItemText &top = items.at(first);
        qsizetype end = first + 1;
        while (end < items.size() && items.declarationAt(end)->isInBraket())
            ++end;
        const qsizetype start = top.whole.location + characters;
        const QString slice = applied(was.mid(top.whole.location, top.whole.length), block->splices);
        // Read alone, the block must end where it ends in the text, so that
        // what follows reads as it did.
        if (!StyleSheetParser::endsAtTopLevel(slice))
            return std::nullopt;
        // The model keeps the text's items in order, with any it gained between them.
        qsizetype at = declarations.indexOf(top.declaration, first);
        if (at < 0)
            at = declarations.indexOf(top.declaration);
        if (at < 0)
            return std::nullopt;
        qsizetype modelEnd = at + 1;
        while (modelEnd < declarations.size() && declarations.at(modelEnd)->isInBraket())
            ++modelEnd;
        QList<ItemText> made;
        if (!linedUpItems(slice, declarations.mid(at, modelEnd - at), made).ok || made.size() != end - first)
            return std::nullopt;
        for (qsizetype i = 0; i < made.size(); ++i) {
            ItemText &item = made[i];
            if (item.declaration != items.declarationAt(first + i))
                return std::nullopt;
            item.move(start, top.line + lines - 1);
        }
        characters += block->characters;
        lines += StyleSheetParser::lineEnds(slice).size()
                 - StyleSheetParser::lineEnds(QStringView(was).mid(top.whole.location, top.whole.length)).size();
        replaced.append({first, std::move(made), characters, lines});
    }

    Result result;
    result.ok = true;
    unchangedEnd = std::max(unchangedStart, unchangedEnd);
    QList<Splice> inMiddle;
    inMiddle.reserve(kept.size());
    for (const Splice &splice : kept)
        inMiddle.append({splice.location - unchangedStart, splice.length, splice.text});
    result.middle = applied(was.mid(unchangedStart, unchangedEnd - unchangedStart), inMiddle);
    result.unchangedEnds = {unchangedStart, was.size() - unchangedEnd};
    result.source = previous.withReplaced(QString(), replaced);
    result.source->setLineBreaks(lineBreaks);
    // The model points into the new text: the items read again, and those
    // after them that moved; all of them after a parse, which counts lines its own way.
    const StyleSheetSource::Items &placed = result.source->items();
    const auto place = [&result](const ItemText &item) {
        const StyleDeclarationPtr &declaration = item.declaration;
        if (declaration->range() == item.range && declaration->lineNumber() == item.line)
            return;
        result.moved.append({declaration, {declaration->range(), declaration->lineNumber()}});
        declaration->setRange(item.range);
        declaration->setLineNumber(item.line);
    };
    if (!previous.placesModel()) {
        for (const ItemText &item : placed)
            place(item);
        result.source->anchorModel();
        return result;
    }
    for (qsizetype r = 0; r < replaced.size(); ++r) {
        const StyleSheetSource::Replacement &replacement = replaced.at(r);
        const qsizetype end = r + 1 < replaced.size() ? replaced.at(r + 1).first : placed.size();
        const qsizetype readEnd = replacement.first + replacement.items.size();
        for (qsizetype i = replacement.first; i < readEnd; ++i)
            place(placed.at(i));
        // Items after a replacement that changes no length stay where they were.
        if (replacement.characters == 0 && replacement.lines == 0)
            continue;
        Result::Shift shift{{}, {}, replacement.characters, replacement.lines};
        for (qsizetype i = readEnd; i < end; ++i) {
            // A run that moves whole moves its anchor, its items untouched.
            const qsizetype runSize = std::min(StyleSheetSource::Items::kRun, placed.size() - i);
            if (i % StyleSheetSource::Items::kRun == 0 && i + runSize <= end) {
                if (const auto run = placed.anchoredRun(i / StyleSheetSource::Items::kRun)) {
                    run->anchor->characters += shift.characters;
                    run->anchor->lines += shift.lines;
                    shift.runs.append(*run);
                    i += runSize - 1;
                    continue;
                }
            }
            const ItemText &item = placed.at(i);
            const StyleDeclarationPtr &declaration = item.declaration;
            const Range was = declaration->range();
            if (Range{was.location + shift.characters, was.length} != item.range
                || declaration->lineNumber() + shift.lines != item.line) {
                place(item);
                continue;
            }
            declaration->setRange(item.range);
            declaration->setLineNumber(item.line);
            shift.declarations.append(declaration);
        }
        if (!shift.declarations.isEmpty() || !shift.runs.isEmpty())
            result.shifted.append(std::move(shift));
    }
    return result;
}

QList<std::pair<qsizetype, QString>> StyleSheetWriter::commentsInside(const StyleDeclaration &block) const
{
    QList<std::pair<qsizetype, QString>> comments;
    const StyleSheetSource::ItemText *item = m_previous ? m_previous->itemText(&block) : nullptr;
    if (!item)
        return comments;
    const QString &text = m_previous->text();
    // The rules inside the block hold their own comments.
    QList<Range> inner;
    for (const StyleSheetSource::ItemText &other : m_previous->items()) {
        if (other.range.location > item->range.location && other.range.end() < item->range.end())
            inner.append(other.whole);
    }
    for (qsizetype i = item->range.location + 1; i < item->range.end() - 1; ++i) {
        const auto within = std::find_if(inner.cbegin(), inner.cend(), [i](const Range &r) { return r.contains(i); });
        if (within != inner.cend()) {
            i = within->end() - 1;
            continue;
        }
        const QChar c = text.at(i);
        if (c == u'"' || c == u'\'') {
            const qsizetype close = text.indexOf(c, i + 1);
            i = close < 0 ? item->range.end() : close;
        } else if (c == u'/' && i + 1 < text.size() && text.at(i + 1) == u'*') {
            const qsizetype close = text.indexOf(QLatin1String("*/"), i + 2);
            const qsizetype end = close < 0 ? item->range.end() - 1 : close + 2;
            comments.append({i, text.mid(i, end - i)});
            i = end - 1;
        }
    }
    return comments;
}

StyleSheetWriter::Result StyleSheetWriter::aligned(const QString &text, const QList<StyleDeclarationPtr> &declarations) const
{
    QList<StyleSheetSource::ItemText> items;
    Result result = linedUpItems(text, declarations, items);
    if (!result.ok)
        return result;
    auto source = std::make_shared<StyleSheetSource>();
    source->setText(text);
    source->reserve(items.size());
    source->setPlacesModel(true);
    // All of it lines up: the model now points into the new text.
    for (StyleSheetSource::ItemText &item : items) {
        const StyleDeclarationPtr &declaration = item.declaration;
        if (declaration->range() != item.range || declaration->lineNumber() != item.line)
            result.moved.append({declaration, {declaration->range(), declaration->lineNumber()}});
        item.declaration->setRange(item.range);
        item.declaration->setLineNumber(item.line);
        source->appendItem(std::move(item));
    }
    source->anchorModel();
    result.source = source;
    return result;
}

StyleSheetWriter::Result StyleSheetWriter::linedUpItems(const QString &text, const QList<StyleDeclarationPtr> &declarations,
                                                        QList<StyleSheetSource::ItemText> &items) const
{
    Result result;
    result.text = text;
    const QList<StyleDeclarationPtr> parsed = StyleSheetParser::parseStyleSheet(text, nullptr, m_settings.prefixes);
    const std::shared_ptr<StyleSheetSource> written = StyleSheetSource::read(text, parsed);

    // What the text does not hold: removed items, the twins of "@-webkit-"
    // keyframes it did not have before (those of a text made anew among
    // them), and everything inside those. A text changed in place keeps a
    // twin it had, which is then edited where it stands like any other block.
    QList<StyleDeclarationPtr> skipped;
    for (const StyleDeclarationPtr &declaration : declarations) {
        // Writing the gained items only, the text keeps what the model removed.
        const StyleSheetSource::ItemText *kept = m_gainedOnly ? m_previous->itemText(declaration.get()) : nullptr;
        if (declaration->isRemoved() && !(kept && !kept->removed))
            skipped.append(declaration);
        else if (!m_liningUp && isSuppressedTwin(*declaration)
                 && (m_settings.minify || !m_previous || !m_previous->itemText(declaration.get())))
            skipped.append(declaration);
    }
    const QSet<const StyleDeclaration *> unwritten = withDescendants(skipped);
    // Twins the text does not have, with their keyframes.
    QSet<const StyleDeclaration *> absentTwins;

    items.reserve(parsed.size());
    QList<std::pair<StyleDeclarationPtr, const StyleSheetSource::ItemText *>> pairs;
    QHash<const StyleDeclaration *, qsizetype> placeOf;
    QSet<qsizetype> taken;
    qsizetype next = 0;
    for (const StyleDeclarationPtr &declaration : declarations) {
        if (unwritten.contains(declaration.get()))
            continue;
        if (declaration->type() == RuleType::Keyframe && declaration->parentFile()) {
            const StyleDeclarationPtr owner = declaration->parentFile()->getMediaOwner(*declaration);
            if (owner && absentTwins.contains(owner.get()))
                continue;
        }
        // The same text as before reads the same: the normalised key only where it does not.
        std::optional<QString> key;
        // Writing the gained items only, an item keeps the selector its text has.
        const StyleSheetSource::ItemText *kept = m_gainedOnly ? m_previous->itemText(declaration.get()) : nullptr;
        const QString selector = kept ? kept->selector : declaration->selector();
        const auto sameItem = [&](const StyleDeclaration &candidate) {
            if (candidate.type() != declaration->type())
                return false;
            if (candidate.type() == RuleType::Comment)
                return keyOf(candidate) == keyOf(*declaration);
            if (candidate.selector() == selector)
                return true;
            if (!key)
                key = kept ? StyleSheetParser::planeSelector(selector) : keyOf(*declaration);
            return keyOf(candidate) == *key;
        };
        // Keyframes are written in the order of their keys: they are looked
        // for anywhere in their block.
        qsizetype from = next;
        if (declaration->type() == RuleType::Keyframe && declaration->parentFile()) {
            const StyleDeclarationPtr owner = declaration->parentFile()->getMediaOwner(*declaration);
            if (owner && placeOf.contains(owner.get()))
                from = placeOf.value(owner.get()) + 1;
        }
        qsizetype found = -1;
        for (qsizetype i = from; i < parsed.size(); ++i) {
            const StyleDeclarationPtr &candidate = parsed.at(i);
            if (!taken.contains(i) && sameItem(*candidate)) {
                found = i;
                break;
            }
            // Only the copies the writer makes of keyframes rules stand between.
            if (!isKeyframesPart(candidate->type()))
                break;
        }
        if (found < 0 && isSuppressedTwin(*declaration)) {
            absentTwins.insert(declaration.get());
            continue;
        }
        if (found < 0) {
            result.error = QStringLiteral("the text written does not hold \"%1\" where the rules panel put it")
                               .arg(declaration->type() == RuleType::Comment ? QStringLiteral("a comment")
                                                                              : declaration->selector());
            return result;
        }
        pairs.append({declaration, &written->items().at(found)});
        placeOf.insert(declaration.get(), found);
        taken.insert(found);
        next = std::max(next, found + 1);
    }
    for (qsizetype i = next; i < parsed.size(); ++i) {
        if (!isKeyframesPart(parsed.at(i)->type()) && !taken.contains(i)) {
            result.error = QStringLiteral("the text written holds \"%1\", which the rules panel does not know")
                               .arg(parsed.at(i)->selector());
            return result;
        }
    }

    // The declarations of each item: the model's, in order, as the text has them.
    for (const auto &[declaration, item] : std::as_const(pairs)) {
        // Writing the gained items only, the others are as the text had them.
        const StyleSheetSource::ItemText *before = m_gainedOnly ? m_previous->itemText(declaration.get()) : nullptr;
        StyleSheetSource::ItemText entry =
            before ? *before : StyleSheetSource::snapshotOf(declaration, item->range, item->whole, item->line);
        entry.range = item->range;
        entry.whole = item->whole;
        entry.line = item->line;
        QList<StyleSheetSource::PropertyText> kept;
        qsizetype at = 0;
        for (StyleSheetSource::PropertyText &property : entry.properties) {
            if (property.removed || property.name.isNull())
                continue;
            // A copy whose value names prefixed properties ("-webkit-transition:
            // opacity 1s, -webkit-transform 1s") reads as a declaration of its
            // own: it belongs to this one.
            QList<StyleSheetSource::Piece> copies;
            while (at < item->properties.size() && item->properties.at(at).value != property.value.trimmed()
                   && isPrefixedCopyOf(*item->properties.at(at).property, property.name.trimmed())) {
                copies += item->properties.at(at).pieces;
                ++at;
            }
            if (at >= item->properties.size()
                || formalPropertyName(item->properties.at(at).name) != formalPropertyName(property.name.trimmed())
                || item->properties.at(at).value != property.value.trimmed()) {
                result.error = QStringLiteral("\"%1: %2\" in \"%3\" would not stay one declaration")
                                   .arg(property.name, property.value, declaration->selector());
                return result;
            }
            property.pieces = copies + item->properties.at(at).pieces;
            kept.append(property);
            ++at;
        }
        if (at != item->properties.size()) {
            result.error = QStringLiteral("the text written of \"%1\" holds more declarations than its rule")
                               .arg(declaration->selector());
            return result;
        }
        entry.properties = kept;
        items.append(std::move(entry));
    }
    result.ok = true;
    return result;
}
