// DOMNodeEx: each row's own piece of HTML (declared in DOMNodeEx.h).

#include "DOMNodeEx.h"
#include "LayoutSpace.h"

#include "foundation/StringJSBeautifier.h"
#include "foundation/StringUtils.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/html/HTMLSerializer.h"
#include "stylesheet/WebCoreObjects.h"
#include "workspace/ProjectUtil.h"

#include <QHash>

namespace {

const DOMElement *parentElementOf(const DOMNode *node)
{
    const DOMNode *parent = node ? node->parentNode() : nullptr;
    return parent && parent->isElement() ? static_cast<const DOMElement *>(parent) : nullptr;
}

bool isNamed(const DOMElement *element, QLatin1String name)
{
    return element && element->localName().compare(name, Qt::CaseInsensitive) == 0;
}

// Text that HTML writes as it stands, besides script and style: the raw text
// elements, and noscript where the page's scripts run.
bool isOtherRawText(const DOMElement *element)
{
    if (!element || !element->isHTMLElement())
        return false;
    const QString &name = element->localName();
    if (name == QLatin1String("noscript")) {
        const DOMDocument *document = element->ownerDocument();
        return !document || document->scripting() == Scripting::Enabled;
    }
    return name == QLatin1String("xmp") || name == QLatin1String("iframe") || name == QLatin1String("noembed")
        || name == QLatin1String("noframes") || name == QLatin1String("plaintext");
}

QString attributeText(const QString &name, const QString &value)
{
    return QLatin1Char(' ') + name + QLatin1String("=\"") + HTMLSerializer::escapeAttributeValue(value)
        + QLatin1Char('"');
}

// The last value of a condition, or a null string.
QString lastValue(const AttributeCondition &condition)
{
    if (!condition.condition() || condition.condition()->isEmpty())
        return {};
    return condition.condition()->constLast();
}

} // namespace

bool DOMNodeEx::isJavaScriptElement(const DOMNode *script)
{
    if (!script || !script->isElement())
        return false;
    const QString type = static_cast<const DOMElement *>(script)->getAttribute(QStringLiteral("type")).trimmed().toLower();
    if (type.isEmpty())
        return true;
    static const QStringList types = {
        QStringLiteral("module"),
        QStringLiteral("text/javascript"),
        QStringLiteral("application/javascript"),
        QStringLiteral("application/ecmascript"),
        QStringLiteral("application/x-ecmascript"),
        QStringLiteral("application/x-javascript"),
        QStringLiteral("text/ecmascript"),
        QStringLiteral("text/javascript1.0"),
        QStringLiteral("text/javascript1.1"),
        QStringLiteral("text/javascript1.2"),
        QStringLiteral("text/javascript1.3"),
        QStringLiteral("text/javascript1.4"),
        QStringLiteral("text/javascript1.5"),
        QStringLiteral("text/jscript"),
        QStringLiteral("text/livescript"),
        QStringLiteral("text/x-ecmascript"),
        QStringLiteral("text/x-javascript"),
    };
    return types.contains(type);
}

QString DOMNodeEx::beautifiedScript(const QString &text)
{
    // The formatter is a process of its own: each text is formatted once.
    static QHash<QString, QString> cache;
    if (const auto found = cache.constFind(text); found != cache.cend())
        return found.value();
    if (cache.size() >= 256)
        cache.clear();
    const QString formatted = StringJSBeautifier::decompileJS(text);
    cache.insert(text, formatted);
    return formatted;
}

std::optional<QString> DOMNodeEx::pieceOfOtherRow() const
{
    if (m_node->isComment())
        return QLatin1String("<!--") + m_node->nodeValue() + QLatin1String("-->");
    if (!m_node->isElement())
        return QString(QLatin1String(""));
    if (!m_isCloseNode)
        return std::nullopt;
    // The end tag, unless the start tag closed the element already.
    const QString name = lowerName();
    if (WebCoreObjects::shouldClose(name) && contentParent(m_node.get())->hasChildNodes())
        return QLatin1String("</") + name + QLatin1Char('>');
    return QString();
}

