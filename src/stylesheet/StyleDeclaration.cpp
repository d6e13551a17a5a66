#include "StyleDeclaration.h"

#include "GradientColorParser.h"
#include "VendarPrefixSettings.h"

#include <QSet>

#include <atomic>
#include <mutex>

namespace {

StyleDeclaration::MediaChildrenProvider &mediaChildrenProvider()
{
    static StyleDeclaration::MediaChildrenProvider provider;
    return provider;
}

// The names of the default vendor-prefix list: a fixed list, read once.
const QSet<QString> &defaultPrefixedNames()
{
    static const QSet<QString> names = [] {
        QSet<QString> set;
        const QVariantMap defaults = VendarPrefixSettings::defaultProperties();
        for (auto it = defaults.cbegin(); it != defaults.cend(); ++it)
            set.insert(it.key());
        return set;
    }();
    return names;
}

// The marked items. Models are parsed and dropped on other threads too.
struct Marks
{
    std::mutex mutex;
    QSet<const StyleDeclaration *> items;
};

Marks &marks()
{
    // Never destroyed: items may outlive statics at exit.
    static Marks *registry = new Marks;
    return *registry;
}

std::atomic<quint64> s_removalStamp{0};
std::atomic<quint64> s_selectorStamp{0};

} // namespace

StyleDeclaration::~StyleDeclaration()
{
    if (m_modified)
        setModified(false);
    if (m_anchor)
        ++m_anchor->joined;
}

void StyleDeclaration::moveWith(const std::shared_ptr<Anchor> &anchor)
{
    if (anchor == m_anchor)
        return;
    const Range where = range();
    const qsizetype line = lineNumber();
    if (m_anchor)
        ++m_anchor->joined;
    m_anchor = anchor;
    if (m_anchor)
        ++m_anchor->joined;
    setRange(where);
    setLineNumber(line);
}

void StyleDeclaration::setModified(bool modified)
{
    if (modified == m_modified)
        return;
    m_modified = modified;
    Marks &registry = marks();
    const std::lock_guard lock(registry.mutex);
    if (modified)
        registry.items.insert(this);
    else
        registry.items.remove(this);
}

void StyleDeclaration::setSelector(const QString &selector)
{
    // A new item taking its first selector changes none.
    if (!m_selector.isNull() && selector != m_selector)
        s_selectorStamp.fetch_add(1, std::memory_order_relaxed);
    m_selector = selector;
}

void StyleDeclaration::setRemoved(bool removed)
{
    if (removed != m_removed)
        s_removalStamp.fetch_add(1, std::memory_order_relaxed);
    m_removed = removed;
}

QList<const StyleDeclaration *> StyleDeclaration::markedItems()
{
    Marks &registry = marks();
    const std::lock_guard lock(registry.mutex);
    return registry.items.values();
}

quint64 StyleDeclaration::removalStamp()
{
    return s_removalStamp.load(std::memory_order_relaxed);
}

quint64 StyleDeclaration::selectorStamp()
{
    return s_selectorStamp.load(std::memory_order_relaxed);
}

QString StyleDeclaration::cssText() const
{
    if (!m_body)
        return m_selector;
    return m_selector + u'{' + *m_body + u'}';
}

QString StyleDeclaration::generateBody() const
{
    QString text;
    for (const CSSPropertyPtr &property : m_properties) {
        if (property->isRemoved())
            continue;
        text += u'\n' + property->description() + QStringLiteral(";\n");
    }
    return text;
}

QString StyleDeclaration::generateBodyForDom() const
{
    static const QString webkit = QStringLiteral("-webkit-");
    QString text;
    for (const CSSPropertyPtr &property : m_properties) {
        if (property->isRemoved())
            continue;
        const QString &name = property->property();
        if (defaultPrefixedNames().contains(property->formalName()) && !name.startsWith(webkit)) {
            // The engine takes these under their "-webkit-" name only.
            text += QStringLiteral("\n-webkit-") + name + u':' + property->value()
                    + QStringLiteral(";\n");
        } else if (name == u"background-image") {
            text += u'\n' + name + u':'
                    + GradientColorParser::convertFormalToVendarPrefix(property->value(), QString())
                    + QStringLiteral(";\n");
        } else {
            text += u'\n' + property->description() + QStringLiteral(";\n");
        }
    }
    return text;
}

void StyleDeclaration::setMediaChildrenProvider(MediaChildrenProvider provider)
{
    mediaChildrenProvider() = std::move(provider);
}

std::optional<QList<QVariantMap>> StyleDeclaration::getInnerSelectors() const
{
    if (m_type != RuleType::Media && m_type != RuleType::Keyframes)
        return std::nullopt;
    QList<QVariantMap> selectors;
    if (!mediaChildrenProvider())
        return selectors;
    const QList<StyleDeclarationPtr> children = mediaChildrenProvider()(*this);
    for (const StyleDeclarationPtr &child : children) {
        const int type = child->type();
        const bool wanted = m_type == RuleType::Media
                                ? (type == RuleType::Style || type == RuleType::MediaStyle)
                                : type == RuleType::Keyframe;
        if (!wanted)
            continue;
        selectors.append(QVariantMap{{QStringLiteral("selector"), child->selector()},
                                     {QStringLiteral("body"), child->generateBodyForDom()}});
    }
    return selectors;
}

StyleDeclarationPtr StyleDeclaration::copy() const
{
    auto item = std::make_shared<StyleDeclaration>();
    item->setSelector(m_selector);
    item->setParentFile(m_parentFile);
    item->setType(m_type);
    item->setInBraket(m_inBraket);
    // The properties are rebuilt from the body text, not copied.
    if (m_body)
        item->setBody(*m_body);
    else
        item->clearBody();
    item->setModified(m_modified);
    item->setUnspecified(m_unspecified);
    return item;
}

StyleDeclarationPtr StyleDeclaration::unspecifiedClone() const
{
    StyleDeclarationPtr item = copy();
    item->setModified(true);
    item->setUnspecified(true);
    return item;
}

QString StyleDeclaration::description() const
{
    if (m_removed)
        return QString();
    return QStringLiteral(
               "o%1 sel:%2 type:%3 range:(%4,%5) line:%6 inBraket:%7 childIndex:%8 removed:%9")
        .arg(m_inBraket ? QStringLiteral("\t") : QString(), m_selector)
        .arg(m_type)
        .arg(m_range.location)
        .arg(m_range.length)
        .arg(m_lineNumber)
        .arg(m_inBraket ? QStringLiteral("Y") : QStringLiteral("N"))
        .arg(m_childIndex)
        .arg(m_removed ? QStringLiteral("Y") : QStringLiteral("N"));
}
