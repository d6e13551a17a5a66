#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The declarations of a style text as the style-attribute editors read them:
// each declaration as written, in order, with its priority; the shorthands
// that one editor owns whole ("margin", "padding", "border-radius") split
// into their longhands. An editor asks for the value in effect of the names
// it edits and takes those names when it can hold that value; what nobody
// took is written back unchanged (remaining()).
class StyleValueMap
{
public:
    // One declaration as written.
    struct Declaration
    {
        QString name;         // as written
        QString writtenValue; // trimmed, the priority included
        QString value;        // without the priority
        bool important = false;
        bool taken = false;
        // A piece without a name and a colon, kept as written (writtenValue).
        bool raw = false;
    };

    // The value in effect for one name.
    struct Value
    {
        QString text;
        bool important = false;
    };
    enum class State { Absent, Held, Opaque };
    struct Lookup
    {
        State state = State::Absent;
        Value value;
        bool isHeld() const { return state == State::Held; }
    };

    StyleValueMap() = default;
    // Reads a declaration list (the "style" attribute, a rule's body).
    static StyleValueMap fromStyleText(const QString &text);

    // The value in effect for a name: from the last declaration that sets it
    // ("!important" ones win over later ordinary ones), the declaration of
    // the name itself or of a shorthand holding it. Opaque when that
    // shorthand is not split (its value stands for several names).
    Lookup lookup(const QString &name) const;
    // Marks every declaration that sets one of the names as taken; a split
    // shorthand is taken once all its longhands are.
    void take(const QStringList &names);
    // The value of each name, nothing for an absent one; nothing at all when
    // one is opaque or two held ones differ in priority.
    std::optional<QList<std::optional<Value>>> heldValues(const QStringList &names) const;
    // Takes the names when each of them is held, with one priority, and the
    // check accepts the values; answers the values.
    std::optional<QList<Value>> takeIfHeld(const QStringList &names,
                                           const std::function<bool(const QList<Value> &)> &accept);

    // The declarations nobody took, in written order.
    QList<Declaration> remaining() const;
    const QList<Declaration> &declarations() const { return m_declarations; }
    bool isEmpty() const { return m_declarations.isEmpty(); }

    // The longhands a split shorthand sets, in side order; empty for others.
    static QStringList splitLonghands(const QString &shorthand);

private:
    // Where one name gets a value from a declaration.
    struct Setting
    {
        int declaration = 0;
        QString name;           // lower case
        std::optional<QString> value; // none: the shorthand's value stands for it
    };
    void addSettings(int index);

    QList<Declaration> m_declarations;
    QList<Setting> m_settings;
};
