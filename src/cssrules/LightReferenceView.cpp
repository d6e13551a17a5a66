#include "LightReferenceView.h"

#include "CSSRuleRowCell.h"

#include "foundation/StringUtils.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/OutlineDelegate.h"
#include "platform/kit/OutlineView.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "stylesheet/CSSValueKeywords.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QUrl>
#include <QVBoxLayout>

namespace {

// Items are row numbers, one past the index: the null item is the root.
void *itemOf(int index)
{
    return reinterpret_cast<void *>(quintptr(index) + 1);
}

int indexOf(void *item)
{
    return int(reinterpret_cast<quintptr>(item)) - 1;
}

// A path as it may stand in an unquoted url(): blanks, brackets, quotes and
// everything outside ASCII escaped in UTF-8, the folder steps kept.
QString escapedPath(const QString &path)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(path, QByteArrayLiteral("/!$&*+,;=:@~")));
}

QStringList pathComponents(const QString &path)
{
    return path.split(u'/', Qt::SkipEmptyParts);
}

} // namespace

LightReferenceView::LightReferenceView(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("refView"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    // The value field keeps the keyboard: the list is driven by its keys.
    setFocusPolicy(Qt::NoFocus);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    m_refList = new OutlineView(this);
    m_refList->setObjectName(QStringLiteral("refList"));
    m_refList->setFocusPolicy(Qt::NoFocus);
    m_refList->viewport()->setFocusPolicy(Qt::NoFocus);
    m_refList->setHeaderVisible(false);
    m_refList->setRootIsDecorated(false);
    m_refList->setIndentation(0);
    m_refList->setFrameShape(QFrame::NoFrame);
    m_refList->setAllowsMultipleSelection(false);
    m_refList->setRowHeight(kRowHeight);
    m_refList->setFont(CSSRuleRowCell::cellFont());
    m_refList->setAccessibleName(QStringLiteral("Value Candidates"));
    m_refList->setDataSource(this);
    OutlineDelegate delegate;
    delegate.heightOfRowByItem = [](OutlineView *, void *) { return double(kRowHeight); };
    delegate.selectionDidChange = [this](OutlineView *) { selectionDidChange(); };
    delegate.didClickTableColumn = [this](OutlineView *, int) { didClickRow(m_refList->clickedRow()); };
    m_refList->setDelegate(delegate);
    layout->addWidget(m_refList);
    resize(200, kRowHeight * 8 + 2);
    hide();
}

LightReferenceView::~LightReferenceView()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

void LightReferenceView::awakeFromNib()
{
    if (m_awoken)
        return;
    m_awoken = true;
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("valueInputDidEdit"), nullptr,
                                                    [this](const Notification &n) { valueInputDidEdit(n); });
}

QList<File *> LightReferenceView::projectImages() const
{
    QList<File *> images;
    for (const QPointer<File> &image : m_projectImages) {
        if (image)
            images.append(image.data());
    }
    return images;
}

void LightReferenceView::setProjectImages(const QList<File *> &images)
{
    m_projectImages.clear();
    for (File *image : images)
        m_projectImages.append(image);
}

QString LightReferenceView::sentValue(const QString &candidate) const
{
    return m_isImportant ? candidate + QStringLiteral(" !important") : candidate;
}

// --- Filling ----------------------------------------------------------------------------------------

QStringList LightReferenceView::imageCandidates(const QList<File *> &images, File *styleFile)
{
    QStringList candidates;
    if (images.isEmpty() || !styleFile)
        return candidates;
    candidates.reserve(images.size());
    if (styleFile->isLocalFile()) {
        // From the project folder, one "../" per folder the sheet lies below it.
        const qsizetype levels = std::max<qsizetype>(0, pathComponents(styleFile->relativePathFromRoot()).size() - 1);
        const QString up = QStringLiteral("../").repeated(levels);
        for (File *image : images) {
            const QString path = pathComponents(image->relativePathFromRoot()).join(u'/');
            candidates.append(QStringLiteral("url(%1)").arg(escapedPath(up + path)));
        }
        return candidates;
    }
    // A sheet of a web project: its folder on the site, relative to the
    // folder of the site's main page, is its folder in the project.
    const QString project = images.first()->rootProject();
    QString mainURL = ProjectUtil::getProjectConfig(project).value(ProjectUtil::kWebMainURL).toString();
    if (mainURL.endsWith(u'/'))
        mainURL += QStringLiteral("index.html");
    const QString base = StringUtils::stringByDeletingLastPathComponent(mainURL);
    const QString sheetFolder = StringUtils::stringByDeletingLastPathComponent(styleFile->path());
    const QString relative = StringUtils::relativePathForBasePath(sheetFolder, base);
    const QString localFolder = relative.isEmpty() || relative == sheetFolder
        ? project
        : StringUtils::stringByAppendingPathComponent(project, relative);
    for (File *image : images)
        candidates.append(QStringLiteral("url(%1)").arg(escapedPath(StringUtils::relativePathForBasePath(image->path(), localFolder))));
    return candidates;
}

