#include "DOMNodeEx.h"

#include "DOMPathComponentCell.h"
#include "DomNodeMap.h"
#include "LayoutSpace.h"

#include "platform/kit/NamedImage.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMDocumentFragment.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/dom/DOMNamespaces.h"
#include "stylesheet/WebCoreObjects.h"
#include "workspace/ProjectUtil.h"

#include <QHash>
#include <QTextBoundaryFinder>

#include <optional>

namespace {

std::function<DOMIgnoreSettings()> &settingsProvider()
{
    static std::function<DOMIgnoreSettings()> provider;
    return provider;
}

// The settings of the outermost live IgnoreSettingsScope.
std::optional<DOMIgnoreSettings> &scopedSettings()
{
    static std::optional<DOMIgnoreSettings> settings;
    return settings;
}

// Off while rows are made only to be written.
bool s_registering = true;

DOMIgnoreSettings currentProjectSettings()
{
    const QVariantMap config = ProjectUtil::getCurrentProjectConfig();
    DOMIgnoreSettings settings;
    settings.rules = ProjectUtil::ignoreOptionWithProjectConfig(config);
    settings.headerIgnoreOption = config.value(ProjectUtil::kHeaderIgnoreOption).toStringList();
    return settings;
}

QString withoutLeadingDot(QString name)
{
    if (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    return name;
}

DOMElement *asElement(DOMNode *node)
{
    return node && node->isElement() ? static_cast<DOMElement *>(node) : nullptr;
}

} // namespace

DOMNodeEx::DOMNodeEx(Key) {}

DOMNodeEx::~DOMNodeEx()
{
    // Releases the subtree without recursion: a row whose last owner is this
    // walk hands its children to the walk before it goes.
    QList<DOMNodeExPtr> pending = std::move(m_children);
    while (!pending.isEmpty()) {
        DOMNodeExPtr row = pending.takeLast();
        if (row.use_count() == 1 && !row->m_children.isEmpty())
            pending.append(std::move(row->m_children));
    }
}

// --- Construction ----------------------------------------------------------------

DOMNodeExPtr DOMNodeEx::makeOpeningRow(const DOMNodePtr &node, DOMNodeEx *parent, bool reference)
{
    auto row = std::make_shared<DOMNodeEx>(Key());
    row->m_node = node;
    row->setParentLink(parent);
    row->m_isReference = reference;
    row->m_inReference = reference || (parent && parent->m_inReference);
    // The mark comes before the children, so that they see it.
    row->checkIgnore();
    row->m_shouldIncludInDom = true;
    if (!row->m_inReference)
        row->registerRow();
    return row;
}

DOMNodeExPtr DOMNodeEx::initWithNode(const DOMNodePtr &node, DOMNodeEx *parent)
{
    DOMNodeExPtr row = makeOpeningRow(node, parent, false);
    buildSubtrees({row.get()});
    return row;
}

DOMNodeExPtr DOMNodeEx::initWithSingleTextLine(const DOMNodePtr &node, DOMNodeEx *parent)
{
    auto row = std::make_shared<DOMNodeEx>(Key());
    row->m_node = node;
    row->setParentLink(parent);
    row->m_inReference = parent && parent->m_inReference;
    if (node)
        row->m_displayName = displayNameOfCharacterData(node.get());
    row->m_shouldIncludInDom = true;
    row->checkIgnore();
    if (!row->m_inReference)
        row->registerRow();
    return row;
}

DOMNodeExPtr DOMNodeEx::initWithCloseNode(const DOMNodePtr &node, DOMNodeEx *parent, DOMNodeEx *original)
{
    auto row = std::make_shared<DOMNodeEx>(Key());
    row->m_node = node;
    if (original)
        row->m_original = original->weak_from_this();
    row->setParentLink(parent);
    row->m_inReference = parent && parent->m_inReference;
    row->m_isCloseNode = true;
    if (node)
        row->m_displayName = row->prepareEndTag();
    row->m_shouldIncludInDom = true;
    row->checkIgnore();
    return row;
}

void DOMNodeEx::setParentLink(DOMNodeEx *parent)
{
    m_parent = parent ? parent->weak_from_this() : std::weak_ptr<DOMNodeEx>();
    m_level = parent ? parent->m_level + 1 : 0;
}

void DOMNodeEx::setParentNodeEx(DOMNodeEx *parent)
{
    setParentLink(parent);
    for (const DOMNodeExPtr &child : std::as_const(m_children))
        child->updateLevel();
}

void DOMNodeEx::updateLevel()
{
    m_level = levelForItem(this);
}

void DOMNodeEx::registerRow()
{
    if (s_registering)
        DomNodeMap::getInstance().addDomNodeEx(shared_from_this());
}

DOMNodeExPtr DOMNodeEx::rowForWriting(const DOMNodePtr &node, std::optional<qint64> atLevel)
{
    if (!node)
        return nullptr;
    const bool registering = s_registering;
    s_registering = false;
    // The depth of the node below the root element, which is level 0.
    qint64 level = 0;
    for (const DOMNode *up = node->parentNode(); up && !up->isDocument(); up = up->parentNode())
        ++level;
    level = atLevel.value_or(level);
    DOMNodeExPtr row;
    if (node->isCharacterData()) {
        row = initWithSingleTextLine(node, nullptr);
        row->m_level = level;
    } else {
        row = makeOpeningRow(node, nullptr, false);
        row->m_level = level;
        buildSubtrees({row.get()});
    }
    s_registering = registering;
    return row;
}

QString DOMNodeEx::lowerName() const
{
    if (!m_node)
        return {};
    // HTML elements keep their lower-case name; a tag name would be made
    // in upper case only to be lowered again.
    if (m_node->isElement()) {
        const auto *element = static_cast<const DOMElement *>(m_node.get());
        if (element->isHTMLElement())
            return element->localName();
    } else if (m_node->isText()) {
        static const QString text = QStringLiteral("#text");
        return text;
    } else if (m_node->isComment()) {
        static const QString comment = QStringLiteral("#comment");
        return comment;
    }
    return m_node->nodeName().toLower();
}

// --- Children ----------------------------------------------------------------------

const DOMNode *DOMNodeEx::contentParent(const DOMNode *node)
{
    if (node && node->isElement()) {
        if (const DOMDocumentFragment *content = static_cast<const DOMElement *>(node)->templateContent())
            return content;
    }
    return node;
}

DOMElement *DOMNodeEx::referencedElement(const DOMNode *useNode)
{
    if (!useNode || !useNode->isElement())
        return nullptr;
    const auto *use = static_cast<const DOMElement *>(useNode);
    if (use->localName().compare(QLatin1String("use"), Qt::CaseInsensitive) != 0)
        return nullptr;
    QString href = use->getAttribute(QStringLiteral("href"));
    if (href.isNull())
        href = use->getAttributeNS(QString(DOMNamespaces::xlink), QStringLiteral("href"));
    if (!href.startsWith(QLatin1Char('#')) || href.size() < 2)
        return nullptr;
    DOMDocument *document = use->ownerDocument();
    DOMElement *target = document ? document->getElementById(href.mid(1)) : nullptr;
    // An element that holds the use would show itself without end.
    if (!target || target->contains(use))
        return nullptr;
    return target;
}

void DOMNodeEx::fillChildren(QList<DOMNodeEx *> &pending, Reusable *reusable)
{
    // Rows of nodes that stay are taken over, with their subtrees, from the
    // rows there were: they go on to kept, the new ones to pending.
    QHash<const DOMNode *, DOMNodeExPtr> old;
    DOMNodeExPtr oldClose;
    if (reusable) {
        for (DOMNodeExPtr &child : m_children) {
            if (child->m_isCloseNode)
                oldClose = std::move(child);
            else if (child->m_node)
                old.insert(child->m_node.get(), std::move(child));
        }
    }
    m_children.clear();
    if (!m_node)
        return;
    const auto reuse = [&](DOMNode *child, bool opening, bool reference) -> bool {
        if (!reusable)
            return false;
        const auto found = old.find(child);
        if (found == old.end() || found.value()->m_isReference != reference
            || (found.value()->m_node->isCharacterData() == opening))
            return false;
        DOMNodeExPtr row = std::move(found.value());
        old.erase(found);
        if (opening) {
            reusable->kept.append(row.get());
        } else {
            row->m_displayName = displayNameOfCharacterData(child);
            row->checkIgnore();
        }
        m_children.append(std::move(row));
        return true;
    };
    const auto appendOpening = [&](DOMNode *child, bool reference) {
        if (reuse(child, true, reference))
            return;
        DOMNodeExPtr row = makeOpeningRow(child->shared_from_this(), this, reference);
        pending.append(row.get());
        m_children.append(std::move(row));
    };
    const auto appendText = [&](DOMNode *child) {
        if (!reuse(child, false, false))
            createSingleTextNode(child->shared_from_this());
    };
    const DOMNode *parent = contentParent(m_node.get());
    const int count = parent->childCount();
    if (count == 0) {
        // Reference rows are made only outside other reference rows: a
        // chain of uses would otherwise multiply the rows.
        if (!m_inReference) {
            if (DOMElement *target = referencedElement(m_node.get()))
                appendOpening(target, true);
        }
    } else if (count == 1) {
        DOMNode *only = parent->childAt(0);
        if (only->isElement())
            appendOpening(only, false);
        else
            appendText(only);
    } else {
        for (int i = 0; i < count; ++i) {
            DOMNode *child = parent->childAt(i);
            if (child->isElement()) {
                // Code the author keeps private gets no row; what follows it does.
                if (static_cast<DOMElement *>(child)->getAttribute(QStringLiteral("rel")) == QLatin1String("private-code"))
                    continue;
                appendOpening(child, false);
            } else if (!child->isWhiteSpaceTextNode()) {
                appendText(child);
            }
        }
    }
    if (oldClose) {
        oldClose->checkIgnore();
        m_children.append(std::move(oldClose));
    } else {
        createCloseNode();
    }
    if (reusable) {
        for (DOMNodeExPtr &gone : old)
            reusable->dropped.append(std::move(gone));
    }
}

QString DOMNodeEx::displayNameOfCharacterData(const DOMNode *node)
{
    const QString name = node->nodeName();
    if (name == QLatin1String("#text"))
        return removeNandT(node->textContent());
    if (name == QLatin1String("#comment"))
        return node->nodeValue();
    return {};
}

void DOMNodeEx::buildSubtrees(QList<DOMNodeEx *> pending)
{
    IgnoreSettingsScope scope;
    QList<DOMNodeEx *> opened;
    while (!pending.isEmpty()) {
        DOMNodeEx *row = pending.takeLast();
        opened.append(row);
        row->fillChildren(pending);
    }
    finishRows(opened);
}

void DOMNodeEx::finishRows(const QList<DOMNodeEx *> &rows)
{
    for (DOMNodeEx *row : rows)
        row->createStartNode();
    // A header element is named by its whole text, which exists only now.
    if (ignoreSettings().headerIgnoreOption.isEmpty())
        return;
    for (DOMNodeEx *row : rows) {
        if (row->m_ignore || !WebCoreObjects::isHeaderTagGroup(row->lowerName()))
            continue;
        row->checkIgnore();
        if (row->m_ignore)
            row->setIgnoreRecursive();
    }
}

QList<DOMNodeExPtr> DOMNodeEx::refreshChildren()
{
    if (m_isCloseNode || !m_node || m_node->isCharacterData())
        return std::exchange(m_children, {});
    IgnoreSettingsScope scope;
    // Top down, each kept row marked before its children are compared,
    // as a new row is marked before its children are made.
    Reusable reusable;
    QList<DOMNodeEx *> made;
    QList<DOMNodeEx *> compared{this};
    QList<DOMNodeEx *> kept{this};
    while (!compared.isEmpty()) {
        DOMNodeEx *row = compared.takeLast();
        reusable.kept.clear();
        row->fillChildren(made, &reusable);
        for (DOMNodeEx *child : std::as_const(reusable.kept)) {
            child->checkIgnore();
            compared.append(child);
            kept.append(child);
        }
    }
    buildSubtrees(made);
    finishRows(kept);
    return std::move(reusable.dropped);
}

void DOMNodeEx::initChildren()
{
    if (m_isCloseNode || !m_node || m_node->isCharacterData()) {
        m_children.clear();
        return;
    }
    QList<DOMNodeEx *> pending;
    fillChildren(pending);
    buildSubtrees(pending);
}

DOMNodeEx *DOMNodeEx::createChildNode(const DOMNodePtr &node)
{
    DOMNodeExPtr row = makeOpeningRow(node, this, false);
    buildSubtrees({row.get()});
    m_children.append(row);
    return row.get();
}

DOMNodeEx *DOMNodeEx::createSingleTextNode(const DOMNodePtr &node)
{
    DOMNodeExPtr row = initWithSingleTextLine(node, this);
    m_children.append(row);
    return row.get();
}

DOMNodeEx *DOMNodeEx::createCloseNode()
{
    DOMNodeExPtr row = initWithCloseNode(m_node, this, this);
    m_children.append(row);
    return row.get();
}

bool DOMNodeEx::isLeaf() const
{
    if (m_isCloseNode || !m_node)
        return true;
    if (!contentParent(m_node.get())->hasChildNodes())
        return m_inReference || !referencedElement(m_node.get());
    if (!m_children.isEmpty())
        return false;
    if (!shouldCloseWithSingleLine())
        return false;
    const QString text = contentParent(m_node.get())->firstChild()->textContent();
    return !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))
        && !text.contains(QLatin1Char('\t'));
}

