// CSSOutlineDelegate: the panel's commands that add declarations, rules and
// keyframes, remove rows, and give the selected element an id or a class;
// the add-declaration and add-selector popovers; the box of an element.

#include "CSSOutlineDelegate.h"

#include "AddDeclarationViewController.h"
#include "AddSelectorViewController.h"
#include "CSSCopyInfo.h"

#include "foundation/InspectUndoManager.h"
#include "interfaces/CreateSelectorManagerInterface.h"
#include "interfaces/PreviewDomTreeInterface.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/dom/DOMElement.h"
#include "stylesheet/FourSides.h"
#include "stylesheet/CSSValueKeywords.h"
#include "stylesheet/StringVendarPrefix.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/RBLPopover.h"
#include "toolkit/SearchFieldEx.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QToolButton>

using StringVendarPrefix::formalPropertyName;

namespace {

bool hasType(const CSSRulePtr &row, int type)
{
    return row && row->rule() && row->rule()->type() == type;
}

// The four sides of a shorthand value ("1px 2px 3px"): top, right, bottom,
// left; nothing for more than four parts.
std::optional<QStringList> sidesOf(const QString &value)
{
    return fourSides(value.split(u' ', Qt::SkipEmptyParts));
}

float leadingNumber(const QString &text)
{
    qsizetype end = 0;
    while (end < text.size() && (text.at(end).isDigit() || text.at(end) == u'.' || (end == 0 && text.at(end) == u'-')))
        ++end;
    return text.left(end).toFloat();
}

} // namespace

// --- The add-declaration popover ---------------------------------------------------------------

void CSSOutlineDelegate::showAddDeclarationPopover(const CSSRulePtr &target)
{
    if (!target)
        return;
    m_addTargetRule = target;
    if (!m_addDeclarationViewController) {
        m_addDeclarationViewController = new AddDeclarationViewController(this);
        connect(m_addDeclarationViewController, &AddDeclarationViewController::confirmed, this, [this] { addStyle(); });
        connect(m_addDeclarationViewController, &AddDeclarationViewController::cancelled, this,
                [this] { closeAddDeclarationPopover(); });
        m_addStylePopover = new RBLPopover(m_addDeclarationViewController, this);
        m_addStylePopover->setBehavior(RBLPopover::Transient);
        m_addStylePopover->setCanBecomeKey(true);
        m_addStylePopover->setAnimates(false);
        m_addStylePopover->setWillShowBlock([this](RBLPopover *) { m_addDeclarationViewController->popoverWillShow(); });
        m_addStylePopover->setDidShowBlock([this](RBLPopover *) { m_addDeclarationViewController->popoverDidShow(); });
        m_addStylePopover->setWillCloseBlock([this](RBLPopover *) { m_addDeclarationViewController->popoverWillClose(); });
        m_addStylePopover->setDidCloseBlock([this](RBLPopover *) { giveKeysBackToOutline(); });
    }
    m_addDeclarationViewController->setTargetSelector(target);
    // Beside the rule's row, else beside the outline.
    QRect rect;
    const int row = m_outlineView->rowForItem(target.get());
    if (row >= 0)
        rect = m_outlineView->rectOfRow(row);
    m_addStylePopover->showRelativeToRect(rect, m_outlineView->viewport(), RectEdge::Left);
}

void CSSOutlineDelegate::giveKeysBackToOutline()
{
    // The window of the panel takes the keys again, and with them the Edit menu's undo.
    if (QWidget *window = m_outlineView->window()) {
        window->activateWindow();
        m_outlineView->setFocus();
    }
}

void CSSOutlineDelegate::closeAddDeclarationPopover()
{
    if (m_addStylePopover)
        m_addStylePopover->close();
}

void CSSOutlineDelegate::addStyle()
{
    if (!m_addDeclarationViewController)
        return;
    const QVariantList items = m_addDeclarationViewController->selectedElements();
    if (items.isEmpty())
        return;
    doAddStyle(m_addTargetRule, items);
    m_addDeclarationViewController->refreshList(true);
}

