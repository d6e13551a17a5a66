#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// What the user did to one attribute of an element, kept to be applied to
// the file's own value of that attribute: it was set whole or removed, or,
// for "style" and "class", some of its parts were set or removed (the
// declarations by property name, the class names), which go into the file's
// value in the file's own layout. So a value that page scripts put into the
// page's attribute never reaches the file through an edit of it. A value the
// user typed whole is written as typed where the page held the file's value
// before the edit: no script had changed the attribute.
class AttributeEdit
{
public:
    // How the user gave the new value: parts of it through an editor, or
    // the whole value typed.
    enum class Given { Parts, Whole };

    // A part by its key (a property name in lower case, a class name) and
    // its value (a declaration's value; empty for a class name), or none
    // when the user removed it.
    using Part = std::pair<QString, std::optional<QString>>;

    AttributeEdit() = default;
    // The edit that took the page's value from before to after (none:
    // the attribute was absent). partsFrom, when given, is the text the
    // user's parts were changed from where that is not the page's value (the
    // style panel's own reading of it).
    static AttributeEdit between(const QString &name, const std::optional<QString> &before,
                                 const std::optional<QString> &after, Given given = Given::Parts,
                                 const std::optional<QString> &partsFrom = std::nullopt);

    // This edit followed by a later one of the same attribute.
    void follow(const AttributeEdit &later);
    // The value that the file's value (none: absent) takes with the edit;
    // none when the attribute is to be absent. An attribute the file does
    // not have and that the edit leaves without a part stays absent.
    std::optional<QString> appliedTo(const std::optional<QString> &fileValue) const;
    // Nothing changes whatever the file holds.
    bool isEmpty() const;

    bool isWhole() const { return m_whole; }
    // The page's value before the first of the edits (none: absent).
    const std::optional<QString> &pageBefore() const { return m_pageBefore; }
    const QList<Part> &parts() const { return m_parts; }
    bool operator==(const AttributeEdit &other) const = default;

    // The declarations set and removed between two style texts: those set
    // in the order of after, then those removed. Pieces without a name are
    // no declarations and change nothing.
    static QList<Part> styleChanges(const QString &before, const QString &after);
    // The style text with the changes made in its own layout: a value
    // changed where it stands, a declaration removed with its separator, a
    // new one after the last with the text's separator and colon spacing.
    static QString withStyleChanges(const QString &text, const QList<Part> &changes);
    // The class names added and removed between two class texts.
    static QList<Part> classChanges(const QString &before, const QString &after);
    static QString withClassChanges(const QString &text, const QList<Part> &changes);

private:
    enum class Kind { Value, Style, Class };
    static Kind kindOf(const QString &name);

    bool isTypedOver(const std::optional<QString> &fileValue) const;

    Kind m_kind = Kind::Value;
    // Made by between(): a default edit is followed by nothing.
    bool m_made = false;
    // The file's value is replaced by m_value (none: removed) before the parts.
    bool m_whole = false;
    std::optional<QString> m_value;
    QList<Part> m_parts;
    // The page's value before the first edit and after the last; whether
    // each edit began from the value the one before left (no script
    // changed the attribute between them).
    std::optional<QString> m_pageBefore;
    std::optional<QString> m_pageAfter;
    bool m_unbroken = true;
    // The last value typed whole, and the parts changed since.
    std::optional<QString> m_typed;
    QList<Part> m_partsSinceTyped;
};

// The edits of an element's attributes by name (in lower case), in the
// order the names were first edited: the order new attributes are written in.
class AttributeEdits
{
public:
    using Entry = std::pair<QString, AttributeEdit>;

    // The name's edit so far followed by edit; a new name comes last.
    void follow(const QString &name, const AttributeEdit &edit);
    // Each of other's edits after this one's.
    void follow(const AttributeEdits &other);
    AttributeEdit value(const QString &name) const;
    bool contains(const QString &name) const;
    QStringList names() const;
    // Drops every name but those.
    void keepOnly(const QStringList &names);
    bool isEmpty() const { return m_entries.isEmpty(); }
    // Whether any of them changes anything.
    bool changesAnything() const;
    const QList<Entry> &entries() const { return m_entries; }
    bool operator==(const AttributeEdits &other) const = default;

private:
    QList<Entry> m_entries;
};