// --- Display -------------------------------------------------------------------------

void DOMNodeEx::createStartNode()
{
    const DOMElement *element = asElement(m_node.get());
    if (!element)
        return;
    static const QStringList bare = {QStringLiteral("autofocus"), QStringLiteral("required"),
                                     QStringLiteral("multiple"), QStringLiteral("autoplay"),
                                     QStringLiteral("control")};
    const QString name = lowerName();
    QString text;
    text.reserve(2 * name.size() + 16 + 24 * element->attributeCount());
    text += QLatin1Char('<');
    text += name;
    for (int i = 0; i < element->attributeCount(); ++i) {
        const DOMAttr *attribute = element->attributeAt(i);
        const QString attributeName = attribute->name();
        text += QLatin1Char(' ');
        text += attributeName;
        if (!bare.contains(attributeName)) {
            text += QLatin1String("=\"");
            text += attribute->value();
            text += QLatin1Char('"');
        }
    }
    if (shouldCloseWithSingleTag()) {
        text += QLatin1String("/>");
    } else {
        text += QLatin1Char('>');
        if (!isLeaf() && !m_isExpand) {
            text += QLatin1String("...</");
            text += name;
            text += QLatin1Char('>');
        }
    }
    m_displayName = text;
}

void DOMNodeEx::expand()
{
    m_isExpand = true;
    createStartNode();
}

