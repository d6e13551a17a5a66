#include "DOMEditRecord.h"

#include "platform/web/dom/DOMCharacterData.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"

#include <vector>

DOMEditRecord::DOMEditRecord() = default;

DOMEditRecord::DOMEditRecord(const DOMEditRecord &other)
    : m_startTags(other.m_startTags)
    , m_data(other.m_data)
    , m_inserted(other.m_inserted)
    , m_removed(other.m_removed)
    , m_removedFrom(other.m_removedFrom)
    , m_attributes(other.m_attributes)
    , m_dataText(other.m_dataText)
    , m_inherited(other.m_inherited)
    , m_inheritedRemovedFrom(other.m_inheritedRemovedFrom)
    , m_madeAs(other.m_madeAs)
    , m_givenTexts(other.m_givenTexts)
    , m_scratch(other.m_scratch)
    , m_givenOfLive(other.m_givenOfLive)
    , m_liveOfGiven(other.m_liveOfGiven)
    , m_copiedFrom(other.m_copiedFrom)
{
}

DOMEditRecord::~DOMEditRecord() = default;

void DOMEditRecord::note(QSet<qint64> DOMEditRecord::*set, const DOMNode *node)
{
    if (!node)
        return;
    (this->*set).insert(node->nodeId());
    if (!m_sinceWrite)
        m_sinceWrite = std::make_unique<DOMEditRecord>();
    (m_sinceWrite.get()->*set).insert(node->nodeId());
}

void DOMEditRecord::addAttributeEdit(const DOMNode *node, const QString &name, const AttributeEdit &edit)
{
    m_attributes[node->nodeId()].follow(name, edit);
    m_sinceWrite->m_attributes[node->nodeId()].follow(name, AttributeEdit());
}

void DOMEditRecord::noteAttributes(const DOMNode *node, const Attributes &before, AttributeEdit::Given given)
{
    if (!node || !node->isElement())
        return;
    note(&DOMEditRecord::m_startTags, node);
    const auto *element = static_cast<const DOMElement *>(node);
    // In the element's order, so that new names keep it; the removed ones after.
    for (int i = 0; i < element->attributeCount(); ++i) {
        const DOMAttr *attribute = element->attributeAt(i);
        const auto found = std::find_if(before.cbegin(), before.cend(),
                                        [&](const auto &entry) { return entry.first == attribute->name(); });
        const std::optional<QString> old = found == before.cend() ? std::nullopt : std::optional<QString>(found->second);
        if (old != attribute->value())
            addAttributeEdit(node, attribute->name(), AttributeEdit::between(attribute->name(), old, attribute->value(), given));
    }
    for (const auto &[name, value] : before) {
        if (!element->hasAttribute(name))
            addAttributeEdit(node, name, AttributeEdit::between(name, value, std::nullopt));
    }
}

std::optional<QString> DOMEditRecord::attributeValue(const DOMNode *element, const QString &name)
{
    if (!element || !element->isElement())
        return std::nullopt;
    const auto *own = static_cast<const DOMElement *>(element);
    return own->hasAttribute(name) ? std::optional<QString>(own->getAttribute(name)) : std::nullopt;
}

void DOMEditRecord::noteAttribute(const DOMNode *node, const QString &name, const std::optional<QString> &before,
                                  AttributeEdit::Given given, const std::optional<QString> &partsFrom)
{
    if (!node || !node->isElement())
        return;
    note(&DOMEditRecord::m_startTags, node);
    const std::optional<QString> after = attributeValue(node, name);
    if (after != before || (partsFrom && after != partsFrom))
        addAttributeEdit(node, name, AttributeEdit::between(name, before, after, given, partsFrom));
}

void DOMEditRecord::noteData(const DOMNode *node)
{
    if (!node)
        return;
    note(&DOMEditRecord::m_data, node);
    m_dataText.insert(node->nodeId(), node->nodeValue());
}

DOMEditRecord::NodeEdits DOMEditRecord::editsOf(const DOMNode *node) const
{
    if (!node)
        return {};
    NodeEdits edits{m_attributes.value(node->nodeId()), std::nullopt};
    if (const auto data = m_dataText.constFind(node->nodeId()); data != m_dataText.cend())
        edits.data = data.value();
    return edits;
}

void DOMEditRecord::restoreEdits(const DOMNode *node, const NodeEdits &edits)
{
    if (!node)
        return;
    const qint64 id = node->nodeId();
    if (node->isElement()) {
        note(&DOMEditRecord::m_startTags, node);
        // The names either state holds: they changed since the last write.
        const QStringList names = m_attributes.value(id).names() + edits.attributes.names();
        for (const QString &name : names)
            m_sinceWrite->m_attributes[id].follow(name, AttributeEdit());
        if (edits.attributes.isEmpty())
            m_attributes.remove(id);
        else
            m_attributes.insert(id, edits.attributes);
    }
    if (edits.data || m_dataText.contains(id))
        note(&DOMEditRecord::m_data, node);
    if (edits.data)
        m_dataText.insert(id, *edits.data);
    else
        m_dataText.remove(id);
}

