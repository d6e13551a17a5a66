#include "StyleSheetSource.h"

#include "CSSRules_p.h"
#include "StyleSheetLayout.h"

#include "stylesheet/StyleSheetParser.h"

#include <algorithm>

namespace {

using CSSRulesPrivate::isWhite;

} // namespace

const StyleSheetSource::PropertyText *StyleSheetSource::ItemText::propertyText(const CSSProperty *property) const
{
    for (const PropertyText &entry : properties) {
        if (entry.property.get() == property)
            return &entry;
    }
    return nullptr;
}

StyleSheetSource::Piece StyleSheetSource::ItemText::placed(const Piece &piece) const
{
    const qsizetype at = range.location;
    return {{piece.whole.location + at, piece.whole.length},
            {piece.name.location + at, piece.name.length},
            {piece.value.location + at, piece.value.length}};
}

StyleSheetSource::PropertyText StyleSheetSource::ItemText::placed(const PropertyText &property) const
{
    PropertyText placedText = property;
    for (Piece &piece : placedText.pieces)
        piece = placed(piece);
    return placedText;
}

void StyleSheetSource::ItemText::move(qsizetype characters, qsizetype lines)
{
    range.location += characters;
    whole.location += characters;
    line += lines;
}

StyleSheetSource::Piece StyleSheetSource::pieceAt(const QString &text, Range whole)
{
    Piece piece;
    piece.whole = whole;
    const qsizetype end = std::min(whole.end(), text.size());
    qsizetype start = std::min(whole.location, end);
    // White space and comments before the name are no part of it.
    for (bool skipped = true; skipped;) {
        skipped = false;
        while (start < end && isWhite(text.at(start)))
            ++start;
        if (start + 1 < end && text.at(start) == u'/' && text.at(start + 1) == u'*') {
            const qsizetype close = text.indexOf(QLatin1String("*/"), start + 2);
            if (close >= 0 && close + 2 <= end) {
                start = close + 2;
                skipped = true;
            }
        }
    }
    qsizetype colon = start;
    while (colon < end && text.at(colon) != u':')
        ++colon;
    qsizetype nameEnd = colon;
    while (nameEnd > start && isWhite(text.at(nameEnd - 1)))
        --nameEnd;
    piece.name = {start, nameEnd - start};
    if (colon >= end) {
        piece.value = {end, 0};
        return piece;
    }
    qsizetype valueStart = colon + 1;
    while (valueStart < end && isWhite(text.at(valueStart)))
        ++valueStart;
    qsizetype valueEnd = end;
    while (valueEnd > valueStart && isWhite(text.at(valueEnd - 1)))
        --valueEnd;
    piece.value = {valueStart, valueEnd - valueStart};
    return piece;
}

StyleSheetSource::ItemText StyleSheetSource::snapshotOf(const StyleDeclarationPtr &declaration, Range range, Range whole,
                                                       qsizetype line)
{
    ItemText item;
    item.declaration = declaration;
    item.range = range;
    item.whole = whole;
    item.line = line;
    item.selector = declaration->selector();
    item.removed = declaration->isRemoved();
    for (const CSSPropertyPtr &property : declaration->properties()) {
        PropertyText entry;
        entry.property = property;
        entry.name = property->property();
        entry.value = property->value();
        entry.removed = !CSSRulesPrivate::isWritten(*property);
        item.properties.append(entry);
    }
    return item;
}

