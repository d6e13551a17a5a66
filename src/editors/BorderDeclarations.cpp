#include "BorderDeclarations.h"

#include "ValueFunctionList.h"

#include "stylesheet/ColorUtil.h"
#include "stylesheet/FourSides.h"

#include <QMap>

#include <algorithm>

namespace {

using Part = BorderDeclarations::Part;

const QStringList &borderSideWords()
{
    static const QStringList words{QStringLiteral("top"), QStringLiteral("right"), QStringLiteral("bottom"),
                                   QStringLiteral("left")};
    return words;
}

const QStringList &borderPartWords()
{
    static const QStringList words{QStringLiteral("style"), QStringLiteral("width"), QStringLiteral("color")};
    return words;
}

// What a part is when a longhand gives no text for it.
QString initialText(Part part)
{
    switch (part) {
    case Part::Style:
        return QStringLiteral("none");
    case Part::Width:
        return QStringLiteral("medium");
    case Part::Color:
        return QStringLiteral("currentcolor");
    }
    return {};
}

bool isVarText(const QString &text)
{
    return text.contains(QLatin1String("var("), Qt::CaseInsensitive);
}

// The part a var() names: "var(--bs-card-border-color)" a colour. Nothing
// when its name says no part, or more than one.
std::optional<Part> partNamedBy(const QString &text)
{
    const QString lower = text.trimmed().toLower();
    if (!lower.startsWith(QLatin1String("var(")))
        return std::nullopt;
    qsizetype end = lower.indexOf(u',');
    if (end < 0)
        end = lower.indexOf(u')');
    const QStringList words = lower.mid(4, end < 0 ? -1 : end - 4).trimmed().split(u'-', Qt::SkipEmptyParts);
    std::optional<Part> named;
    int count = 0;
    for (const QString &word : words) {
        std::optional<Part> part;
        if (word == u"style")
            part = Part::Style;
        else if (word == u"width")
            part = Part::Width;
        else if (word == u"color" || word == u"colour")
            part = Part::Color;
        if (part && part != named) {
            named = part;
            ++count;
        }
    }
    return count == 1 ? named : std::nullopt;
}

int sideBit(int side)
{
    return 1 << side;
}

// The component of a one-to-four-value list that a side takes.
int componentOf(int count, int side)
{
    switch (count) {
    case 1:
        return 0;
    case 2:
        return side % 2;
    case 3:
        return side == 3 ? 1 : side;
    default:
        return side;
    }
}

// Four side values in the shortest list that gives them.
QStringList compactSides(const QStringList &sides)
{
    if (sides[1] == sides[3]) {
        if (sides[0] == sides[2])
            return sides[0] == sides[1] ? QStringList{sides[0]} : QStringList{sides[0], sides[1]};
        return {sides[0], sides[1], sides[2]};
    }
    return sides;
}

} // namespace

const QStringList &BorderDeclarations::styleKeywords()
{
    static const QStringList words{QStringLiteral("none"),   QStringLiteral("hidden"), QStringLiteral("dotted"),
                                   QStringLiteral("dashed"), QStringLiteral("solid"),  QStringLiteral("double"),
                                   QStringLiteral("groove"), QStringLiteral("ridge"),  QStringLiteral("inset"),
                                   QStringLiteral("outset")};
    return words;
}

const QStringList &BorderDeclarations::widthKeywords()
{
    static const QStringList words{QStringLiteral("thin"), QStringLiteral("medium"), QStringLiteral("thick")};
    return words;
}

bool BorderDeclarations::isBorderName(const QString &name)
{
    const QStringList words = name.split(u'-');
    if (words.value(0) != u"border")
        return false;
    switch (words.size()) {
    case 1:
        return true;
    case 2:
        return borderSideWords().contains(words[1]) || borderPartWords().contains(words[1]);
    case 3:
        return borderSideWords().contains(words[1]) && borderPartWords().contains(words[2]);
    default:
        return false;
    }
}

bool BorderDeclarations::isPartText(Part part, const QString &text)
{
    const QString lower = text.trimmed().toLower();
    if (lower.isEmpty() || isVarText(lower))
        return false;
    switch (part) {
    case Part::Style:
        return styleKeywords().contains(lower);
    case Part::Width: {
        if (widthKeywords().contains(lower))
            return true;
        ValueFunctionList::Number number;
        if (!ValueFunctionList::readNumber(lower, &number))
            return false;
        return !number.unit.isEmpty() || number.number.toDouble() == 0;
    }
    case Part::Color:
        return lower == u"currentcolor" || ColorUtil::cssColorWithString(text).has_value();
    }
    return false;
}

