#include "ReferenceView.h"

#include "CodeAssistContext.h"
#include "CodeView.h"
#include "ReferenceItemCell.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/OutlineView.h"
#include "stylesheet/CSSValueKeywords.h"
#include "stylesheet/WebCoreObjects.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

int &codeType()
{
    return CodeAssistContext::shared().codeType;
}

QString trimmedOfBlanks(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == u' ')
        ++start;
    while (end > start && text.at(end - 1) == u' ')
        --end;
    return text.mid(start, end - start);
}

QString trimmedOfBlanksAndTabs(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && (text.at(start) == u' ' || text.at(start) == u'\t'))
        ++start;
    while (end > start && (text.at(end - 1) == u' ' || text.at(end - 1) == u'\t'))
        --end;
    return text.mid(start, end - start);
}

QIcon swatch(const QColor &color)
{
    QPixmap pixmap(72, 22);
    pixmap.fill(color.isValid() ? color : QColor(Qt::black));
    QPainter painter(&pixmap);
    painter.setPen(QColor(0, 0, 0, 90));
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

} // namespace

ReferenceView::ReferenceView(QWidget *parent)
    : QWidget(parent)
    , m_referenceOutlineView(new OutlineView(this))
    , m_tabview(new QStackedWidget(this))
    , m_colorWell(new QToolButton(this))
{
    setObjectName(QStringLiteral("referenceView"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tabview);

    auto *empty = new QLabel(QStringLiteral("No Completions"), m_tabview);
    empty->setAlignment(Qt::AlignCenter);
    empty->setEnabled(false);
    m_tabview->addWidget(empty);

    m_referenceOutlineView->setObjectName(QStringLiteral("referenceOutlineView"));
    m_referenceOutlineView->setHeaderVisible(false);
    m_referenceOutlineView->setFrameShape(QFrame::NoFrame);
    m_referenceOutlineView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_referenceOutlineView->setFocusPolicy(Qt::NoFocus);
    m_referenceOutlineView->setFont(CodeView::menloFont(11.0));
    m_referenceOutlineView->setIndentationPerLevel(0);
    m_referenceOutlineView->setRowHeight(ReferenceItemCell::kRowHeight);
    m_cell = new ReferenceItemCell(
        [](const QModelIndex &index) -> const MarkUpElement * {
            return static_cast<const MarkUpElement *>(OutlineView::itemForIndex(index));
        },
        m_referenceOutlineView);
    m_cell->setJumpAction([this](const JumpButton &button) { jumpButtonClicked(button); });
    m_referenceOutlineView->registerCell(QStringLiteral("ItemCell"), m_cell);
    OutlineDelegate delegate;
    delegate.cellIdentifierForTableColumn = [](OutlineView *, int, void *) { return QStringLiteral("ItemCell"); };
    delegate.heightOfRowByItem = [](OutlineView *, void *) { return double(ReferenceItemCell::kRowHeight); };
    delegate.selectionDidChange = [this](OutlineView *) { outlineViewSelectionDidChange(); };
    m_referenceOutlineView->setDelegate(std::move(delegate));
    m_referenceOutlineView->setDataSource(this);
    connect(m_referenceOutlineView, &OutlineView::rowDoubleClicked, this, &ReferenceView::doubleClick);
    m_tabview->addWidget(m_referenceOutlineView);

    m_colorWell->setObjectName(QStringLiteral("colorWell"));
    m_colorWell->setCheckable(true);
    m_colorWell->setFocusPolicy(Qt::NoFocus);
    m_colorWell->setIconSize(QSize(72, 22));
    m_colorWell->setToolTip(QStringLiteral("Colour"));
    connect(m_colorWell, &QToolButton::clicked, this, [this](bool checked) {
        if (checked)
            Q_EMIT colorWellActivated(m_colorWellColor);
        else
            Q_EMIT colorWellDeactivated();
    });
    auto *wellPage = new QWidget(m_tabview);
    auto *wellLayout = new QVBoxLayout(wellPage);
    wellLayout->setContentsMargins(6, 6, 6, 6);
    wellLayout->addWidget(m_colorWell, 0, Qt::AlignCenter);
    m_tabview->addWidget(wellPage);
    setColorWellColor(Qt::black);

    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("cssValueBecomeEdited"), nullptr,
                                                    [this](const Notification &n) { cssValueBecomeEdited(n); });
}

ReferenceView::~ReferenceView()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    m_referenceOutlineView->setDataSource(nullptr);
}