std::shared_ptr<StyleSheetSource> StyleSheetSource::read(const QString &text, const QList<StyleDeclarationPtr> &declarations)
{
    auto source = std::make_shared<StyleSheetSource>();
    source->m_text = text;
    source->reserve(declarations.size());
    // The blocks open at the current item, innermost last, and the end of the
    // last item closed before it: where the text of the next selector begins.
    QList<Range> open;
    qsizetype lastEnd = 0;
    const QList<qsizetype> lineEnds = StyleSheetParser::lineEnds(text);
    for (const StyleDeclarationPtr &declaration : declarations) {
        const Range range = declaration->range();
        while (!open.isEmpty() && open.constLast().end() <= range.location) {
            lastEnd = std::max(lastEnd, open.constLast().end());
            open.removeLast();
        }
        qsizetype boundary = lastEnd;
        if (!open.isEmpty())
            boundary = std::max(boundary, open.constLast().location + 1);
        const bool block = declaration->type() != RuleType::Comment && declaration->hasBody()
                           && range.location < text.size() && text.at(range.location) == u'{';
        Range whole = range;
        if (block) {
            const qsizetype start = StyleSheetParser::selectorStart(text, boundary, range.location);
            whole = {start, range.end() - start};
            open.append(range);
        } else {
            lastEnd = std::max(lastEnd, range.end());
        }
        const auto line = std::upper_bound(lineEnds.cbegin(), lineEnds.cend(), whole.location);
        ItemText item = snapshotOf(declaration, range, whole, qsizetype(line - lineEnds.cbegin()) + 1);
        const qsizetype bodyStart = range.location + 1;
        for (PropertyText &entry : item.properties) {
            for (const Range piece : entry.property->textRanges()) {
                Piece placed = pieceAt(text, {bodyStart + piece.location, piece.length});
                placed.whole.location -= range.location;
                placed.name.location -= range.location;
                placed.value.location -= range.location;
                entry.pieces.append(placed);
            }
        }
        source->appendItem(std::move(item));
    }
    return source;
}

std::shared_ptr<StyleSheetSource> StyleSheetSource::withReplaced(const QString &text, const QList<Replacement> &replaced) const
{
    // The index and the items are shared until the first change.
    auto source = std::make_shared<StyleSheetSource>(*this);
    source->m_text = text;
    source->m_lineBreaks = -1;
    source->m_minified = isMinified();
    source->m_placesModel = true;
    Items &items = source->m_items;
    qsizetype characters = 0;
    qsizetype lines = 0;
    qsizetype next = 0;
    const auto moveUpTo = [&](qsizetype end) {
        while ((characters != 0 || lines != 0) && next < end) {
            // A whole run moves as one.
            Items::RunRef &ref = items.m_runs[next / Items::kRun];
            if (next % Items::kRun == 0 && next + ref.run->size() <= end) {
                ref.characters += characters;
                ref.lines += lines;
                next += ref.run->size();
                continue;
            }
            items.writable(next++).move(characters, lines);
        }
        next = end;
    };
    for (const Replacement &replacement : replaced) {
        moveUpTo(replacement.first);
        for (const ItemText &item : replacement.items)
            items.writable(next++) = item;
        characters = replacement.characters;
        lines = replacement.lines;
    }
    moveUpTo(m_items.size());
    return source;
}

void StyleSheetSource::anchorModel()
{
    for (Items::RunRef &ref : m_items.m_runs) {
        auto anchor = std::make_shared<StyleDeclaration::Anchor>();
        for (const ItemText &item : std::as_const(*ref.run))
            item.declaration->moveWith(anchor);
        ref.anchor = anchor;
        ref.joined = anchor->joined;
    }
}

bool StyleSheetSource::isMinified() const
{
    if (!m_minified)
        m_minified = StyleSheetLayout::isMinified(m_text);
    return *m_minified;
}

qsizetype StyleSheetSource::lineBreaks() const
{
    if (m_lineBreaks < 0)
        m_lineBreaks = m_text.count(u'\n');
    return m_lineBreaks;
}

StyleSheetSource::ItemText &StyleSheetSource::Items::writable(qsizetype i)
{
    settle(i / kRun);
    RunRef &ref = m_runs[i / kRun];
    if (ref.run.use_count() > 1)
        ref.run = std::make_shared<Run>(*ref.run);
    return (*ref.run)[i % kRun];
}

void StyleSheetSource::Items::settle(qsizetype run) const
{
    RunRef &ref = m_runs[run];
    if (ref.characters == 0 && ref.lines == 0)
        return;
    if (ref.run.use_count() > 1)
        ref.run = std::make_shared<Run>(*ref.run);
    for (ItemText &item : *ref.run)
        item.move(ref.characters, ref.lines);
    ref.characters = 0;
    ref.lines = 0;
}