void DOMNodeEx::collapse()
{
    m_isExpand = false;
    createStartNode();
}

QString DOMNodeEx::prepareEndTag() const
{
    return QLatin1String("</") + lowerName() + QLatin1Char('>');
}

void DOMNodeEx::refreshTextContent()
{
    if (!m_node)
        return;
    const DOMNode *parent = m_node->parentNode();
    if (parent && parent->nodeName().compare(QLatin1String("script"), Qt::CaseInsensitive) == 0)
        m_displayName = LayoutSpace::trimmed(m_node->textContent());
    else if (m_node->nodeName() == QLatin1String("#comment"))
        m_displayName = m_node->textContent();
    else
        m_displayName = removeNandT(m_node->textContent());
    if (DOMNodeEx *row = parentNodeEx())
        row->checkIgnoreRecursive();
}

void DOMNodeEx::insetTextContent()
{
    if (!m_node)
        return;
    m_displayName = m_displayName + removeNandT(m_node->textContent()) + prepareEndTag();
    m_textInserted = true;
}

QString DOMNodeEx::removeNandT(const QString &text)
{
    QString out;
    out.reserve(text.size());
    bool inRun = false;
    for (const QChar c : text) {
        if (LayoutSpace::isSpace(c)) {
            if (!inRun)
                out += QLatin1Char(' ');
            inRun = true;
        } else {
            out += c;
            inRun = false;
        }
    }
    return out;
}

