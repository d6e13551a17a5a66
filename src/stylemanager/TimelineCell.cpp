#include "TimelineCell.h"

#include "AnimationManager.h"
#include "KeyframeThumb.h"
#include "MultiThumbSlider.h"

#include "platform/kit/OutlineView.h"
#include "workspace/File.h"

#include <QMenu>
#include <QMouseEvent>

TimelineCell::TimelineCell(AnimationManager *manager, QWidget *parent)
    : QWidget(parent)
    , m_manager(manager)
    , m_timelineSlider(new MultiThumbSlider(this))
{
    m_timelineSlider->setDelegate(manager);
    m_timelineSlider->installEventFilter(this);
}

TimelineCell::~TimelineCell() = default;

std::shared_ptr<void> TimelineCell::shownItem(const StyleDeclaration *keyframe, int index) const
{
    for (const MultiThumbSlider::Item &item : m_timelineSlider->items()) {
        const auto *offset = static_cast<const KeyframeOffset *>(item.get());
        if (offset && offset->keyframe.get() == keyframe && offset->index == index)
            return item;
    }
    return nullptr;
}

void TimelineCell::setup()
{
    m_timelineSlider->setCanCrossOver(false);
    initMenu();
    // A thumb for every offset of every keyframe ("0%, 100%" has two).
    QList<KeyframeOffset> offsets;
    if (File *file = m_rule ? m_rule->parentFile() : nullptr) {
        for (const StyleDeclarationPtr &keyframe : file->getMediaChildren(*m_rule)) {
            if (keyframe->type() != RuleType::Keyframe)
                continue;
            const qsizetype count = KeyframeThumb::offsetsOf(keyframe->selector()).size();
            for (int index = 0; index < count; ++index)
                offsets.append({keyframe, index});
        }
    }
    // The same offsets keep their thumbs, which are only laid out again.
    bool same = m_timelineSlider->items().size() == offsets.size();
    for (qsizetype i = 0; same && i < offsets.size(); ++i)
        same = shownItem(offsets.at(i).keyframe.get(), offsets.at(i).index) != nullptr;
    if (same) {
        m_timelineSlider->clearSelection();
        m_timelineSlider->updateLayout();
    } else {
        m_timelineSlider->clearItems();
        for (const KeyframeOffset &offset : std::as_const(offsets))
            m_timelineSlider->addItem(std::make_shared<KeyframeOffset>(offset));
    }
    if (m_manager)
        m_timelineSlider->setSelectedItem(shownItem(m_manager->lastSelection().get(), m_manager->lastSelectedOffset()));
}

void TimelineCell::initMenu()
{
    if (m_menu)
        return;
    m_menu = new QMenu(QStringLiteral("timelineMenu"), this);
    m_menu->setObjectName(QStringLiteral("timelineMenu"));
    m_menu->addAction(QStringLiteral("Add Keyframe At"), this, &TimelineCell::createKeyframeAt);
    connect(m_menu, &QMenu::aboutToShow, this, &TimelineCell::menuWillOpen);
    m_timelineSlider->setMenu(m_menu);
}

void TimelineCell::menuWillOpen()
{
    m_rightClickPoint = m_timelineSlider->menuLocation();
    selectOwnRow();
}

void TimelineCell::createKeyframeAt()
{
    // The place the menu was asked for, in the track.
    const QPointF point = m_timelineSlider->mapFromGlobal(m_rightClickPoint);
    m_timelineSlider->addItemAtRatio(m_timelineSlider->ratioOfPoint(point));
}

void TimelineCell::clearSelection()
{
    m_timelineSlider->clearSelection();
}

void TimelineCell::selectOwnRow()
{
    if (!m_ownerListView || !m_rule)
        return;
    const int row = m_ownerListView->rowForItem(m_rule.get());
    if (row >= 0 && !m_ownerListView->isRowSelected(row))
        m_ownerListView->selectRowIndexes({row}, false);
}

void TimelineCell::mousePressEvent(QMouseEvent *event)
{
    selectOwnRow();
    if (m_ownerListView && m_manager)
        m_manager->didClickTableColumn(m_ownerListView,
                                       m_ownerListView->columnWithIdentifier(QStringLiteral("TimelineColumn")));
    event->accept();
}

bool TimelineCell::eventFilter(QObject *watched, QEvent *event)
{
    // A press on the track acts on this row: it is selected first.
    if (watched == m_timelineSlider
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
        selectOwnRow();
    return QWidget::eventFilter(watched, event);
}

void TimelineCell::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The track runs from 10 in at either end, as the ruler's ticks do.
    m_timelineSlider->setGeometry(2, 0, qMax(0, width() - 4), height());
    m_timelineSlider->updateLayout();
}