std::optional<StyleSheetSource::Items::AnchoredRun> StyleSheetSource::Items::anchoredRun(qsizetype run) const
{
    const RunRef &ref = m_runs.at(run);
    if (!ref.anchor || ref.anchor->joined != ref.joined)
        return std::nullopt;
    return AnchoredRun{ref.anchor, ref.joined, ref.run};
}

void StyleSheetSource::Items::append(ItemText item)
{
    if (!m_runs.isEmpty())
        settle(m_runs.size() - 1);
    if (m_runs.isEmpty() || m_runs.constLast().run->size() == kRun) {
        m_runs.append({std::make_shared<Run>(), 0, 0, nullptr});
        m_runs.last().run->reserve(kRun);
    }
    m_runs.last().run->append(std::move(item));
    ++m_count;
}

void StyleSheetSource::reserve(qsizetype count)
{
    m_items.m_runs.reserve((count + Items::kRun - 1) / Items::kRun);
    m_index.reserve(count);
}

void StyleSheetSource::appendItem(ItemText item)
{
    m_index.insert(item.declaration.get(), m_items.size());
    m_items.append(std::move(item));
}

const StyleSheetSource::ItemText *StyleSheetSource::itemText(const StyleDeclaration *declaration) const
{
    const auto it = m_index.constFind(declaration);
    return it == m_index.cend() ? nullptr : &m_items.at(it.value());
}

const StyleSheetSource::Check &StyleSheetSource::checked(const QList<StyleDeclarationPtr> &declarations) const
{
    const quint64 stamp = StyleDeclaration::removalStamp();
    if (m_check && m_check->removalStamp == stamp && m_check->model.size() == declarations.size()
        && m_check->model.constData() == declarations.constData())
        return *m_check;
    auto check = std::make_shared<Check>();
    check->model = declarations;
    check->removalStamp = stamp;
    check->exactly = true;
    qsizetype next = 0;
    for (const StyleDeclarationPtr &declaration : declarations) {
        if (next < m_items.size() && m_items.declarationAt(next) == declaration) {
            ++next;
            check->exactly = check->exactly && !declaration->isRemoved();
        } else {
            check->exactly = check->exactly && declaration->isRemoved();
        }
    }
    // The model may gain items (which the writer adds to the text) but
    // must not have lost or reordered any it was made from.
    check->describes = next == m_items.size();
    check->exactly = check->exactly && check->describes;
    m_check = check;
    return *check;
}

bool StyleSheetSource::describes(const QList<StyleDeclarationPtr> &declarations) const
{
    return checked(declarations).describes;
}

bool StyleSheetSource::holdsExactly(const QList<StyleDeclarationPtr> &declarations) const
{
    return checked(declarations).exactly;
}

QList<StyleDeclarationPtr> StyleSheetSource::markedIn(const QList<StyleDeclarationPtr> &declarations)
{
    QList<StyleDeclarationPtr> marked;
    for (const StyleDeclarationPtr &declaration : declarations) {
        if (declaration->isModified())
            marked.append(declaration);
    }
    return marked;
}

QList<StyleDeclarationPtr> StyleSheetSource::markedOf(const QList<StyleDeclarationPtr> &declarations) const
{
    if (!holdsExactly(declarations))
        return markedIn(declarations);
    QList<StyleDeclarationPtr> marked;
    // An item removed before the text was written has nothing to write.
    QList<qsizetype> at;
    for (const StyleDeclaration *declaration : StyleDeclaration::markedItems()) {
        if (const auto it = m_index.constFind(declaration); it != m_index.cend())
            at.append(it.value());
    }
    std::sort(at.begin(), at.end());
    marked.reserve(at.size());
    for (const qsizetype i : std::as_const(at))
        marked.append(m_items.declarationAt(i));
    return marked;
}