QString DOMNodeEx::source(Beautify beautify) const
{
    return source(beautify, m_node && m_node->isText() && hasPreInParent());
}

QString DOMNodeEx::source(Beautify beautify, bool inPre) const
{
    if (m_isReference || !m_node)
        return m_isReference ? QString(QLatin1String("")) : QString();
    const QString nodeName = m_node->nodeName();
    if (nodeName == QLatin1String("#text")) {
        const DOMElement *parent = parentElementOf(m_node.get());
        const QString text = m_node->textContent();
        if (isNamed(parent, QLatin1String("script"))) {
            const QString trimmed = LayoutSpace::trimmed(text);
            return beautify == Beautify::Yes && isJavaScriptElement(parent) ? beautifiedScript(trimmed) : trimmed;
        }
        if (isNamed(parent, QLatin1String("style")))
            return LayoutSpace::trimmed(text);
        if (isOtherRawText(parent))
            return inPre ? text : LayoutSpace::trimmed(text);
        const QString escaped = m_node->escapedTextContent();
        return inPre ? escaped : LayoutSpace::trimmed(escaped);
    }
    if (const std::optional<QString> piece = pieceOfOtherRow())
        return *piece;
    const QString name = lowerName();
    const bool closable = WebCoreObjects::shouldClose(name);
    const bool hasChildren = contentParent(m_node.get())->hasChildNodes();
    QString text = QLatin1Char('<') + name;
    if (m_node->isElement()) {
        const auto *element = static_cast<const DOMElement *>(m_node.get());
        for (int i = 0; i < element->attributeCount(); ++i) {
            const DOMAttr *attribute = element->attributeAt(i);
            const QString attributeName = attribute->name();
            if (!attribute->value().isEmpty())
                text += attributeText(attributeName, attribute->value());
            else if (WebCoreObjects::isNoValueAttribute(attributeName))
                text += QLatin1Char(' ') + attributeName;
        }
    }
    if (!closable)
        return text + QLatin1String(" />");
    text += QLatin1Char('>');
    if (!hasChildren)
        text += QLatin1String("</") + name + QLatin1Char('>');
    return text;
}

QString DOMNodeEx::concatNodeTree(const DOMNodeEx *row, Beautify beautify) const
{
    QString out;
    // Each row with whether it lies inside a preformatted element, which
    // its parent knows: no row looks up its ancestors.
    QList<std::pair<const DOMNodeEx *, bool>> pending;
    if (row)
        pending.append({row, row->hasPreInParent()});
    while (!pending.isEmpty()) {
        const auto [each, inPre] = pending.takeLast();
        const QString piece = each->source(beautify, inPre);
        // A row that writes nothing writes none of its children either.
        if (piece.isEmpty())
            continue;
        out += QLatin1Char('\n') + piece;
        const bool childrenInPre = inPre || isPreformatted(each->m_node.get());
        for (qsizetype i = each->m_children.size() - 1; i >= 0; --i)
            pending.append({each->m_children.at(i).get(), childrenInPre});
    }
    return out;
}

QString DOMNodeEx::sourceIncludeChildren() const
{
    return StringUtils::stringByRemoveIndentToTop(concatNodeTree(this, Beautify::No));
}

QString DOMNodeEx::getIndent() const
{
    const qint64 tabs = m_isCloseNode ? m_level - 1 : m_level;
    return tabs > 0 ? QString(int(tabs), QLatin1Char('\t')) : QString();
}

DOMNodeEx::Attributes DOMNodeEx::applyAttributeConditions(Attributes attributes, const IgnoreOptionValue &rule)
{
    if (rule.conditionNamed(QStringLiteral("*")))
        return {};
    for (const AttributeCondition &condition : rule.attributeConditions()) {
        const QString name = condition.attrName();
        if (name == QLatin1String("*")) {
            attributes.clear();
            continue;
        }
        if (name == QLatin1String("ignore") || name == QLatin1String("contentName"))
            continue;
        const QString value = lastValue(condition);
        if (value.isNull())
            continue;
        const auto at = std::find_if(attributes.begin(), attributes.end(),
                                     [&name](const auto &attribute) { return attribute.first == name; });
        if (value == QLatin1String("*") || value == QLatin1String("null")) {
            if (at != attributes.end())
                attributes.erase(at);
        } else if (at != attributes.end()) {
            at->second = value;
        } else {
            attributes.append({name, value});
        }
    }
    return attributes;
}

