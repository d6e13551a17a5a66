#include "HTMLSourcePairing.h"

#include "DOMNodeEx.h"

#include "foundation/StringUtils.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/html/HTMLParser.h"

#include <QSet>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace {

// Same kind and name.
bool sameKind(const DOMNode *live, const DOMNode *source)
{
    if (live->nodeType() != source->nodeType())
        return false;
    if (live->isElement()) {
        const auto *a = static_cast<const DOMElement *>(live);
        const auto *b = static_cast<const DOMElement *>(source);
        return a->namespaceId() == b->namespaceId() && a->localName() == b->localName()
            && a->prefix() == b->prefix();
    }
    return live->isText() || live->isComment();
}

// Same kind and name, and the same attributes or text.
bool sameNode(const DOMNode *live, const DOMNode *source)
{
    if (!sameKind(live, source))
        return false;
    if (!live->isElement())
        return live->nodeValue() == source->nodeValue();
    const auto *a = static_cast<const DOMElement *>(live);
    const auto *b = static_cast<const DOMElement *>(source);
    if (a->attributeCount() != b->attributeCount())
        return false;
    for (int i = 0; i < a->attributeCount(); ++i) {
        const DOMAttr *x = a->attributeAt(i);
        const DOMAttr *y = b->attributeAt(i);
        if (x->value() != y->value() || x->localName() != y->localName() || x->prefix() != y->prefix())
            return false;
    }
    return true;
}

// Same kind and name, and an element holding every attribute of the text's
// with its value (of "class" every name): what a page script adds to an
// element it takes up, as it wraps or moves it.
bool carries(const DOMNode *live, const DOMNode *source)
{
    if (!sameKind(live, source) || !live->isElement())
        return sameKind(live, source);
    const auto *a = static_cast<const DOMElement *>(live);
    const auto *b = static_cast<const DOMElement *>(source);
    if (a->attributeCount() < b->attributeCount())
        return false;
    // Asked for every pair of a long list: no copies.
    const auto names = [](const QString &value) { return QStringTokenizer(value, u' ', Qt::SkipEmptyParts); };
    for (int i = 0; i < b->attributeCount(); ++i) {
        const DOMAttr *attribute = b->attributeAt(i);
        if (!attribute->prefix().isEmpty() || !a->hasAttribute(attribute->localName()))
            return false;
        const QString value = a->getAttribute(attribute->localName());
        if (value == attribute->value())
            continue;
        if (attribute->localName() != QLatin1String("class"))
            return false;
        for (const QStringView wanted : names(attribute->value())) {
            bool held = false;
            for (const QStringView name : names(value)) {
                if ((held = name == wanted))
                    break;
            }
            if (!held)
                return false;
        }
    }
    return true;
}

using Equal = std::function<bool(const DOMNode *, const DOMNode *)>;
using Match = std::pair<qsizetype, qsizetype>;

// A longest common subsequence of two short lists. With `alike`, a pair of
// nodes it takes but `equal` does not counts too, below any equal pair: of
// the ways to match the most equal nodes, the one that leaves the most of
// the rest alike is taken.
void alignExactly(const QList<const DOMNode *> &live, qsizetype liveFrom, qsizetype liveTo,
                  const QList<const DOMNode *> &source, qsizetype sourceFrom, qsizetype sourceTo, const Equal &equal,
                  const Equal *alike, QList<Match> &matches)
{
    const qsizetype n = liveTo - liveFrom;
    const qsizetype m = sourceTo - sourceFrom;
    const int equalWeight = alike ? int(std::min(n, m)) + 2 : 1;
    const auto weight = [&](qsizetype i, qsizetype j) {
        const DOMNode *a = live.at(liveFrom + i);
        const DOMNode *b = source.at(sourceFrom + j);
        return equal(a, b) ? equalWeight : alike && (*alike)(a, b) ? 1 : 0;
    };
    std::vector<int> table(size_t((n + 1) * (m + 1)), 0);
    const auto at = [m](qsizetype i, qsizetype j) { return size_t(i * (m + 1) + j); };
    for (qsizetype i = n - 1; i >= 0; --i) {
        for (qsizetype j = m - 1; j >= 0; --j) {
            const int w = weight(i, j);
            table[at(i, j)] = std::max({w ? table[at(i + 1, j + 1)] + w : 0, table[at(i + 1, j)], table[at(i, j + 1)]});
        }
    }
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < n && j < m) {
        const int w = weight(i, j);
        if (w && table[at(i, j)] == table[at(i + 1, j + 1)] + w) {
            matches.append({liveFrom + i, sourceFrom + j});
            ++i;
            ++j;
        } else if (table[at(i + 1, j)] >= table[at(i, j + 1)]) {
            ++i;
        } else {
            ++j;
        }
    }
}