StyleDeclarationPtr CSSOutlineDelegate::createNewKeyframe(const QString &keyText)
{
    auto keyframe = std::make_shared<StyleDeclaration>();
    keyframe->setSelector(keyText);
    keyframe->setInBraket(true);
    keyframe->setType(RuleType::Keyframe);
    return keyframe;
}

void CSSOutlineDelegate::doAddStyle(const CSSRulePtr &target, const QVariantList &properties)
{
    InspectUndoManager *undo = undoManager();
    if (undo)
        undo->setActionName(QStringLiteral("Insert Property"));
    const QVariantMap defaults = ProjectUtil::defaultVendarPrefixProperties();
    // An item's name and value: a name takes its first keyword.
    const auto nameAndValue = [&defaults](const QVariant &item, bool prefixed) {
        QString name;
        QString value;
        if (const CSSPropertyPtr property = item.value<CSSPropertyPtr>()) {
            name = property->property();
            value = property->value();
        } else {
            name = item.toString();
        }
        if (prefixed && defaults.contains(name))
            name = QStringLiteral("-webkit-") + name;
        return std::pair{name, value};
    };
    if (!target) {
        closeAddDeclarationPopover();
        return;
    }
    if (hasType(target, DOMCSSRule::KEYFRAME_RULE)) {
        for (const QVariant &item : properties) {
            const auto [name, value] = nameAndValue(item, false);
            doAddKeyframeStyle(target, name, value.isEmpty() ? QString() : value);
        }
    } else if (hasType(target, DOMCSSRule::KEYFRAMES_RULE) && target->styleDeclaration()) {
        if (undo)
            undo->setActionName(QStringLiteral("Insert Keyframe With Property"));
        const StyleDeclarationPtr block = target->styleDeclaration();
        const QString key = QString::number(m_pecentLabel) + u'%';
        CSSRulePtr keyframeRow;
        for (const CSSRulePtr &child : target->children()) {
            if (normalizedKeyText(child->displayName()) == key)
                keyframeRow = child;
        }
        if (keyframeRow) {
            for (const QVariant &item : properties) {
                const auto [name, value] = nameAndValue(item, false);
                doAddKeyframeStyle(keyframeRow, name, value);
            }
        } else {
            const StyleDeclarationPtr keyframe = createNewKeyframe(key);
            keyframe->setParentFile(block->parentFile());
            QString body;
            for (const QVariant &item : properties) {
                auto [name, value] = nameAndValue(item, false);
                if (value.isEmpty())
                    value = CSSValueKeywords::getValueKeywords(formalPropertyName(name)).value(0, QStringLiteral("initial"));
                // The body keeps the standard forms, as every declaration of
                // the model does: the writer gives the vendor copies of a
                // gradient the old syntax and of a transition the prefixed
                // property ("-webkit-transform"), and the page reads them.
                body += name + u':' + value + u';';
            }
            doAddKeyframeTo(block, keyframe, body);
        }
    } else if (const StyleDeclarationPtr rule = target->styleDeclaration()) {
        for (const QVariant &item : properties) {
            const auto [name, value] = nameAndValue(item, false);
            doAddDeclaration(rule, name, value.isEmpty() ? QString() : value);
        }
    }
    closeAddDeclarationPopover();
}

bool CSSOutlineDelegate::addStyleProperty(const QVariantList &items)
{
    // A declaration with no rule to go into is refused aloud, never dropped (#72).
    const auto refuse = [this](const QString &why) {
        Alert alert;
        alert.setMessageText(QStringLiteral("The declaration could not be added."));
        alert.setInformativeText(why);
        alert.addButtonWithTitle(QStringLiteral("OK"));
        alert.runModal(m_view);
        return false;
    };
    const CSSRulePtr row = getSelectedCSSRule();
    if (!row)
        return refuse(QStringLiteral("No rule is selected: select the rule, or a declaration of it, to add it to."));
    CSSRulePtr target;
    // A keyframe, or a declaration of one: its block, at the keyframe's key.
    const CSSRulePtr keyframe = hasType(row, DOMCSSRule::KEYFRAME_RULE) ? row
                                : hasType(row->ownerRule(), DOMCSSRule::KEYFRAME_RULE) ? row->ownerRule()
                                                                                        : nullptr;
    if (keyframe) {
        target = keyframe->animationOwner() ? keyframe->animationOwner() : keyframe->ownerRule();
        // "from" and "to" stand for 0% and 100%.
        m_pecentLabel = qMax(0, int(keyframePercent(keyframe->rule()->keyText())));
    } else if (hasType(row, DOMCSSRule::KEYFRAMES_RULE) || hasType(row, DOMCSSRule::MEDIA_RULE)) {
        return refuse(QStringLiteral("A block holds no declarations of its own: select one of its rules or keyframes."));
    } else {
        target = row->styleDeclaration() ? row : row->ownerRule();
    }
    if (!target || !target->styleDeclaration())
        return refuse(QStringLiteral("The selected rule is not one of the page's style sheets."));
    m_addTargetRule = target;
    doAddStyle(target, items);
    giveKeysBackToOutline();
    return true;
}

