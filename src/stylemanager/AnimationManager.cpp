// AnimationManager: the list of animations, its selection and menu, and the
// playhead.

#include "AnimationManager.h"

#include "FlippedClipView.h"
#include "KeyframeThumb.h"
#include "MultiThumbSlider.h"
#include "TimelineCell.h"
#include "TimelineHeaderCell.h"
#include "TimelineLeftCell.h"
#include "TimelineListView.h"
#include "TimelineRowView.h"

#include "cssrules/CSSOutlineDelegate.h"
#include "foundation/InspectUndoManager.h"
#include "platform/foundation/DelayedPerform.h"
#include "stylesheet/StringKeyframes.h"
#include "workspace/File.h"

#include <QFrame>
#include <QHash>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QResizeEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The playhead's line, in one colour on light and dark desktops alike.
class Capo : public QFrame
{
public:
    using QFrame::QFrame;

protected:
    void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), QColor(0xe0, 0x3c, 0x31)); }
};

} // namespace

AnimationManager::AnimationManager(QObject *parent)
    : QObject(parent)
{
}

AnimationManager::~AnimationManager()
{
    DelayedPerform::cancelAll(this);
    // The list asks the manager nothing more, whether it goes now or with
    // the pane that took it.
    if (TimelineListView *list = m_animationListView) {
        list->viewport()->removeEventFilter(this);
        disconnect(list->header(), nullptr, this, nullptr);
        for (int row = 0; row < list->numberOfRows(); ++row) {
            if (TimelineCell *cell = cellOfRow(row))
                cell->timelineSlider()->setDelegate(nullptr);
        }
        list->setDelegate({});
        list->deleteKeyframe = {};
        list->setDataSource(nullptr);
    }
    if (m_view && !m_view->parent())
        delete m_view;
}

InspectUndoManager *AnimationManager::undoManager() const
{
    return File::sharedUndoManager();
}

void AnimationManager::awakeFromNib()
{
    if (m_view)
        return;
    buildView();
    // Undo and redo of a keyframe edit change the tracks too.
    if (InspectUndoManager *undo = undoManager()) {
        connect(undo, &InspectUndoManager::didUndoChange, this, &AnimationManager::refresh);
        connect(undo, &InspectUndoManager::didRedoChange, this, &AnimationManager::refresh);
    }
}

void AnimationManager::buildView()
{
    m_view = new FlippedClipView;
    m_view->setObjectName(QStringLiteral("keyframeTimeline"));
    auto *layout = new QVBoxLayout(m_view);
    layout->setContentsMargins(0, 0, 0, 0);
    m_animationListView = new TimelineListView(m_view);
    m_animationListView->setObjectName(QStringLiteral("animationListView"));
    layout->addWidget(m_animationListView);
    m_animationListView->setTableColumns({
        TableColumn{QStringLiteral("AnimationNameColumn"), QStringLiteral("Name"), 90, 40},
        TableColumn{QStringLiteral("TimelineColumn"), QStringLiteral("Timeline"), 200, 60},
    });
    // The track takes the width the names leave.
    m_animationListView->header()->setStretchLastSection(false);
    m_animationListView->header()->setSectionResizeMode(0, QHeaderView::Interactive);
    m_animationListView->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_animationListView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_animationListView->setRowHeight(22);
    // Opened, the pane has room for the ruler and three tracks.
    m_animationListView->setPreferredRowCount(3);
    auto *nameCell = new TimelineLeftCell;
    nameCell->setOwnerListView(m_animationListView);
    m_animationListView->registerCell(QStringLiteral("AnimationNameCell"), nameCell);
    m_animationListView->setDataSource(this);

    OutlineDelegate delegate;
    delegate.cellIdentifierForTableColumn = [](OutlineView *, int column, void *) {
        return column == 0 ? QStringLiteral("AnimationNameCell") : QString();
    };
    delegate.rowViewForItem = [](OutlineView *, void *) -> RowView * { return new TimelineRowView; };
    delegate.selectionDidChange = [this](OutlineView *) { outlineViewSelectionDidChange(); };
    delegate.didClickTableColumn = [this](OutlineView *list, int column) { didClickTableColumn(list, column); };
    m_animationListView->setDelegate(delegate);
    m_animationListView->deleteKeyframe = [this] {
        const int row = m_animationListView->selectedRow();
        if (TimelineCell *cell = cellOfRow(row))
            cell->timelineSlider()->delete_();
    };
    connect(m_animationListView->header(), &QHeaderView::sectionResized, this, [this] { outlineViewColumnDidResize(); });

    // The playhead: a line across the list at the selected keyframe.
    m_capo = new Capo(m_animationListView->viewport());
    m_capo->setObjectName(QStringLiteral("capo"));
    m_capo->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_capo->setGeometry(0, 0, 1, 0);
    m_capo->hide();
    m_animationListView->viewport()->installEventFilter(this);

    m_animationMenu = new QMenu(QStringLiteral("animationMenu"), m_view);
    m_animationMenu->setObjectName(QStringLiteral("animationMenu"));
    m_animationMenu->addAction(QStringLiteral("Play Animation"), this, &AnimationManager::playAnimation);
    m_animationListView->setMenu(m_animationMenu);
}