// Matches in order, looking a little ahead on either side when two nodes
// differ; for long lists that differ in many places.
void alignGreedily(const QList<const DOMNode *> &live, qsizetype liveFrom, qsizetype liveTo,
                   const QList<const DOMNode *> &source, qsizetype sourceFrom, qsizetype sourceTo,
                   const Equal &equal, QList<Match> &matches)
{
    constexpr qsizetype lookAhead = 64;
    qsizetype i = liveFrom;
    qsizetype j = sourceFrom;
    while (i < liveTo && j < sourceTo) {
        if (equal(live.at(i), source.at(j))) {
            matches.append({i, j});
            ++i;
            ++j;
            continue;
        }
        qsizetype skipSource = -1;
        for (qsizetype k = 1; k <= lookAhead && j + k < sourceTo; ++k) {
            if (equal(live.at(i), source.at(j + k))) {
                skipSource = k;
                break;
            }
        }
        qsizetype skipLive = -1;
        for (qsizetype k = 1; k <= lookAhead && i + k < liveTo; ++k) {
            if (equal(live.at(i + k), source.at(j))) {
                skipLive = k;
                break;
            }
        }
        if (skipSource < 0 && skipLive < 0) {
            ++i;
            ++j;
        } else if (skipLive < 0 || (skipSource >= 0 && skipSource <= skipLive)) {
            j += skipSource;
        } else {
            i += skipLive;
        }
    }
}

void align(const QList<const DOMNode *> &live, qsizetype liveFrom, qsizetype liveTo,
           const QList<const DOMNode *> &source, qsizetype sourceFrom, qsizetype sourceTo, const Equal &equal,
           QList<Match> &matches, const Equal *alike = nullptr)
{
    // Most lists are the same at both ends, and often throughout.
    while (liveFrom < liveTo && sourceFrom < sourceTo && equal(live.at(liveFrom), source.at(sourceFrom))) {
        matches.append({liveFrom, sourceFrom});
        ++liveFrom;
        ++sourceFrom;
    }
    QList<Match> tail;
    while (liveTo > liveFrom && sourceTo > sourceFrom && equal(live.at(liveTo - 1), source.at(sourceTo - 1))) {
        tail.prepend({liveTo - 1, sourceTo - 1});
        --liveTo;
        --sourceTo;
    }
    if (liveFrom < liveTo && sourceFrom < sourceTo) {
        if ((liveTo - liveFrom) * (sourceTo - sourceFrom) <= 1'000'000)
            alignExactly(live, liveFrom, liveTo, source, sourceFrom, sourceTo, equal, alike, matches);
        else
            alignGreedily(live, liveFrom, liveTo, source, sourceFrom, sourceTo, equal, matches);
    }
    matches.append(tail);
}

} // namespace

HTMLSourcePairing::HTMLSourcePairing()
    : m_map(std::make_shared<HTMLSourceMap>())
{
}
HTMLSourcePairing::~HTMLSourcePairing() = default;

void HTMLSourcePairing::clear()
{
    m_text.clear();
    m_source.reset();
    m_map = std::make_shared<HTMLSourceMap>();
    m_paired = false;
    m_sourceOfLive.clear();
    m_liveOfSource.clear();
    m_validChildren.clear();
    m_textParts.clear();
}

void HTMLSourcePairing::link(const DOMNode *live, const DOMNode *source)
{
    m_sourceOfLive.insert(live->nodeId(), source);
    m_liveOfSource.insert(source, live->nodeId());
}

const DOMNode *HTMLSourcePairing::sourceOf(const DOMNode *live) const
{
    return live ? m_sourceOfLive.value(live->nodeId()) : nullptr;
}

const QList<const DOMNode *> &HTMLSourcePairing::validChildren(const DOMNode *source) const
{
    static const QList<const DOMNode *> none;
    const auto found = m_validChildren.constFind(source);
    return found == m_validChildren.cend() ? none : found.value();
}