// --- Removing rows ----------------------------------------------------------------------------------

void CSSOutlineDelegate::removeStyle()
{
    removeStyles(getSelectedCSSRules());
}

void CSSOutlineDelegate::removeAllStyles()
{
    if (const CSSRulePtr rule = menuOwnerRule())
        removeStyles(rule->children());
}

void CSSOutlineDelegate::controlDidBecomeFirstResponder(const Notification &notification)
{
    const auto *control = notification.objectAs<QObject>();
    if (!control || control->objectName() != QLatin1String("addDeclarationInput") || !m_removeAfterSelection)
        return;
    const CSSRulePtr node = searchNode(m_rules, m_removeAfterSelection.get());
    const int row = node ? m_outlineView->rowForItem(node.get()) : -1;
    if (row < 0)
        return;
    QScrollBar *scroller = m_outlineView->verticalScrollBar();
    scroller->setValue(scroller->value() + m_outlineView->rectOfRow(row).top());
    // The add-declaration popover points at its rule's row where it now is.
    DelayedPerform::atEndOfTurn(this, [this] {
        const int target = m_addTargetRule ? m_outlineView->rowForItem(m_addTargetRule.get()) : -1;
        if (m_addStylePopover && m_addStylePopover->isShown() && target >= 0)
            m_addStylePopover->showRelativeToRect(m_outlineView->rectOfRow(target), m_outlineView->viewport(), RectEdge::Left);
    });
}

void CSSOutlineDelegate::removeStyles(const QList<CSSRulePtr> &rows)
{
    InspectUndoManager *undo = undoManager();
    bool removed = false;
    for (const CSSRulePtr &row : rows) {
        if (row->styleDeclaration() && row->styleDeclaration()->isRemoved())
            break;
        if (row->isWebKitStyle() || row->computedStyleDec() || (row->ownerRule() && row->ownerRule()->computedStyleDec()))
            continue;
        if (hasType(row, DOMCSSRule::KEYFRAME_RULE)) {
            if (undo)
                undo->setActionName(QStringLiteral("Remove Keyframe"));
            if (row->ownerRule())
                doRemoveKeyframe(row->ownerRule()->styleDeclaration(), row->selectorName());
        } else if (hasType(row->animationOwner(), DOMCSSRule::KEYFRAME_RULE)) {
            if (undo)
                undo->setActionName(QStringLiteral("Remove Declaration"));
            doRemoveKeyframeStyle(row);
        } else if (!row->isRule() && !row->styleDeclaration()) {
            if (row->isShortHandChild() || !row->property() || !row->ownerRule())
                continue;
            if (undo)
                undo->setActionName(QStringLiteral("Remove Declaration"));
            doRemoveDeclaration(row->ownerRule()->styleDeclaration(), row->property()->property());
        } else if (row->styleDeclaration()) {
            if (undo)
                undo->setActionName(QStringLiteral("Remove Selector"));
            doRemoveSelector(row->styleDeclaration());
        }
        removed = true;
    }
    if (removed)
        DelayedPerform::perform(this, "reloadRuleList", {2}, 0.0, [this] { reloadRuleList(2); });
}

// --- The add-selector popover ---------------------------------------------------------------------

