#pragma once

#include "AttributeEditor.h"

#include "cssvalues/DropShadowValue.h"

#include <memory>

class PopUpButton;
class QCheckBox;
class QListWidget;
class QToolButton;
class QuickColorPicker;
class ShadowParser;
class StepNumberTextField;

// The panel's text-shadow or box-shadow (by its property): the layers in a
// list, the selected layer's offsets, blur, spread, unit, colour and inset
// below, and add and remove buttons. Adding and removing a layer are undo
// steps, registered against the object shown: once the panel shows another,
// they are skipped; with the receivers' change of the style they form one
// step. A value the parser cannot read, and "none", are written back as they
// were until the user adds a layer.
class ShadowEditor : public AttributeEditor
{
    Q_OBJECT

public:
    explicit ShadowEditor(QWidget *parent = nullptr);
    ~ShadowEditor() override;

    void readStyle(StyleValueMap &map) override;
    // Empties the list and makes a new parser for the property.
    void reset() override;
    std::optional<QString> value() const override;
    QWidget *firstControl() const override;

    void addShadow();
    // Removes the selected layer; nothing without one.
    void deleteShadow();
    void doAddProp(const DropShadowValuePtr &layer, int index);
    void doDeleteProp(const DropShadowValuePtr &layer);

    const DropShadowList &shadows() const { return m_shadows; }
    QListWidget *listView() const { return m_listView; }
    QToolButton *addButton() const { return m_addButton; }
    QToolButton *removeButton() const { return m_removeButton; }
    StepNumberTextField *offsetHInput() const { return m_offsetHInput; }
    StepNumberTextField *blurInput() const { return m_blurInput; }
    PopUpButton *unitButton() const { return m_unitButton; }
    ShadowParser *parser() const { return m_parser.get(); }

private:
    enum class Length { X, Y, Blur, Spread };
    DropShadowValuePtr selectedLayer() const;
    void reloadTable(int selectRow);
    void showSelection();
    void lengthChanged(Length which);
    void unitChanged();
    void colorChanged();
    void insetChanged();
    void changed();

    DropShadowList m_shadows;
    std::unique_ptr<ShadowParser> m_parser;
    // A value read that is no layer list ("none", unreadable), written back
    // as it was until a layer is added.
    std::optional<QString> m_unreadValue;
    // The identity of the object shown, for the undo steps: a new one at
    // every reset.
    std::unique_ptr<QObject> m_shownObject;

    QListWidget *m_listView = nullptr;            // Owned (child).
    StepNumberTextField *m_offsetHInput = nullptr; // Owned (child).
    StepNumberTextField *m_offsetVInput = nullptr; // Owned (child).
    StepNumberTextField *m_blurInput = nullptr;   // Owned (child).
    StepNumberTextField *m_spreadInput = nullptr; // Owned (child).
    QCheckBox *m_insetButton = nullptr;           // Owned (child).
    PopUpButton *m_unitButton = nullptr;          // Owned (child).
    QuickColorPicker *m_colorPicker = nullptr;    // Owned (child).
    QToolButton *m_addButton = nullptr;           // Owned (child).
    QToolButton *m_removeButton = nullptr;        // Owned (child).
};
