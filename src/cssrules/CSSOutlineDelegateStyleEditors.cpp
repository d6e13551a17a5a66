// CSSOutlineDelegate: the visual editors opened from a row. A declaration's
// value opens in a popover editor chosen by its property (from the badge, a
// double click or Ctrl+Return): each step reaches the page at once, and the
// popover commits the value when it closes, if it changed. A rule opens in
// the style-attribute panel, which announces whole-rule edits
// (CSSOutlineDelegateStyleEdits.cpp). The editors themselves live above this
// layer and are handed in; without them every property has "noEditor".

#include "CSSOutlineDelegate.h"
#include "CSSRules_p.h"

#include "interfaces/AttributeStyleEditorInterface.h"
#include "interfaces/StyleEditorInterface.h"
#include "platform/foundation/Log.h"
#include "platform/kit/Alert.h"
#include "platform/kit/ViewController.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/RBLPopover.h"

#include <QApplication>
#include <QColorDialog>
#include <QVBoxLayout>

namespace {

const QString kNoEditor = QStringLiteral("noEditor");

// The content of a popover that shows a view its editor owns: the view sits
// in a holder of ours while it is shown, and is handed back (taken out of
// the holder) before the holder goes.
class BorrowedViewController : public ViewController
{
public:
    explicit BorrowedViewController(QObject *parent) : ViewController(parent)
    {
        auto *holder = new QWidget;
        auto *layout = new QVBoxLayout(holder);
        layout->setContentsMargins(0, 0, 0, 0);
        setView(holder);
    }
    ~BorrowedViewController() override { release(); }

    void borrow(QWidget *content, const QSize &size)
    {
        if (content != m_content) {
            release();
            m_content = content;
            if (content)
                view()->layout()->addWidget(content);
        }
        view()->resize(size);
        if (content)
            content->show();
    }

private:
    void release()
    {
        if (m_content && isViewLoaded() && m_content->parentWidget() == view()) {
            view()->layout()->removeWidget(m_content);
            m_content->hide();
            m_content->setParent(nullptr);
        }
        m_content = nullptr;
    }

    QPointer<QWidget> m_content;
};

using CSSRulesPrivate::hasLiveType;

// The shared colour dialogs the editors open.
QList<QColorDialog *> colorDialogs()
{
    QList<QColorDialog *> dialogs;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<QColorDialog *>(window); dialog && dialog->isVisible())
            dialogs.append(dialog);
    }
    return dialogs;
}

} // namespace

void CSSOutlineDelegate::setStyleEditor(StyleEditorInterface *editor)
{
    m_styleEditor = editor;
    // The badges follow.
    updateDisplayOutline();
}

QString CSSOutlineDelegate::styleEditorType(const QString &property) const
{
    return m_styleEditor ? m_styleEditor->typeByProp(property) : kNoEditor;
}

bool CSSOutlineDelegate::hasStyleEditorBadge(const CSSRule &row) const
{
    if (row.decLine().isNull() || row.isRule() || !m_styleEditor)
        return false;
    return isValueEditable(const_cast<CSSRule &>(row).shared_from_this()) && styleEditorType(row.propName()) != kNoEditor;
}

// --- The popover editor of one value --------------------------------------------------------------

void CSSOutlineDelegate::showStyleEditor()
{
    const CSSRulePtr row = getSelectedCSSRule();
    // The browser's rules and rows without a sheet are not edited.
    if (!row || row->fileName().isEmpty() || row->isWebKitStyle())
        return;
    presentStyleEditor(row, true);
}

void CSSOutlineDelegate::showStyleEditorWithEnter()
{
    if (const CSSRulePtr row = getSelectedCSSRule())
        presentStyleEditor(row, false);
}

void CSSOutlineDelegate::presentStyleEditor(const CSSRulePtr &row, bool giveKeys)
{
    if (!m_styleEditor || styleEditorType(row->propName()) == kNoEditor) {
        Alert::beep();
        return;
    }
    const int index = m_outlineView->rowForItem(row.get());
    if (index < 0)
        return;
    m_rememberedValue = row->valueName();
    m_styleEditorMinified = writesMinified(row->relatedFile());
    m_styleEditor->initializeEditorView(row->propName(), row->valueName());
    QWidget *editorView = m_styleEditor->view();
    if (!editorView) {
        Alert::beep();
        return;
    }
    if (!m_editStyle) {
        m_styleEditorContent = new BorrowedViewController(this);
        m_editStyle = new RBLPopover(m_styleEditorContent, this);
        m_editStyle->setBehavior(RBLPopover::Transient);
        // The editors have fields that take the keyboard.
        m_editStyle->setCanBecomeKey(true);
        m_editStyle->setWillShowBlock([this](RBLPopover *) { popoverWillShow(); });
        m_editStyle->setDidShowBlock([this](RBLPopover *) { popoverDidShow(); });
        m_editStyle->setShouldCloseBlock([this](RBLPopover *) { return popoverShouldClose(); });
        m_editStyle->setWillCloseBlock([this](RBLPopover *) { popoverWillClose(); });
        m_editStyle->setDidCloseBlock([this](RBLPopover *) { popoverDidClose(); });
    }
    const QSize size = editorView->size().isEmpty() ? editorView->sizeHint() : editorView->size();
    static_cast<BorrowedViewController *>(m_styleEditorContent)->borrow(editorView, size);
    m_editStyle->setContentSize(QSizeF(size));
    m_editStyle->setAnimates(true);
    if (giveKeys)
        m_outlineView->setFocus();
    m_editStyle->showRelativeToRect(m_outlineView->frameOfCellAtColumn(0, index), m_outlineView->viewport(), RectEdge::Below);
}

