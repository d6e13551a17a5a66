#include "CandidateTextField.h"

#include "RBLPopover.h"

#include "foundation/ArrayUtils.h"

#include "platform/kit/OutlineView.h"
#include "platform/kit/TextField.h"
#include "platform/kit/ViewController.h"

#include <QObject>
#include <QVBoxLayout>

namespace {

// The drop-down: a flat list that never takes the keyboard focus.
class DropDownController : public ViewController
{
public:
    QPointer<OutlineView> table;

protected:
    void loadView() override
    {
        auto *view = new QWidget;
        view->resize(200, 150);
        auto *layout = new QVBoxLayout(view);
        layout->setContentsMargins(0, 0, 0, 0);
        table = new OutlineView(view);
        table->setRootIsDecorated(false);
        table->setIndentation(0);
        table->setFrameShape(QFrame::NoFrame);
        table->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(table);
        setView(view);
    }
};

} // namespace

CandidateTextField::CandidateTextField(QWidget *parent)
    : QWidget(parent)
    , m_textField(new TextField(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_textField);
    setFocusProxy(m_textField);
    setSizePolicy(m_textField->sizePolicy());

    TextFieldDelegate fieldDelegate;
    fieldDelegate.controlTextDidChange = [this](TextField *) { controlTextDidChange(); };
    fieldDelegate.controlTextDidEndEditing = [this](TextField *) { controlTextDidEndEditing(); };
    fieldDelegate.doCommandBySelector = [this](TextField *, TextCommand command) {
        return doCommandBySelector(command);
    };
    m_textField->setDelegate(std::move(fieldDelegate));

    auto controller = std::make_unique<DropDownController>();
    m_dropdown = controller->view();
    m_table = controller->table;
    m_popoverViewController = std::move(controller);
    // A click on a candidate shows it in the field, as moving to it does.
    connect(m_table, &TableViewBase::rowClicked, this, [this] {
        if (m_table->clickedRow() >= 0)
            updateLabelForSelection();
    });
}

CandidateTextField::~CandidateTextField()
{
    // The field outlives this object's members by a moment; it must not
    // call back into them while it goes.
    m_textField->setDelegate({});
    m_popover.reset();
}

CandidateDataSource *CandidateTextField::dataSource() const
{
    return m_delegate.dataSource ? m_delegate.dataSource() : nullptr;
}

bool CandidateTextField::isDropDownShown() const
{
    return m_popover && m_popover->isShown();
}

QString CandidateTextField::stringValue() const
{
    return m_textField->text();
}

QString CandidateTextField::labelOfCandidate(const QVariant &candidate)
{
    if (candidate.typeId() == QMetaType::QString)
        return candidate.toString();
    return ArrayUtils::valueForKey(candidate, QStringLiteral("title")).toString();
}

void CandidateTextField::setNeedsRefresh()
{
    if (isDropDownShown())
        closeDropDown();
    m_table->reloadData();
}

void CandidateTextField::clear()
{
    m_textField->setText(QString());
    m_table->deselectAll();
}

QVariant CandidateTextField::objectForSelection() const
{
    const int row = m_table->selectedRow();
    CandidateDataSource *source = dataSource();
    if (row < 0 || !source)
        return {};
    return source->candidateForItem(m_table->itemAtRow(row));
}

QString CandidateTextField::labelForObject() const
{
    const QVariant candidate = objectForSelection();
    return candidate.isValid() ? labelOfCandidate(candidate) : QString();
}

void CandidateTextField::updateLabelForSelection()
{
    m_textField->setText(labelForObject());
}

void CandidateTextField::openDropDown()
{
    CandidateDataSource *source = dataSource();
    if (m_table->dataSource() != source)
        m_table->setDataSource(source);
    m_table->setFocusPolicy(Qt::NoFocus);
    if (!m_popover) {
        m_popover = std::make_unique<RBLPopover>(m_popoverViewController.get());
        m_popover->setAnimates(false);
    }
    m_popover->setContentSize(QSizeF(m_textField->width(), m_dropdown->height()));
    m_popover->showRelativeToRect(QRectF(), this, RectEdge::Below);
}

void CandidateTextField::closeDropDown()
{
    if (m_popover)
        m_popover->close();
    if (CandidateDataSource *source = dataSource())
        source->setPredicate({});
    m_table->reloadData();
}

void CandidateTextField::selectRow(int row)
{
    m_table->selectRowIndexes({row}, false);
    m_table->scrollRowToVisible(row);
    updateLabelForSelection();
}

void CandidateTextField::selectDown()
{
    const int selected = m_table->selectedRow();
    const int rows = m_table->numberOfRows();
    if (rows == 0)
        return;
    selectRow(selected < 0 ? 0 : qMin(selected + 1, rows - 1));
}

void CandidateTextField::selectUp()
{
    const int selected = m_table->selectedRow();
    if (m_table->numberOfRows() == 0)
        return;
    selectRow(selected < 0 ? 0 : qMax(selected - 1, 0));
}

void CandidateTextField::controlTextDidChange()
{
    const QString typed = m_textField->text();
    if (typed.isEmpty()) {
        closeDropDown();
        return;
    }
    if (!m_delegate.predicate)
        return;
    CandidateDataSource *source = dataSource();
    if (!source)
        return;
    if (m_table->dataSource() != source)
        m_table->setDataSource(source);
    source->setPredicate(m_delegate.predicate());
    m_table->reloadData();
    if (!isDropDownShown())
        openDropDown();
    if (m_ignoreChangeText) {
        m_ignoreChangeText = false;
        return;
    }
    const int rows = m_table->numberOfRows();
    if (rows == 0)
        return;
    QVariantList candidates;
    candidates.reserve(rows);
    for (int row = 0; row < rows; ++row)
        candidates << source->candidateForItem(m_table->itemAtRow(row));
    const QString common = ArrayUtils::maxSameString(candidates);
    // Only a prefix that goes on from what was typed completes it; any other
    // would change letters the user typed before the caret.
    if (!common.isEmpty() && common.size() >= typed.size()
        && common.startsWith(typed, Qt::CaseInsensitive)) {
        m_textField->setText(common);
        m_textField->setSelection(typed.size(), common.size() - typed.size());
    }
    m_table->selectRowIndexes({0}, false);
}

void CandidateTextField::controlTextDidEndEditing()
{
    if (isDropDownShown())
        closeDropDown();
}

bool CandidateTextField::doCommandBySelector(TextCommand command)
{
    const bool shown = isDropDownShown();
    switch (command) {
    case TextCommand::MoveDown:
        if (shown)
            selectDown();
        else
            openDropDown();
        return true;
    case TextCommand::MoveUp:
        if (shown)
            selectUp();
        return true;
    case TextCommand::CancelOperation:
        if (shown)
            closeDropDown();
        return shown;
    case TextCommand::InsertNewline:
        if (m_textField->text().isEmpty()) {
            if (!shown)
                openDropDown();
            return true;
        }
        if (m_commitWithEnterSelection || !shown) {
            Q_EMIT activated();
            clear();
            closeDropDown();
        } else {
            closeDropDown();
        }
        return true;
    case TextCommand::DeleteBackward:
        // Only a Backspace that deletes something changes the text; one that
        // does not must not swallow the completion of the next change.
        if (m_textField->hasSelectedText() || m_textField->cursorPosition() > 0)
            m_ignoreChangeText = true;
        return false;
    default:
        return false;
    }
}