QList<const DOMNode *> HTMLSourcePairing::spliceableChildren(const DOMNode *source) const
{
    QList<const DOMNode *> children;
    const HTMLSourceRange *range = m_map->rangeOf(source);
    if (!range || !range->isValid())
        return children;
    struct Placed
    {
        const DOMNode *node;
        qsizetype start;
        qsizetype end;
    };
    QList<Placed> placed;
    const DOMNode *parent = DOMNodeEx::contentParent(source);
    for (const DOMNode *child = parent->firstChild(); child; child = child->nextSibling()) {
        const HTMLSourceRange *childRange = m_map->rangeOf(child);
        if (childRange && childRange->isValid() && childRange->start >= range->startTagEnd
            && childRange->end <= range->endTagStart)
            placed.append({child, childRange->start, childRange->end});
    }
    // A node whose text lies inside a sibling's was moved out of it by the
    // parser (as it moves text and tags out of a table): its text belongs
    // to that sibling's.
    QList<Placed> byStart = placed;
    std::stable_sort(byStart.begin(), byStart.end(), [](const Placed &a, const Placed &b) {
        return a.start != b.start ? a.start < b.start : a.end > b.end;
    });
    QSet<const DOMNode *> moved;
    qsizetype reach = -1;
    for (const Placed &each : std::as_const(byStart)) {
        if (each.start < reach)
            moved.insert(each.node);
        else
            reach = std::max(reach, each.end);
    }
    // The rest, in tree order, as long as their text follows in that order.
    qsizetype cursor = range->startTagEnd;
    for (const Placed &each : std::as_const(placed)) {
        if (moved.contains(each.node) || each.start < cursor)
            continue;
        children.append(each.node);
        cursor = each.end;
    }
    return children;
}

HTMLSourcePairing::Parsed HTMLSourcePairing::parse(const QString &text, Scripting scripting)
{
    Parsed parsed;
    parsed.map = std::make_shared<HTMLSourceMap>();
    parsed.document = HTMLParser::parseDocument(text, scripting, parsed.map.get());
    return parsed;
}

void HTMLSourcePairing::pair(const QString &text, const DOMDocument &live)
{
    pair(text, parse(text, live.scripting()), live);
}

void HTMLSourcePairing::pair(const QString &text, Parsed parsed, const DOMDocument &live)
{
    clear();
    m_text = text;
    m_source = std::move(parsed.document);
    m_map = parsed.map ? std::move(parsed.map) : std::make_shared<HTMLSourceMap>();
    if (!m_source)
        return;
    const DOMElement *liveRoot = live.documentElement();
    const DOMElement *sourceRoot = m_source->documentElement();
    // An empty text holds nothing to pair: the parser only implies a root.
    const bool blank = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
    if (blank || !liveRoot || !sourceRoot || !sameKind(liveRoot, sourceRoot)
        || !m_map->rangeOf(sourceRoot))
        return;
    m_paired = true;
    link(liveRoot, sourceRoot);
    m_sourceOfLive.reserve(m_map->size());
    m_liveOfSource.reserve(m_map->size());
    descend(liveRoot, sourceRoot);
}

void HTMLSourcePairing::pairChanged(const QString &text, const DOMDocument &live, const HTMLSourcePairing &before)
{
    pairChanged(text, parse(text, live.scripting()), live, before);
}

