#pragma once

#include "ShadowLayerReader.h"
#include "StyleEditorView.h"

#include "editors/ColorTextEditorDelegate.h"

#include <array>

class ButtonMatrix;
class ColorTextEditor;
class ColorWell;
class PopUpButton;
class QCheckBox;
class QListWidget;
class QToolButton;
class Stepper;
class StepNumberTextField;

// The popover editor of a shadow list, the base of TextShadowView and
// DropShadowView: the layers one per row, the selected one edited through
// number fields with steppers (offsets, blur and, with spread, the spread),
// a length-unit pop-up, the inset box (with spread only), and the colour
// controls of the colour editor. Every change rebuilds the edited part of
// its layer and announces the whole value, the layers joined by ","; layers
// and parts not edited keep the text they were read with. A number field
// takes a number with or without a length unit; other text changes nothing
// and is marked when editing ends. Adding and deleting a layer are undo
// steps of the shared undo manager while the popover is open, dropped when
// it closes or the editor goes away.
class ShadowListView : public StyleEditorView, public ColorTextEditorDelegate
{
    Q_OBJECT

public:
    enum Field { OffsetH, OffsetV, Blur, Spread };

    ShadowListView(const QString &type, bool withSpread, QWidget *parent = nullptr);
    ~ShadowListView() override;

    void parseValue() override;
    // Loads the controls from the selected layer.
    void inputValue();
    // Writes the controls into the selected layer and announces the value.
    void setValue();

    // A number field's text into its length.
    void controlTextDidChange(Field field);
    void stepperChange(Field field);
    void insetCheckBoxChange();
    void numberUnitChange();
    void colorChange();
    void unitChange(int tag);
    void handleRadioClick(int tag);
    void colorDidChange(const RGBAColor &color) override;
    void colorTextDidChange(const QString &text, const std::optional<RGBAColor> &color) override;
    void addProp();
    // Removes the selected layer; nothing without one.
    void deleteProp();
    void doAddProp(const DropShadowPropPtr &layer, int index);
    void doDeleteProp(const DropShadowPropPtr &layer);

    const QList<DropShadowPropPtr> &props() const { return m_props; }
    QListWidget *list() const { return m_list; }
    StepNumberTextField *textField(Field field) const { return m_fields.at(field); }
    Stepper *stepper(Field field) const { return m_steppers.at(field); }
    QCheckBox *insetCheckBox() const { return m_insetCheckBox; }
    PopUpButton *unitChanger() const { return m_unitChanger; }
    ColorWell *colorWell() const { return m_colorWell; }
    ButtonMatrix *radioGroup() const { return m_radioGroup; }
    ButtonMatrix *swatch() const { return m_swatch; }
    ColorTextEditor *colorTextEditor() const { return m_colorTextEditor; }

protected:
    // Once the popover closes its value is committed as one step of the
    // rules panel: the layer steps of the opening go.
    void hideEvent(QHideEvent *event) override;

private:
    // The selected layer takes the well's colour; the colour text shows it
    // unless it is the text being typed (#77).
    void layerColorChanged(TypedText typed);
    void dropUndoSteps();
    // A new layer as the editor adds it: black, 2 2 2 (and spread 1) in px.
    DropShadowPropPtr newLayer() const;
    DropShadowPropPtr selectedLayer() const;
    void reloadList(int selectRow);
    // The selected row shows its layer's text again; the selection and the
    // controls stay as they are.
    void refreshSelectedRow();
    void rebuild(DropShadowProp &layer) const;
    void announce();

    const bool m_withSpread;
    QList<DropShadowPropPtr> m_props;
    // While the controls are loaded, their signals write nothing back.
    bool m_loading = false;

    QListWidget *m_list = nullptr;                           // Owned (child).
    std::array<StepNumberTextField *, 4> m_fields{};         // Owned (children); no spread field without spread.
    std::array<Stepper *, 4> m_steppers{};                   // Owned (children); as the fields.
    QCheckBox *m_insetCheckBox = nullptr;                    // Owned (child).
    PopUpButton *m_unitChanger = nullptr;                    // Owned (child).
    ColorWell *m_colorWell = nullptr;                        // Owned (child).
    ButtonMatrix *m_radioGroup = nullptr;                    // Owned (child).
    ButtonMatrix *m_swatch = nullptr;                        // Owned (child).
    ColorTextEditor *m_colorTextEditor = nullptr;            // Owned (child).
    QToolButton *m_addButton = nullptr;                      // Owned (child).
    QToolButton *m_deleteButton = nullptr;                   // Owned (child).
};