int DOMNodeEx::countOfLines(const QString &text)
{
    return int(text.count(QLatin1Char('\n')));
}

int DOMNodeEx::countOfString(const QString &text)
{
    return int(text.size());
}

QString DOMNodeEx::doubleQuartString(const QString &text) const
{
    const qsizetype first = text.indexOf(QLatin1Char('"'));
    const qsizetype second = first < 0 ? -1 : text.indexOf(QLatin1Char('"'), first + 1);
    if (second < 0)
        return {};
    const QString inner = text.mid(first + 1, second - first - 1);
    return lowerName() == QLatin1String("script") ? inner : removeNandT(inner);
}

bool DOMNodeEx::shouldCloseWithSingleLine() const
{
    const DOMNode *parent = m_node ? contentParent(m_node.get()) : nullptr;
    return parent && parent->childCount() == 1 && parent->firstChild()->nodeName() == QLatin1String("#text");
}

bool DOMNodeEx::shouldCloseWithSingleTag() const
{
    return m_node && m_node->nodeName() == QLatin1String("IMG");
}

// --- Icons and breadcrumb --------------------------------------------------------

QIcon DOMNodeEx::getNodeIcon() const
{
    static const QIcon text = NamedImage::templateImage({}, QStringLiteral("Text_Template.pdf"));
    static const QIcon comment = NamedImage::templateImage({}, QStringLiteral("Comment_Template.pdf"));
    static const QIcon element = NamedImage::templateImage({}, QStringLiteral("Element_Template.pdf"));
    if (m_node && m_node->isText())
        return text;
    if (m_node && m_node->isComment())
        return comment;
    return element;
}

