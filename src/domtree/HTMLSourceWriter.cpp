#include "HTMLSourceWriter.h"

#include "DOMEditRecord.h"
#include "DOMNodeEx.h"
#include "DomNodeMap.h"
#include "GivenMarkup.h"
#include "HTMLSourcePairing.h"
#include "LayoutSpace.h"
#include "PageTextGenerator.h"
#include "StartTagText.h"

#include "platform/web/dom/DOMCharacterData.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/dom/DOMComment.h"
#include "platform/web/dom/DOMText.h"
#include "platform/web/html/HTMLSerializer.h"
#include "stylesheet/WebCoreObjects.h"
#include "workspace/ProjectUtil.h"

#include <QHash>
#include <QSet>

#include <optional>
#include <vector>

namespace {

using Attributes = DOMNodeEx::Attributes;

bool changesAttributes(const IgnoreOptionValue &rule)
{
    for (const AttributeCondition &condition : rule.attributeConditions()) {
        if (condition.attrName() != QLatin1String("ignore"))
            return true;
    }
    return false;
}

// The output, built from the file's text by copying runs of it and putting
// the program's text between them.
class Splicer
{
public:
    explicit Splicer(const QString &text)
        : m_text(text)
    {
        m_out.reserve(text.size() + 256);
    }

    // Copies the text up to a position.
    void copyTo(qsizetype to)
    {
        if (to <= m_cursor)
            return;
        if (m_runSourceEnd != m_cursor || m_runOutEnd != m_out.size()) {
            m_runSourceStart = m_cursor;
            m_runOutStart = m_out.size();
        }
        m_out.append(QStringView(m_text).mid(m_cursor, to - m_cursor));
        m_cursor = to;
        m_runSourceEnd = to;
        m_runOutEnd = m_out.size();
    }
    void skipTo(qsizetype to) { m_cursor = std::max(m_cursor, to); }
    qsizetype size() const { return m_out.size(); }
    void write(const QString &text) { m_out += text; }

    // Leaves out [from, to) and the white space before it, back to floor
    // at most; white space copied already is taken back.
    void remove(qsizetype from, qsizetype to, qsizetype floor)
    {
        qsizetype space = from;
        while (space > floor && LayoutSpace::isSpace(m_text.at(space - 1)))
            --space;
        if (m_cursor <= space) {
            copyTo(space);
        } else if (m_runSourceEnd == m_cursor && m_runOutEnd == m_out.size()) {
            const qsizetype back = m_cursor - std::max(space, m_runSourceStart);
            m_out.chop(back);
            m_runOutEnd = m_out.size();
            m_runSourceEnd -= back;
        }
        skipTo(to);
    }

    QString take() { return std::move(m_out); }

private:
    const QString &m_text;
    QString m_out;
    qsizetype m_cursor = 0;
    // The last run copied: where it came from and where it went.
    qsizetype m_runSourceStart = -1;
    qsizetype m_runSourceEnd = -1;
    qsizetype m_runOutStart = -1;
    qsizetype m_runOutEnd = -1;
};

// The positions of a longest run of the list whose values rise (values
// below 0 never count), in order.
QList<qsizetype> longestInOrder(const QList<qsizetype> &values)
{
    // tails[k]: the position ending the best rising run of length k + 1.
    QList<qsizetype> tails;
    QList<qsizetype> previous(values.size(), -1);
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (values.at(i) < 0)
            continue;
        const auto at = std::lower_bound(tails.cbegin(), tails.cend(), values.at(i),
                                         [&values](qsizetype position, qsizetype value) {
                                             return values.at(position) < value;
                                         });
        const qsizetype k = at - tails.cbegin();
        previous[i] = k > 0 ? tails.at(k - 1) : -1;
        if (k == tails.size())
            tails.append(i);
        else
            tails[k] = i;
    }
    QList<qsizetype> run;
    for (qsizetype i = tails.isEmpty() ? -1 : tails.constLast(); i >= 0; i = previous.at(i))
        run.prepend(i);
    return run;
}

// The text with each line's leading tabs written as that many units.
QString withIndentUnit(const QString &text, const QString &unit)
{
    QString out;
    out.reserve(text.size() * 2);
    bool lineStart = true;
    for (const QChar c : text) {
        if (lineStart && c == u'\t') {
            out += unit;
            continue;
        }
        lineStart = c == u'\n';
        out += c;
    }
    return out;
}

