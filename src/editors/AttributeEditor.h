#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>

class StyleValueMap;

// The base of the style-attribute panel's editors. The panel gives each its
// property and resets it for every element or rule shown, hands each the same
// map of declarations in a fixed order (readStyle()), and asks each for its
// declarations whenever one reports a change (notifyChange()). An editor
// takes from the map the names it can hold faithfully; what it leaves is
// written back by the panel as it was. A value taken with "!important" is
// written with it.
class AttributeEditor : public QWidget
{
    Q_OBJECT

public:
    explicit AttributeEditor(QWidget *parent = nullptr);

    QString property() const { return m_property; }
    virtual void setProperty(const QString &property) { m_property = property; }
    // "initial", "inherit", "auto".
    static const QStringList &lengthKeywords();

    virtual void readStyle(StyleValueMap &map);
    virtual void reset();
    virtual void notifyCommit() {}
    // The value text; nothing writes no declaration.
    virtual std::optional<QString> value() const { return std::nullopt; }
    // One or more declarations, each "name:value;", or nothing.
    virtual std::optional<QString> styleRepresentation() const;
    // Posts "AttributeEditorValueChanged" with this editor as the object.
    void notifyChange();

    bool isImportant() const { return m_important; }
    void setImportant(bool important) { m_important = important; }

    // The control that takes the keyboard when the panel focuses the property.
    virtual QWidget *firstControl() const { return nullptr; }
    // Shows the controls of one of the names the editor holds, where it
    // shows them on pages of its own (a side of the border).
    virtual void showControlsOf(const QString &property) { Q_UNUSED(property); }

protected:
    // Takes the value of the name, or of its prefixed form when the name is
    // not given at all, and keeps its priority.
    std::optional<QString> takeNameOrPrefixed(StyleValueMap &map, const QString &name, const QString &prefixed);
    // "name:value;" with the priority when the value was taken with one.
    QString declaration(const QString &name, const QString &value) const;

private:
    QString m_property;
    bool m_important = false;
};