std::shared_ptr<PathComponentCell> DOMNodeEx::pathComponentCell()
{
    return componentCellFromType(getNodeIcon(), m_node ? m_node->nodeName() : QString());
}

std::shared_ptr<PathComponentCell> DOMNodeEx::componentCellFromType(const QIcon &image, const QString &title)
{
    auto cell = std::make_shared<DOMPathComponentCell>(shared_from_this());
    cell->setTitle(getPathTitle(title));
    cell->setImage(image);
    return cell;
}

QString DOMNodeEx::getPathTitle(const QString &title) const
{
    if (title.startsWith(QLatin1Char('#'))) {
        const QString text = m_node ? removeNandT(m_node->textContent()) : QString();
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
        int graphemes = 0;
        qsizetype cut = -1;
        while (finder.toNextBoundary() >= 0) {
            ++graphemes;
            if (graphemes == 20)
                cut = finder.position();
            if (graphemes > 20)
                return text.left(cut) + QChar(0x2026);
        }
        return text;
    }
    const QString elementId = m_node ? m_node->nodeAttributeValue(QStringLiteral("id")) : QString();
    if (!elementId.isEmpty())
        return title + QLatin1Char('#') + elementId;
    const QString className = m_node ? m_node->nodeAttributeValue(QStringLiteral("class")) : QString();
    if (!className.isEmpty())
        return title + QLatin1Char('.') + className;
    return title;
}

qint64 DOMNodeEx::levelForItem(const DOMNodeEx *row)
{
    qint64 level = 0;
    for (const DOMNodeEx *up = row ? row->parentNodeEx() : nullptr; up; up = up->parentNodeEx())
        ++level;
    return level;
}

QList<DOMNodeEx *> DOMNodeEx::getPath()
{
    QList<DOMNodeEx *> path;
    for (DOMNodeEx *row = this; row; row = row->parentNodeEx()) {
        if (!row->m_isCloseNode)
            path.prepend(row);
    }
    return path;
}

QList<DOMPathInfo> DOMNodeEx::getPathInfosWithNode()
{
    QList<DOMPathInfo> infos;
    DOMNodeEx *ownParent = parentNodeEx();
    for (DOMNodeEx *step : getPath()) {
        DOMPathInfo info;
        info.node = step;
        info.tag = step->m_node ? step->m_node->nodeName() : QString();
        DOMNodeEx *parent = step->parentNodeEx();
        qsizetype index = 0;
        if (parent) {
            index = -1;
            for (qsizetype i = 0; i < parent->m_children.size(); ++i) {
                if (parent->m_children.at(i).get() == step) {
                    index = i;
                    break;
                }
            }
            if (index < 0)
                return infos;
            for (qsizetype i = 0; i < index; ++i) {
                DOMNodeEx *sibling = parent->m_children.at(i).get();
                DOMPathInfo before;
                before.node = sibling;
                before.tag = sibling->lowerName();
                before.shouldClose = WebCoreObjects::shouldClose(sibling->m_node ? sibling->m_node->nodeName() : QString());
                before.isBrother = sibling->parentNodeEx() == ownParent;
                infos.append(before);
            }
        }
        info.isParent = m_isCloseNode ? false : ownParent == step;
        info.shouldClose = WebCoreObjects::shouldClose(info.tag);
        infos.append(info);
    }
    return infos;
}