AttributeEdits DOMEditRecord::attributeEdits(qint64 id) const
{
    const auto inherited = m_inherited.constFind(id);
    const auto own = m_attributes.constFind(id);
    if (inherited == m_inherited.cend())
        return own == m_attributes.cend() ? AttributeEdits() : own.value();
    AttributeEdits edits = inherited->attributes;
    if (own != m_attributes.cend())
        edits.follow(own.value());
    return edits;
}

std::optional<QString> DOMEditRecord::dataEdit(qint64 id) const
{
    if (const auto found = m_dataText.constFind(id); found != m_dataText.cend())
        return found.value();
    if (const auto inherited = m_inherited.constFind(id); inherited != m_inherited.cend())
        return inherited->data;
    return std::nullopt;
}

const DOMEditRecord::MadeAs *DOMEditRecord::madeAs(qint64 id) const
{
    const auto found = m_madeAs.constFind(id);
    return found == m_madeAs.cend() ? nullptr : &found.value();
}

DOMNode *DOMEditRecord::givenOfId(qint64 id) const
{
    const auto found = m_givenOfLive.constFind(id);
    return found == m_givenOfLive.cend() ? nullptr : found.value().get();
}

const DOMNode *DOMEditRecord::givenOf(const DOMNode *live) const
{
    return live ? givenOfId(live->nodeId()) : nullptr;
}

qint64 DOMEditRecord::originOf(const DOMNode *given) const
{
    const qint64 live = m_liveOfGiven.value(given);
    return live ? m_copiedFrom.value(live, live) : 0;
}

bool DOMEditRecord::isEditedInside(const DOMNode *given, OwnStartTag ownStartTag) const
{
    std::vector<const DOMNode *> pending{given};
    while (!pending.empty()) {
        const DOMNode *node = pending.back();
        pending.pop_back();
        const qint64 live = m_liveOfGiven.value(node);
        const qint64 origin = m_copiedFrom.value(live, live);
        // An edit of its own, or one a copy took along.
        const bool startTagCounts = node != given || ownStartTag == OwnStartTag::Counts;
        if ((startTagCounts && attributeEdits(live).changesAnything()) || dataEdit(live))
            return true;
        // Something the user put inside it or took out of it; what came
        // with the text the user gave for it was not put in later.
        if (node != given && ((origin < 0 && !m_givenTexts.contains(origin)) || m_inserted.contains(origin)))
            return true;
        if (m_removedFrom.contains(origin) || m_removedFrom.contains(live) || m_inheritedRemovedFrom.contains(live))
            return true;
        for (const DOMNode *child = node->firstChild(); child; child = child->nextSibling())
            pending.push_back(child);
    }
    return false;
}

void DOMEditRecord::mapGiven(const DOMNode *live, const DOMNodePtr &given)
{
    // Node for node: the copy has the same shape as the node copied.
    std::vector<std::pair<const DOMNode *, DOMNode *>> pending{{live, given.get()}};
    while (!pending.empty()) {
        const auto [from, to] = pending.back();
        pending.pop_back();
        if (const auto old = m_givenOfLive.constFind(from->nodeId()); old != m_givenOfLive.cend())
            m_liveOfGiven.remove(old.value().get());
        m_givenOfLive.insert(from->nodeId(), to->shared_from_this());
        m_liveOfGiven.insert(to, from->nodeId());
        // What the program made is written from how it went in.
        if (from->nodeId() < 0 && !m_madeAs.contains(from->nodeId())) {
            MadeAs made;
            if (from->isElement()) {
                const auto *element = static_cast<const DOMElement *>(from);
                for (int i = 0; i < element->attributeCount(); ++i)
                    made.attributes.append({element->attributeAt(i)->name(), element->attributeAt(i)->value()});
            } else if (from->isCharacterData()) {
                made.data = from->nodeValue();
            }
            m_madeAs.insert(from->nodeId(), made);
        }
        const DOMNode *child = from->firstChild();
        DOMNode *copy = to->firstChild();
        for (; child && copy; child = child->nextSibling(), copy = copy->nextSibling())
            pending.emplace_back(child, copy);
    }
}

void DOMEditRecord::noteInserted(const DOMNode *node)
{
    if (!node)
        return;
    note(&DOMEditRecord::m_inserted, node);
    // The node as it goes in, before page scripts can touch it; when it goes
    // in again (a redo, a move back), the copy made the first time.
    DOMNodePtr given = m_givenOfLive.value(node->nodeId());
    if (!given) {
        if (!m_scratch)
            m_scratch = DOMDocument::create();
        given = node->cloneInto(*m_scratch);
        if (!given)
            return;
        mapGiven(node, given);
    }
    if (DOMNode *old = given->parentNode())
        old->removeChild(given.get());
    // Inside a node the user put in: into its copy as well, before the copy
    // of the next sibling it has.
    const DOMNode *parent = node->parentNode();
    DOMNode *givenParent = parent ? givenOfId(parent->nodeId()) : nullptr;
    if (!givenParent)
        return;
    DOMNode *reference = nullptr;
    for (const DOMNode *next = node->nextSibling(); next && !reference; next = next->nextSibling()) {
        DOMNode *copy = givenOfId(next->nodeId());
        if (copy && copy->parentNode() == givenParent)
            reference = copy;
    }
    givenParent->insertBefore(given, reference);
}