// Whether a page is written minified: in lines far longer than a person
// writes, or all on one line.
bool isMinifiedPage(const QString &text)
{
    const QStringView trimmed = QStringView(text).trimmed();
    const qsizetype breaks = trimmed.count(u'\n');
    return !trimmed.isEmpty() && (breaks == 0 || trimmed.size() / (breaks + 1) > 400);
}

class Writer
{
public:
    Writer(const HTMLSourcePairing &pairing, const DOMDocument &live, const DOMEditRecord &edits,
           const HTMLSourceWriter::Settings &settings)
        : m_pairing(pairing)
        , m_live(live)
        , m_edits(edits)
        , m_settings(settings)
        , m_splicer(pairing.text())
    {
        const qsizetype lineEnd = pairing.text().indexOf(QLatin1Char('\n'));
        m_crlf = lineEnd > 0 && pairing.text().at(lineEnd - 1) == QLatin1Char('\r');
        QList<const DOMNode *> roots;
        for (const DOMNode *node = pairing.sourceDocument() ? pairing.sourceDocument()->firstChild() : nullptr; node;
             node = node->nextSibling())
            roots.append(node);
        m_indentUnit = GivenMarkup::indentUnitOf(pairing.text(), roots, pairing.sourceMap());
        // A minified page takes what is added minified too.
        m_minified = isMinifiedPage(pairing.text());
    }

    std::optional<QString> run();
    // The text written for each node (run() with each of them followed).
    std::optional<QStringList> textsOf(const QList<const DOMNode *> &nodes);

private:
    struct Frame
    {
        const DOMNode *live = nullptr;
        const DOMNode *source = nullptr;
        HTMLSourceRange range;
        const QList<const DOMNode *> *children = nullptr;
        qsizetype next = 0;
        QSet<const DOMNode *> inOrder;
        QHash<const DOMNode *, QList<const DOMNode *>> inserts;
        QList<const DOMNode *> after;
        // Where the element's text begins in the output, when it is followed.
        qsizetype wantedBegin = -1;
    };

    void markDirty(const DOMNode *node);
    void findLeftOut();
    void findRuleElements();
    const DOMNode *liveOf(const DOMNode *source) const;
    // Starts an element's frame; false when it needs no children walk.
    bool open(Frame &frame);
    void writeInserts(const QList<const DOMNode *> &nodes);
    QString givenText(const DOMNode *live) const;
    qint64 placeLevel(const DOMNode *live) const;
    void toAuthorsShape(DOMNode *given) const;
    bool isScriptsNode(const DOMNode *given) const;
    std::optional<QString> authorText(const DOMNodeEx *row) const;
    QString startTag(const DOMNode *source, const HTMLSourceRange &range, const Attributes &written) const;
    std::optional<QString> typedData(const DOMNode *live, const DOMNode *source) const;
    QString changedData(const DOMNode *live, const QString &data, const HTMLSourceRange &range) const;
    DOMNodeExPtr rowOf(const DOMNode *node) const;

    const HTMLSourcePairing &m_pairing;
    const DOMDocument &m_live;
    const DOMEditRecord &m_edits;
    const HTMLSourceWriter::Settings &m_settings;
    Splicer m_splicer;
    QSet<const DOMNode *> m_dirty;
    QSet<const DOMNode *> m_leftOut;
    QHash<const DOMNode *, IgnoreOptionValue> m_ruleElements;
    // The nodes whose place in the output is followed, and that place.
    QSet<const DOMNode *> m_wanted;
    QHash<const DOMNode *, std::pair<qsizetype, qsizetype>> m_spans;
    bool m_crlf = false;
    // One level of the file's own indentation.
    QString m_indentUnit;
    bool m_minified = false;
};

const DOMNode *Writer::liveOf(const DOMNode *source) const
{
    const qint64 id = m_pairing.liveIdOf(source);
    return id ? m_live.nodeForId(id) : nullptr;
}

void Writer::markDirty(const DOMNode *node)
{
    // Up the page's nesting, and from each node the file holds up the
    // file's too: the walk goes by the file's, and a page script may have
    // moved the node out of the element the file has it in (#87).
    for (; node && !node->isDocument() && !m_dirty.contains(node); node = node->parentNode()) {
        m_dirty.insert(node);
        const DOMNode *source = m_pairing.sourceOf(node);
        const DOMNode *fileParent = source && source->parentNode() ? liveOf(source->parentNode()) : nullptr;
        if (fileParent && fileParent != node->parentNode())
            markDirty(fileParent);
    }
}