DOMNodeEx::Attributes DOMNodeEx::attributesOf(const DOMNode *node)
{
    Attributes attributes;
    if (node && node->isElement()) {
        const auto *element = static_cast<const DOMElement *>(node);
        for (int i = 0; i < element->attributeCount(); ++i)
            attributes.append({element->attributeAt(i)->name(), element->attributeAt(i)->value()});
    }
    return attributes;
}

QString DOMNodeEx::attributesText(const Attributes &attributes)
{
    QString text(QLatin1String(""));
    for (const auto &[name, value] : attributes) {
        if (WebCoreObjects::isNoValueAttribute(name))
            text += QLatin1Char(' ') + name;
        else
            text += attributeText(name, value);
    }
    return text;
}

QString DOMNodeEx::compileAttributes(const IgnoreOptionValue *rule) const
{
    // The element's own order, attributes a rule adds at the end.
    const Attributes attributes = attributesOf(m_node.get());
    return attributesText(rule ? applyAttributeConditions(attributes, *rule) : attributes);
}

QString DOMNodeEx::sourceWithIgnoreOption(const QList<IgnoreOptionValue> &rules, bool format) const
{
    return sourceWithIgnoreOption(rules, format, m_node && m_node->isText() && hasPreInParent());
}

QString DOMNodeEx::sourceWithIgnoreOption(const QList<IgnoreOptionValue> &rules, bool format, bool inPre) const
{
    if (!m_node)
        return {};
    if (m_ignore || m_isReference)
        return QLatin1String("");
    const QString nodeName = m_node->nodeName();
    QString text;
    if (nodeName == QLatin1String("#text")) {
        const DOMElement *parent = parentElementOf(m_node.get());
        const QString content = m_node->textContent();
        if (isNamed(parent, QLatin1String("script"))) {
            text = LayoutSpace::trimmed(content);
            // Only JavaScript is formatted: other script types (data,
            // templates) keep their text as it is.
            if (format && isJavaScriptElement(parent)) {
                text = beautifiedScript(text);
                // Every line after the first takes the first line's tabs.
                const QString indented = getIndent() + text;
                const QStringList lines = StringUtils::lineStrings(indented);
                if (lines.size() <= 1)
                    return indented;
                const QString tabs(StringUtils::countHeadContinuousString(lines.constFirst(), QStringLiteral("\t")),
                                   QLatin1Char('\t'));
                QStringList out{lines.constFirst()};
                for (qsizetype i = 1; i < lines.size(); ++i)
                    out.append(tabs + lines.at(i));
                return out.join(QLatin1Char('\n'));
            }
            return text;
        }
        if (isNamed(parent, QLatin1String("style")))
            return LayoutSpace::trimmed(content);
        if (isOtherRawText(parent))
            return inPre ? content : removeNandT(content);
        const QString escaped = m_node->escapedTextContent();
        return inPre ? escaped : removeNandT(escaped);
    }
    if (const std::optional<QString> piece = pieceOfOtherRow())
        return *piece;
    const QString name = lowerName();
    const bool closable = WebCoreObjects::shouldClose(name);
    const bool hasChildren = contentParent(m_node.get())->hasChildNodes();
    const IgnoreOptionValue rule = matchedIgnoreOption(rules);
    text = QLatin1Char('<') + name + compileAttributes(&rule);
    if (!closable)
        return text + QLatin1String(" />");
    text += QLatin1Char('>');
    if (!hasChildren && !rule.conditionNamed(QStringLiteral("contentName")))
        text += QLatin1String("</") + name + QLatin1Char('>');
    return text;
}