void CSSOutlineDelegate::popoverWillShow()
{
    m_editTargetRule = getSelectedCSSRule();
}

void CSSOutlineDelegate::popoverDidShow()
{
    m_styleEditorShown = true;
}

bool CSSOutlineDelegate::popoverShouldClose() const
{
    // Picking a colour in the editor's colour dialog is no click outside.
    return colorDialogs().isEmpty();
}

// The edit is committed as the popover starts to close, not after its fade:
// a save or another edit of the rule in the meantime must see it.
void CSSOutlineDelegate::popoverWillClose()
{
    const CSSRulePtr row = std::exchange(m_editTargetRule, nullptr);
    for (QColorDialog *dialog : colorDialogs())
        dialog->close();
    if (!row || (row->type() != RuleType::Declaration && row->type() != RuleType::ShortHandDeclaration))
        return;
    // Only a value that changed is committed (one undo step, one write).
    if (row->valueName() != m_rememberedValue)
        commitEditedValue(row, row->valueName());
}

void CSSOutlineDelegate::popoverDidClose()
{
    m_styleEditorShown = false;
    if (std::exchange(m_refreshAfterStyleEditor, false))
        refreshStyleFiles();
}

void CSSOutlineDelegate::commitEditedValue(const CSSRulePtr &edited, const QString &edit)
{
    CSSRulePtr row = edited;
    QString value = edit;
    // A longhand commits through its shorthand.
    if (row->isShortHandChild() && row->shortHandOwner()) {
        row = row->shortHandOwner();
        value = row->valueName();
    }
    if (hasLiveType(row->ownerRule(), DOMCSSRule::KEYFRAMES_RULE))
        commitKeyframeStyleChange(row, value);
    else
        commitCSSValueChange(row, value, true);
    redrawOverlay();
}

void CSSOutlineDelegate::closeStyleEditor()
{
    if (!m_editStyle)
        return;
    m_editStyle->setAnimates(false);
    doCloseStyleEditor();
}

void CSSOutlineDelegate::doCloseStyleEditor()
{
    if (m_editStyle)
        m_editStyle->close();
}

// --- The style-attribute panel -----------------------------------------------------------------------

void CSSOutlineDelegate::showAttributeStyleEditor()
{
    m_attributeStyleEditorRule = getSelectedCSSRule();
    const CSSRulePtr row = m_attributeStyleEditorRule;
    if (!row)
        return;
    QM_DEBUG(QStringLiteral("showAttributeStyleEditor"));
    const DOMCSSRulePtr rule = row->rule();
    const int index = m_outlineView->rowForItem(row.get());
    if (!m_attributeStyleEditor || !rule || rule->type() != DOMCSSRule::STYLE_RULE || index < 0)
        return;
    m_attributeStyleEditor->setStyledObject(rule);
    m_attributeStyleEditor->focusWithProperty(row->propName());
    if (!m_attributeStyleEditorPopover) {
        m_attributeStyleEditorContent = new BorrowedViewController(this);
        m_attributeStyleEditorPopover = new RBLPopover(m_attributeStyleEditorContent, this);
        m_attributeStyleEditorPopover->setBehavior(RBLPopover::Transient);
        m_attributeStyleEditorPopover->setCanBecomeKey(true);
        m_attributeStyleEditorPopover->setDidShowBlock([this](RBLPopover *) { m_styleEditorShown = true; });
        m_attributeStyleEditorPopover->setShouldCloseBlock([this](RBLPopover *) { return popoverShouldClose(); });
        m_attributeStyleEditorPopover->setDidCloseBlock([this](RBLPopover *) {
            m_styleEditorShown = false;
            for (QColorDialog *dialog : colorDialogs())
                dialog->close();
        });
    }
    const QSize size(240, 385);
    static_cast<BorrowedViewController *>(m_attributeStyleEditorContent)->borrow(m_attributeStyleEditor->view(), size);
    m_attributeStyleEditorPopover->setContentSize(QSizeF(size));
    m_attributeStyleEditorPopover->showRelativeToRect(m_outlineView->frameOfCellAtColumn(0, index), m_outlineView->viewport(),
                                                      RectEdge::Above);
}

bool CSSOutlineDelegate::canShowAttributeStyleEditor() const
{
    const CSSRulePtr row = getSelectedCSSRule();
    return m_attributeStyleEditor && row && row->relatedFile() && !row->isWebKitStyle() && row->rule()
           && row->rule()->type() == DOMCSSRule::STYLE_RULE;
}

// --- Double click ----------------------------------------------------------------------------------------

void CSSOutlineDelegate::doubleClick()
{
    const CSSRulePtr row = getSelectedCSSRule();
    if (!row)
        return;
    // The browser's rules, the computed style, media blocks and rule rows open nothing.
    const CSSRulePtr owner = row->ownerRule();
    const CSSRulePtr ownerOwner = owner ? owner->ownerRule() : nullptr;
    for (const CSSRulePtr &each : {row, owner, ownerOwner}) {
        if (each && (each->isWebKitStyle() || each->computedStyleDec()))
            return;
    }
    if (row->type() == RuleType::Media || row->styleDeclaration())
        return;
    if (row->type() == RuleType::Keyframe)
        showAddDeclarationPopover(row);
    else
        showStyleEditor();
}
