// DomTreeDelegate: the rows' context menu, how its entries are enabled, the
// "do not save" marks it toggles, and the copies of a row as text.

#include "DomTreeDelegate.h"
#include "DomTreeDelegate_p.h"

#include "DOMNodeLists.h"
#include "DomTreeOutlineView.h"

#include "foundation/StringUtils.h"
#include "interfaces/DomNodeListDelegateInterface.h"
#include "interfaces/ProjectDelegateInterface.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "platform/web/dom/DOMElement.h"
#include "stylesheet/WebCoreObjects.h"
#include "workspace/ProjectUtil.h"

#include <QAction>
#include <QClipboard>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>

namespace {

const char *const s_actionProperty = "domTreeAction";
const char *const s_tagProperty = "domTreeTag";

QAction *addEntry(QMenu *menu, const QString &title, const QString &action, int tag = 0)
{
    QAction *item = menu->addAction(title);
    item->setProperty(s_actionProperty, action);
    if (tag)
        item->setProperty(s_tagProperty, tag);
    return item;
}

// The lower-cased node name of the row a template makes: the text before
// its first blank ("input type='date'" makes an input).
QString nameOfTemplate(const QString &tagText)
{
    return tagText.section(QLatin1Char(' '), 0, 0).toLower();
}

using DomTreeDelegatePrivate::lowerNameOf;

} // namespace

QMenu *DomTreeDelegate::domtreeMenu() const
{
    return m_domtreeMenu;
}

QString DomTreeDelegate::menuAction(const QAction *item)
{
    return item ? item->property(s_actionProperty).toString() : QString();
}

int DomTreeDelegate::menuTag(const QAction *item)
{
    return item ? item->property(s_tagProperty).toInt() : 0;
}

void DomTreeDelegate::createDomtreeMenu()
{
    if (!m_outlineView || m_domtreeMenu)
        return;
    auto *menu = new QMenu(QStringLiteral("DomTreeMenu"), m_outlineView);
    m_domtreeMenu = menu;
    // The menu's own entries: rules for the element in the rules panel.
    addEntry(menu, tr("Create Selector for This Element"), QStringLiteral("createSelectorForNode:"), 1);
    addEntry(menu, tr("Create Selector for This ID"), QStringLiteral("createSelectorForId:"), 2);
    addEntry(menu, tr("Create Animation Selector for This Element"), QStringLiteral("createAnimationSelectorForNode:"), 1);
    menu->addSeparator();
    addEntry(menu, QStringLiteral("Format Style Attribution"), QStringLiteral("showAttributeStyleEditor"));
    menu->addSeparator();

    // The three element menus: a submenu per category of templates.
    const QStringList categories = DOMNodeLists::categoriesByNumber();
    const auto addElementMenu = [&](const QString &title, const QString &menuTitle, const QString &action) {
        QMenu *elements = menu->addMenu(title);
        elements->setTitle(title);
        elements->setObjectName(menuTitle);
        for (const QString &category : categories) {
            QMenu *names = elements->addMenu(category);
            for (const QString &name : DOMNodeLists::nodeByCategory(category))
                addEntry(names, name, action);
            connect(names, &QMenu::aboutToShow, this, [this, names] {
                for (QAction *item : names->actions())
                    item->setEnabled(validateMenuItem(item));
            });
        }
    };
    addElementMenu(QStringLiteral("Replace This Element For"), QStringLiteral("changeNodeMenu"), QStringLiteral("swapNode:"));
    addElementMenu(QStringLiteral("Wrap This Element By"), QStringLiteral("containNodeMenu"), QStringLiteral("containNode:"));
    addElementMenu(QStringLiteral("Add New Element"), QString(), QStringLiteral("addNode:"));
    addEntry(menu, QStringLiteral("Remove All Children"), QStringLiteral("removeChildren:"));
    menu->addSeparator();
    addEntry(menu, QStringLiteral("Save As A Snippet"), QStringLiteral("snipetNode:"));
    addEntry(menu, QStringLiteral("Copy As A HTML String"), QStringLiteral("clipSource:"));
    addEntry(menu, QStringLiteral("Copy As A HTML String for Script"), QStringLiteral("clipSourceCode:"));
    menu->addSeparator();
    addEntry(menu, QStringLiteral("Do Not Save This Element"), QStringLiteral("changeIgnoreSetting:"), 3);

    connect(menu, &QMenu::aboutToShow, this, [this, menu] {
        menuWillOpen(menu);
        for (QAction *item : menu->actions()) {
            if (!item->isSeparator())
                item->setEnabled(validateMenuItem(item));
        }
    });
    connect(menu, &QMenu::aboutToHide, this, [this, menu] { menuDidClose(menu); });
    // One handler for every entry, submenus included.
    connect(menu, &QMenu::triggered, this, [this](QAction *item) {
        const QString action = menuAction(item);
        if (action == QLatin1String("swapNode:"))
            swapNode(item->text());
        else if (action == QLatin1String("containNode:"))
            containNode(item->text());
        else if (action == QLatin1String("addNode:"))
            addNode(item->text());
        else if (action == QLatin1String("createSelectorForNode:"))
            createSelectorForNode();
        else if (action == QLatin1String("createSelectorForId:"))
            createSelectorForId();
        else if (action == QLatin1String("createAnimationSelectorForNode:"))
            createAnimationSelectorForNode();
        else if (action == QLatin1String("showAttributeStyleEditor"))
            showAttributeStyleEditor();
        else if (action == QLatin1String("removeChildren:"))
            removeChildren();
        else if (action == QLatin1String("snipetNode:"))
            snipetNode();
        else if (action == QLatin1String("clipSource:"))
            clipSource();
        else if (action == QLatin1String("clipSourceCode:"))
            clipSourceCode();
        else if (action == QLatin1String("changeIgnoreSetting:"))
            changeIgnoreSetting();
    });
    m_outlineView->setMenu(menu);
}

