#include "DOMCSSStyleDeclaration.h"

#include "DOMCSSRule.h"
#include "DOMCSSStyleSheet.h"
#include "DOMStyleSheetList.h"

#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMStrings.h"

#include <QJsonObject>

// Commands (DOMStyleSheetList's handler):
//   {"op": "setProperty", "rule": id, "name", "value", "priority"}
//   {"op": "removeProperty", "rule": id, "name"}
//   {"op": "setStyleText", "rule": id, "text"}

DOMCSSStyleDeclaration::DOMCSSStyleDeclaration(std::weak_ptr<DOMDocument> document) : m_document(std::move(document))
{
}

std::shared_ptr<DOMCSSRule> DOMCSSStyleDeclaration::parentRule() const
{
    return m_parentRule ? m_parentRule->shared_from_this() : nullptr;
}

QString DOMCSSStyleDeclaration::normalizedName(const QString &name)
{
    const QString trimmed = name.trimmed();
    return trimmed.startsWith(QLatin1String("--")) ? trimmed : DOMStrings::asciiLower(trimmed);
}

int DOMCSSStyleDeclaration::indexIn(const QList<DOMCSSDeclaration> &list, const QString &name)
{
    for (int i = 0; i < list.size(); ++i) {
        if (list.at(i).name == name)
            return i;
    }
    return -1;
}

const QList<DOMCSSDeclaration> &DOMCSSStyleDeclaration::textEntries() const
{
    if (!m_textEntries)
        m_textEntries = DOMCSSParser::parseDeclarations(m_cssText);
    return *m_textEntries;
}

const QList<DOMCSSDeclaration> &DOMCSSStyleDeclaration::items() const
{
    if (!m_items)
        m_items = textEntries();
    return *m_items;
}

int DOMCSSStyleDeclaration::length() const
{
    return int(items().size());
}

QString DOMCSSStyleDeclaration::item(int index) const
{
    const QList<DOMCSSDeclaration> &list = items();
    return index >= 0 && index < list.size() ? list.at(index).name : QString();
}

const DOMCSSDeclaration *DOMCSSStyleDeclaration::entryNamed(const QString &name) const
{
    const auto find = [this](const QString &key) -> const DOMCSSDeclaration * {
        // An item, or a shorthand as the engine folds its longhands in cssText.
        if (const int at = indexIn(items(), key); at >= 0)
            return &items().at(at);
        if (const int at = indexIn(textEntries(), key); at >= 0)
            return &textEntries().at(at);
        return nullptr;
    };
    const QString key = normalizedName(name);
    if (const DOMCSSDeclaration *entry = find(key))
        return entry;
    const QString listed = engineName(key);
    return listed != key ? find(listed) : nullptr;
}

QString DOMCSSStyleDeclaration::getPropertyValue(const QString &name) const
{
    const DOMCSSDeclaration *entry = entryNamed(name);
    return entry ? entry->value : QString();
}

QString DOMCSSStyleDeclaration::getPropertyPriority(const QString &name) const
{
    const DOMCSSDeclaration *entry = entryNamed(name);
    return entry ? entry->priority : QString();
}

QString DOMCSSStyleDeclaration::cssText() const
{
    return m_cssText;
}

QString DOMCSSStyleDeclaration::engineName(const QString &name) const
{
    if (name.isEmpty() || name.startsWith(QLatin1String("--")))
        return name;
    DOMDocument *owner = document();
    const std::optional<QString> listed =
        owner && owner->engineQueries() ? owner->engineQueries()->propertyName(name) : std::nullopt;
    if (!listed)
        return name;
    // The engine lists an alias under its standard name (#64); a "-webkit-"
    // name it does not know is written unprefixed.
    if (!listed->isEmpty())
        return *listed;
    return name.startsWith(QLatin1String("-webkit-")) ? name.mid(8) : name;
}