CodeView *ReferenceView::tv() const
{
    return m_tv;
}

void ReferenceView::setTv(CodeView *view)
{
    m_tv = view;
}

void ReferenceView::setColorWellColor(const QColor &color)
{
    m_colorWellColor = color;
    m_colorWell->setIcon(swatch(color));
}

void ReferenceView::activateColorWell(bool active)
{
    if (m_colorWell->isChecked() == active)
        return;
    m_colorWell->setChecked(active);
    if (active)
        Q_EMIT colorWellActivated(m_colorWellColor);
    else
        Q_EMIT colorWellDeactivated();
}

void ReferenceView::changeColor(const QColor &color)
{
    if (m_tv)
        m_tv->changeColor(color);
}

// --- The lists -------------------------------------------------------------------------

void ReferenceView::initListSetting()
{
    m_attributeName.clear();
    m_assistType = 0;
    m_valueMode = false;
    m_valueRule.reset();
}

void ReferenceView::setHtmlNodeList(const QString &fragment)
{
    initListSetting();
    m_assistType = 1;
    codeType() = CodeAssistContext::TagNames;
    m_original = WebCoreObjects::getTagNames();
    setSource(fragment);
}

void ReferenceView::setHtmlNodeAttrubuteList(const QString &tag, const QString &attribute, const QString &fragment,
                                             const QString &tagText)
{
    initListSetting();
    m_assistType = 1;
    if (tag.isEmpty())
        return;
    if (attribute.isEmpty()) {
        codeType() = CodeAssistContext::AttributeNames;
        m_original = WebCoreObjects::getAttrNames();
        reloadOutline();
        setSource(fragment);
        return;
    }
    m_attributeName = trimmedOfBlanks(attribute);
    codeType() = CodeAssistContext::AttributeValues;
    if (m_attributeName == QLatin1String("style")) {
        setCSSDeclarationList(fragment);
        return;
    }
    if (m_attributeName == QLatin1String("class")) {
        m_originalFiles.clear();
        m_original = loadedStyleRules();
    } else if (m_attributeName == QLatin1String("src")) {
        m_original = getImages();
    } else {
        m_original = WebCoreObjects::getAttrNames();
    }
    setSource(fragment);
    if (tag == QLatin1String("script") && m_attributeName == QLatin1String("src")) {
        m_original = getJSFiles();
        setSource(fragment);
    } else if (tag == QLatin1String("link") && m_attributeName == QLatin1String("href")) {
        if (tagText.contains(QLatin1String("rel=\"stylesheet\"")))
            m_original = getStyleSheets();
        setSource(fragment);
    }
}

void ReferenceView::setCSSDeclarationList(const QString &fragment)
{
    initListSetting();
    m_assistType = 1;

    const QString trimmed = trimmedOfBlanksAndTabs(fragment);
    qsizetype colon = -1;
    for (qsizetype i = trimmed.size() - 1; i >= 0; --i) {
        if (trimmed.at(i) == u':') {
            colon = i;
            break;
        }
        if (trimmed.at(i) == u'#')
            m_assistType = 2;
    }
    if (colon < 0) {
        m_typedCSSValue.clear();
        codeType() = CodeAssistContext::PropertyNames;
        m_original = WebCoreObjects::getStyleNames();
        setSource(trimmed);
        return;
    }
    const QString property = trimmed.left(colon);
    m_typedCSSValue = trimmedOfBlanksAndTabs(trimmed.mid(colon + 1));
    codeType() = CodeAssistContext::PropertyValues;
    const QString name = trimmedOfBlanksAndTabs(property);
    if (name == QLatin1String("font-family")) {
        m_original = m_usedFontFamilies ? m_usedFontFamilies() : QStringList();
        m_original += CSSValueKeywords::getValueKeywords(name);
    } else {
        m_original = CSSValueKeywords::getValueKeywords(name);
    }
    setSource(m_typedCSSValue);
}

void ReferenceView::setJSElementList(const QString &fragment)
{
    initListSetting();
    codeType() = CodeAssistContext::ScriptItems;
    m_assistType = 2;
    m_original = {QStringLiteral("js1"), QStringLiteral("js2"), QStringLiteral("js3")};
    setSource(fragment);
}