bool DomTreeDelegate::validateMenuItem(QAction *item)
{
    const int clicked = m_outlineView ? m_outlineView->clickedRow() : -1;
    const auto *row = clicked >= 0 ? static_cast<DOMNodeEx *>(m_outlineView->itemAtRow(clicked)) : nullptr;
    const DOMNodeEx *target = m_contextTargetNode.get();
    if ((row && (row->isReferenceNode() || row->isInReference()))
        || (target && (target->isReferenceNode() || target->isInReference())))
        return false;
    const QString action = menuAction(item);
    if (action == QLatin1String("swapNode:"))
        return validateChangeMenu(item);
    if (action == QLatin1String("containNode:"))
        return validateContainMenu(item);
    if (item && item->property(s_actionProperty).isValid() && action != QLatin1String("addNode:"))
        return validateNodeMenu(item);
    return true;
}

bool DomTreeDelegate::validateNodeMenu(QAction *item)
{
    const DOMNodeEx *target = m_contextTargetNode.get();
    const DOMNode *node = target ? target->node() : nullptr;
    switch (menuTag(item)) {
    case 3:
        item->setText(target && target->ignore() ? QStringLiteral("Save This Element")
                                                 : QStringLiteral("Do Not Save This Element"));
        return target && target->canChangeIgnore();
    case 2:
        return node && node->isElement() && static_cast<const DOMElement *>(node)->hasAttribute(QStringLiteral("id"));
    case 1:
        return node && !node->nodeName().startsWith(QLatin1Char('#'));
    default:
        return true;
    }
}

bool DomTreeDelegate::validateContainMenu(QAction *item)
{
    const QString target = lowerNameOf(m_contextTargetNode.get());
    return !target.isEmpty() && canContainNodeInsert(target, nameOfTemplate(item->text()));
}

bool DomTreeDelegate::validateChangeMenu(QAction *item)
{
    const QString target = lowerNameOf(m_contextTargetNode.get());
    return !target.isEmpty() && canChangeNodeFrom(target, nameOfTemplate(item->text()));
}

void DomTreeDelegate::menuWillOpen(QMenu *)
{
    DelayedPerform::cancel(this, "clearContextTargetNode", {});
    if (!m_outlineView)
        return;
    // A click names the row the menu acts on; a menu opened for a pick in
    // the preview keeps the row it was given.
    const int clicked = m_outlineView->clickedRow();
    if (clicked >= 0)
        setContextTargetNode(static_cast<DOMNodeEx *>(m_outlineView->itemAtRow(clicked)));
}

void DomTreeDelegate::menuDidClose(QMenu *)
{
    // The chosen entry's action runs after the menu closed, and still needs
    // the target.
    DelayedPerform::cancel(this, "clearContextTargetNode", {});
    DelayedPerform::perform(this, "clearContextTargetNode", {}, 0.1, [this] { m_contextTargetNode.reset(); });
}

void DomTreeDelegate::setContextTargetNode(DOMNodeEx *row)
{
    m_contextTargetNode = row ? row->shared_from_this() : nullptr;
}

DOMNodeEx *DomTreeDelegate::contextTargetTreeNode() const
{
    return m_contextTargetNode ? searchDomNodeFromRoot(m_contextTargetNode->node()) : nullptr;
}

void DomTreeDelegate::displayElementMenu(DOMNode *element)
{
    if (!element || !m_domtreeMenu)
        return;
    if (element->isCharacterData())
        element = element->parentNode();
    DOMNodeEx *row = element ? searchFile(element) : nullptr;
    if (!row)
        return;
    setContextTargetNode(row);
    m_domtreeMenu->popup(QCursor::pos());
}

// --- "Do not save" marks --------------------------------------------------------------------------

void DomTreeDelegate::changeIgnoreSetting()
{
    DOMNodeEx *target = m_contextTargetNode.get();
    if (!target || !target->canChangeIgnore() || !editableRow(target))
        return;
    const bool header = WebCoreObjects::isHeaderTagGroup(lowerNameOf(target));
    changeIgnore({{QStringLiteral("category"), header ? QStringLiteral("header") : QStringLiteral("body")},
                  {QStringLiteral("node"), QVariant::fromValue(target)}});
}