void BorderDeclarations::append(const QString &name, const QString &value, const QString &priority)
{
    Declaration declaration;
    declaration.name = name;
    declaration.value = value;
    declaration.priority = priority;
    parse(declaration);
    m_declarations.append(declaration);
}

void BorderDeclarations::parse(Declaration &declaration)
{
    declaration.tokens.clear();
    declaration.unlocated.clear();
    declaration.kind = Kind::Kept;
    const QString name = declaration.name.toLower();
    if (!isBorderName(name))
        return;
    const QStringList words = name.split(u'-');
    const int side = words.size() > 1 ? int(borderSideWords().indexOf(words[1])) : -1;
    const QList<ValueFunctionList::Item> items = ValueFunctionList::split(declaration.value);
    for (const ValueFunctionList::Item &item : items)
        declaration.tokens.append({item.text, item.location, std::nullopt, false});

    if (words.size() == 1 || (words.size() == 2 && side >= 0)) {
        declaration.kind = Kind::Shorthand;
        declaration.sides = side >= 0 ? sideBit(side) : kAllSides;
        // Each token that reads as a part not yet given is that part.
        std::array<bool, kPartCount> located{};
        for (Token &token : declaration.tokens) {
            for (int p = 0; p < kPartCount; ++p) {
                if (!located[p] && isPartText(Part(p), token.text)) {
                    token.part = Part(p);
                    token.known = true;
                    located[p] = true;
                    break;
                }
            }
        }
        // A var() whose name says its part stands for it; one text left
        // for one part left is that part.
        for (int p = 0; p < kPartCount; ++p) {
            if (located[p])
                continue;
            Token *named = nullptr;
            int count = 0;
            for (Token &token : declaration.tokens) {
                if (!token.part && !token.known && partNamedBy(token.text) == Part(p)) {
                    named = &token;
                    ++count;
                }
            }
            if (count == 1) {
                named->part = Part(p);
                located[p] = true;
            }
        }
        QList<Token *> left;
        for (Token &token : declaration.tokens) {
            if (!token.part)
                left.append(&token);
        }
        const int partsLeft = int(std::count(located.cbegin(), located.cend(), false));
        if (left.size() == 1 && partsLeft == 1)
            left.first()->part = Part(int(std::find(located.cbegin(), located.cend(), false) - located.cbegin()));
        else
            for (const Token *token : std::as_const(left))
                declaration.unlocated.append(token->text);
        return;
    }
    if (words.size() == 2) {
        declaration.kind = Kind::PartList;
        declaration.sides = kAllSides;
        declaration.part = Part(borderPartWords().indexOf(words[1]));
    } else {
        declaration.kind = Kind::SidePart;
        declaration.sides = sideBit(side);
        declaration.part = Part(borderPartWords().indexOf(words[2]));
        // One side's one part: the whole value, whatever it holds.
        declaration.tokens = {{declaration.value.trimmed(), 0, std::nullopt, false}};
    }
    for (Token &token : declaration.tokens) {
        token.part = declaration.part;
        token.known = isPartText(declaration.part, token.text);
    }
}

bool BorderDeclarations::hasBorders() const
{
    return std::any_of(m_declarations.cbegin(), m_declarations.cend(),
                       [](const Declaration &declaration) { return declaration.kind != Kind::Kept; });
}