void DOMCSSStyleDeclaration::setProperty(const QString &name, const QString &value, const QString &priority)
{
    const QString key = engineName(normalizedName(name));
    if (key.isEmpty())
        return;
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty() && !key.startsWith(QLatin1String("--"))) {
        removeProperty(key);
        return;
    }
    const QString lowerPriority = DOMStrings::asciiLower(priority.trimmed());
    if (!lowerPriority.isEmpty() && lowerPriority != QLatin1String("important"))
        return; // the engine ignores any other priority
    // A value the engine is known to refuse leaves the declaration as it was.
    if (DOMDocument *owner = document(); owner && owner->engineQueries()) {
        if (const std::optional<bool> known = owner->engineQueries()->knownSupports(key, trimmed); known && !*known)
            return;
    }

    const DOMCSSDeclaration declaration{key, trimmed, lowerPriority};
    QList<DOMCSSDeclaration> list = items();
    QList<DOMCSSDeclaration> text = textEntries();
    if (const int at = indexIn(list, key); at >= 0)
        list[at] = declaration;
    else
        list.append(declaration);
    if (const int at = indexIn(text, key); at >= 0)
        text[at] = declaration;
    else
        text.append(declaration);
    m_items = list;
    m_cssText = DOMCSSParser::serializeDeclarations(text);
    m_textEntries = text;
    send(QStringLiteral("setProperty"), key, trimmed, lowerPriority);
}

QString DOMCSSStyleDeclaration::removeProperty(const QString &name)
{
    const QString key = engineName(normalizedName(name));
    const QString previous = getPropertyValue(key);
    QList<DOMCSSDeclaration> list = items();
    QList<DOMCSSDeclaration> text = textEntries();
    const int inItems = indexIn(list, key);
    const int inText = indexIn(text, key);
    if (inItems < 0 && inText < 0)
        return previous;
    if (inItems >= 0)
        list.removeAt(inItems);
    if (inText >= 0)
        text.removeAt(inText);
    m_items = list;
    m_cssText = DOMCSSParser::serializeDeclarations(text);
    m_textEntries = text;
    send(QStringLiteral("removeProperty"), key, {}, {});
    return previous;
}

void DOMCSSStyleDeclaration::setCssText(const QString &text)
{
    resetFromText(DOMCSSParser::parseDeclarations(text));
    send(QStringLiteral("setStyleText"), {}, text, {});
}

void DOMCSSStyleDeclaration::resetFromEngine(const QString &cssText, std::optional<QList<DOMCSSDeclaration>> items)
{
    m_cssText = cssText;
    m_textEntries.reset();
    m_items = std::move(items);
}

void DOMCSSStyleDeclaration::resetFromText(const QList<DOMCSSDeclaration> &declarations)
{
    // Later declarations of a name win, as in the engine.
    QList<DOMCSSDeclaration> unique;
    for (const DOMCSSDeclaration &declaration : declarations) {
        if (const int at = indexIn(unique, declaration.name); at >= 0)
            unique.removeAt(at);
        unique.append(declaration);
    }
    m_items = unique;
    m_textEntries = unique;
    m_cssText = DOMCSSParser::serializeDeclarations(unique);
}

bool DOMCSSStyleDeclaration::isValid(const QString &name, const QString &value)
{
    const QString key = normalizedName(name);
    const QString probe = QString(value).remove(QLatin1String("!important")).trimmed();
    bool valid = !probe.isEmpty();
    if (valid) {
        if (DOMDocument *owner = document(); owner && owner->engineQueries()) {
            if (const std::optional<bool> answer = owner->engineQueries()->supports(key, probe))
                valid = *answer;
        }
    }
    // The probe leaves the property unset, whatever the declaration held.
    removeProperty(key);
    return valid;
}

std::optional<bool> DOMCSSStyleDeclaration::takes(const QString &name, const QString &value) const
{
    const QString key = engineName(normalizedName(name));
    const QString probe = QString(value).remove(QLatin1String("!important")).trimmed();
    if (key.isEmpty() || probe.isEmpty())
        return false;
    DOMDocument *owner = document();
    if (!owner || !owner->engineQueries())
        return std::nullopt;
    return owner->engineQueries()->supports(key, probe);
}

DOMDocument *DOMCSSStyleDeclaration::document() const
{
    // The document is only read during the call; whoever shows it holds it.
    if (!m_parentRule)
        return m_document.lock().get();
    const DOMStyleSheetList *list = m_parentRule->styleSheetList();
    return list ? list->document() : nullptr;
}

void DOMCSSStyleDeclaration::send(const QString &op, const QString &name, const QString &value,
                                  const QString &priority)
{
    if (!m_parentRule)
        return;
    QJsonObject command{{QStringLiteral("op"), op}, {QStringLiteral("rule"), double(m_parentRule->ruleId())}};
    if (op == QLatin1String("setStyleText")) {
        command.insert(QStringLiteral("text"), value);
    } else {
        command.insert(QStringLiteral("name"), name);
        if (op == QLatin1String("setProperty")) {
            command.insert(QStringLiteral("value"), value);
            command.insert(QStringLiteral("priority"), priority);
        }
    }
    m_parentRule->sendCommand(command);
}
