#include "CSSOutlineDelegate.h"

#include "CSSRuleRowCell.h"
#include "CSSTextVauleInput.h"
#include "LightReferenceView.h"
#include "StyleSheetPairing.h"
#include "StyleSheetSource.h"

#include "domtree/DOMNodeEx.h"
#include "foundation/InspectUndoManager.h"
#include "interfaces/ExWebViewInterface.h"
#include "interfaces/StyleSheetsManagerDelegateInterface.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/KeyCodes.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/kit/WheelFocusGuard.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "toolkit/OutlineViewEx.h"
#include "toolkit/SearchFieldEx.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The segments of the mode control and the modes they stand for.
const QList<int> kSegmentModes{CSSOutlineDelegate::ElementRules, CSSOutlineDelegate::KeyframesRules, CSSOutlineDelegate::AllRules};

} // namespace

CSSOutlineDelegate::CSSOutlineDelegate(QObject *parent) : QObject(parent)
{
    buildView();
}

CSSOutlineDelegate::~CSSOutlineDelegate()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    delete m_refView.data();
    // The outline goes first: it must not ask for rows that are going.
    delete m_view.data();
}

void CSSOutlineDelegate::buildView()
{
    m_view = new QWidget;
    m_view->setObjectName(QStringLiteral("cssRulesPanel"));
    auto *layout = new QVBoxLayout(m_view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // Two rows, so that the panel's width holds the segments whole beside
    // a search field of use: the segments, then the search and buttons.
    auto *bars = new QWidget(m_view);
    bars->setObjectName(QStringLiteral("cssRulesBars"));
    auto *barsLayout = new QVBoxLayout(bars);
    barsLayout->setContentsMargins(6, 4, 6, 4);
    barsLayout->setSpacing(4);
    m_cssSegmentControl = new SegmentedControl(bars);
    m_cssSegmentControl->setObjectName(QStringLiteral("cssSegmentControl"));
    m_cssSegmentControl->setSegmentCount(int(kSegmentModes.size()));
    m_cssSegmentControl->setLabel(QStringLiteral("Element"), 0);
    m_cssSegmentControl->setToolTip(QStringLiteral("The rules of the selected element, in cascade order"), 0);
    m_cssSegmentControl->setLabel(QStringLiteral("Keyframes"), 1);
    m_cssSegmentControl->setToolTip(QStringLiteral("The page's keyframes animations"), 1);
    m_cssSegmentControl->setLabel(QStringLiteral("All Rules"), 2);
    m_cssSegmentControl->setToolTip(QStringLiteral("Every rule of the page's style sheets"), 2);
    m_cssSegmentControl->setSelectedSegment(0);
    connect(m_cssSegmentControl, &SegmentedControl::activated, this,
            [this] { doChangeOutlineSource(kSegmentModes.value(m_cssSegmentControl->selectedSegment(), ElementRules)); });
    barsLayout->addWidget(m_cssSegmentControl, 0, Qt::AlignLeft);
    auto *bar = new QWidget(bars);
    bar->setObjectName(QStringLiteral("cssRulesBar"));
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->setSpacing(6);
    barsLayout->addWidget(bar);
    m_searchInput = new SearchFieldEx(bar);
    m_searchInput->setObjectName(QStringLiteral("searchInput"));
    m_searchInput->setPlaceholderText(QStringLiteral("Filter Properties"));
    m_searchInput->setToolTip(QStringLiteral("Shows only the declarations whose property name holds the text"));
    connect(m_searchInput, &QLineEdit::textChanged, this, [this](const QString &text) { search(text); });
    barLayout->addWidget(m_searchInput, 1);
    m_addRuleButton = new QToolButton(bar);
    m_addRuleButton->setObjectName(QStringLiteral("addRuleButton"));
    m_addRuleButton->setIcon(QIcon::fromTheme(QStringLiteral("list-add")));
    m_addRuleButton->setAutoRaise(true);
    m_addRuleButton->setToolTip(QStringLiteral("Adds a rule, a media block or an animation to a style sheet"));
    m_addRuleButton->setAccessibleName(QStringLiteral("Add Rule"));
    connect(m_addRuleButton, &QToolButton::clicked, this, [this] { showAddSelector(); });
    barLayout->addWidget(m_addRuleButton);
    layout->addWidget(bars);

    m_outlineView = new OutlineViewEx(m_view);
    m_outlineView->setObjectName(QStringLiteral("cssRulesOutline"));
    m_outlineView->setFrameShape(QFrame::NoFrame);
    m_outlineView->setHeaderVisible(false);
    m_outlineView->setAllowsMultipleSelection(true);
    m_outlineView->setIndentationPerLevel(12);
    m_outlineView->setAccessibleName(QStringLiteral("CSS Rules"));
    // Scrolling the rules never changes a value in a row's editor.
    WheelFocusGuard::guard(m_outlineView);
    for (const QString &identifier : CSSRuleRowCell::identifiers())
        m_outlineView->registerCell(identifier, new CSSRuleRowCell(this, m_outlineView));
    layout->addWidget(m_outlineView, 1);
    buildRuleMenus();
    buildStyleKindBar();
}

void CSSOutlineDelegate::observe(const char *name, std::function<void(const Notification &)> handler)
{
    NotificationCenter::defaultCenter().addObserver(this, QString::fromLatin1(name), nullptr, std::move(handler));
}

void CSSOutlineDelegate::awakeFromNib()
{
    // The outline's settings every time; the rest once.
    m_outlineView->setDataSource(this);
    m_outlineView->setDelegate(outlineDelegate());
    m_outlineView->setDisableDownToSelect(false);
    m_outlineView->registerForDraggedTypes({QStringLiteral("CSSRuleDrag")});
    if (m_awoken)
        return;
    m_awoken = true;
    m_propertyCanAdd = false;
    m_displaySelectorType = ElementRules;
    observeSheetTexts();
    observe("cssValueChanged", [this](const Notification &n) { cssValueChanged(n); });
    observe("cssValueCommit", [this](const Notification &n) { cssValueCommit(n); });
    observe("enabledStyle", [this](const Notification &n) { enabledStyle(n); });
    observe("valueInputHasFocus", [this](const Notification &) { m_valueInputFocused = true; });
    observe("valueInputDidEndEdit", [this](const Notification &) { m_valueInputFocused = false; });
    observe("htmlHasSavedByCommand", [this](const Notification &n) { htmlHasSavedByCommand(n); });
    observe("ProjectConfigChanged", [this](const Notification &n) { projectConfigChanged(n); });
    observe("savedByCommand", [this](const Notification &n) { savedByCommand(n); });
    observe("ControlDidBecomeFirstResponder", [this](const Notification &n) { controlDidBecomeFirstResponder(n); });
    observeValueEditing();
    const auto nodeOf = [](const Notification &n) {
        DOMNodeEx *row = n.userInfo.value(QStringLiteral("node")).value<DOMNodeEx *>();
        return row ? row->node() : nullptr;
    };
    observe("createAndSetClassForNode", [this, nodeOf](const Notification &n) { createAndSetClassForNode(nodeOf(n), ClassTarget::Class); });
    observe("createAndSetClassForId", [this, nodeOf](const Notification &n) { createAndSetClassForNode(nodeOf(n), ClassTarget::Id); });
    observe("createAndSetAnimationClass",
            [this, nodeOf](const Notification &n) { createAndSetClassForNode(nodeOf(n), ClassTarget::Animation); });
}

// --- CSSOutlineDelegateInterface ---------------------------------------------------------

QWidget *CSSOutlineDelegate::outlineView()
{
    return m_outlineView;
}

QList<File *> CSSOutlineDelegate::styleFiles()
{
    QList<File *> files;
    for (const QPointer<File> &file : std::as_const(m_styleFiles)) {
        if (file)
            files.append(file.data());
    }
    return files;
}

void CSSOutlineDelegate::setProjectImages(const QList<File *> &images)
{
    m_projectImages.clear();
    for (File *image : images)
        m_projectImages.append(image);
}

void CSSOutlineDelegate::setStyleFiles(const QList<File *> &files)
{
    m_styleFiles.clear();
    for (File *file : files)
        m_styleFiles.append(file);
    m_offeredStyleFiles = m_styleFiles;
}

void CSSOutlineDelegate::sortStyleFiles()
{
    m_styleFiles = m_offeredStyleFiles;
    const QList<File *> sorted = getSortedStyleFiles();
    m_styleFiles.clear();
    for (File *file : sorted)
        m_styleFiles.append(file);
}

void CSSOutlineDelegate::refreshStyleFiles()
{
    // Not under an open value editor: its row would go, and the editor with
    // it, as the user types. The list is brought up to date once it closes.
    if (m_editTargetRule) {
        m_refreshAfterStyleEditor = true;
        return;
    }
    clearAllCSSRuleCache();
    rebuildStyleSheetsMenu();
    updateCSSFileFilter();
    tellUnlistedSheets();
    if (styleFiles().isEmpty()) {
        m_outlineView->deselectAll();
        updatePropertyCanAdd(nullptr);
        return;
    }
    // Sheets that came after the element was shown have rules for it too.
    if (elementToShow() || m_displaySelectorType == AllRules || m_displaySelectorType == KeyframesRules)
        reloadRuleList(1);
    readSheetsAheadLater();
}

void CSSOutlineDelegate::setAndRefreshStyleFiles(const QList<File *> &files)
{
    setStyleFiles(files);
    sortStyleFiles();
    // A burst of loaded resources refreshes once, half a second after the last.
    DelayedPerform::cancel(this, "refreshStyleFiles", {});
    DelayedPerform::perform(this, "refreshStyleFiles", {}, 0.5, [this] { refreshStyleFiles(); });
}

void CSSOutlineDelegate::reset()
{
    // A new page: the pairings of the old one's sheets go with it.
    m_pairings.clear();
    m_sheetHits.clear();
    m_sheetRules.clear();
    m_savedScrollPoint = QPointF(m_outlineView->horizontalScrollBar()->value(), m_outlineView->verticalScrollBar()->value());
    updateRules({});
    m_outlineView->reloadData();
}

void CSSOutlineDelegate::dropPageDocument(const QString &reason)
{
    // Nothing of the page before stays: its document, element, pairings,
    // sheets and any rebuild still waiting for its answers.
    m_document.reset();
    m_lastSelectedElement.reset();
    m_elementAsked.reset();
    m_selectFirstRuleWhenBuilt = false;
    m_pairings.clear();
    m_sheetHits.clear();
    m_sheetRules.clear();
    m_toldSheets.clear();
    ++m_buildGeneration;
    hideReferenceList();
    setStyleFiles({});
    DelayedPerform::cancel(this, "refreshStyleFiles", {});
    DelayedPerform::cancel(this, "readSheetsAhead", {});
    clearRuleList();
    m_outlineView->setEmptyMessage(reason);
    refreshStyleFiles();
}

bool CSSOutlineDelegate::takePageDocument(DOMDocument *document)
{
    if (!document)
        return false;
    m_outlineView->setEmptyMessage({});
    if (document == this->document())
        return false;
    m_document = document->shared_from_this();
    m_toldSheets.clear();
    // An element of another document is not the panel's any more.
    if (m_lastSelectedElement && m_lastSelectedElement->ownerDocument() != document) {
        m_lastSelectedElement.reset();
        clearRuleList();
    }
    sortStyleFiles();
    rebuildStyleSheetsMenu();
    updateCSSFileFilter();
    // Sheets refreshed before the page came were told of without it.
    if (!DelayedPerform::isPending(this, "refreshStyleFiles"))
        tellUnlistedSheets();
    readSheetsAheadLater();
    return true;
}

void CSSOutlineDelegate::resetWithProjectChange()
{
    m_lastFilterFileNames.clear();
    if (m_styleSheetsManagerDelegate)
        m_styleSheetsManagerDelegate->clearFileFilter();
    updateStyleSheetsLabel();
}

void CSSOutlineDelegate::resetCategorySelector()
{
    m_displaySelectorType = ElementRules;
    m_cssSegmentControl->setSelectedSegment(-1);
}

void CSSOutlineDelegate::setDisplaySelectorType(int mode)
{
    m_displaySelectorType = mode;
    m_cssSegmentControl->setSelectedSegment(int(kSegmentModes.indexOf(mode)));
}

DOMElement *CSSOutlineDelegate::lastSelectedElement() const
{
    return m_lastSelectedElement && m_lastSelectedElement->isElement()
        ? static_cast<DOMElement *>(m_lastSelectedElement.get())
        : nullptr;
}

DOMDocument *CSSOutlineDelegate::document() const
{
    const DOMNodePtr node = m_document.lock();
    return node && node->isDocument() ? static_cast<DOMDocument *>(node.get()) : nullptr;
}

void CSSOutlineDelegate::retire(const QList<CSSRulePtr> &rows)
{
    if (rows.isEmpty())
        return;
    const bool scheduled = !m_retired.isEmpty();
    m_retired += rows;
    if (!scheduled)
        DelayedPerform::atEndOfTurn(this, [this] { m_retired.clear(); });
}

// --- Rebuilding ------------------------------------------------------------------------------

void CSSOutlineDelegate::updateRules(const QList<CSSRulePtr> &rules)
{
    retire(m_rules);
    m_rules = rules;
}

void CSSOutlineDelegate::clearRuleList()
{
    updateRules({});
    m_outlineView->reloadData();
    m_savedScrollPoint = QPointF();
}

void CSSOutlineDelegate::updateRulesByElement(DOMNode *node)
{
    if (node && node->isCharacterData())
        node = node->parentNode();
    hideReferenceList();
    auto *element = node && node->isElement() ? static_cast<DOMElement *>(node) : nullptr;
    if (element)
        takePageDocument(element->ownerDocument());
    m_cssSegmentControl->setSelectedSegment(int(kSegmentModes.indexOf(m_displaySelectorType)));
    const quint64 generation = ++m_buildGeneration;
    m_selectFirstRuleWhenBuilt = false;
    m_elementAsked = element ? element->shared_from_this() : nullptr;
    if (m_displaySelectorType == ElementRules && !element) {
        finishRebuild({});
        return;
    }
    const DOMNodePtr held = element ? element->shared_from_this() : nullptr;
    askAheadFor(element, [this, generation, held] {
        // A newer selection has taken over.
        if (generation != m_buildGeneration)
            return;
        m_elementAsked.reset();
        auto *target = held && held->isElement() ? static_cast<DOMElement *>(held.get()) : nullptr;
        const QList<CSSRulePtr> list = m_displaySelectorType == AllRules
            ? rulesByElement(nullptr, AllKind, false)
            : rulesByElement(target, m_displaySelectorType, false);
        finishRebuild(list);
    });
}

void CSSOutlineDelegate::selectFirstRuleOnceListed()
{
    if (m_elementAsked) {
        m_selectFirstRuleWhenBuilt = true;
        return;
    }
    m_outlineView->selectRowIndexes({1}, false);
}

void CSSOutlineDelegate::finishRebuild(const QList<CSSRulePtr> &list)
{
    const OpenValueField field = openValueField();
    updateRules(list);
    checkOverridden(list);
    m_outlineView->reloadData();
    m_outlineView->layoutRowsLater();
    for (const CSSRulePtr &row : std::as_const(m_rules))
        m_outlineView->expandItem(row.get(), true);
    // The computed style stays folded: it is long. It gives the element's box.
    if (m_displaySelectorType == ElementRules && !m_rules.isEmpty() && m_rules.first()->computedStyleDec()) {
        m_outlineView->collapseItem(m_rules.first().get());
        m_boxDimension = boxDimension(m_rules.first());
    }
    collapseVendorPrefixedRows();
    if (std::exchange(m_selectFirstRuleWhenBuilt, false))
        m_outlineView->selectRowIndexes({1}, false);
    updateDisplayOutline();
    Q_EMIT rebuilt();
    reopenValueField(field);
}

CSSOutlineDelegate::OpenValueField CSSOutlineDelegate::openValueField() const
{
    // Only a field still taking keys: one ended by Return or Escape is done,
    // and one whose value was chosen from its list holds the value committed.
    const auto *input = qobject_cast<const CSSTextVauleInput *>(m_valueField.data());
    const CSSRulePtr row = input && input->isVisible() && input->isInEditMode() && m_outlineView->isEditing() ? getSelectedCSSRule()
                                                                                                            : nullptr;
    const CSSRulePtr owner = row && row->property() ? row->ownerRule() : nullptr;
    if (!owner || !owner->styleDeclaration())
        return {};
    int nth = 0;
    for (const CSSRulePtr &sibling : owner->children()) {
        if (sibling == row)
            break;
        nth += sibling->propName() == row->propName();
    }
    return {owner->styleDeclaration(), row->propName(), nth, input->text(), input->cursorPosition()};
}

void CSSOutlineDelegate::reopenValueField(const OpenValueField &field)
{
    // The rows went with the field; the user's text comes back on the row
    // of the same declaration, read again or not.
    const StyleDeclarationPtr held = field.rule.lock();
    const StyleDeclarationPtr rule = held ? (declarationReadAgain(held) ? declarationReadAgain(held) : held) : nullptr;
    if (!rule || m_outlineView->isEditing())
        return;
    CSSRulePtr found;
    int nth = field.nth;
    const std::function<void(const QList<CSSRulePtr> &)> walk = [&](const QList<CSSRulePtr> &rows) {
        for (const CSSRulePtr &row : rows) {
            if (found)
                return;
            if (row->styleDeclaration() == rule) {
                for (const CSSRulePtr &child : row->children()) {
                    if (child->property() && child->propName() == field.name && nth-- == 0) {
                        found = child;
                        return;
                    }
                }
            } else if (!row->property()) {
                walk(row->children());
            }
        }
    };
    walk(m_rules);
    // A text the declaration now holds (the edit committed) is nothing to keep.
    if (found && found->property()->value() == field.text)
        return;
    const int index = found ? m_outlineView->rowForItem(found.get()) : -1;
    if (index < 0) {
        QM_INFO(QStringLiteral("the value \"%1\" typed for %2 was dropped: the declaration is no longer in its rule")
                    .arg(field.text, field.name));
        return;
    }
    m_outlineView->selectRowIndexes({index}, false);
    found->setValueName2(field.text);
    if (!m_outlineView->editColumn(0, index, false))
        return;
    if (auto *input = qobject_cast<CSSTextVauleInput *>(m_outlineView->window()->focusWidget())) {
        input->setCursorPosition(field.cursor);
        m_valueField = input;
    }
    // The page previews the text again, as it did while the field was open.
    valueChange(found, field.text);
}

void CSSOutlineDelegate::collapseVendorPrefixedRows()
{
    const QVariantMap prefixed = ProjectUtil::getCurrentProjectConfig().value(ProjectUtil::kVendarPrefixProperties).toMap();
    if (prefixed.isEmpty())
        return;
    const std::function<void(const QList<CSSRulePtr> &)> walk = [&](const QList<CSSRulePtr> &rows) {
        for (const CSSRulePtr &row : rows) {
            if (row->type() == RuleType::Declaration && row->property() && prefixed.contains(row->property()->property()))
                m_outlineView->collapseItem(row.get());
            if (m_outlineView->isItemExpanded(row.get()))
                walk(row->children());
        }
    };
    walk(m_rules);
}

void CSSOutlineDelegate::rebuildNow(const std::function<void()> &then)
{
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(this, &CSSOutlineDelegate::rebuilt, this, [connection, then] {
        QObject::disconnect(*connection);
        if (then)
            then();
    });
    if (m_displaySelectorType == StyleDeclarationRule)
        updateRulesByStyleDeclaration(m_shownStyleDeclaration);
    else if (m_displaySelectorType == KeyframesRules)
        showKeyframes();
    else
        updateRulesByElement(elementToShow());
}

void CSSOutlineDelegate::selectPendingProperty()
{
    const CSSPropertyPtr property = std::exchange(m_propertyToSelect, {}).lock();
    const CSSRulePtr row = property ? treeNodeByCSSProperty(property, m_rules) : nullptr;
    if (!row)
        return;
    expandParentsOfItem(row);
    const int index = m_outlineView->rowForItem(row.get());
    if (index < 0)
        return;
    m_outlineView->selectRowIndexes({index}, false);
    m_outlineView->scrollRowToVisible(index);
    // A write still to come keeps the panel where it now is.
    m_savedRulesScrollPoint.setY(m_outlineView->verticalScrollBar()->value());
}

void CSSOutlineDelegate::reloadRuleList(int mode)
{
    // A command of many steps rebuilds once, as it ends.
    if (m_reloadsHeld > 0) {
        m_heldReloadMode = mode;
        return;
    }
    clearAllCSSRuleCache();
    const int selected = m_outlineView->selectedRow();
    QScrollBar *vertical = m_outlineView->verticalScrollBar();
    switch (mode) {
    case 0:
        m_savedScrollPoint = QPointF();
        rebuildNow([this, selected, vertical] {
            if (selected >= 0 && selected < m_outlineView->numberOfRows())
                m_outlineView->selectRowIndexes({selected}, false);
            vertical->setValue(int(m_savedScrollPoint.y()));
            selectPendingProperty();
        });
        break;
    case 1:
        m_savedScrollPoint = QPointF(0, vertical->value());
        rebuildNow([this, selected, vertical] {
            vertical->setValue(int(m_savedScrollPoint.y()));
            if (selected >= 0 && selected < m_outlineView->numberOfRows())
                m_outlineView->selectRowIndexes({selected}, false);
            selectPendingProperty();
        });
        break;
    case 2:
        rebuildNow([this, selected, vertical] {
            if (selected >= 0 && selected < m_outlineView->numberOfRows()) {
                m_outlineView->selectRowIndexes({selected}, false);
                vertical->setValue(0);
                m_outlineView->scrollRowToVisible(selected);
            }
            selectPendingProperty();
        });
        break;
    default:
        return;
    }
}

void CSSOutlineDelegate::reload()
{
    const QList<CSSRulePtr> path = m_selectionTree;
    reloadRuleList(1);
    // Once the list stands: the row at the end of the same path of names.
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(this, &CSSOutlineDelegate::rebuilt, this, [this, connection, path] {
        QObject::disconnect(*connection);
        QList<CSSRulePtr> candidates = m_rules;
        CSSRulePtr found;
        bool matchedLast = false;
        for (const CSSRulePtr &step : path) {
            matchedLast = false;
            for (const CSSRulePtr &candidate : std::as_const(candidates)) {
                if (candidate->propName() == step->propName()) {
                    found = candidate;
                    candidates = candidate->children();
                    matchedLast = true;
                    break;
                }
            }
        }
        if (found && matchedLast) {
            expandParentsOfItem(found);
            const int row = m_outlineView->rowForItem(found.get());
            if (row >= 0)
                m_outlineView->selectRowIndexes({row}, true);
        }
    });
}

void CSSOutlineDelegate::doChangeOutlineSource(int segment)
{
    switch (segment) {
    case ElementRules:
        NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("setDetectModeOFF"), this);
        m_displaySelectorType = ElementRules;
        break;
    case KeyframesRules:
        NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("setDetectModeOFF"), this);
        m_displaySelectorType = KeyframesRules;
        if (ExWebViewInterface *webview = m_webview ? m_webview() : nullptr)
            webview->hideDetectLayer();
        break;
    case AllRules:
        m_displaySelectorType = AllRules;
        break;
    case MediaKind:
        m_lastFilterFileNames.clear();
        if (m_styleSheetsManagerDelegate)
            m_styleSheetsManagerDelegate->clearFileFilter();
        break;
    default:
        break;
    }
    reloadRuleList(0);
}

