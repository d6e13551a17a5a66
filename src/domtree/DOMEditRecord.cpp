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

void DOMEditRecord::setAttributeEdit(const DOMNode *node, const QString &name)
{
    const auto *element = static_cast<const DOMElement *>(node);
    std::optional<QString> value;
    if (element->hasAttribute(name))
        value = element->getAttribute(name);
    m_attributes[node->nodeId()].insert(name.toLower(), value);
    // An element the user put in keeps the edit in its copy.
    if (DOMNode *given = givenOfId(node->nodeId()); given && given->isElement()) {
        auto *copy = static_cast<DOMElement *>(given);
        if (value)
            copy->setAttribute(name, *value);
        else
            copy->removeAttribute(name);
    }
}

void DOMEditRecord::noteAttributes(const DOMNode *node, const Attributes &before)
{
    if (!node || !node->isElement())
        return;
    note(&DOMEditRecord::m_startTags, node);
    const auto *element = static_cast<const DOMElement *>(node);
    // In the element's order, so that a copy gets them in that order; the
    // removed ones after.
    QStringList names;
    for (int i = 0; i < element->attributeCount(); ++i) {
        const DOMAttr *attribute = element->attributeAt(i);
        const auto found = std::find_if(before.cbegin(), before.cend(),
                                        [&](const auto &entry) { return entry.first == attribute->name(); });
        if (found == before.cend() || found->second != attribute->value())
            names.append(attribute->name());
    }
    for (const auto &[name, value] : before) {
        if (!element->hasAttribute(name))
            names.append(name);
    }
    for (const QString &name : std::as_const(names))
        setAttributeEdit(node, name);
}

void DOMEditRecord::noteAttribute(const DOMNode *node, const QString &name)
{
    if (!node || !node->isElement())
        return;
    note(&DOMEditRecord::m_startTags, node);
    setAttributeEdit(node, name);
}

void DOMEditRecord::noteData(const DOMNode *node)
{
    if (!node)
        return;
    note(&DOMEditRecord::m_data, node);
    const QString text = node->nodeValue();
    m_dataText.insert(node->nodeId(), text);
    if (DOMNode *given = givenOfId(node->nodeId()); given && given->isCharacterData())
        static_cast<DOMCharacterData *>(given)->setData(text);
}

std::optional<QString> DOMEditRecord::dataEdit(qint64 id) const
{
    const auto found = m_dataText.constFind(id);
    if (found == m_dataText.cend())
        return std::nullopt;
    return found.value();
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

bool DOMEditRecord::isEditedInside(const DOMNode *given) const
{
    std::vector<const DOMNode *> pending{given};
    while (!pending.empty()) {
        const DOMNode *node = pending.back();
        pending.pop_back();
        const qint64 live = m_liveOfGiven.value(node);
        const qint64 origin = m_copiedFrom.value(live, live);
        if (m_startTags.contains(live) || m_data.contains(live) || m_startTags.contains(origin)
            || m_data.contains(origin))
            return true;
        // Something the user put inside it or took out of it; what came
        // with the text the user gave for it was not put in later.
        if (node != given && ((origin < 0 && !m_givenTexts.contains(origin)) || m_inserted.contains(origin)))
            return true;
        if (m_removedFrom.contains(origin) || m_removedFrom.contains(live))
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
        m_copiedFrom.insert(to->nodeId(), m_copiedFrom.value(from->nodeId(), from->nodeId()));
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
    // The values and copies stay: they are known by id and answer only for
    // the edits kept.
    const DOMEditRecord pending = *m_sinceWrite;
    for (const auto set : {&DOMEditRecord::m_startTags, &DOMEditRecord::m_data, &DOMEditRecord::m_inserted,
                           &DOMEditRecord::m_removed, &DOMEditRecord::m_removedFrom}) {
        (this->*set) = pending.*set;
        (m_sinceWrite.get()->*set) = pending.*set;
    }
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
    m_givenTexts.clear();
    m_givenOfLive.clear();
    m_liveOfGiven.clear();
    m_copiedFrom.clear();
    m_scratch.reset();
    if (m_sinceWrite)
        m_sinceWrite->clear();
}