void HTMLSourcePairing::pairChanged(const QString &text, Parsed parsed, const DOMDocument &live,
                                    const HTMLSourcePairing &before)
{
    // What was paired before, kept while this pairing is made anew.
    const QHash<qint64, const DOMNode *> paired = before.m_sourceOfLive;
    const std::shared_ptr<DOMDocument> oldSource = before.m_source;
    const std::shared_ptr<HTMLSourceMap> oldMap = before.m_map;
    const QString oldText = before.m_text;
    pair(text, std::move(parsed), live);
    if (!m_paired)
        return;
    // Elements the pairing no longer reaches: a page script moved them out
    // of the parent their text has (into a wrapper of its own).
    QList<std::pair<qint64, const DOMNode *>> lost;
    for (auto it = paired.cbegin(); it != paired.cend(); ++it) {
        if (it.value()->isElement() && !m_sourceOfLive.contains(it.key()))
            lost.append({it.key(), it.value()});
    }
    if (lost.isEmpty())
        return;
    // The text is the one before with one stretch changed: what lies
    // outside that stretch is where it was, or moved by its change.
    const std::pair<qsizetype, qsizetype> ends = StringUtils::commonEnds(oldText, text);
    const qsizetype oldSize = oldText.size();
    const qsizetype shift = text.size() - oldSize;
    const auto moved = [&](qsizetype at) -> qsizetype {
        if (at <= ends.first)
            return at;
        return at >= oldSize - ends.second ? at + shift : -1;
    };
    QHash<std::pair<qsizetype, qsizetype>, const DOMNode *> byRange;
    const std::function<void(const DOMNode *)> index = [&](const DOMNode *node) {
        if (node->isElement()) {
            if (const HTMLSourceRange *range = m_map->rangeOf(node); range && range->isValid())
                byRange.insert({range->start, range->end}, node);
        }
        const DOMNode *parent = DOMNodeEx::contentParent(node);
        for (const DOMNode *child = parent->firstChild(); child; child = child->nextSibling())
            index(child);
    };
    index(m_source.get());
    QList<std::pair<qsizetype, std::pair<const DOMNode *, const DOMNode *>>> found;
    for (const auto &[liveId, source] : std::as_const(lost)) {
        const HTMLSourceRange *range = oldMap->rangeOf(source);
        const DOMNode *node = live.nodeForId(liveId);
        if (!range || !range->isValid() || !node || !node->isConnected())
            continue;
        const qsizetype start = moved(range->start);
        const qsizetype end = moved(range->end);
        if (const DOMNode *now = start >= 0 && end >= 0 ? byRange.value({start, end}) : nullptr; now && sameKind(node, now))
            found.append({start, {node, now}});
    }
    // Outermost first: the descent from one pairs what lies inside it.
    std::sort(found.begin(), found.end(), [](const auto &x, const auto &y) { return x.first < y.first; });
    for (const auto &[start, match] : std::as_const(found)) {
        if (m_sourceOfLive.contains(match.first->nodeId()) || m_liveOfSource.contains(match.second))
            continue;
        link(match.first, match.second);
        descend(match.first, match.second);
    }
}

void HTMLSourcePairing::descend(const DOMNode *live, const DOMNode *source)
{
    QList<std::pair<const DOMNode *, const DOMNode *>> pending{{live, source}};
    while (!pending.isEmpty()) {
        const auto [liveNode, sourceNode] = pending.takeLast();
        const DOMNode *liveParent = DOMNodeEx::contentParent(liveNode);
        const DOMNode *sourceParent = DOMNodeEx::contentParent(sourceNode);
        if (liveParent != liveNode && sourceParent != sourceNode)
            link(liveParent, sourceParent);
        QList<const DOMNode *> sourceChildren = spliceableChildren(sourceNode);
        m_validChildren.insert(sourceNode, sourceChildren);
        // Those found already where a script had put them are left out.
        sourceChildren.removeIf([this](const DOMNode *child) { return m_liveOfSource.contains(child); });
        if (sourceChildren.isEmpty())
            continue;
        QList<const DOMNode *> children;
        children.reserve(liveParent->childCount());
        for (const DOMNode *child = liveParent->firstChild(); child; child = child->nextSibling())
            children.append(child);
        QList<const DOMNode *> liveChildren = children;
        liveChildren.removeIf([this](const DOMNode *child) { return m_sourceOfLive.contains(child->nodeId()); });

        // Nodes that are alike in every way first, with those that still
        // hold what the text gives them, then what is left between them by
        // kind and name. Where equal nodes can be matched in more than one
        // way (a pasted copy beside its original, which a script changed),
        // the way that leaves the rest their partners is taken.
        const Equal carried = carries;
        QList<Match> strong;
        align(liveChildren, 0, liveChildren.size(), sourceChildren, 0, sourceChildren.size(), sameNode, strong, &carried);
        QList<Match> matches;
        qsizetype liveFrom = 0;
        qsizetype sourceFrom = 0;
        strong.append({liveChildren.size(), sourceChildren.size()});
        for (const Match &anchor : std::as_const(strong)) {
            if (anchor.first > liveFrom && anchor.second > sourceFrom)
                alignGap(liveChildren, liveFrom, anchor.first, sourceChildren, sourceFrom, anchor.second, matches, pending);
            if (anchor.first < liveChildren.size())
                matches.append(anchor);
            liveFrom = anchor.first + 1;
            sourceFrom = anchor.second + 1;
        }
        takeCarriedOver(liveChildren, sourceChildren, matches);
        for (const Match &match : std::as_const(matches)) {
            const DOMNode *liveChild = liveChildren.at(match.first);
            const DOMNode *sourceChild = sourceChildren.at(match.second);
            link(liveChild, sourceChild);
            if (liveChild->isElement())
                pending.append(std::pair<const DOMNode *, const DOMNode *>(liveChild, sourceChild));
        }
        markTextParts(children);
    }
}