void LightReferenceView::setSource(const CSSRulePtr &rule)
{
    m_inputRule = rule;
    m_isImportant = rule && rule->property() && rule->property()->value().contains(QLatin1String("!important"));
    m_elements.clear();
    const QString name = rule ? rule->propName() : QString();
    if (name == QLatin1String("animation-name")) {
        for (const CSSRulePtr &animation : std::as_const(m_animationRules)) {
            if (animation->rule())
                m_elements.append(animation->rule()->name());
        }
    } else if (name == QLatin1String("background-image") || name == QLatin1String("mask-image")) {
        m_elements = imageCandidates(projectImages(), rule->relatedFile());
    } else if (name == QLatin1String("font-family")) {
        if (m_usedFontFamilies)
            m_elements = m_usedFontFamilies();
        m_elements += CSSValueKeywords::getValueKeywords(name);
    } else if (!name.isEmpty()) {
        m_elements = CSSValueKeywords::getValueKeywords(name);
    }
    reloadList();
    // The current value, when it is a candidate, is selected (and announced).
    const qsizetype current = rule ? m_elements.indexOf(rule->valueName()) : -1;
    if (current >= 0)
        selectAndShow(int(current));
}

void LightReferenceView::valueInputDidEdit(const Notification &notification)
{
    if (!m_inputRule)
        return;
    const QString text = notification.userInfo.value(QStringLiteral("text")).toString().toLower();
    const QStringList keywords = CSSValueKeywords::getValueKeywords(m_inputRule->propName());
    if (text.isEmpty()) {
        m_elements = keywords;
    } else {
        m_elements.clear();
        for (const QString &keyword : keywords) {
            if (keyword.toLower().startsWith(text))
                m_elements.append(keyword);
        }
    }
    reloadList();
}

void LightReferenceView::reloadList()
{
    m_reloading = true;
    m_refList->reloadData();
    m_refList->deselectAll();
    m_reloading = false;
}

// --- Choosing -----------------------------------------------------------------------------------------

int LightReferenceView::selectedRow() const
{
    return m_refList->selectedRow();
}

void LightReferenceView::selectAndShow(int row)
{
    m_refList->selectRowIndexes({row}, false);
    m_refList->scrollRowToVisible(row);
}

void LightReferenceView::selectPreviousRow()
{
    const int row = selectedRow();
    if (row > 0)
        selectAndShow(row - 1);
}

void LightReferenceView::selectNextRow()
{
    const int next = selectedRow() + 1;
    if (next < m_elements.size())
        selectAndShow(next);
}

void LightReferenceView::selectionDidChange()
{
    if (m_reloading)
        return;
    const int row = selectedRow();
    if (row >= 0 && row < m_elements.size())
        postChangeValue(sentValue(m_elements.at(row)));
}

void LightReferenceView::postChangeValue(const QString &value)
{
    if (m_inputRule)
        m_inputRule->setValueName2(value);
    NotificationCenter::defaultCenter().postNotificationName(
        QStringLiteral("cssValueChanged"), this,
        {{QStringLiteral("rule"), QVariant::fromValue(m_inputRule)},
         {QStringLiteral("prop"), m_inputRule ? m_inputRule->propName() : QString()},
         {QStringLiteral("value"), value}});
}

void LightReferenceView::didClickRow(int row)
{
    if (row < 0 || row >= m_elements.size())
        return;
    const QString value = sentValue(m_elements.at(row));
    postChangeValue(value);
    NotificationCenter &center = NotificationCenter::defaultCenter();
    center.postNotificationName(QStringLiteral("cssValueCommit"), this, {{QStringLiteral("value"), value}});
    center.postNotificationName(QStringLiteral("valueInputDidEndEdit"), this);
}

// --- The list ----------------------------------------------------------------------------------------

int LightReferenceView::numberOfChildrenOfItem(OutlineView *, void *item)
{
    return item ? 0 : int(m_elements.size());
}

void *LightReferenceView::childOfItem(OutlineView *, int index, void *item)
{
    return !item && index >= 0 && index < m_elements.size() ? itemOf(index) : nullptr;
}

bool LightReferenceView::isItemExpandable(OutlineView *, void *)
{
    return false;
}

QVariant LightReferenceView::objectValueForTableColumn(OutlineView *, int, void *item, int role)
{
    const int index = indexOf(item);
    if (index < 0 || index >= m_elements.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole || role == Qt::ToolTipRole)
        return m_elements.at(index);
    return {};
}
