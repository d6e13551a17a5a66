// The ignore options of ProjectUtil: the parse of the "ignoreOption" text into
// rules, its one-entry cache, and the merge of matching rules.

#include "ProjectUtil.h"

#include "foundation/ScannerUtils.h"
#include "platform/foundation/Scanner.h"

#include <QMutex>
#include <QMutexLocker>

#include <optional>

namespace {

// A condition from one declaration "name: value, value".
AttributeCondition makeCondition(const QString &declaration)
{
    const qsizetype colon = declaration.indexOf(QLatin1Char(':'));
    const QString namePart = colon < 0 ? declaration : declaration.left(colon);
    AttributeCondition condition;
    condition.setAttrName(namePart.trimmed());
    if (colon >= 0) {
        // The list is trimmed as a whole; single values keep their blanks.
        condition.setCondition(declaration.mid(colon + 1).trimmed().split(QLatin1Char(',')));
    }
    return condition;
}

// The state machine over the scanner's reports.
class IgnoreOptionParser
{
public:
    void report(const QString &delimiter, const QString &previous, const QString &text);
    QList<IgnoreOptionValue> takeResult() { return std::move(m_result); }

private:
    void appendToDeclaration(const QString &text)
    {
        if (m_declaration)
            m_declaration->append(text);
    }
    void addCondition(const QString &declaration)
    {
        // A declaration outside a rule is dropped.
        if (m_openRule)
            m_openRule->addAttributeCondition(makeCondition(declaration));
    }

    QList<IgnoreOptionValue> m_result;
    std::optional<IgnoreOptionValue> m_openRule;
    QString m_selector;
    std::optional<QString> m_declaration;
    QStringList m_quotes;
};

void IgnoreOptionParser::report(const QString &delimiter, const QString &previous,
                                const QString &text)
{
    if (delimiter == QLatin1String("{")) {
        if (!m_quotes.isEmpty()) {
            appendToDeclaration(text);
            return;
        }
        m_selector += text.trimmed();
        // A rule that was never closed is dropped for the new one.
        m_openRule = IgnoreOptionValue();
        m_openRule->setSelector(m_selector);
        m_selector.clear();
    } else if (delimiter == QLatin1String("}")) {
        if (!m_quotes.isEmpty()) {
            appendToDeclaration(text);
            return;
        }
        const QString trimmed = text.trimmed();
        if (!trimmed.isEmpty()) {
            // A body's last declaration may lack its ";"; a lone ";" is no declaration.
            const QString declaration = m_declaration ? *m_declaration : trimmed;
            if (declaration != QLatin1String(";")) {
                addCondition(declaration);
                m_declaration.reset();
            }
        }
        if (m_openRule)
            m_result.append(*m_openRule);
        m_openRule.reset();
    } else if (delimiter == QLatin1String(";")) {
        if (!m_quotes.isEmpty()) {
            // A ";" inside quotes belongs to the value.
            appendToDeclaration(text);
            if (previous != QLatin1String(";"))
                appendToDeclaration(QStringLiteral(";"));
            return;
        }
        addCondition(m_declaration ? *m_declaration : text);
        m_declaration.reset();
    } else if (delimiter == QLatin1String("'") || delimiter == QLatin1String("\"")) {
        if (!m_openRule) {
            // Quotes inside a selector stay in its text.
            m_selector += text + delimiter;
        } else if (!m_quotes.isEmpty() && m_quotes.last() == delimiter) {
            m_quotes.removeAll(delimiter);
            appendToDeclaration(text);
        } else {
            m_quotes.append(delimiter);
            m_declaration = text;
        }
    }
    // An empty delimiter ends the text: a piece left there is dropped.
}

} // namespace

QList<IgnoreOptionValue> ProjectUtil::parseIgnoreOption(const QString &text)
{
    if (text.isEmpty())
        return {};
    QString prepared = text;
    prepared.remove(QLatin1Char('\r')).remove(QLatin1Char('\n')).remove(QLatin1Char('\t'));
    Scanner scanner(prepared);
    const CharacterSet delimiters
        = CharacterSet::characterSetWithCharactersInString(QStringLiteral("{;}'\""));
    IgnoreOptionParser parser;
    ScannerUtils::scanWithCharacterSet(
        scanner, delimiters,
        [&parser](const QString &character, const QString &previous, QString &piece, bool) {
            parser.report(character, previous, piece);
        });
    return parser.takeResult();
}

QList<IgnoreOptionValue> ProjectUtil::ignoreOptionWithProjectConfig(const QVariantMap &config)
{
    static QMutex s_lock;
    static std::optional<QString> s_lastText;
    static QList<IgnoreOptionValue> s_lastRules;
    const QString text = config.value(kIgnoreOption).toString();
    QMutexLocker locker(&s_lock);
    if (s_lastText != text) {
        s_lastRules = parseIgnoreOption(text);
        s_lastText = text;
    }
    return s_lastRules;
}

IgnoreOptionValue ProjectUtil::computedIgnoreOptionValue(const QList<IgnoreOptionValue> &values)
{
    // Names and values in first-seen order, so that the "last value" the
    // write-back reads is the same on every run.
    QStringList names;
    QHash<QString, QStringList> valuesByName;
    for (const IgnoreOptionValue &value : values) {
        for (const AttributeCondition &condition : value.attributeConditions()) {
            const QString name = condition.attrName();
            if (!valuesByName.contains(name))
                names.append(name);
            QStringList &collected = valuesByName[name];
            if (condition.condition()) {
                for (const QString &item : *condition.condition()) {
                    if (!collected.contains(item))
                        collected.append(item);
                }
            }
        }
    }
    IgnoreOptionValue merged;
    for (const QString &name : std::as_const(names))
        merged.addAttributeCondition(AttributeCondition(name, valuesByName.value(name)));
    return merged;
}
