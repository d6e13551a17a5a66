#include "HTMLSourceWriter.h"

#include "DOMEditRecord.h"
#include "DOMNodeEx.h"
#include "DomNodeMap.h"
#include "HTMLSourcePairing.h"
#include "LayoutSpace.h"
#include "PageTextGenerator.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNodeList.h"
#include "platform/web/html/HTMLSerializer.h"
#include "stylesheet/WebCoreObjects.h"
#include "workspace/ProjectUtil.h"

#include <QHash>
#include <QSet>

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
        // A minified page takes what is added minified too.
        m_minified = isMinifiedPage(pairing.text());
    }

    std::optional<QString> run();

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
    };

    void markDirty(const DOMNode *node);
    void findLeftOut();
    void findRuleElements();
    const DOMNode *liveOf(const DOMNode *source) const;
    // Starts an element's frame; false when it needs no children walk.
    bool open(Frame &frame);
    void writeInserts(const QList<const DOMNode *> &nodes);
    QString startTag(const DOMNode *live, const Attributes &attributes) const;
    QString changedData(const DOMNode *live, const HTMLSourceRange &range) const;
    DOMNodeExPtr rowOf(const DOMNode *node) const;

    const HTMLSourcePairing &m_pairing;
    const DOMDocument &m_live;
    const DOMEditRecord &m_edits;
    const HTMLSourceWriter::Settings &m_settings;
    Splicer m_splicer;
    QSet<const DOMNode *> m_dirty;
    QSet<const DOMNode *> m_leftOut;
    QHash<const DOMNode *, IgnoreOptionValue> m_ruleElements;
    bool m_crlf = false;
    bool m_minified = false;
};

const DOMNode *Writer::liveOf(const DOMNode *source) const
{
    const qint64 id = m_pairing.liveIdOf(source);
    return id ? m_live.nodeForId(id) : nullptr;
}

void Writer::markDirty(const DOMNode *node)
{
    for (; node && !node->isDocument() && !m_dirty.contains(node); node = node->parentNode())
        m_dirty.insert(node);
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

QString Writer::startTag(const DOMNode *live, const Attributes &attributes) const
{
    const QString name = live->nodeName().toLower();
    QString text = QLatin1Char('<') + name + DOMNodeEx::attributesText(attributes);
    text += WebCoreObjects::shouldClose(name) ? QLatin1String(">") : QLatin1String(" />");
    return m_settings.generator->withCharacterReferences(text);
}

QString Writer::changedData(const DOMNode *live, const HTMLSourceRange &range) const
{
    if (live->isComment())
        return QLatin1String("<!--") + live->nodeValue() + QLatin1String("-->");
    // The new text between the white space the file had around the old.
    const QString old = m_pairing.text().mid(range.start, range.end - range.start);
    const qsizetype lead = LayoutSpace::leadingRunLength(old);
    const qsizetype trail = lead == old.size() ? 0 : LayoutSpace::trailingRunLength(old);
    const DOMNode *parent = live->parentNode();
    const bool raw = parent && parent->isElement()
        && HTMLSerializer::isRawTextElement(static_cast<const DOMElement *>(parent)->localName());
    QString text = LayoutSpace::trimmed(live->nodeValue());
    if (!raw)
        text = m_settings.generator->withCharacterReferences(HTMLSerializer::escapeText(text));
    return old.left(lead) + text + old.right(trail);
}

void Writer::writeInserts(const QList<const DOMNode *> &nodes)
{
    for (const DOMNode *node : nodes) {
        const DOMNodeExPtr row = DOMNodeEx::rowForWriting(const_cast<DOMNode *>(node)->shared_from_this());
        QString text = m_settings.generator->concatNodeTree(row.get(), m_settings.format, m_minified, true);
        // The file's own line ends.
        if (m_crlf)
            text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        m_splicer.write(text);
    }
}

bool Writer::open(Frame &frame)
{
    const HTMLSourceRange &range = frame.range;
    // The start tag: the file's, unless an edit or a rule changes it.
    const Attributes own = DOMNodeEx::attributesOf(frame.source);
    Attributes written = m_edits.isStartTagTouched(frame.live) ? DOMNodeEx::attributesOf(frame.live) : own;
    const auto rule = m_ruleElements.constFind(frame.live);
    if (rule != m_ruleElements.cend())
        written = DOMNodeEx::applyAttributeConditions(written, rule.value());
    if (written != own) {
        m_splicer.copyTo(range.start);
        m_splicer.write(startTag(frame.live, written));
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
    // The live children the file holds in the same order stay where they
    // are; the program's new ones go after the nearest of those before them.
    qsizetype last = -1;
    const DOMNode *anchor = nullptr;
    const DOMNode *content = DOMNodeEx::contentParent(frame.live);
    for (const DOMNode *child = content->firstChild(); child; child = child->nextSibling()) {
        const qsizetype at = indexOfSource.value(m_pairing.sourceOf(child), -1);
        if (at > last) {
            frame.inOrder.insert(child);
            last = at;
            if (!child->isWhiteSpaceTextNode())
                anchor = frame.children->at(at);
        } else if (m_edits.isTouched(child)) {
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
    findLeftOut();
    findRuleElements();

    QList<Frame> frames;
    Frame root;
    root.live = liveRoot;
    root.source = sourceRoot;
    root.range = *rootRange;
    if (m_dirty.contains(liveRoot) && open(root))
        frames.append(std::move(root));
    while (!frames.isEmpty()) {
        Frame &frame = frames.last();
        if (frame.next >= frame.children->size()) {
            m_splicer.copyTo(frame.range.end);
            const QList<const DOMNode *> after = frame.after;
            frames.removeLast();
            writeInserts(after);
            continue;
        }
        const DOMNode *source = frame.children->at(frame.next++);
        const HTMLSourceRange *range = m_pairing.sourceMap().rangeOf(source);
        const DOMNode *live = liveOf(source);
        const QList<const DOMNode *> inserts = frame.inserts.value(source);
        if (live && frame.inOrder.contains(live)) {
            if (m_leftOut.contains(live)) {
                m_splicer.remove(range->start, range->end, frame.range.startTagEnd);
            } else if (live->isElement() && m_dirty.contains(live)) {
                Frame child;
                child.live = live;
                child.source = source;
                child.range = *range;
                child.after = inserts;
                if (open(child)) {
                    frames.append(std::move(child));
                    continue;
                }
                m_splicer.copyTo(range->end);
            } else if (live->isCharacterData() && m_edits.isDataTouched(live)
                       && live->nodeValue() != source->nodeValue()) {
                m_splicer.copyTo(range->start);
                m_splicer.write(changedData(live, *range));
                m_splicer.skipTo(range->end);
            }
        } else if (live && m_edits.isRemoved(live)) {
            m_splicer.remove(range->start, range->end, frame.range.startTagEnd);
        }
        if (!inserts.isEmpty()) {
            m_splicer.copyTo(range->end);
            writeInserts(inserts);
        }
    }
    m_splicer.copyTo(m_pairing.text().size());
    return m_splicer.take();
}

} // namespace

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