// --- Editing ------------------------------------------------------------------------

DOMNodeExPtr DOMNodeEx::clone() const
{
    if (!m_node)
        return nullptr;
    DOMNodePtr copy = m_node->cloneNode(true);
    if (!copy)
        return nullptr;
    if (m_node->nodeName().startsWith(QLatin1Char('#')))
        return initWithSingleTextLine(copy, parentNodeEx());
    return initWithNode(copy, parentNodeEx());
}

bool DOMNodeEx::hasClassSelector(QString name) const
{
    name = withoutLeadingDot(name);
    const DOMElement *element = asElement(m_node.get());
    if (!element || !element->hasAttribute(QStringLiteral("class")))
        return false;
    return element->getAttribute(QStringLiteral("class")).split(QLatin1Char(' ')).contains(name);
}

void DOMNodeEx::setClass(QString name)
{
    name = withoutLeadingDot(name);
    static const QString refused = QStringLiteral("+>~ :()[]=");
    for (const QChar c : refused) {
        if (name.contains(c))
            return;
    }
    DOMElement *element = asElement(m_node.get());
    if (!element)
        return;
    const QString key = QStringLiteral("class");
    if (!element->hasAttribute(key)) {
        element->setAttribute(key, name);
    } else {
        const QString classes = element->getAttribute(key);
        if (classes.split(QLatin1Char(' ')).contains(name))
            return;
        element->setAttribute(key, classes + QLatin1Char(' ') + name);
    }
    createStartNode();
    checkIgnore();
}

void DOMNodeEx::removeClass(QString name)
{
    name = withoutLeadingDot(name);
    DOMElement *element = asElement(m_node.get());
    const QString key = QStringLiteral("class");
    if (!element || !element->hasAttribute(key))
        return;
    QStringList classes = element->getAttribute(key).split(QLatin1Char(' '));
    if (classes.contains(name)) {
        classes.removeAll(name);
        const QString rest = classes.join(QLatin1Char(' '));
        if (rest.isEmpty())
            element->removeAttribute(key);
        else
            element->setAttribute(key, rest);
    }
    createStartNode();
    checkIgnore();
}

QString DOMNodeEx::nodeAttributeValue(const QString &name) const
{
    const QString value = m_node ? m_node->nodeAttributeValue(name) : QString();
    return value.isNull() ? QString(QLatin1String("")) : value;
}

bool DOMNodeEx::isPreformatted(const DOMNode *node)
{
    if (!node || !node->isElement())
        return false;
    const auto *element = static_cast<const DOMElement *>(node);
    if (!element->isHTMLElement())
        return false;
    // HTML local names are lower case.
    const QString &name = element->localName();
    switch (name.size()) {
    case 3:
        return name == QLatin1String("pre") || name == QLatin1String("xmp");
    case 7:
        return name == QLatin1String("listing");
    case 8:
        return name == QLatin1String("textarea");
    case 9:
        return name == QLatin1String("plaintext");
    default:
        return false;
    }
}

bool DOMNodeEx::hasPreInParent() const
{
    for (const DOMNode *up = m_node ? m_node->parentNode() : nullptr; up; up = up->parentNode()) {
        if (isPreformatted(up))
            return true;
    }
    return false;
}

// --- Ignore marks ----------------------------------------------------------------------

void DOMNodeEx::setIgnoreSettingsProvider(std::function<DOMIgnoreSettings()> provider)
{
    settingsProvider() = std::move(provider);
}

const DOMIgnoreSettings &DOMNodeEx::ignoreSettings()
{
    if (scopedSettings())
        return *scopedSettings();
    static DOMIgnoreSettings latest;
    latest = settingsProvider() ? settingsProvider()() : currentProjectSettings();
    return latest;
}

DOMNodeEx::IgnoreSettingsScope::IgnoreSettingsScope()
    : m_outermost(!scopedSettings())
{
    if (m_outermost)
        scopedSettings() = settingsProvider() ? settingsProvider()() : currentProjectSettings();
}