// --- Rows ---------------------------------------------------------------------------------------------

QString AnimationManager::nameOfRule(const StyleDeclaration &rule)
{
    return StringKeyframes::animationName(rule.selector()).value_or(QStringLiteral("no name"));
}

QList<StyleDeclarationPtr> AnimationManager::animations() const
{
    if (!m_cssOutlineDelegate)
        return {};
    QList<StyleDeclarationPtr> candidates;
    for (const StyleDeclarationPtr &declaration : m_cssOutlineDelegate->getParsedStyleDeclarationsByElement(nullptr)) {
        if (declaration->isRemoved() || declaration->type() != RuleType::Keyframes || declaration->isInBraket())
            continue;
        const QString &selector = declaration->selector();
        if (selector.contains(QLatin1String("-webkit")) || selector.startsWith(QLatin1String("@keyframes")))
            candidates.append(declaration);
    }
    // One row per name in a sheet: the prefixed rule where there is one.
    QHash<std::pair<const File *, QString>, StyleDeclarationPtr> chosen;
    for (const StyleDeclarationPtr &declaration : std::as_const(candidates)) {
        const std::optional<QString> name = StringKeyframes::animationName(declaration->selector());
        if (!name)
            continue;
        const auto key = std::make_pair<const File *, QString>(declaration->parentFile(), QString(*name));
        const auto found = chosen.constFind(key);
        if (found == chosen.cend() || (!found.value()->selector().contains(QLatin1String("-webkit"))
                                       && declaration->selector().contains(QLatin1String("-webkit"))))
            chosen.insert(key, declaration);
    }
    QList<StyleDeclarationPtr> rows;
    for (const StyleDeclarationPtr &declaration : std::as_const(candidates)) {
        const std::optional<QString> name = StringKeyframes::animationName(declaration->selector());
        if (!name || chosen.value({declaration->parentFile(), *name}) == declaration)
            rows.append(declaration);
    }
    return rows;
}

int AnimationManager::numberOfChildrenOfItem(OutlineView *, void *item)
{
    return item ? 0 : int(m_animations.size());
}

void *AnimationManager::childOfItem(OutlineView *, int index, void *item)
{
    if (item || index < 0 || index >= m_animations.size())
        return nullptr;
    return m_animations.at(index).get();
}

bool AnimationManager::isItemExpandable(OutlineView *, void *)
{
    return false;
}