bool CSSOutlineDelegate::displayStyleSheetManager()
{
    if (!getLocalStyleSheets().isEmpty())
        return true;
    alertOK(QStringLiteral("The current html has no stylesheets to edit or the stylesheet has no declaration.\nto insert or "
                           "edit dinamically, please write \n\n @charset 'utf-8'; \n\nat the first line of stylesheet."));
    return false;
}

void CSSOutlineDelegate::showAddSelector()
{
    m_classTarget = nullptr;
    if (!m_createSelectorManager) {
        presentAddSelector(nullptr);
        return;
    }
    // An @media row: a rule inside it; any other row: a rule after it.
    const CSSRulePtr selected = getSelectedCSSRule();
    const StyleDeclarationPtr declaration = selected ? selected->styleDeclaration() : nullptr;
    if (declaration && declaration->type() == RuleType::Media && !declaration->isRemoved()) {
        m_createSelectorManager->setCreateSelectorInMediaMode(selected);
    } else {
        m_createSelectorManager->setCreateSelectorMode(selected ? selected->relatedFile() : nullptr);
        if (declaration && declaration->parentFile() && !declaration->isRemoved())
            m_createSelectorManager->prepareSelection(declaration);
    }
    if (displayStyleSheetManager())
        m_createSelectorManager->present(m_view);
}

void CSSOutlineDelegate::showDuplicateSelector()
{
    const CSSRulePtr row = responsiveOwner();
    if (!isSheetStyleRule(row) || !row->relatedFile())
        return;
    if (!m_createSelectorManager) {
        presentAddSelector(row);
        return;
    }
    m_classTarget = nullptr;
    m_createSelectorManager->setDuplicateMode(CSSCopyInfo::initWithRule(row));
    if (row->styleDeclaration())
        m_createSelectorManager->prepareSelection(row->styleDeclaration());
    if (displayStyleSheetManager())
        m_createSelectorManager->present(m_view);
}

void CSSOutlineDelegate::createAndSetClassForNode(DOMNode *node, ClassTarget kind)
{
    if (!m_createSelectorManager || !node || !node->isElement())
        return;
    m_classTarget = node->shared_from_this();
    if (kind == ClassTarget::Animation) {
        m_createSelectorManager->setCreateKeyframeMode();
    } else {
        m_createSelectorManager->setCreateSelectorMode(nullptr);
        m_createSelectorManager->setSelectorName(kind == ClassTarget::Id ? selectorForId(node) : QStringLiteral("."));
    }
    if (displayStyleSheetManager())
        m_createSelectorManager->present(m_view);
}

QString CSSOutlineDelegate::selectorForId(const DOMNode *node)
{
    if (!node || node->nodeName().startsWith(u'#') || !node->isElement())
        return {};
    const auto *element = static_cast<const DOMElement *>(node);
    if (!element->hasAttribute(QStringLiteral("id")))
        return {};
    return u'#' + element->getAttribute(QStringLiteral("id"));
}

StyleDeclarationPtr CSSOutlineDelegate::doAddSelector()
{
    CreateSelectorManagerInterface *dialog = m_createSelectorManager;
    if (!dialog)
        return nullptr;
    SelectorRequest request;
    request.type = dialog->type();
    request.selectorName = dialog->selectorName();
    request.selectedFile = dialog->selectedFile();
    request.anchor = dialog->afterAt();
    request.cssCopyInfo = dialog->cssCopyInfo();
    if (request.type == SelectorRequest::KeyframesRule)
        request.presetKeyframes = dialog->presetKeyframes();
    else
        request.presetBody = dialog->presetBody();
    m_lastAddedSelector = doAddSelector(request);
    if (!m_lastAddedSelector)
        return nullptr;
    dialog->endSheet(1);
    if (dialog->openSource())
        selectCSS(m_lastAddedSelector);
    return m_lastAddedSelector;
}