void ReferenceView::setSource(const QString &fragment)
{
    if (m_original.isEmpty()) {
        m_assistType = 0;
        QM_DEBUG(QStringLiteral("No Completions"));
    }
    if (m_assistType == 1) {
        reloadOutline();
        const int row = getIndexBySuggestion(m_original, fragment);
        const QScopedValueRollback<bool> quiet(m_selectingFromSource, true);
        if (row >= 0) {
            m_referenceOutlineView->selectRowIndexes({row}, false);
            m_referenceOutlineView->scrollRowToVisible(row);
        } else {
            m_referenceOutlineView->deselectAll();
        }
    }
    m_tabview->setCurrentIndex(std::clamp(m_assistType, 0, 2));
}

int ReferenceView::getIndexBySuggestion(const QStringList &entries, const QString &fragment)
{
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i).startsWith(fragment))
            return i;
    }
    return -1;
}

const MarkUpElement *ReferenceView::selectedElement() const
{
    const int row = m_referenceOutlineView->selectedRow();
    return row >= 0 && row < m_elements.size() ? m_elements.at(row).get() : nullptr;
}

void ReferenceView::reloadOutline()
{
    // The rows are made again from the entries here, and only here: the
    // outline keeps the rows it was given until it is reloaded.
    buildElements();
    m_referenceOutlineView->reloadData();
}

// --- Rows ----------------------------------------------------------------------------

void ReferenceView::buildElements()
{
    const int type = codeType();
    const bool classes = m_attributeName == QLatin1String("class") && !m_originalFiles.isEmpty();
    m_elements.clear();
    m_elements.reserve(m_original.size());
    for (qsizetype i = 0; i < m_original.size(); ++i) {
        const QString &entry = m_original.at(i);
        auto element = std::make_shared<MarkUpElement>();
        element->setDisplayName(entry);
        if (type == CodeAssistContext::AttributeNames)
            element->setCode(entry + QStringLiteral("=\"\""));
        else if (type == CodeAssistContext::PropertyNames)
            element->setCode(entry + u':');
        else
            element->setCode(entry);
        if (type == CodeAssistContext::PropertyValues)
            element->setSuggestion2(m_typedCSSValue);
        element->setCodeType(type);
        if (classes && i < m_originalFiles.size() && m_originalFiles.at(i)) {
            element->setFileName(m_originalFiles.at(i)->displayName());
            element->setFile(m_originalFiles.at(i));
        }
        m_elements << element;
    }
}

int ReferenceView::numberOfChildrenOfItem(OutlineView *, void *item)
{
    return item ? 0 : int(m_elements.size());
}

void *ReferenceView::childOfItem(OutlineView *, int index, void *item)
{
    if (item || index < 0 || index >= m_elements.size())
        return nullptr;
    return m_elements.at(index).get();
}

bool ReferenceView::isItemExpandable(OutlineView *, void *)
{
    return false;
}

QVariant ReferenceView::objectValueForTableColumn(OutlineView *, int, void *item, int role)
{
    if (!item || role != Qt::DisplayRole)
        return {};
    return static_cast<MarkUpElement *>(item)->displayName();
}

// --- Selection, keys and the value mode --------------------------------------------------------

void ReferenceView::outlineViewSelectionDidChange()
{
    if (m_selectingFromSource)
        return;
    NotificationCenter &center = NotificationCenter::defaultCenter();
    if (m_valueMode && m_valueRule) {
        const MarkUpElement *element = selectedElement();
        if (!element)
            return;
        m_valueRule->setValueName2(element->code());
        center.postNotificationName(QStringLiteral("cssValueChanged"), this,
                                    {{QStringLiteral("css"), QVariant::fromValue(m_valueRule)},
                                     {QStringLiteral("prop"), m_valueRule->propName()},
                                     {QStringLiteral("value"), element->code()}});
        return;
    }
    center.postNotificationName(QStringLiteral("outlineClicked"), this);
}

void ReferenceView::doubleClick()
{
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("forceClose"), this);
}

void ReferenceView::keyPressEvent(QKeyEvent *event)
{
    keyDown(event);
}

void ReferenceView::keyDown(QKeyEvent *event)
{
    if (!m_valueMode) {
        event->ignore();
        return;
    }
    m_valueMode = false;
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("cssValueEnterd"), this);
}

void ReferenceView::cssValueBecomeEdited(const Notification &notification)
{
    const CSSRulePtr rule = notification.userInfo.value(QStringLiteral("rule")).value<CSSRulePtr>();
    if (!rule)
        return;
    m_valueMode = true;
    m_valueRule = rule;
    m_attributeName.clear();
    m_assistType = 1;
    codeType() = CodeAssistContext::PropertyValues;
    m_original = CSSValueKeywords::getValueKeywords(rule->propName());
    setSource(rule->valueName());
}