DOMNodeExPtr Writer::rowOf(const DOMNode *node) const
{
    if (DOMNodeExPtr row = DomNodeMap::getInstance().nodeExforNode(node))
        return row;
    return DOMNodeEx::rowForWriting(const_cast<DOMNode *>(node)->shared_from_this());
}

void Writer::findLeftOut()
{
    const auto leaveOut = [this](const DOMNode *element) {
        if (!m_leftOut.contains(element)) {
            m_leftOut.insert(element);
            markDirty(element->parentNode());
        }
    };
    for (const IgnoreOptionValue &rule : m_settings.fileRules) {
        if (!rule.conditionNamed(QStringLiteral("ignore")))
            continue;
        const std::optional<DOMNodeList> matched = m_live.nodeArrayFromSelector(rule.selector());
        if (!matched)
            continue;
        for (int i = 0; i < matched->length(); ++i) {
            const DOMNode *element = matched->item(i);
            if (m_pairing.sourceOf(element) && DOMNodeEx::isIgnoredByRules(element, m_settings.fileRules))
                leaveOut(element);
        }
    }
    if (m_settings.headerIgnoreOption.isEmpty())
        return;
    const std::optional<DOMNodeList> headers
        = m_live.nodeArrayFromSelector(QStringLiteral("head, title, link, base, meta, style, script"));
    for (int i = 0; headers && i < headers->length(); ++i) {
        const DOMNode *element = headers->item(i);
        if (!m_pairing.sourceOf(element))
            continue;
        if (const DOMNodeExPtr row = rowOf(element); row && row->isHeaderIgnore(m_settings.headerIgnoreOption))
            leaveOut(element);
    }
}

void Writer::findRuleElements()
{
    const QList<IgnoreOptionValue> &rules = m_settings.generator->ignoreOptions();
    for (const IgnoreOptionValue &rule : rules) {
        if (!changesAttributes(rule))
            continue;
        const std::optional<DOMNodeList> matched = m_live.nodeArrayFromSelector(rule.selector());
        for (int i = 0; matched && i < matched->length(); ++i) {
            const DOMNode *element = matched->item(i);
            if (m_ruleElements.contains(element) || !m_pairing.sourceOf(element))
                continue;
            m_ruleElements.insert(element, DOMNodeEx::matchedIgnoreOption(element, rules));
            markDirty(element);
        }
    }
}

QString Writer::startTag(const DOMNode *source, const HTMLSourceRange &range, const Attributes &written) const
{
    // Only the attributes whose values differ from the file's change.
    const Attributes own = DOMNodeEx::attributesOf(source);
    QHash<QString, std::optional<QString>> changes;
    QList<QString> added;
    for (const auto &[ownName, value] : own) {
        const QString &name = ownName;
        const auto found = std::find_if(written.cbegin(), written.cend(),
                                        [&name](const auto &entry) { return entry.first == name; });
        if (found == written.cend())
            changes.insert(name.toLower(), std::nullopt);
        else if (found->second != value)
            changes.insert(name.toLower(), found->second);
    }
    for (const auto &[writtenName, value] : written) {
        const QString &name = writtenName;
        if (std::none_of(own.cbegin(), own.cend(), [&name](const auto &entry) { return entry.first == name; })) {
            changes.insert(name.toLower(), value);
            added.append(name);
        }
    }
    const QString tag = m_pairing.text().mid(range.start, range.startTagEnd - range.start);
    return StartTagText::withAttributes(tag, changes, added, [this](const QString &text) {
        return m_settings.generator->withCharacterReferences(text);
    });
}

std::optional<QString> Writer::typedData(const DOMNode *live, const DOMNode *source) const
{
    if (!m_edits.isDataTouched(live))
        return std::nullopt;
    const QString data = m_edits.dataEdit(live->nodeId()).value_or(source->nodeValue());
    if (data == source->nodeValue())
        return std::nullopt;
    return data;
}