void DOMEditRecord::noteRemoved(const DOMNode *node, const DOMNode *parent)
{
    if (!node)
        return;
    note(&DOMEditRecord::m_removed, node);
    note(&DOMEditRecord::m_removedFrom, parent);
    if (DOMNode *given = givenOfId(node->nodeId()); given && given->parentNode())
        given->parentNode()->removeChild(given);
}

void DOMEditRecord::noteCopied(const DOMNode *copy, const DOMNode *original)
{
    std::vector<std::pair<const DOMNode *, const DOMNode *>> pending{{copy, original}};
    while (!pending.empty()) {
        const auto [to, from] = pending.back();
        pending.pop_back();
        const qint64 id = from->nodeId();
        m_copiedFrom.insert(to->nodeId(), m_copiedFrom.value(id, id));
        // The edits the original has now live on in the copy, however often
        // it is copied again.
        NodeEdits edits{attributeEdits(id), dataEdit(id)};
        if (edits.attributes.isEmpty() && !edits.data) {
            m_inherited.remove(to->nodeId());
        } else {
            m_inherited.insert(to->nodeId(), std::move(edits));
            if (!m_sinceWrite)
                m_sinceWrite = std::make_unique<DOMEditRecord>();
            m_sinceWrite->m_inherited.insert(to->nodeId(), {});
        }
        if (m_removedFrom.contains(id) || m_inheritedRemovedFrom.contains(id))
            m_inheritedRemovedFrom.insert(to->nodeId());
        const DOMNode *child = to->firstChild();
        const DOMNode *source = from->firstChild();
        for (; child && source; child = child->nextSibling(), source = source->nextSibling())
            pending.emplace_back(child, source);
    }
}

void DOMEditRecord::noteGivenText(const DOMNode *node, const GivenText &text)
{
    if (node)
        m_givenTexts.insert(node->nodeId(), text);
}

QString GivenText::indented(const QString &indent) const
{
    if (indent.isEmpty() || lineStarts.isEmpty())
        return text;
    QString out;
    out.reserve(text.size() + indent.size() * lineStarts.size());
    qsizetype from = 0;
    for (const qsizetype at : lineStarts) {
        out += QStringView(text).mid(from, at - from);
        out += indent;
        from = at;
    }
    out += QStringView(text).mid(from);
    return out;
}

QString GivenText::unindented() const
{
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    for (const qsizetype at : lineStarts) {
        out += QStringView(text).mid(from, at - from);
        from = at;
        while (from < text.size() && (text.at(from) == u'\t' || text.at(from) == u' '))
            ++from;
    }
    out += QStringView(text).mid(from);
    return out;
}

void DOMEditRecord::markWritten()
{
    if (m_sinceWrite)
        m_sinceWrite->clear();
}

void DOMEditRecord::forgetWritten()
{
    if (!m_sinceWrite) {
        clear();
        return;
    }
    // The copies stay: they are known by id and answer only for the edits
    // kept. Of the values, those written go: an element edited since in
    // another attribute must not write them again (#63).
    const DOMEditRecord pending = *m_sinceWrite;
    for (const auto set : {&DOMEditRecord::m_startTags, &DOMEditRecord::m_data, &DOMEditRecord::m_inserted,
                           &DOMEditRecord::m_removed, &DOMEditRecord::m_removedFrom}) {
        (this->*set) = pending.*set;
        (m_sinceWrite.get()->*set) = pending.*set;
    }
    for (auto node = m_attributes.begin(); node != m_attributes.end();) {
        node->keepOnly(pending.m_attributes.value(node.key()).names());
        node = node->isEmpty() ? m_attributes.erase(node) : std::next(node);
    }
    for (auto text = m_dataText.begin(); text != m_dataText.end();)
        text = pending.m_data.contains(text.key()) ? std::next(text) : m_dataText.erase(text);
    for (auto copy = m_inherited.begin(); copy != m_inherited.end();)
        copy = pending.m_inherited.contains(copy.key()) ? std::next(copy) : m_inherited.erase(copy);
    m_sinceWrite->m_attributes = pending.m_attributes;
    m_sinceWrite->m_inherited = pending.m_inherited;
}

void DOMEditRecord::clear()
{
    m_startTags.clear();
    m_data.clear();
    m_inserted.clear();
    m_removed.clear();
    m_removedFrom.clear();
    m_attributes.clear();
    m_dataText.clear();
    m_inherited.clear();
    m_inheritedRemovedFrom.clear();
    m_madeAs.clear();
    m_givenTexts.clear();
    m_givenOfLive.clear();
    m_liveOfGiven.clear();
    m_copiedFrom.clear();
    m_scratch.reset();
    if (m_sinceWrite)
        m_sinceWrite->clear();
}
