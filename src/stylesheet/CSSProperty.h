#pragma once

#include "CSSValueParser.h"

#include "platform/foundation/Range.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// One declaration of a parsed rule: a name, a value and the flags the rules
// panel sets while the user edits. It knows the table of shorthands and hands
// a shorthand's value to the matching value parser.
class CSSProperty
{
public:
    CSSProperty() = default;
    CSSProperty(QString property, QString value);

    const QString &property() const { return m_property; }
    void setProperty(const QString &property) { m_property = property; }
    // Trimmed, "!important" included when written.
    const QString &value() const { return m_value; }
    void setValue(const QString &value) { m_value = value; }

    // The vendor prefixes ("-webkit-" form) whose copies the text held for this
    // formal property: empty for a formal declaration without copies, absent
    // for a property the project does not prefix.
    const std::optional<QStringList> &vendorPrefixes() const { return m_vendorPrefixes; }
    void setVendorPrefixes(std::optional<QStringList> prefixes)
    {
        m_vendorPrefixes = std::move(prefixes);
    }
    void appendVendorPrefix(const QString &prefix);

    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    bool isRemoved() const { return m_removed; }
    void setRemoved(bool removed) { m_removed = removed; }

    // Where the declarations folded into this property stood in the body text
    // it was read from (StyleDeclaration::setBody()), relative to the body's
    // start and without their ";", in text order: the formal declaration and
    // its vendor-prefixed copies. Empty for a property made by the program.
    const QList<Range> &textRanges() const { return m_textRanges; }
    void appendTextRange(Range range) { m_textRanges.append(range); }

    // "name: value".
    QString description() const;
    // The name without its vendor prefix.
    QString formalName() const;
    // Whether the project prefixes the name itself, prefix included.
    bool hasVenderPrefixOfProject() const;

    // Shorthand name -> its longhand names, in order.
    static const QHash<QString, QStringList> &shortHandMap();
    bool isShartHand() const;
    // The value parser of a shorthand name (exact comparison), else null.
    static std::unique_ptr<CSSValueParser> getValueParser(const QString &name);
    // The longhand values of this property's value; absent when no parser
    // exists for the name or the parser refuses the value.
    std::optional<CSSValueMap> valueMap() const;

    // The text before the first "-" ("" for a name starting with "-"); absent
    // for a name without "-".
    std::optional<QString> prefix() const;
    // The shorthand this longhand belongs to, looked up under its first word;
    // empty when none.
    QString shortHandName() const;
    bool hasShartHand() const { return !shortHandName().isEmpty(); }

private:
    QString m_property;
    QString m_value;
    std::optional<QStringList> m_vendorPrefixes;
    bool m_enabled = false;
    bool m_visible = false;
    bool m_removed = false;
    QList<Range> m_textRanges;
};

using CSSPropertyPtr = std::shared_ptr<CSSProperty>;