QString Writer::changedData(const DOMNode *live, const QString &data, const HTMLSourceRange &range) const
{
    if (live->isComment())
        return QLatin1String("<!--") + data + QLatin1String("-->");
    // The new text between the white space the file had around the old.
    const QString old = m_pairing.text().mid(range.start, range.end - range.start);
    const qsizetype lead = LayoutSpace::leadingRunLength(old);
    const qsizetype trail = lead == old.size() ? 0 : LayoutSpace::trailingRunLength(old);
    const DOMNode *parent = live->parentNode();
    const bool raw = parent && parent->isElement()
        && HTMLSerializer::isRawTextElement(static_cast<const DOMElement *>(parent)->localName());
    QString text = LayoutSpace::trimmed(data);
    if (!raw)
        text = m_settings.generator->withCharacterReferences(HTMLSerializer::escapeText(text));
    return old.left(lead) + text + old.right(trail);
}

void Writer::writeInserts(const QList<const DOMNode *> &nodes)
{
    for (const DOMNode *node : nodes) {
        QString text = givenText(node);
        // The file's own indentation for the levels the program wrote.
        if (!m_minified && m_indentUnit != QLatin1String("\t"))
            text = withIndentUnit(text, m_indentUnit);
        // The file's own line ends, in the program's text and the author's alike.
        if (m_crlf) {
            text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        }
        m_splicer.write(text);
    }
}