void CSSOutlineDelegate::doAfterAddSelector()
{
    const StyleDeclarationPtr created = std::exchange(m_lastAddedSelector, nullptr);
    const DOMNodePtr target = std::exchange(m_classTarget, nullptr);
    if (!created || !target)
        return;
    auto *element = static_cast<DOMElement *>(target.get());
    // A new animation plays on the element through the class made with it.
    if (created->type() == RuleType::Keyframes) {
        doAddClass(element, animationName(created->selector()));
        return;
    }
    if (created->type() != RuleType::Style)
        return;
    // Only a plain ".name" or "#name" goes onto the element.
    static const QRegularExpression simple(QStringLiteral("^([.#])(-?[_a-zA-Z][_a-zA-Z0-9-]*)$"));
    const QRegularExpressionMatch match = simple.match(created->selector().trimmed());
    if (!match.hasMatch())
        return;
    if (match.captured(1) == QLatin1String("#"))
        doAddId(element, match.captured(2));
    else
        doAddClass(element, match.captured(2));
}

void CSSOutlineDelegate::presentAddSelector(const CSSRulePtr &copied)
{
    if (!displayStyleSheetManager())
        return;
    if (!m_addSelectorViewController) {
        m_addSelectorViewController = new AddSelectorViewController(this);
        m_addSelectorPopover = new RBLPopover(m_addSelectorViewController, this);
        m_addSelectorPopover->setBehavior(RBLPopover::Transient);
        m_addSelectorPopover->setCanBecomeKey(true);
        m_addSelectorPopover->setAnimates(false);
        m_addSelectorPopover->setWillShowBlock([this](RBLPopover *) { m_addSelectorViewController->popoverWillShow(); });
        m_addSelectorPopover->setDidCloseBlock([this](RBLPopover *) {
            m_addSelectorViewController->popoverDidClose();
            giveKeysBackToOutline();
        });
        connect(m_addSelectorViewController, &AddSelectorViewController::cancelled, this, [this] { m_addSelectorPopover->close(); });
        connect(m_addSelectorViewController, &AddSelectorViewController::confirmed, this, [this] {
            AddSelectorViewController *popover = m_addSelectorViewController;
            SelectorRequest request;
            request.type = popover->selectorType();
            request.selectorName = popover->selectorName();
            request.selectedFile = popover->selectedCSSFile();
            request.anchor = popover->selectedDeclaration();
            if (request.type == SelectorRequest::KeyframesRule)
                request.presetKeyframes = popover->keyframes();
            if (popover->copyMode())
                request.cssCopyInfo = popover->cssCopyInfo();
            if (doAddSelector(request))
                m_addSelectorPopover->close();
        });
    }
    m_addSelectorViewController->setStyleFiles(getLocalStyleSheets());
    m_addSelectorViewController->setCopyMode(copied != nullptr);
    m_addSelectorViewController->setCssCopyInfo(copied ? CSSCopyInfo::initWithRule(copied) : nullptr);
    m_addSelectorViewController->setTitle(copied ? QStringLiteral("Duplicate Selector") : QStringLiteral("Insert New Selector"));
    const CSSRulePtr selected = copied ? copied : getSelectedCSSRule();
    if (selected && selected->relatedFile())
        m_addSelectorViewController->setSelectedCSSFile(selected->relatedFile());
    m_addSelectorPopover->showRelativeToRect(QRectF(), m_addRuleButton ? static_cast<QWidget *>(m_addRuleButton) : m_outlineView,
                                             RectEdge::Below);
}

// --- Ids and classes of the selected element -------------------------------------------------------

namespace {

void tellDomTree(CSSOutlineDelegate *panel, PreviewDomTreeInterface *domTree)
{
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("reSelectDomNod"), panel);
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("attrChanged"), panel);
    if (domTree)
        domTree->reloadSelectedRow();
}

} // namespace

void CSSOutlineDelegate::doAddId(DOMElement *element, const QString &idName)
{
    if (!element)
        return;
    const DOMNodePtr held = element->shared_from_this();
    element->setAttribute(QStringLiteral("id"), idName);
    tellDomTree(this, m_domTree);
    if (InspectUndoManager *undo = undoManager())
        undo->prepareWithInvocationTarget(this, [this, held] { doRemoveId(static_cast<DOMElement *>(held.get())); });
}

