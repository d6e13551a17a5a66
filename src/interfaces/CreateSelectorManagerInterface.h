#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

#include <memory>

class CSSCopyInfo;
class CSSRule;
class File;
class QWidget;
class StyleDeclaration;

// What the rules panel asks of the create rule dialog. Implemented by
// CreateSelectorManagerDelegate (src/stylemanager); called by the rules panel
// (CSSOutlineDelegate), which Controllers::install() hands the dialog. The
// panel puts the dialog into a mode, shows it, and reads the results back
// when the user presses OK.
class CreateSelectorManagerInterface
{
public:
    virtual ~CreateSelectorManagerInterface() = default;

    // --- Modes -----------------------------------------------------------------------------------
    // A new style rule in the file (null keeps the last one); the "Rule" tab.
    virtual void setCreateSelectorMode(File *file) = 0;
    // A new rule inside the @media block of the row; the tab stays.
    virtual void setCreateSelectorInMediaMode(const std::shared_ptr<CSSRule> &media) = 0;
    // A copy of the copied rule; the tab of its kind.
    virtual void setDuplicateMode(const std::shared_ptr<CSSCopyInfo> &copy) = 0;
    // A new animation; the "@keyframe" tab.
    virtual void setCreateKeyframeMode() = 0;
    // Pre-fills the rule tab's name.
    virtual void setSelectorName(const QString &name) = 0;
    // The target file, or the rule the new one follows.
    virtual void prepareSelection(File *file) = 0;
    virtual void prepareSelection(const std::shared_ptr<StyleDeclaration> &declaration) = 0;
    // Shows the dialog as a window-modal sheet over the window of the widget.
    virtual void present(QWidget *over) = 0;

    // --- Results ---------------------------------------------------------------------------------
    // 0 a style rule, 1 an @media block, 2 a keyframes rule.
    virtual int type() const = 0;
    virtual File *selectedFile() const = 0;
    // The selector, the media query, or "@-webkit-keyframes " and the name.
    virtual QString selectorName() = 0;
    virtual std::shared_ptr<CSSCopyInfo> cssCopyInfo() const = 0;
    virtual bool openSource() const = 0;
    // A style rule's body from the chosen snippet.
    virtual QString presetBody() const = 0;
    // A keyframes rule's keyframes: maps with "selector" and "body".
    virtual QList<QVariantMap> presetKeyframes() const = 0;
    // The item the new one follows; null for none.
    virtual std::shared_ptr<StyleDeclaration> afterAt() const = 0;
    // Closes the sheet: 1 when something was made, 0 on cancel.
    virtual void endSheet(int returnCode) = 0;
};