BorderDeclarations::Source BorderDeclarations::sourceOf(int side, Part part) const
{
    Source source;
    for (int i = 0; i < m_declarations.size(); ++i) {
        const Declaration &declaration = m_declarations[i];
        if (declaration.kind == Kind::Kept || !(declaration.sides & sideBit(side)))
            continue;
        if (declaration.kind != Kind::Shorthand && declaration.part != part)
            continue;
        // A later ordinary declaration does not replace an important one.
        if (source.declaration >= 0 && m_declarations[source.declaration].important() && !declaration.important())
            continue;
        source.declaration = i;
    }
    if (source.declaration < 0)
        return source;
    const Declaration &declaration = m_declarations[source.declaration];
    const QList<Token> &tokens = declaration.tokens;
    switch (declaration.kind) {
    case Kind::Shorthand:
        for (int t = 0; t < tokens.size(); ++t) {
            if (tokens[t].part == part)
                source.token = t;
        }
        break;
    case Kind::PartList:
        // A var() may hold several sides: no side has a place of its own then.
        if (!tokens.isEmpty() && tokens.size() <= 4 && !isVarText(declaration.value))
            source.token = componentOf(int(tokens.size()), side);
        break;
    case Kind::SidePart:
        if (!tokens.first().text.isEmpty())
            source.token = 0;
        break;
    case Kind::Kept:
        break;
    }
    return source;
}

BorderDeclarations::PartText BorderDeclarations::textOf(const Source &source) const
{
    if (source.declaration < 0)
        return {};
    const Declaration &declaration = m_declarations[source.declaration];
    if (source.token >= 0) {
        const Token &token = declaration.tokens[source.token];
        return {token.known ? PartText::State::Known : PartText::State::Unknown, token.text, true};
    }
    if (declaration.kind == Kind::Shorthand) {
        if (declaration.unlocated.isEmpty())
            return {};
        return {PartText::State::Unknown, declaration.unlocated.join(u' '), false};
    }
    if (declaration.value.trimmed().isEmpty())
        return {};
    return {PartText::State::Unknown, declaration.value.trimmed(), false};
}

BorderDeclarations::SideText BorderDeclarations::side(int side) const
{
    SideText text;
    for (int p = 0; p < kPartCount; ++p)
        text[p] = textOf(sourceOf(side, Part(p)));
    return text;
}

int BorderDeclarations::sidesFrom(int declaration, Part part) const
{
    int sides = 0;
    for (int s = 0; s < 4; ++s) {
        if (sourceOf(s, part).declaration == declaration)
            sides |= sideBit(s);
    }
    return sides;
}

bool BorderDeclarations::canEditInPlace(int index, Part part, int sides) const
{
    const Declaration &declaration = m_declarations[index];
    const bool coversOnlyThose = !(sidesFrom(index, part) & ~sides);
    switch (declaration.kind) {
    case Kind::Shorthand: {
        if (!coversOnlyThose)
            return false;
        const bool located = std::any_of(declaration.tokens.cbegin(), declaration.tokens.cend(),
                                         [part](const Token &token) { return token.part == part; });
        // A part not written there may be inside a var(): nothing goes beside it.
        return located || declaration.unlocated.isEmpty();
    }
    case Kind::PartList:
        return coversOnlyThose
               || (!declaration.tokens.isEmpty() && declaration.tokens.size() <= 4 && !isVarText(declaration.value));
    case Kind::SidePart:
        return true;
    case Kind::Kept:
        return false;
    }
    return false;
}

void BorderDeclarations::editInPlace(int index, Part part, int sides, const std::optional<QString> &text)
{
    Declaration &declaration = m_declarations[index];
    QString &value = declaration.value;
    switch (declaration.kind) {
    case Kind::Shorthand: {
        const auto found = std::find_if(declaration.tokens.cbegin(), declaration.tokens.cend(),
                                        [part](const Token &token) { return token.part == part; });
        if (found != declaration.tokens.cend()) {
            if (text) {
                value.replace(found->at, found->text.size(), *text);
            } else {
                // The part goes with the blank before it (after it, when it comes first).
                qsizetype start = found->at;
                qsizetype end = found->at + found->text.size();
                while (start > 0 && value.at(start - 1).isSpace())
                    --start;
                if (start == 0)
                    while (end < value.size() && value.at(end).isSpace())
                        ++end;
                value.remove(start, end - start);
            }
        } else if (text) {
            const auto width = std::find_if(declaration.tokens.cbegin(), declaration.tokens.cend(),
                                            [](const Token &token) { return token.part == Part::Width; });
            if (value.trimmed().isEmpty())
                value = *text;
            else if (part == Part::Color)
                value += u' ' + *text;
            else if (part == Part::Style && width != declaration.tokens.cend())
                value.insert(width->at + width->text.size(), u' ' + *text);
            else
                value.prepend(*text + u' ');
        }
        break;
    }
    case Kind::PartList: {
        const QString written = text.value_or(initialText(part));
        if (!(sidesFrom(index, part) & ~sides)) {
            value = written;
            break;
        }
        QStringList components;
        for (const Token &token : std::as_const(declaration.tokens))
            components.append(token.text);
        QStringList four = *fourSides(components);
        for (int s = 0; s < 4; ++s) {
            if (sides & sideBit(s))
                four[s] = written;
        }
        value = compactSides(four).join(u' ');
        break;
    }
    case Kind::SidePart:
        value = text.value_or(initialText(part));
        break;
    case Kind::Kept:
        return;
    }
    parse(declaration);
}