DOMNodeEx::IgnoreSettingsScope::~IgnoreSettingsScope()
{
    if (m_outermost)
        scopedSettings().reset();
}

void DOMNodeEx::checkIgnore()
{
    const DOMNodeEx *parent = parentNodeEx();
    if (parent && parent->m_ignore) {
        m_ignore = true;
        return;
    }
    if (!m_node) {
        m_ignore = false;
        return;
    }
    if (!m_node->isElement()) {
        m_ignore = false;
        return;
    }
    if (m_isCloseNode) {
        const DOMNodeEx *opening = original();
        m_ignore = opening && opening->m_ignore;
        return;
    }
    const DOMIgnoreSettings &settings = ignoreSettings();
    if (WebCoreObjects::isHeaderTagGroup(lowerName()))
        m_ignore = isHeaderIgnore(settings.headerIgnoreOption) || isBodyIgnore(settings.rules);
    else
        m_ignore = isBodyIgnore(settings.rules);
}

void DOMNodeEx::checkIgnoreRecursive()
{
    IgnoreSettingsScope scope;
    // Without recursion: each row is checked after its parent.
    QList<DOMNodeEx *> pending{this};
    while (!pending.isEmpty()) {
        DOMNodeEx *row = pending.takeLast();
        row->checkIgnore();
        if (row->m_ignore) {
            row->setIgnoreRecursive();
            continue;
        }
        for (const DOMNodeExPtr &child : std::as_const(row->m_children))
            pending.append(child.get());
    }
}

void DOMNodeEx::setIgnoreRecursive()
{
    QList<DOMNodeEx *> pending{this};
    while (!pending.isEmpty()) {
        DOMNodeEx *row = pending.takeLast();
        row->m_ignore = true;
        for (const DOMNodeExPtr &child : std::as_const(row->m_children))
            pending.append(child.get());
    }
}

bool DOMNodeEx::isBodyIgnore(const QList<IgnoreOptionValue> &rules) const
{
    return isIgnoredByRules(m_node.get(), rules);
}

bool DOMNodeEx::isIgnoredByRules(const DOMNode *node, const QList<IgnoreOptionValue> &rules)
{
    if (rules.isEmpty() || !node)
        return false;
    const IgnoreOptionValue merged = matchedIgnoreOption(node, rules);
    for (const AttributeCondition &condition : merged.attributeConditions()) {
        if (condition.attrName() == QLatin1String("ignore") && condition.condition()
            && !condition.condition()->isEmpty() && condition.condition()->constLast() == QLatin1String("true"))
            return true;
    }
    return false;
}

IgnoreOptionValue DOMNodeEx::matchedIgnoreOption(const DOMNode *node, const QList<IgnoreOptionValue> &rules)
{
    QList<IgnoreOptionValue> matched;
    if (node) {
        for (const IgnoreOptionValue &rule : rules) {
            if (node->selectorIsMatched(rule.selector()))
                matched.append(rule);
        }
    }
    return ProjectUtil::computedIgnoreOptionValue(matched);
}

bool DOMNodeEx::isHeaderIgnore(const QStringList &list) const
{
    if (list.isEmpty())
        return false;
    return list.contains(sourceIncludeChildren());
}

bool DOMNodeEx::canChangeIgnore() const
{
    if (!m_node || m_node->nodeName().startsWith(QLatin1Char('#')) || m_isCloseNode)
        return false;
    const DOMNodeEx *parent = parentNodeEx();
    return !(parent && parent->m_ignore);
}

QString DOMNodeEx::debugDump() const
{
    QString out;
    QList<const DOMNodeEx *> pending{this};
    while (!pending.isEmpty()) {
        const DOMNodeEx *row = pending.takeLast();
        out += QString(int(row->m_level - m_level) * 2, QLatin1Char(' ')) + row->m_displayName;
        if (row->m_isCloseNode)
            out += QLatin1String(" [close]");
        if (row->m_ignore)
            out += QLatin1String(" [ignore]");
        if (row->m_isReference)
            out += QLatin1String(" [reference]");
        out += QLatin1Char('\n');
        for (qsizetype i = row->m_children.size() - 1; i >= 0; --i)
            pending.append(row->m_children.at(i).get());
    }
    return out;
}