void HTMLSourcePairing::markTextParts(const QList<const DOMNode *> &liveChildren)
{
    for (qsizetype from = 0; from < liveChildren.size(); ++from) {
        if (!liveChildren.at(from)->isText())
            continue;
        qsizetype to = from + 1;
        while (to < liveChildren.size() && liveChildren.at(to)->isText())
            ++to;
        const qsizetype start = std::exchange(from, to - 1);
        if (to - start < 2)
            continue;
        // One of the run paired, the run reading as its text (the blanks
        // the element stood between are one in the text written without it).
        const DOMNode *source = nullptr;
        int pairedInRun = 0;
        QString joined;
        for (qsizetype i = start; i < to; ++i) {
            joined += liveChildren.at(i)->nodeValue();
            if (const DOMNode *paired = m_sourceOfLive.value(liveChildren.at(i)->nodeId())) {
                source = paired;
                ++pairedInRun;
            }
        }
        if (pairedInRun != 1 || joined.simplified() != source->nodeValue().simplified())
            continue;
        for (qsizetype i = start; i < to; ++i) {
            if (!m_sourceOfLive.contains(liveChildren.at(i)->nodeId()))
                m_textParts.insert(liveChildren.at(i)->nodeId());
        }
    }
}

void HTMLSourcePairing::alignGap(const QList<const DOMNode *> &live, qsizetype liveFrom, qsizetype liveTo,
                                 const QList<const DOMNode *> &source, qsizetype sourceFrom, qsizetype sourceTo,
                                 QList<Match> &matches, Pending &pending)
{
    // What the text has here may stand inside what a script put around it
    // (a table in its widget's frame, a deck's steps in its canvas): those
    // are found there, the rest paired here by kind and name.
    QList<const DOMNode *> rest;
    if (!findWrapped(live, liveFrom, liveTo, source, sourceFrom, sourceTo, pending, rest)) {
        align(live, liveFrom, liveTo, source, sourceFrom, sourceTo, sameKind, matches);
        return;
    }
    const qsizetype before = matches.size();
    align(live, liveFrom, liveTo, rest, 0, rest.size(), sameKind, matches);
    for (qsizetype i = before; i < matches.size(); ++i)
        matches[i].second = source.indexOf(rest.at(matches.at(i).second), sourceFrom);
}

