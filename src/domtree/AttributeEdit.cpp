#include "AttributeEdit.h"

#include "LayoutSpace.h"

#include "stylesheet/StringCSSProperty.h"

#include <QHash>
#include <QRegularExpression>

namespace {

// One declaration of a style text: where it stands, without its ";".
struct StylePiece
{
    qsizetype start = 0;
    qsizetype end = 0;
    // The piece without white space at either end.
    qsizetype contentStart = 0;
    qsizetype contentEnd = 0;
    qsizetype valueStart = 0;
    qsizetype valueEnd = 0;
    // Lower case; empty for a piece that is no declaration.
    QString name;
    bool hasSemicolon = false;
};

QList<StylePiece> stylePieces(const QString &text)
{
    QList<StylePiece> pieces;
    for (const QStringView view : StringCSSProperty::declarationViews(text)) {
        StylePiece piece;
        piece.start = view.data() - text.constData();
        piece.end = piece.start + view.size();
        piece.hasSemicolon = piece.end < text.size() && text.at(piece.end) == u';';
        piece.contentStart = piece.start;
        piece.contentEnd = piece.end;
        while (piece.contentStart < piece.contentEnd && LayoutSpace::isSpace(text.at(piece.contentStart)))
            ++piece.contentStart;
        while (piece.contentEnd > piece.contentStart && LayoutSpace::isSpace(text.at(piece.contentEnd - 1)))
            --piece.contentEnd;
        const qsizetype colon = text.indexOf(u':', piece.contentStart);
        if (colon >= 0 && colon < piece.contentEnd) {
            const QString name = text.mid(piece.contentStart, colon - piece.contentStart).trimmed();
            if (!name.isEmpty() && std::none_of(name.cbegin(), name.cend(), [](QChar c) { return c.isSpace(); }))
                piece.name = name.toLower();
            piece.valueStart = colon + 1;
            piece.valueEnd = piece.contentEnd;
            while (piece.valueStart < piece.valueEnd && LayoutSpace::isSpace(text.at(piece.valueStart)))
                ++piece.valueStart;
        }
        pieces.append(piece);
    }
    return pieces;
}

// The value each name has in a style text: its last declaration's.
QHash<QString, QString> styleValues(const QString &text, QStringList *order = nullptr)
{
    QHash<QString, QString> values;
    for (const StylePiece &piece : stylePieces(text)) {
        if (piece.name.isEmpty())
            continue;
        if (order) {
            order->removeOne(piece.name);
            order->append(piece.name);
        }
        values.insert(piece.name, text.mid(piece.valueStart, piece.valueEnd - piece.valueStart));
    }
    return values;
}

QStringList classNames(const QString &text)
{
    QStringList names;
    for (const QString &name : text.split(QRegularExpression(QStringLiteral("[ \\t\\n\\f\\r]+")), Qt::SkipEmptyParts)) {
        if (!names.contains(name))
            names.append(name);
    }
    return names;
}

bool isClassSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

} // namespace

AttributeEdit::Kind AttributeEdit::kindOf(const QString &name)
{
    if (name.compare(QLatin1String("style"), Qt::CaseInsensitive) == 0)
        return Kind::Style;
    if (name.compare(QLatin1String("class"), Qt::CaseInsensitive) == 0)
        return Kind::Class;
    return Kind::Value;
}

AttributeEdit AttributeEdit::between(const QString &name, const std::optional<QString> &before,
                                     const std::optional<QString> &after, Given given,
                                     const std::optional<QString> &partsFrom)
{
    AttributeEdit edit;
    edit.m_kind = kindOf(name);
    edit.m_made = true;
    edit.m_pageBefore = before;
    edit.m_pageAfter = after;
    if (!after || edit.m_kind == Kind::Value) {
        edit.m_whole = true;
        edit.m_value = after;
        return edit;
    }
    const QString from = partsFrom.value_or(before.value_or(QString()));
    edit.m_parts = edit.m_kind == Kind::Style ? styleChanges(from, *after) : classChanges(from, *after);
    if (given == Given::Whole)
        edit.m_typed = after;
    return edit;
}

namespace {

// The parts of later over those of earlier: a name's newest part wins.
void followParts(QList<AttributeEdit::Part> &parts, const QList<AttributeEdit::Part> &later)
{
    for (const AttributeEdit::Part &part : later) {
        const auto same = std::find_if(parts.begin(), parts.end(),
                                       [&part](const AttributeEdit::Part &each) { return each.first == part.first; });
        if (same != parts.end())
            same->second = part.second;
        else
            parts.append(part);
    }
}

} // namespace