void CSSOutlineDelegate::search(const QString &text)
{
    m_ruleSearchText = text;
    reloadRuleList(0);
}

QList<CSSRulePtr> CSSOutlineDelegate::getSelectedCSSRules() const
{
    QList<CSSRulePtr> rows;
    for (int row : m_outlineView->selectedRowIndexes()) {
        if (const CSSRulePtr rule = rowOf(m_outlineView->itemAtRow(row)))
            rows.append(rule);
    }
    return rows;
}

CSSRulePtr CSSOutlineDelegate::getSelectedCSSRule() const
{
    return rowOf(m_outlineView->itemAtRow(m_outlineView->selectedRow()));
}

void CSSOutlineDelegate::projectConfigChanged(const Notification &)
{
    reloadRuleList(1);
}

void CSSOutlineDelegate::savedByCommand(const Notification &)
{
    saveDocument();
}

void CSSOutlineDelegate::htmlHasSavedByCommand(const Notification &)
{
    saveDocument();
}

void CSSOutlineDelegate::saveOutlineview(QObject *)
{
    saveDocument();
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("cssHasSavedByCommand"), this);
}

void CSSOutlineDelegate::keyDown(QKeyEvent *event)
{
    // Return on a row: its value field takes the keys (the outline starts
    // editing the selected row's cell when it may be edited).
    if (KeyCodes::keyCode(event) != KeyCodes::Return)
        return;
    const quint64 flags = KeyCodes::modifierFlags(event);
    if ((flags & KeyCodes::CommandKeyMask) && (flags & KeyCodes::ShiftKeyMask))
        return;
    m_valueInputFocused = false;
    // On a rule or a keyframe: what to add to it.
    const CSSRulePtr row = getSelectedCSSRule();
    // Ctrl+Return on a declaration: its popover editor.
    const bool ruleOrKeyframe = row && (row->styleDeclaration() || (row->rule() && row->rule()->type() == DOMCSSRule::KEYFRAME_RULE));
    if (row && (flags & KeyCodes::CommandKeyMask) && !ruleOrKeyframe) {
        showStyleEditorWithEnter();
        event->accept();
        return;
    }
    if (row && !row->isWebKitStyle() && ruleOrKeyframe) {
        showAddDeclarationPopover(row);
        event->accept();
    }
}

void CSSOutlineDelegate::resetDomSelection()
{
    m_lastSelectedElement.reset();
    m_elementAsked.reset();
    m_selectFirstRuleWhenBuilt = false;
}

void CSSOutlineDelegate::addObjects(QList<DOMNode *> &array, const QList<DOMNode *> &nodes)
{
    array += nodes;
}