bool HTMLSourcePairing::findWrapped(const QList<const DOMNode *> &live, qsizetype liveFrom, qsizetype liveTo,
                                    const QList<const DOMNode *> &source, qsizetype sourceFrom, qsizetype sourceTo,
                                    QList<std::pair<const DOMNode *, const DOMNode *>> &pending,
                                    QList<const DOMNode *> &rest)
{
    QList<const DOMNode *> wanted;
    for (qsizetype j = sourceFrom; j < sourceTo; ++j) {
        if (source.at(j)->isElement() && !m_liveOfSource.contains(source.at(j)))
            wanted.append(source.at(j));
    }
    if (wanted.isEmpty())
        return false;
    // The elements inside the live ones here, in the order of the page.
    QList<const DOMNode *> inside;
    for (qsizetype i = liveFrom; i < liveTo; ++i) {
        if (!live.at(i)->isElement() || m_sourceOfLive.contains(live.at(i)->nodeId()))
            continue;
        QList<const DOMNode *> stack;
        for (const DOMNode *child = DOMNodeEx::contentParent(live.at(i))->lastChild(); child; child = child->previousSibling())
            stack.append(child);
        while (!stack.isEmpty()) {
            const DOMNode *node = stack.takeLast();
            if (!node->isElement())
                continue;
            inside.append(node);
            for (const DOMNode *child = DOMNodeEx::contentParent(node)->lastChild(); child; child = child->previousSibling())
                stack.append(child);
        }
    }
    if (inside.isEmpty())
        return false;
    QList<Match> found;
    align(inside, 0, inside.size(), wanted, 0, wanted.size(), carries, found);
    QSet<const DOMNode *> taken;
    for (const Match &match : std::as_const(found)) {
        const DOMNode *node = inside.at(match.first);
        // One inside another found: the descent from that one pairs it.
        bool within = false;
        for (const DOMNode *up = node->parentNode(); up && !within; up = up->parentNode())
            within = taken.contains(up);
        if (within)
            continue;
        taken.insert(node);
        link(node, wanted.at(match.second));
        pending.append(std::pair<const DOMNode *, const DOMNode *>(node, wanted.at(match.second)));
    }
    if (taken.isEmpty())
        return false;
    for (qsizetype j = sourceFrom; j < sourceTo; ++j) {
        if (!m_liveOfSource.contains(source.at(j)))
            rest.append(source.at(j));
    }
    return true;
}

void HTMLSourcePairing::takeCarriedOver(const QList<const DOMNode *> &live, const QList<const DOMNode *> &source,
                                        QList<Match> &matches)
{
    // A page script moved an element of the text past the blanks around it
    // (the order the pairing keeps), and may have put its own in its place:
    // an element left over, or paired by its name alone, goes to the one
    // left over that holds what the text gives it.
    QList<bool> liveTaken(live.size(), false);
    QList<bool> sourceTaken(source.size(), false);
    for (const Match &match : std::as_const(matches)) {
        liveTaken[match.first] = true;
        sourceTaken[match.second] = true;
    }
    QList<qsizetype> left;
    for (qsizetype i = 0; i < live.size(); ++i) {
        if (!liveTaken.at(i) && live.at(i)->isElement())
            left.append(i);
    }
    if (left.isEmpty() || left.size() * source.size() > 200'000)
        return;
    // An element paired by name alone goes to the first left over that
    // holds what the text gives it.
    for (Match &match : matches) {
        const DOMNode *text = source.at(match.second);
        if (!text->isElement() || carries(live.at(match.first), text))
            continue;
        for (qsizetype &other : left) {
            if (other >= 0 && carries(live.at(other), text)) {
                match.first = std::exchange(other, -1);
                break;
            }
        }
    }
    // One the pairing left alone: the first left over holding its text too
    // (a script sorted the rows of a table), else the one that alone could
    // be it, where it could be no other.
    QList<qsizetype> alone;
    for (qsizetype j = 0; j < source.size(); ++j) {
        if (!sourceTaken.at(j) && source.at(j)->isElement())
            alone.append(j);
    }
    QHash<qsizetype, QString> texts;
    const auto textOf = [&](qsizetype i) -> const QString & {
        auto found = texts.find(i);
        if (found == texts.end())
            found = texts.insert(i, live.at(i)->textContent());
        return found.value();
    };
    for (qsizetype &j : alone) {
        const QString content = source.at(j)->textContent();
        for (qsizetype &other : left) {
            if (other >= 0 && carries(live.at(other), source.at(j)) && textOf(other) == content) {
                matches.append({std::exchange(other, -1), std::exchange(j, -1)});
                break;
            }
        }
    }
    // Of each left over, how many of those it could be.
    QList<int> could(left.size(), 0);
    QList<qsizetype> only(alone.size(), -1);
    for (qsizetype a = 0; a < alone.size(); ++a) {
        if (alone.at(a) < 0)
            continue;
        int count = 0;
        for (qsizetype l = 0; l < left.size(); ++l) {
            if (left.at(l) >= 0 && carries(live.at(left.at(l)), source.at(alone.at(a)))) {
                ++could[l];
                only[a] = l;
                ++count;
            }
        }
        if (count != 1)
            only[a] = -1;
    }
    for (qsizetype a = 0; a < alone.size(); ++a) {
        if (only.at(a) >= 0 && could.at(only.at(a)) == 1)
            matches.append({std::exchange(left[only.at(a)], -1), alone.at(a)});
    }
}