QList<Part> BorderDeclarations::orderOf(int side) const
{
    QList<Part> order;
    for (auto it = m_declarations.crbegin(); it != m_declarations.crend(); ++it) {
        if (it->kind != Kind::Shorthand || !(it->sides & sideBit(side)))
            continue;
        for (const Token &token : it->tokens) {
            if (token.part)
                order.append(*token.part);
        }
        break;
    }
    if (!order.contains(Part::Style))
        order.prepend(Part::Style);
    for (Part part : {Part::Width, Part::Color}) {
        if (!order.contains(part))
            order.append(part);
    }
    return order;
}

bool BorderDeclarations::isImportant(const Source &source) const
{
    return source.declaration >= 0 && m_declarations[source.declaration].important();
}

std::optional<BorderDeclarations::FullText> BorderDeclarations::fullText(int side, const QList<Edit> &edits) const
{
    SideText texts = this->side(side);
    std::optional<bool> important;
    for (int p = 0; p < kPartCount; ++p) {
        if (texts[p].state == PartText::State::Absent)
            continue;
        const bool partImportant = isImportant(sourceOf(side, Part(p)));
        if (important && *important != partImportant)
            return std::nullopt;
        important = partImportant;
    }
    for (const Edit &edit : edits) {
        PartText &text = texts[int(edit.part)];
        text = edit.text ? PartText{PartText::State::Known, *edit.text, true} : PartText{};
    }
    QStringList words;
    for (Part part : orderOf(side)) {
        const PartText &text = texts[int(part)];
        if (!text.located)
            return std::nullopt;
        if (text.state != PartText::State::Absent)
            words.append(text.text);
    }
    if (words.isEmpty())
        return std::nullopt;
    return FullText{words.join(u' '), important.value_or(false)};
}

bool BorderDeclarations::hasName(const QString &name) const
{
    return std::any_of(m_declarations.cbegin(), m_declarations.cend(), [&name](const Declaration &declaration) {
        return declaration.name.compare(name, Qt::CaseInsensitive) == 0;
    });
}

void BorderDeclarations::add(const QString &name, const QString &value, bool important)
{
    append(name, value, important ? QStringLiteral(" !important") : QString());
}