void AttributeEdit::follow(const AttributeEdit &later)
{
    if (!later.m_made)
        return;
    if (!m_made) {
        *this = later;
        return;
    }
    m_kind = later.m_kind;
    m_unbroken = m_unbroken && later.m_unbroken && later.m_pageBefore == m_pageAfter;
    m_pageAfter = later.m_pageAfter;
    if (later.m_whole) {
        m_whole = true;
        m_value = later.m_value;
        m_parts = later.m_parts;
        m_typed = later.m_typed;
        m_partsSinceTyped = later.m_partsSinceTyped;
        return;
    }
    followParts(m_parts, later.m_parts);
    if (later.m_typed) {
        m_typed = later.m_typed;
        m_partsSinceTyped = later.m_partsSinceTyped;
    } else if (m_typed) {
        followParts(m_partsSinceTyped, later.m_parts);
    }
}

bool AttributeEdit::isTypedOver(const std::optional<QString> &fileValue) const
{
    // The page showed the file's value until the user's edits, which
    // followed one another: no script had a hand in what was typed.
    return m_typed && m_unbroken && fileValue == m_pageBefore;
}

bool AttributeEdit::isEmpty() const
{
    if (m_whole || !m_parts.isEmpty())
        return false;
    return !m_typed || (m_typed == m_pageBefore && m_partsSinceTyped.isEmpty());
}

std::optional<QString> AttributeEdit::appliedTo(const std::optional<QString> &fileValue) const
{
    const bool typed = isTypedOver(fileValue);
    const std::optional<QString> base = typed ? m_typed : m_whole ? m_value : fileValue;
    const QList<Part> &parts = typed ? m_partsSinceTyped : m_parts;
    if (parts.isEmpty())
        return base;
    const QString value = m_kind == Kind::Style ? withStyleChanges(base.value_or(QString()), parts)
                                                : withClassChanges(base.value_or(QString()), parts);
    // An attribute the author never wrote is not left empty.
    if (!base && LayoutSpace::trimmed(value).isEmpty())
        return std::nullopt;
    return value;
}

QList<AttributeEdit::Part> AttributeEdit::styleChanges(const QString &before, const QString &after)
{
    const QHash<QString, QString> old = styleValues(before);
    QStringList order;
    const QHash<QString, QString> now = styleValues(after, &order);
    QList<Part> changes;
    for (const QString &name : std::as_const(order)) {
        const auto was = old.constFind(name);
        if (was == old.cend() || was.value() != now.value(name))
            changes.append({name, now.value(name)});
    }
    QStringList removed;
    for (auto it = old.cbegin(); it != old.cend(); ++it) {
        if (!now.contains(it.key()))
            removed.append(it.key());
    }
    // In the order the text had them.
    QStringList oldOrder;
    styleValues(before, &oldOrder);
    for (const QString &name : std::as_const(oldOrder)) {
        if (removed.contains(name))
            changes.append({name, std::nullopt});
    }
    return changes;
}

QString AttributeEdit::withStyleChanges(const QString &text, const QList<Part> &changes)
{
    QString out = text;
    for (const auto &[name, value] : changes) {
        const QList<StylePiece> pieces = stylePieces(out);
        qsizetype last = -1;
        qsizetype lastNamed = -1;
        qsizetype lastDeclaration = -1;
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (pieces.at(i).contentStart < pieces.at(i).contentEnd)
                lastDeclaration = i;
            if (!pieces.at(i).name.isEmpty())
                lastNamed = i;
            if (pieces.at(i).name == name)
                last = i;
        }
        if (value && last >= 0) {
            const StylePiece &piece = pieces.at(last);
            out.replace(piece.valueStart, piece.valueEnd - piece.valueStart, *value);
        } else if (value && lastDeclaration < 0) {
            // An empty text takes the panel's own layout.
            out = name + u':' + *value + u';';
        } else if (value) {
            // After the last declaration, spaced as the text spaces them.
            const StylePiece &tail = pieces.at(lastDeclaration);
            QString colonText = QStringLiteral(":");
            if (lastNamed >= 0) {
                const StylePiece &named = pieces.at(lastNamed);
                const qsizetype colon = out.indexOf(u':', named.contentStart);
                colonText = out.mid(colon, named.valueStart - colon);
            }
            QString separator = out.mid(tail.start, tail.contentStart - tail.start);
            if (lastDeclaration == 0 && !separator.contains(u'\n'))
                separator = QStringLiteral(" ");
            const QString declaration = name + colonText + *value;
            if (tail.hasSemicolon)
                out.insert(tail.end + 1, separator + declaration + u';');
            else
                out.insert(tail.contentEnd, u';' + separator + declaration);
        } else {
            // Every declaration of the name goes, with its separator.
            for (qsizetype i = pieces.size() - 1; i >= 0; --i) {
                if (pieces.at(i).name != name)
                    continue;
                const QList<StylePiece> now = stylePieces(out);
                qsizetype first = -1;
                qsizetype final = -1;
                for (qsizetype j = 0; j < now.size(); ++j) {
                    if (now.at(j).contentStart < now.at(j).contentEnd) {
                        final = j;
                        if (first < 0)
                            first = j;
                    }
                }
                const StylePiece &piece = now.at(i);
                qsizetype from = piece.contentStart;
                qsizetype to = piece.hasSemicolon ? piece.end + 1 : piece.contentEnd;
                if (i == final && first != final) {
                    // The last one takes the separator before it along.
                    from = piece.hasSemicolon ? now.at(i - 1).end + 1 : now.at(i - 1).end;
                } else if (i != final) {
                    // One before others takes the white space after it: the
                    // next keeps this one's.
                    while (to < out.size() && LayoutSpace::isSpace(out.at(to)))
                        ++to;
                }
                out.remove(from, to - from);
            }
        }
    }
    return out;
}