QString DomTreeDelegate::ignoreSelectorOf(const DOMNode *node)
{
    // Each step below the nearest id names its place among its siblings, so
    // that the rule leaves out this element and no other.
    QStringList parts;
    for (const DOMNode *step = node; step && step->isElement(); step = step->parentNode()) {
        const QString id = step->nodeAttributeValue(QStringLiteral("id"));
        if (!id.isEmpty()) {
            parts.prepend(step->generateSelector());
            break;
        }
        QString part = step->nodeName().toLower();
        const DOMNode *parent = step->parentNode();
        if (parent && parent->isElement()) {
            int position = 1;
            for (const DOMNode *sibling = step->previousSibling(); sibling; sibling = sibling->previousSibling()) {
                if (sibling->isElement())
                    ++position;
            }
            part += QStringLiteral(":nth-child(%1)").arg(position);
        }
        parts.prepend(part);
    }
    return parts.join(QLatin1String(" > "));
}

void DomTreeDelegate::changeIgnore(const QVariantMap &info)
{
    auto *row = info.value(QStringLiteral("node")).value<DOMNodeEx *>();
    if (!row || !row->node())
        return;
    const QString project = projectPathOf(m_indexFile);
    if (project.isEmpty()) {
        QM_INFO(QStringLiteral("the page belongs to no project; its element's mark is not stored"));
        return;
    }
    QVariantMap config = ProjectUtil::getProjectConfig(project);
    if (info.value(QStringLiteral("category")).toString() == QLatin1String("header")) {
        const QString source = row->sourceIncludeChildren();
        QStringList list = config.value(ProjectUtil::kHeaderIgnoreOption).toStringList();
        if (list.contains(source))
            list.removeAll(source);
        else
            list.append(source);
        config.insert(ProjectUtil::kHeaderIgnoreOption, list);
    } else {
        const QString line = ignoreSelectorOf(row->node()) + QLatin1String("{ignore:true;}");
        QString text = config.value(ProjectUtil::kIgnoreOption).toString();
        if (text.trimmed().isEmpty())
            text += line;
        else if (!text.contains(line))
            text += QLatin1Char('\n') + line;
        else
            text.remove(line);
        QString rebuilt;
        for (const QString &each : text.split(QLatin1Char('\n'))) {
            if (!each.trimmed().isEmpty())
                rebuilt += each + QLatin1Char('\n');
        }
        config.insert(ProjectUtil::kIgnoreOption, rebuilt);
    }
    QString error;
    if (!ProjectUtil::saveProjectConfig(config, project, &error)) {
        Alert::runSaveFailure(QFileInfo(ProjectUtil::configPath(project)).fileName(), error,
                              QStringLiteral("The mark applies until Quillmark quits, but the file keeps the old settings."));
    }
    if (m_projectDelegate)
        m_projectDelegate->reloadProjectConfigView();
    checkIgnore();
    // The file follows the mark at once: the element's lines go or come back.
    applyContentToFile();
}

// --- Copies as text, snippets and rules ---------------------------------------------------------------

QString DomTreeDelegate::contextTargetSource()
{
    DOMNodeEx *target = editableRow(m_contextTargetNode.get());
    return target ? authorsText({target}) : QString();
}

void DomTreeDelegate::clipSource()
{
    const QString html = contextTargetSource();
    if (!html.isEmpty())
        QGuiApplication::clipboard()->setText(html);
}

QString DomTreeDelegate::scriptStringOf(const QString &html)
{
    QStringList lines;
    for (const QString &line : StringUtils::lineStrings(html)) {
        if (line.isEmpty())
            continue;
        // Quotes and backslashes are escaped, so that the string evaluates to the text.
        QString escaped = line;
        escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
        lines.append(QLatin1Char('\'') + escaped + QLatin1Char('\''));
    }
    return lines.join(QLatin1String(" +\n"));
}

void DomTreeDelegate::clipSourceCode()
{
    const QString html = contextTargetSource();
    if (!html.isEmpty())
        QGuiApplication::clipboard()->setText(scriptStringOf(html));
}

void DomTreeDelegate::postForContextTarget(const QString &name)
{
    // The rules panel answers these with a new rule for the element.
    if (DOMNodeEx *target = editableRow(m_contextTargetNode.get()))
        NotificationCenter::defaultCenter().postNotificationName(name, this,
                                                                 {{QStringLiteral("node"), QVariant::fromValue(target)}});
}

void DomTreeDelegate::createSelectorForNode()
{
    postForContextTarget(QStringLiteral("createAndSetClassForNode"));
}

void DomTreeDelegate::createSelectorForId()
{
    postForContextTarget(QStringLiteral("createAndSetClassForId"));
}

void DomTreeDelegate::createAnimationSelectorForNode()
{
    postForContextTarget(QStringLiteral("createAndSetAnimationClass"));
}

void DomTreeDelegate::snipetNode()
{
    DOMNodeEx *target = editableRow(m_contextTargetNode.get());
    if (m_domNodeListDelegate && target)
        m_domNodeListDelegate->addSnippetWithNode(target);
}