void BorderDeclarations::edit(int sides, const QList<Edit> &edits)
{
    // The sides each edit could not make in the author's declarations.
    std::array<QList<Edit>, 4> left;
    for (const Edit &edit : edits) {
        QMap<int, int> bySource;
        int unsourced = 0;
        for (int s = 0; s < 4; ++s) {
            if (!(sides & sideBit(s)))
                continue;
            const int source = sourceOf(s, edit.part).declaration;
            if (source < 0)
                unsourced |= sideBit(s);
            else
                bySource[source] |= sideBit(s);
        }
        int notInPlace = edit.text ? unsourced : 0;
        for (auto it = bySource.cbegin(); it != bySource.cend(); ++it) {
            if (canEditInPlace(it.key(), edit.part, sides))
                editInPlace(it.key(), edit.part, it.value(), edit.text);
            else
                notInPlace |= it.value();
        }
        for (int s = 0; s < 4; ++s) {
            if (notInPlace & sideBit(s))
                left[s].append(edit);
        }
    }

    // A shorthand of its own would give a side without a style "none";
    // such a side takes its parts as longhands.
    const auto styled = [this, &left](int side) {
        PartText style = this->side(side)[int(Part::Style)];
        for (const Edit &edit : left[side]) {
            if (edit.part == Part::Style)
                style = edit.text ? PartText{PartText::State::Known, *edit.text, true} : PartText{};
        }
        return style.state != PartText::State::Absent;
    };
    const auto sameEdits = [](const QList<Edit> &a, const QList<Edit> &b) {
        return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(),
                          [](const Edit &x, const Edit &y) { return x.part == y.part && x.text == y.text; });
    };
    // The same edits left on every side: declarations for all of them.
    if (!left[0].isEmpty()
        && std::all_of(left.cbegin() + 1, left.cend(), [&](const QList<Edit> &side) { return sameEdits(left[0], side); })) {
        const std::optional<FullText> full = fullText(0, left[0]);
        bool equal = full.has_value();
        for (int s = 1; s < 4 && equal; ++s)
            equal = fullText(s, left[s]) == full;
        if (equal && styled(0) && !hasName(QStringLiteral("border"))) {
            add(QStringLiteral("border"), full->value, full->important);
            return;
        }
        QList<Edit> still;
        for (const Edit &edit : std::as_const(left[0])) {
            const QString name = QStringLiteral("border-") + borderPartWords()[int(edit.part)];
            if (hasName(name))
                still.append(edit);
            else
                add(name, edit.text.value_or(initialText(edit.part)), isImportant(sourceOf(0, edit.part)));
        }
        left.fill(still);
    }
    for (int s = 0; s < 4; ++s) {
        if (left[s].isEmpty())
            continue;
        const QString sideName = QStringLiteral("border-") + borderSideWords()[s];
        if (styled(s) && !hasName(sideName)) {
            if (const std::optional<FullText> full = fullText(s, left[s])) {
                add(sideName, full->value, full->important);
                continue;
            }
        }
        for (const Edit &edit : std::as_const(left[s])) {
            const QString name = sideName + u'-' + borderPartWords()[int(edit.part)];
            const QString value = edit.text.value_or(initialText(edit.part));
            const auto existing = std::find_if(m_declarations.begin(), m_declarations.end(), [&name](const Declaration &d) {
                return d.name.compare(name, Qt::CaseInsensitive) == 0;
            });
            if (existing == m_declarations.end()) {
                add(name, value, isImportant(sourceOf(s, edit.part)));
                continue;
            }
            // FIXME: the style has the name already, overridden by a later
            // declaration; the edit goes into it all the same.
            existing->value = value;
            parse(*existing);
        }
    }
}

void BorderDeclarations::removeSides(int sides)
{
    m_declarations.removeIf([sides](const Declaration &declaration) {
        return declaration.kind != Kind::Kept && !(declaration.sides & ~sides);
    });
    for (int s = 0; s < 4; ++s) {
        if (!(sides & sideBit(s)))
            continue;
        const PartText style = side(s)[int(Part::Style)];
        const bool none = style.state == PartText::State::Known && style.text.compare(u"none", Qt::CaseInsensitive) == 0;
        if (style.state == PartText::State::Absent || none)
            continue;
        const QString sideName = QStringLiteral("border-") + borderSideWords()[s];
        if (hasName(sideName))
            edit(sideBit(s), {{Part::Style, QStringLiteral("none")}});
        else
            add(sideName, QStringLiteral("none"), isImportant(sourceOf(s, Part::Style)));
    }
}

bool BorderDeclarations::replaceWithOneBorder(int side)
{
    std::optional<FullText> full = fullText(side, {});
    const SideText texts = this->side(side);
    const bool empty = std::all_of(texts.cbegin(), texts.cend(),
                                   [](const PartText &text) { return text.state == PartText::State::Absent; });
    if (!full && !empty) {
        // A side set by one shorthand alone is that shorthand's value, a
        // var() in it included.
        const Source style = sourceOf(side, Part::Style);
        if (style.declaration < 0 || m_declarations[style.declaration].kind != Kind::Shorthand
            || sourceOf(side, Part::Width).declaration != style.declaration
            || sourceOf(side, Part::Color).declaration != style.declaration)
            return false;
        const Declaration &declaration = m_declarations[style.declaration];
        full = FullText{declaration.value, declaration.important()};
    }
    m_declarations.removeIf([](const Declaration &declaration) { return declaration.kind != Kind::Kept; });
    if (full)
        add(QStringLiteral("border"), full->value, full->important);
    return true;
}

QString BorderDeclarations::text() const
{
    QStringList declarations;
    for (const Declaration &declaration : m_declarations)
        declarations.append(declaration.name + u':' + declaration.value + declaration.priority + u';');
    return declarations.join(u' ');
}
