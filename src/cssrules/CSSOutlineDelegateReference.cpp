// CSSOutlineDelegate: the value list under the value being typed. Up and
// Down in the value field open it and move through it; the field keeps the
// keyboard, and shows the value the list previews.

#include "CSSOutlineDelegate.h"

#include "CSSRuleRowCell.h"
#include "LightReferenceView.h"

#include "platform/foundation/NotificationCenter.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"

#include <QApplication>
#include <QCursor>
#include <QLineEdit>

namespace {

QLineEdit *textFieldOf(const Notification &notification)
{
    return qobject_cast<QLineEdit *>(notification.userInfo.value(QStringLiteral("textField")).value<QObject *>());
}

} // namespace

void CSSOutlineDelegate::observeValueEditing()
{
    refView();
    observe("valueInputHasFocus", [this](const Notification &n) { valueInputHasFocus(n); });
    observe("valueInputKeyUp", [this](const Notification &n) { valueInputKeyUp(n); });
    observe("valueInputKeyDown", [this](const Notification &n) { valueInputKeyDown(n); });
    observe("valueInputDidEndEdit", [this](const Notification &n) { valueInputDidEndEdit(n); });
    observe("closeRefviewByStepChange", [this](const Notification &n) { closeRefviewByStepChange(n); });
    observe("windowMouseDown", [this](const Notification &n) { windowMouseDown(n); });
    observe("cssValueEnterd", [this](const Notification &n) { cssValueEnterd(n); });
    observe("StyleEditEnd", [this](const Notification &n) { styleEditEnd(n); });
    observe("StyleEditChange", [this](const Notification &n) { styleEditChanged(n); });
    observe("elementResized", [this](const Notification &n) { elementResized(n); });
    // A value the list previews stands in the field too, so that Return
    // commits what the page shows.
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("cssValueChanged"), m_refView.data(),
                                                    [this](const Notification &n) {
                                                        if (m_valueField)
                                                            m_valueField->setText(n.userInfo.value(QStringLiteral("value")).toString());
                                                    });
    connect(m_outlineView, &TableViewBase::rowDoubleClicked, this, [this] { doubleClick(); });
}

LightReferenceView *CSSOutlineDelegate::refView()
{
    if (!m_refView) {
        m_refView = new LightReferenceView(m_view);
        m_refView->awakeFromNib();
    }
    return m_refView;
}

void CSSOutlineDelegate::setUsedFontFamilies(std::function<QStringList()> families)
{
    refView()->setUsedFontFamilies(std::move(families));
}

QList<File *> CSSOutlineDelegate::projectImages() const
{
    QList<File *> images;
    for (const QPointer<File> &image : m_projectImages) {
        if (image)
            images.append(image.data());
    }
    return images;
}

void CSSOutlineDelegate::valueInputHasFocus(const Notification &notification)
{
    m_valueInputFocused = true;
    m_valueField = textFieldOf(notification);
    doCloseStyleEditor();
}

void CSSOutlineDelegate::valueInputKeyUp(const Notification &notification)
{
    valueInputArrow(textFieldOf(notification), &LightReferenceView::selectPreviousRow);
}

void CSSOutlineDelegate::valueInputKeyDown(const Notification &notification)
{
    valueInputArrow(textFieldOf(notification), &LightReferenceView::selectNextRow);
}

void CSSOutlineDelegate::valueInputArrow(QLineEdit *field, void (LightReferenceView::*move)())
{
    if (field)
        m_valueField = field;
    // The first arrow opens the list, the next ones move through it.
    if (m_referenceListShown)
        (refView()->*move)();
    else
        showCSSRef();
}

void CSSOutlineDelegate::valueInputDidEndEdit(const Notification &)
{
    m_valueInputFocused = false;
    hideReferenceList();
}

void CSSOutlineDelegate::closeRefviewByStepChange(const Notification &)
{
    hideReferenceList();
}

void CSSOutlineDelegate::hideReferenceList()
{
    if (m_refView)
        m_refView->hide();
    m_referenceListShown = false;
}

void CSSOutlineDelegate::windowMouseDown(const Notification &)
{
    // A click elsewhere in the window ends the typing of a value; one into
    // the field or the list is theirs.
    if (!m_valueField || !m_valueField->hasFocus())
        return;
    const QList<int> selected = m_outlineView->selectedRowIndexes();
    if (selected.isEmpty() || selected.first() == 0)
        return;
    QWidget *under = QApplication::widgetAt(QCursor::pos());
    if (under && (under == m_valueField || m_valueField->isAncestorOf(under) || (m_refView && (under == m_refView || m_refView->isAncestorOf(under)))))
        return;
    m_valueField->clearFocus();
}

QRect CSSOutlineDelegate::referenceListFrame(const QRect &valueField, int listHeight, int hostHeight)
{
    constexpr int kMinimumWidth = 200;
    QRect frame(valueField.left(), valueField.bottom() + 1, valueField.width(), listHeight);
    if (frame.width() < kMinimumWidth) {
        frame.moveLeft(frame.left() - (kMinimumWidth - frame.width()));
        frame.setWidth(kMinimumWidth);
    }
    if (frame.left() < 0)
        frame.moveLeft(0);
    // Near the bottom of its host the list opens above the row.
    if (frame.bottom() >= hostHeight)
        frame.moveBottom(valueField.top() - 1);
    return frame;
}

void CSSOutlineDelegate::showCSSRef()
{
    if (m_referenceListShown)
        return;
    LightReferenceView *list = refView();
    QWidget *host = m_inspectorContentView ? m_inspectorContentView.data() : m_outlineView->window();
    if (list->parentWidget() != host)
        list->setParent(host);
    const CSSRulePtr row = getSelectedCSSRule();
    const int index = row ? m_outlineView->rowForItem(row.get()) : -1;
    if (!row || index < 0)
        return;
    list->setAnimationRules(getAnimations());
    list->setProjectImages(projectImages());
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("cssValueBecomeEdited"), this,
                                                             {{QStringLiteral("rule"), QVariant::fromValue(row)}});
    // Under the value field of the row, its width measured like the cell's.
    const QRect cell = m_outlineView->frameOfCellAtColumn(0, index);
    const int valueX = cell.left() + CSSRuleRowCell::valueOffset(*row) - 2;
    const QRect field(m_outlineView->viewport()->mapTo(m_outlineView->window(), QPoint(valueX, cell.top())),
                      QSize(std::max(0, cell.right() - valueX + 1), cell.height()));
    const QPoint inHost = host->mapFromGlobal(m_outlineView->window()->mapToGlobal(field.topLeft()));
    list->setGeometry(referenceListFrame(QRect(inHost, field.size()), list->height(), host->height()));
    list->setSource(row);
    list->show();
    list->raise();
    m_referenceListShown = true;
}