QList<AttributeEdit::Part> AttributeEdit::classChanges(const QString &before, const QString &after)
{
    const QStringList old = classNames(before);
    const QStringList now = classNames(after);
    QList<Part> changes;
    for (const QString &name : now) {
        if (!old.contains(name))
            changes.append({name, QString()});
    }
    for (const QString &name : old) {
        if (!now.contains(name))
            changes.append({name, std::nullopt});
    }
    return changes;
}

QString AttributeEdit::withClassChanges(const QString &text, const QList<Part> &changes)
{
    QString out = text;
    for (const auto &[name, value] : changes) {
        // Where the name stands as a whole word.
        qsizetype at = -1;
        for (qsizetype from = 0; (from = out.indexOf(name, from)) >= 0; ++from) {
            const qsizetype end = from + name.size();
            if ((from == 0 || isClassSpace(out.at(from - 1))) && (end == out.size() || isClassSpace(out.at(end)))) {
                at = from;
                break;
            }
        }
        if (value && at < 0) {
            qsizetype end = out.size();
            while (end > 0 && isClassSpace(out.at(end - 1)))
                --end;
            out.insert(end, end > 0 ? u' ' + name : name);
        } else if (!value && at >= 0) {
            qsizetype from = at;
            qsizetype to = at + name.size();
            // The white space after it goes along, or, for the last name, the white space before it.
            qsizetype after = to;
            while (after < out.size() && isClassSpace(out.at(after)))
                ++after;
            if (after < out.size()) {
                to = after;
            } else {
                while (from > 0 && isClassSpace(out.at(from - 1)))
                    --from;
            }
            out.remove(from, to - from);
        }
    }
    return out;
}

void AttributeEdits::follow(const QString &name, const AttributeEdit &edit)
{
    const QString key = name.toLower();
    for (Entry &entry : m_entries) {
        if (entry.first == key) {
            entry.second.follow(edit);
            return;
        }
    }
    AttributeEdit first;
    first.follow(edit);
    m_entries.append({key, first});
}

void AttributeEdits::follow(const AttributeEdits &other)
{
    for (const Entry &entry : other.m_entries)
        follow(entry.first, entry.second);
}

AttributeEdit AttributeEdits::value(const QString &name) const
{
    const QString key = name.toLower();
    for (const Entry &entry : m_entries) {
        if (entry.first == key)
            return entry.second;
    }
    return {};
}

bool AttributeEdits::contains(const QString &name) const
{
    const QString key = name.toLower();
    return std::any_of(m_entries.cbegin(), m_entries.cend(), [&key](const Entry &entry) { return entry.first == key; });
}

QStringList AttributeEdits::names() const
{
    QStringList names;
    for (const Entry &entry : m_entries)
        names.append(entry.first);
    return names;
}

void AttributeEdits::keepOnly(const QStringList &names)
{
    m_entries.removeIf([&names](const Entry &entry) { return !names.contains(entry.first); });
}

bool AttributeEdits::changesAnything() const
{
    return std::any_of(m_entries.cbegin(), m_entries.cend(), [](const Entry &entry) { return !entry.second.isEmpty(); });
}