std::optional<QString> Writer::authorText(const DOMNodeEx *row) const
{
    const DOMNode *given = row->node();
    const qint64 origin = m_edits.originOf(given);
    if (isScriptsNode(given))
        return QString();
    if (!origin || m_edits.isEditedInside(given, DOMEditRecord::OwnStartTag::Ignored))
        return std::nullopt;
    // What the user pasted or dropped, as the user wrote it, indented for its place.
    if (const GivenText *part = m_edits.givenTextOf(origin)) {
        if (m_edits.isEditedInside(given))
            return std::nullopt;
        return m_minified ? part->unindented() : part->indented(row->getIndent());
    }
    const DOMNode *source = m_pairing.sourceOfId(origin);
    const HTMLSourceRange *range = source ? m_pairing.sourceMap().rangeOf(source) : nullptr;
    if (!range || !range->isValid() || range->end == range->start)
        return std::nullopt;
    // An element made in place of the author's (Change Element) is not its text.
    if (source->nodeType() != given->nodeType() || source->nodeName().compare(given->nodeName(), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    // The author's text, its lines indented for the new place as they
    // stood to its first line (#77).
    GivenText part = m_minified ? GivenText{m_pairing.text().mid(range->start, range->end - range->start), {}}
                                : GivenMarkup::authorsText(m_pairing.text(), source, m_pairing.sourceMap(), m_indentUnit);
    // The user's edits of its start tag, which the copy holds by now, go
    // into the author's own start tag.
    const Attributes written = DOMNodeEx::attributesOf(given);
    if (given->isElement() && range->hasStartTag() && written != DOMNodeEx::attributesOf(source)) {
        const QString tag = startTag(source, *range, written);
        const qsizetype was = range->startTagEnd - range->start;
        part.text.replace(0, was, tag);
        for (qsizetype &start : part.lineStarts)
            start += start >= was ? tag.size() - was : 0;
    }
    return part.indented(m_minified ? QString() : row->getIndent());
}

// A stand-in, in the scratch document, for a page node that lays out a
// node beside or under it.
static DOMNodePtr layoutStandIn(DOMDocument &scratch, const DOMNode *node)
{
    if (node->isText())
        return scratch.createTextNode(node->textContent());
    if (node->isComment())
        return scratch.createComment(node->nodeValue());
    if (node->isElement())
        return scratch.createElement(static_cast<const DOMElement *>(node)->localName());
    return scratch.createElement(QStringLiteral("div"));
}

bool Writer::isScriptsNode(const DOMNode *given) const
{
    // The page's own nodes have the ids the page gave them, the program's
    // the ones it made (below zero): one the file does not hold, and that
    // neither the user nor the program made, is a script's.
    const qint64 origin = m_edits.originOf(given);
    return origin > 0 && !m_pairing.sourceOfId(origin);
}

void Writer::toAuthorsShape(DOMNode *given) const
{
    // What a copy took from the page goes back to the author's text with
    // the user's edits: attributes and texts the file holds, and nothing
    // page scripts made.
    std::vector<DOMNode *> pending{given};
    while (!pending.empty()) {
        DOMNode *node = pending.back();
        pending.pop_back();
        const qint64 origin = m_edits.originOf(node);
        const DOMNode *source = origin ? m_pairing.sourceOfId(origin) : nullptr;
        // Inside the author's element, a node neither the file nor the user
        // gave is a script's.
        if (node != given && isScriptsNode(node)) {
            node->parentNode()->removeChild(node);
            continue;
        }
        // The text the node is written from: the file's, or, for one the
        // user made, the node as it went in; then what the user did to it
        // since, through every copy made of it.
        const DOMEditRecord::MadeAs *made = source ? nullptr : m_edits.madeAs(origin);
        const qint64 live = m_edits.liveOf(node);
        if (node->isElement() && ((source && source->isElement()) || made)) {
            auto *element = static_cast<DOMElement *>(node);
            const Attributes base = source ? DOMNodeEx::attributesOf(source) : made->attributes;
            while (element->attributeCount() > 0)
                element->removeAttributeNode(element->attributeAt(element->attributeCount() - 1));
            for (const auto &[name, value] : base)
                element->setAttribute(name, value);
            const AttributeEdits edits = m_edits.attributeEdits(live);
            for (const auto &[name, edit] : edits.entries()) {
                if (const std::optional<QString> value = edit.appliedTo(DOMEditRecord::attributeValue(element, name)))
                    element->setAttribute(name, *value);
                else
                    element->removeAttribute(name);
            }
        } else if (node->isCharacterData() && ((source && source->nodeType() == node->nodeType()) || made)) {
            const QString data = m_edits.dataEdit(live).value_or(source ? source->nodeValue() : made->data);
            if (node->nodeValue() != data)
                static_cast<DOMCharacterData *>(node)->setData(data);
        }
        for (DOMNode *child = node->firstChild(); child; child = child->nextSibling())
            pending.push_back(child);
    }
}

QString Writer::givenText(const DOMNode *live) const
{
    // The node as the user gave it (the author's text for what was copied
    // or moved), never as page scripts have made it since.
    auto *given = const_cast<DOMNode *>(m_edits.givenOf(live));
    DOMDocument *scratch = m_edits.scratchDocument();
    if (!given || !scratch)
        return {};
    const DOMNodePtr keep = given->shared_from_this();
    DOMNode *oldParent = given->parentNode();
    DOMNode *oldNext = given->nextSibling();
    if (oldParent)
        oldParent->removeChild(given);
    // Laid out where it stands in the page: under a stand-in for its parent,
    // after one for the sibling before it, at the level of the file there.
    const qint64 level = placeLevel(live);
    const DOMNodePtr context = layoutStandIn(*scratch, live->parentNode() ? live->parentNode() : live);
    if (const DOMNode *previous = live->previousSibling())
        context->appendChild(layoutStandIn(*scratch, previous));
    context->appendChild(keep);
    toAuthorsShape(given);
    const DOMNodeExPtr row = DOMNodeEx::rowForWriting(keep, level);
    const QString text = m_settings.generator->concatNodeTree(
        row.get(), m_settings.format, m_minified, true, [this](const DOMNodeEx *each) { return authorText(each); });
    context->removeChild(given);
    if (oldParent)
        oldParent->insertBefore(keep, oldNext);
    return text;
}

qint64 Writer::placeLevel(const DOMNode *live) const
{
    // The level of the file's line a node of the file starts, when nothing
    // but indentation stands before it there.
    const auto levelOfLine = [this](const DOMNode *node) -> std::optional<qint64> {
        const DOMNode *source = node ? m_pairing.sourceOf(node) : nullptr;
        const HTMLSourceRange *range = source ? m_pairing.sourceMap().rangeOf(source) : nullptr;
        if (!range || !range->isValid())
            return std::nullopt;
        const QString &text = m_pairing.text();
        qsizetype start = range->start;
        while (start > 0 && (text.at(start - 1) == u' ' || text.at(start - 1) == u'\t'))
            --start;
        if (start > 0 && text.at(start - 1) != u'\n' && text.at(start - 1) != u'\r')
            return std::nullopt;
        return LayoutSpace::indentLevel(QStringView(text).mid(start, range->start - start), m_indentUnit).first;
    };
    // A node put in takes the level its siblings have in the file, or one
    // more than its parent's; not the page's depth, which the file's
    // indentation need not follow (#77).
    const auto isLaidOut = [this](const DOMNode *node) {
        return (node->isElement() || node->isComment()) && !m_edits.isInserted(node);
    };
    for (const DOMNode *sibling = live->previousSibling(); sibling; sibling = sibling->previousSibling()) {
        if (const std::optional<qint64> level = isLaidOut(sibling) ? levelOfLine(sibling) : std::nullopt)
            return *level;
    }
    for (const DOMNode *sibling = live->nextSibling(); sibling; sibling = sibling->nextSibling()) {
        if (const std::optional<qint64> level = isLaidOut(sibling) ? levelOfLine(sibling) : std::nullopt)
            return *level;
    }
    if (const std::optional<qint64> level = levelOfLine(live->parentNode()))
        return *level + 1;
    qint64 depth = 0;
    for (const DOMNode *up = live->parentNode(); up && !up->isDocument(); up = up->parentNode())
        ++depth;
    return depth;
}

bool Writer::open(Frame &frame)
{
    const HTMLSourceRange &range = frame.range;
    // The start tag: the file's, unless an edit or a rule changes it.
    // The file's attributes with the values the user set (never those page
    // scripts set), then what the rules make of them.
    const Attributes own = DOMNodeEx::attributesOf(frame.source);
    Attributes written = own;
    if (m_edits.isStartTagTouched(frame.live)) {
        const AttributeEdits edits = m_edits.attributeEdits(frame.live->nodeId());
        // New names follow in the element's order, then any the page lost.
        QStringList names;
        for (const auto &[name, value] : DOMNodeEx::attributesOf(frame.live)) {
            if (edits.contains(name))
                names.append(name);
        }
        for (const QString &name : edits.names()) {
            if (!names.contains(name, Qt::CaseInsensitive))
                names.append(name);
        }
        for (const QString &name : std::as_const(names)) {
            const auto found = std::find_if(written.begin(), written.end(), [&name](const auto &entry) {
                return entry.first.compare(name, Qt::CaseInsensitive) == 0;
            });
            // The user's edit of the file's value.
            const std::optional<QString> value = edits.value(name)
                                                     .appliedTo(found == written.end() ? std::nullopt
                                                                                       : std::optional<QString>(found->second));
            if (found == written.end() && value)
                written.append({name, *value});
            else if (found != written.end() && value)
                found->second = *value;
            else if (found != written.end())
                written.erase(found);
        }
    }
    const auto rule = m_ruleElements.constFind(frame.live);
    if (rule != m_ruleElements.cend())
        written = DOMNodeEx::applyAttributeConditions(written, rule.value());
    if (written != own && range.hasStartTag()) {
        m_splicer.copyTo(range.start);
        m_splicer.write(startTag(frame.source, range, written));
        m_splicer.skipTo(range.startTagEnd);
    }
    if (rule != m_ruleElements.cend() && rule->conditionNamed(QStringLiteral("contentName"))) {
        if (const std::optional<QString> snippet = m_settings.generator->namedSnippet(frame.live)) {
            m_splicer.copyTo(range.startTagEnd);
            m_splicer.write(*snippet);
            m_splicer.skipTo(range.endTagStart);
            if (!range.hasEndTag())
                m_splicer.write(QLatin1String("</") + frame.live->nodeName().toLower() + QLatin1Char('>'));
            return false;
        }
    }

    frame.children = &m_pairing.validChildren(frame.source);
    QHash<const DOMNode *, qsizetype> indexOfSource;
    indexOfSource.reserve(frame.children->size());
    for (qsizetype i = 0; i < frame.children->size(); ++i)
        indexOfSource.insert(frame.children->at(i), i);
    // The most live children the file holds that are still in its order
    // stay where they are; what the user put in or moved goes after the
    // nearest of those before it.
    const DOMNode *content = DOMNodeEx::contentParent(frame.live);
    QList<const DOMNode *> liveChildren;
    QList<qsizetype> sourceIndex;
    for (const DOMNode *child = content->firstChild(); child; child = child->nextSibling()) {
        liveChildren.append(child);
        sourceIndex.append(indexOfSource.value(m_pairing.sourceOf(child), -1));
    }
    // Those the user did not move decide; one moved back to where the file
    // has it stays there.
    QList<qsizetype> unmoved = sourceIndex;
    for (qsizetype i = 0; i < liveChildren.size(); ++i) {
        if (m_edits.isInserted(liveChildren.at(i)))
            unmoved[i] = -1;
    }
    QList<bool> inOrder(liveChildren.size(), false);
    for (const qsizetype i : longestInOrder(unmoved))
        inOrder[i] = true;
    QList<qsizetype> nextInOrder(liveChildren.size() + 1, frame.children->size());
    for (qsizetype i = liveChildren.size() - 1; i >= 0; --i)
        nextInOrder[i] = inOrder.at(i) ? sourceIndex.at(i) : nextInOrder.at(i + 1);
    qsizetype previousInOrder = -1;
    for (qsizetype i = 0; i < liveChildren.size(); ++i) {
        if (!inOrder.at(i) && sourceIndex.at(i) > previousInOrder && sourceIndex.at(i) < nextInOrder.at(i + 1))
            inOrder[i] = true;
        if (inOrder.at(i)) {
            frame.inOrder.insert(liveChildren.at(i));
            previousInOrder = sourceIndex.at(i);
        }
    }
    const DOMNode *anchor = nullptr;
    for (qsizetype i = 0; i < liveChildren.size(); ++i) {
        const DOMNode *child = liveChildren.at(i);
        if (frame.inOrder.contains(child)) {
            if (!child->isWhiteSpaceTextNode())
                anchor = frame.children->at(sourceIndex.at(i));
        } else if (m_edits.isInserted(child) && m_edits.givenOf(child)) {
            frame.inserts[anchor].append(child);
        }
    }
    if (const auto first = frame.inserts.constFind(nullptr); first != frame.inserts.cend()) {
        m_splicer.copyTo(range.startTagEnd);
        writeInserts(first.value());
    }
    return true;
}

std::optional<QString> Writer::run()
{
    const DOMElement *liveRoot = m_live.documentElement();
    const DOMNode *sourceRoot = m_pairing.sourceOf(liveRoot);
    const HTMLSourceRange *rootRange = sourceRoot ? m_pairing.sourceMap().rangeOf(sourceRoot) : nullptr;
    if (!m_pairing.isPaired() || !rootRange)
        return std::nullopt;

    for (const qint64 id : m_edits.startTags()) {
        if (const DOMNode *node = m_live.nodeForId(id); node && node->isConnected())
            markDirty(node);
    }
    for (const qint64 id : m_edits.data()) {
        if (const DOMNode *node = m_live.nodeForId(id); node && node->isConnected())
            markDirty(node->parentNode());
    }
    for (const qint64 id : m_edits.inserted()) {
        if (const DOMNode *node = m_live.nodeForId(id); node && node->isConnected())
            markDirty(node->parentNode());
    }
    for (const qint64 id : m_edits.removedFrom())
        markDirty(m_live.nodeForId(id));
    // A followed node is walked to, unless it is written from its copy.
    for (const DOMNode *node : std::as_const(m_wanted)) {
        if (node == liveRoot)
            m_dirty.insert(node);
        else if (node->isConnected() && !m_edits.givenOf(node))
            markDirty(node->parentNode());
    }
    findLeftOut();
    findRuleElements();

    QList<Frame> frames;
    Frame root;
    root.live = liveRoot;
    root.source = sourceRoot;
    root.range = *rootRange;
    if (m_wanted.contains(liveRoot)) {
        m_splicer.copyTo(rootRange->start);
        root.wantedBegin = m_splicer.size();
    }
    if (m_dirty.contains(liveRoot) && open(root)) {
        frames.append(std::move(root));
    } else if (root.wantedBegin >= 0) {
        m_splicer.copyTo(rootRange->end);
        m_spans.insert(liveRoot, {root.wantedBegin, m_splicer.size()});
    }
    while (!frames.isEmpty()) {
        Frame &frame = frames.last();
        if (frame.next >= frame.children->size()) {
            m_splicer.copyTo(frame.range.end);
            if (frame.wantedBegin >= 0)
                m_spans.insert(frame.live, {frame.wantedBegin, m_splicer.size()});
            const QList<const DOMNode *> after = frame.after;
            frames.removeLast();
            writeInserts(after);
            continue;
        }
        const DOMNode *source = frame.children->at(frame.next++);
        const HTMLSourceRange *range = m_pairing.sourceMap().rangeOf(source);
        const DOMNode *live = liveOf(source);
        const QList<const DOMNode *> inserts = frame.inserts.value(source);
        // A followed node written here (not from its copy, elsewhere).
        qsizetype wantedBegin = -1;
        if (live && m_wanted.contains(live) && (frame.inOrder.contains(live) || !m_edits.isInserted(live))) {
            m_splicer.copyTo(range->start);
            wantedBegin = m_splicer.size();
        }
        // A node of the file that a page script moved (out of order, or into
        // another element) is still written where the file has it, with
        // the user's edits inside it.
        const bool movedByScript = live && !frame.inOrder.contains(live) && live->isConnected() && !m_edits.isInserted(live)
            && !m_edits.isRemoved(live);
        if (live && (frame.inOrder.contains(live) || movedByScript)) {
            if (m_leftOut.contains(live)) {
                m_splicer.remove(range->start, range->end, frame.range.startTagEnd);
            } else if (live->isElement() && m_dirty.contains(live)) {
                Frame child;
                child.live = live;
                child.source = source;
                child.range = *range;
                child.after = inserts;
                child.wantedBegin = wantedBegin;
                if (open(child)) {
                    frames.append(std::move(child));
                    continue;
                }
                m_splicer.copyTo(range->end);
            } else if (const std::optional<QString> data = live->isCharacterData() ? typedData(live, source)
                                                                                     : std::nullopt) {
                m_splicer.copyTo(range->start);
                m_splicer.write(changedData(live, *data, *range));
                m_splicer.skipTo(range->end);
            }
        } else if (live && m_edits.isRemoved(live)) {
            m_splicer.remove(range->start, range->end, frame.range.startTagEnd);
        }
        if (wantedBegin >= 0) {
            m_splicer.copyTo(range->end);
            m_spans.insert(live, {wantedBegin, m_splicer.size()});
        }
        if (!inserts.isEmpty()) {
            m_splicer.copyTo(range->end);
            writeInserts(inserts);
        }
    }
    m_splicer.copyTo(m_pairing.text().size());
    return m_splicer.take();
}

// The text of [begin, end), from the start of its line when only
// indentation stands before it there.
QString fromLineStart(const QString &text, qsizetype begin, qsizetype end)
{
    end = std::clamp<qsizetype>(end, 0, text.size());
    begin = std::clamp<qsizetype>(begin, 0, end);
    qsizetype start = begin;
    while (start > 0 && (text.at(start - 1) == u' ' || text.at(start - 1) == u'\t'))
        --start;
    if (start == 0 || text.at(start - 1) == u'\n')
        begin = start;
    return text.mid(begin, end - begin);
}

std::optional<QStringList> Writer::textsOf(const QList<const DOMNode *> &nodes)
{
    m_wanted = QSet<const DOMNode *>(nodes.cbegin(), nodes.cend());
    const std::optional<QString> out = run();
    if (!out)
        return std::nullopt;
    QStringList texts;
    for (const DOMNode *node : nodes) {
        QString text;
        const DOMNode *source = m_pairing.sourceOf(node);
        const HTMLSourceRange *range = source ? m_pairing.sourceMap().rangeOf(source) : nullptr;
        if (const auto span = m_spans.constFind(node); span != m_spans.cend())
            text = fromLineStart(*out, span->first, span->second);
        else if (m_edits.givenOf(node))
            text = m_minified ? givenText(node) : withIndentUnit(givenText(node), m_indentUnit);
        else if (range && range->isValid())
            // Inside what the output does not walk (a named snippet's element).
            text = fromLineStart(m_pairing.text(), range->start, range->end);
        // Otherwise a script's node, which the file never gets.
        texts.append(text.replace(QLatin1String("\r\n"), QLatin1String("\n")));
    }
    return texts;
}

} // namespace

std::optional<QStringList> HTMLSourceWriter::textsOf(const HTMLSourcePairing &pairing, const DOMDocument &live,
                                                     const DOMEditRecord &edits, const Settings &settings,
                                                     const QList<const DOMNode *> &nodes)
{
    if (!settings.generator)
        return std::nullopt;
    return Writer(pairing, live, edits, settings).textsOf(nodes);
}

std::optional<QString> HTMLSourceWriter::write(const HTMLSourcePairing &pairing, const DOMDocument &live,
                                               const DOMEditRecord &edits, const Settings &settings)
{
    if (!settings.generator)
        return std::nullopt;
    return Writer(pairing, live, edits, settings).run();
}

QList<IgnoreOptionValue> HTMLSourceWriter::withoutDefaultRules(const QList<IgnoreOptionValue> &rules)
{
    static const QList<IgnoreOptionValue> defaults = ProjectUtil::parseIgnoreOption(ProjectUtil::defaultIgnoreOption());
    QList<IgnoreOptionValue> own;
    for (const IgnoreOptionValue &rule : rules) {
        if (!defaults.contains(rule))
            own.append(rule);
    }
    return own;
}