QVariant AnimationManager::objectValueForTableColumn(OutlineView *, int column, void *item, int role)
{
    if (!item || column != 0 || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const auto *rule = static_cast<const StyleDeclaration *>(item);
    return role == Qt::ToolTipRole ? rule->selector() : nameOfRule(*rule);
}

StyleDeclarationPtr AnimationManager::selectedRule() const
{
    const int row = m_animationListView ? m_animationListView->selectedRow() : -1;
    void *item = row >= 0 ? m_animationListView->itemAtRow(row) : nullptr;
    for (const StyleDeclarationPtr &rule : m_animations) {
        if (rule.get() == item)
            return rule;
    }
    return nullptr;
}

TimelineCell *AnimationManager::cellOfRow(int row) const
{
    if (!m_animationListView || row < 0)
        return nullptr;
    const int column = m_animationListView->columnWithIdentifier(QStringLiteral("TimelineColumn"));
    return qobject_cast<TimelineCell *>(m_animationListView->indexWidget(m_animationListView->indexForRow(row, column)));
}

// --- Reloading --------------------------------------------------------------------------------------------

void AnimationManager::reset()
{
    m_currentSelection = nullptr;
    drawCapo();
    reloadList();
}

void AnimationManager::refresh()
{
    // A keyframe taken out of its sheet is no longer marked.
    if (m_lastSelection && m_lastSelection->isRemoved())
        m_lastSelection = nullptr;
    m_currentSelection = m_lastSelection;
    drawCapo();
    reloadList();
    selectRowOf(m_lastSelectedKeyframes);
    if (m_ignoreSelectionChange && m_cssOutlineDelegate) {
        // The project controller reloaded the page in place: the rules
        // panel shows the timeline's selection again.
        m_ignoreSelectionChange = false;
        if (const StyleDeclarationPtr rule = selectedRule())
            m_cssOutlineDelegate->updateRulesByKeyframes(rule, m_lastSelection);
    }
}

void AnimationManager::resetDomSelection()
{
    m_lastSelectedKeyframes = nullptr;
    m_lastSelection = nullptr;
    m_lastSelectedOffset = 0;
}

void AnimationManager::reloadList()
{
    if (!m_animationListView)
        return;
    m_reloading = true;
    // The old rows stay alive until the list has let go of them.
    const QList<StyleDeclarationPtr> previous = std::exchange(m_animations, animations());
    m_animationListView->reloadData();
    m_reloading = false;
    if (!m_tracksPending) {
        m_tracksPending = true;
        QTimer::singleShot(0, this, &AnimationManager::setUpTracks);
    }
}

void AnimationManager::setUpTracks()
{
    m_tracksPending = false;
    if (!m_animationListView)
        return;
    const int column = m_animationListView->columnWithIdentifier(QStringLiteral("TimelineColumn"));
    for (int row = 0; row < m_animationListView->numberOfRows(); ++row) {
        void *item = m_animationListView->itemAtRow(row);
        StyleDeclarationPtr rule;
        for (const StyleDeclarationPtr &each : std::as_const(m_animations)) {
            if (each.get() == item)
                rule = each;
        }
        if (!rule)
            continue;
        TimelineCell *cell = viewForTableColumn(column, rule, cellOfRow(row));
        if (cell && !cellOfRow(row))
            m_animationListView->setIndexWidget(m_animationListView->indexForRow(row, column), cell);
        // Only the selected row's track marks a keyframe.
        if (cell && !m_animationListView->isRowSelected(row))
            cell->clearSelection();
    }
    drawCapo();
    Q_EMIT tracksSetUp();
}

TimelineCell *AnimationManager::viewForTableColumn(int column, const StyleDeclarationPtr &rule, TimelineCell *shown)
{
    // The name column is drawn by its cell ("AnimationNameCell"); the
    // timeline column has a track.
    if (column != m_animationListView->columnWithIdentifier(QStringLiteral("TimelineColumn")))
        return nullptr;
    TimelineCell *cell = shown ? shown : new TimelineCell(this);
    cell->setObjectValue(rule);
    cell->setOwnerListView(m_animationListView);
    cell->setup();
    return cell;
}

void AnimationManager::selectRowOf(const StyleDeclarationPtr &rule)
{
    if (!rule || !m_animationListView)
        return;
    int row = m_animationListView->rowForItem(rule.get());
    if (row < 0) {
        // The sheet was read again: the rule of the same text in the same file.
        for (const StyleDeclarationPtr &each : std::as_const(m_animations)) {
            if (each->parentFile() == rule->parentFile() && each->selector() == rule->selector()) {
                m_lastSelectedKeyframes = each;
                row = m_animationListView->rowForItem(each.get());
                break;
            }
        }
    }
    if (row < 0 || m_animationListView->isRowSelected(row))
        return;
    m_reloading = true;
    m_animationListView->selectRowIndexes({row}, false);
    m_reloading = false;
}

// --- Selection and clicks -----------------------------------------------------------------------------------

void AnimationManager::outlineViewSelectionDidChange()
{
    if (m_reloading)
        return;
    const StyleDeclarationPtr rule = selectedRule();
    m_lastSelectedKeyframes = rule;
    if (m_ignoreSelectionChange) {
        m_ignoreSelectionChange = false;
        return;
    }
    m_currentSelection = nullptr;
    // Only the selected row's track marks a keyframe.
    for (int row = 0; row < m_animationListView->numberOfRows(); ++row) {
        if (!m_animationListView->isRowSelected(row))
            if (TimelineCell *cell = cellOfRow(row))
                cell->clearSelection();
    }
    if (!m_cssOutlineDelegate)
        return;
    if (rule) {
        m_cssOutlineDelegate->updateRulesByKeyframes(rule, nullptr);
        if (const std::optional<QString> name = StringKeyframes::animationName(rule->selector()))
            m_cssOutlineDelegate->highlightRelationWithAnimationName(*name);
        drawCapo();
    } else {
        m_cssOutlineDelegate->highlightRelationWithAnimationName(QString());
    }
}

void AnimationManager::didClickTableColumn(OutlineView *, int)
{
    m_currentSelection = nullptr;
    const int row = m_animationListView->selectedRow();
    if (row < 0) {
        drawCapo();
        return;
    }
    if (TimelineCell *cell = cellOfRow(row))
        cell->clearSelection();
    if (m_cssOutlineDelegate)
        m_cssOutlineDelegate->updateRulesByKeyframes(selectedRule(), nullptr);
    drawCapo();
}

bool AnimationManager::eventFilter(QObject *watched, QEvent *event)
{
    // The playhead runs the list's full height. (The list is not asked
    // before the event is known: it may be going.)
    if (event->type() == QEvent::Resize && m_capo && watched == m_capo->parent())
        drawCapo();
    return QObject::eventFilter(watched, event);
}

void AnimationManager::outlineViewColumnDidResize()
{
    drawCapo();
}

void AnimationManager::playAnimation()
{
    const int row = m_animationListView->clickedRow();
    void *item = row >= 0 ? m_animationListView->itemAtRow(row) : nullptr;
    if (!item || !m_cssOutlineDelegate)
        return;
    const auto *rule = static_cast<const StyleDeclaration *>(item);
    if (const std::optional<QString> name = StringKeyframes::animationName(rule->selector()))
        m_cssOutlineDelegate->replayAnimation(*name);
}

void AnimationManager::displayListLater()
{
    DelayedPerform::cancel(this, "displayListLater", {});
    DelayedPerform::perform(this, "displayListLater", {}, 0.1, [this] {
        if (m_animationListView)
            m_animationListView->viewport()->update();
    });
}

// --- The playhead -----------------------------------------------------------------------------------------

void AnimationManager::drawCapo()
{
    if (!m_capo)
        return;
    if (!m_currentSelection || !m_lastSelection) {
        m_capo->hide();
        return;
    }
    // The number the chosen offset starts with; "from" and "to" have none.
    const std::optional<double> percentage =
        KeyframeThumb::leadingNumber(KeyframeThumb::offsetOf(m_lastSelection->selector(), m_lastSelectedOffset));
    if (!percentage) {
        m_capo->hide();
        return;
    }
    QHeaderView *header = m_animationListView->header();
    const int column = m_animationListView->columnWithIdentifier(QStringLiteral("TimelineColumn"));
    const double x = header->sectionViewportPosition(column);
    const double w = header->sectionSize(column);
    const int start = int(x + 10);
    const int span = int(w - 20);
    const int position = int(span * (*percentage / 100) + start);
    m_capo->setGeometry(position - 1, 0, qMax(1, m_capo->width()), m_animationListView->viewport()->height());
    m_capo->show();
    m_capo->raise();
    m_animationListView->viewport()->update();
}