void CSSOutlineDelegate::doRemoveId(DOMElement *element)
{
    if (!element)
        return;
    const DOMNodePtr held = element->shared_from_this();
    const QString remembered = element->getAttribute(QStringLiteral("id"));
    element->removeAttribute(QStringLiteral("id"));
    tellDomTree(this, m_domTree);
    if (InspectUndoManager *undo = undoManager())
        undo->prepareWithInvocationTarget(this, [this, held, remembered] { doAddId(static_cast<DOMElement *>(held.get()), remembered); });
}

void CSSOutlineDelegate::doAddClass(DOMElement *element, const QString &className)
{
    setClassListed(element, className, true);
}

void CSSOutlineDelegate::doRemoveClass(DOMElement *element, const QString &className)
{
    setClassListed(element, className, false);
}

void CSSOutlineDelegate::setClassListed(DOMElement *element, const QString &className, bool listed)
{
    if (!element)
        return;
    // The mirror's attribute, and with it the page.
    const QString name = className.startsWith(u'.') ? className.mid(1) : className;
    const DOMNodePtr held = element->shared_from_this();
    QStringList classes = element->getAttribute(QStringLiteral("class")).split(u' ', Qt::SkipEmptyParts);
    if (name.isEmpty() || classes.contains(name) == listed)
        return;
    if (listed)
        classes.append(name);
    else
        classes.removeAll(name);
    if (classes.isEmpty())
        element->removeAttribute(QStringLiteral("class"));
    else
        element->setAttribute(QStringLiteral("class"), classes.join(u' '));
    tellDomTree(this, m_domTree);
    if (InspectUndoManager *undo = undoManager())
        undo->prepareWithInvocationTarget(this, [this, held, name, listed] {
            setClassListed(static_cast<DOMElement *>(held.get()), name, !listed);
        });
}

// --- The box of an element -------------------------------------------------------------------------

QVariantMap CSSOutlineDelegate::boxDimension(const CSSRulePtr &rule)
{
    if (!rule)
        return {};
    static const QStringList names{QStringLiteral("padding"),           QStringLiteral("padding-top"),
                                   QStringLiteral("padding-left"),      QStringLiteral("padding-bottom"),
                                   QStringLiteral("padding-right"),     QStringLiteral("border-width"),
                                   QStringLiteral("border-right-width"), QStringLiteral("border-left-width"),
                                   QStringLiteral("border-top-width"),  QStringLiteral("border-bottom-width"),
                                   QStringLiteral("border-style"),      QStringLiteral("box-sizing")};
    QHash<QString, QString> found;
    for (const CSSRulePtr &child : rule->children()) {
        if (names.contains(child->propName()))
            found.insert(child->propName(), QString(child->valueName()).remove(u';').trimmed());
    }
    const QStringList sides{QStringLiteral("top"), QStringLiteral("right"), QStringLiteral("bottom"), QStringLiteral("left")};
    QVariantMap box;
    // A border-box's width holds its padding and border: nothing to take away.
    const bool borderBox = found.value(QStringLiteral("box-sizing")) == QLatin1String("border-box");
    const std::optional<QStringList> padding = found.contains(QStringLiteral("padding"))
                                                   ? sidesOf(found.value(QStringLiteral("padding")))
                                                   : std::nullopt;
    const std::optional<QStringList> border = found.contains(QStringLiteral("border-width"))
                                                  ? sidesOf(found.value(QStringLiteral("border-width")))
                                                  : std::nullopt;
    const bool styled = found.contains(QStringLiteral("border-style"));
    for (int i = 0; i < 4; ++i) {
        const QString paddingName = QStringLiteral("padding-") + sides[i];
        const QString borderName = QStringLiteral("border-") + sides[i] + QStringLiteral("-width");
        QString paddingText = padding ? padding->at(i) : found.value(paddingName, QStringLiteral("0"));
        QString borderText;
        if (border)
            borderText = border->at(i);
        else if (found.contains(QStringLiteral("border-width")))
            borderText = found.value(borderName, QStringLiteral("0"));
        else
            borderText = found.value(borderName, styled ? QStringLiteral("3") : QStringLiteral("0"));
        box.insert(paddingName, borderBox ? 0.0f : leadingNumber(paddingText));
        box.insert(borderName, borderBox ? 0.0f : leadingNumber(borderText));
    }
    return box;
}
