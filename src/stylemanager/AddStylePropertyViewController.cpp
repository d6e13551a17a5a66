#include "AddStylePropertyViewController.h"

#include "CandidateListAdapter.h"

#include "cssrules/CSSOutlineDelegate.h"
#include "cssrules/CSSPropertyDataSource.h"
#include "cssrules/CSSRule.h"
#include "cssrules/CSSSnippetDataSource.h"
#include "platform/kit/Alert.h"
#include "platform/kit/DesktopColors.h"
#include "platform/kit/TextField.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QRegularExpression>
#include <QTimer>

namespace {

int &addType()
{
    static int s_type = 0;
    return s_type;
}

} // namespace

AddStylePropertyViewController::AddStylePropertyViewController(CSSOutlineDelegate *cssOutlineDelegate, QObject *parent)
    : QObject(parent), m_cssOutlineDelegate(cssOutlineDelegate)
{
}

AddStylePropertyViewController::~AddStylePropertyViewController()
{
    // The field's drop-down must not outlive its data source.
    delete m_view.data();
}

int AddStylePropertyViewController::type() const
{
    return addType();
}

QString AddStylePropertyViewController::placeholder()
{
    return addType() == 1 ? QStringLiteral("Add Preset") : QStringLiteral("Add Single Declaration");
}

void AddStylePropertyViewController::setType(int type)
{
    addType() = type == 1 ? 1 : 0;
}

QWidget *AddStylePropertyViewController::view()
{
    if (m_view)
        return m_view;
    auto *view = new QWidget;
    m_view = view;
    view->setObjectName(QStringLiteral("addStylePropertyView"));
    auto *layout = new QHBoxLayout(view);
    layout->setContentsMargins(6, 4, 6, 4);
    m_propertyTypeList = new QComboBox(view);
    m_propertyTypeList->setObjectName(QStringLiteral("propertyTypeList"));
    m_propertyTypeList->addItems({QStringLiteral("Single"), QStringLiteral("Preset")});
    m_propertyTypeList->setAccessibleName(QStringLiteral("Add Type"));
    m_propertyTypeList->setCurrentIndex(type());
    connect(m_propertyTypeList, &QComboBox::activated, this, [this] { changeType(); });
    layout->addWidget(m_propertyTypeList);
    m_candidateTextField = new CandidateTextField(view);
    m_candidateTextField->setObjectName(QStringLiteral("candidateTextField"));
    m_candidateTextField->setCommitWithEnterSelection(true);
    dataSource();
    CandidateTextFieldDelegate delegate;
    delegate.dataSource = [this]() -> CandidateDataSource * { return m_candidates.get(); };
    delegate.predicate = [this] { return predicate(); };
    m_candidateTextField->setDelegate(delegate);
    connect(m_candidateTextField, &CandidateTextField::activated, this, [this] { commit(); });
    m_watchedTextField = m_candidateTextField->textField();
    m_watchedTextField->installEventFilter(this);
    layout->addWidget(m_candidateTextField, 1);
    // The type the run last used, with its placeholder and list.
    m_candidateTextField->textField()->setPlaceholderText(placeholder());
    m_candidates->setSource(dataSource());
    setPropertyCanAdd(false);
    return view;
}

LinearOutlineDataSource *AddStylePropertyViewController::dataSource()
{
    if (!m_propertyDataSource) {
        m_propertyDataSource = new CSSPropertyDataSource(this);
        m_snippetDataSource = new CSSSnippetDataSource(this);
        m_candidates = std::make_unique<CandidateListAdapter>(m_propertyDataSource);
        m_candidates->setItemDecoration([this](const QVariant &item, int role) { return decorationForItem(item, role); });
    }
    return type() == 1 ? static_cast<LinearOutlineDataSource *>(m_snippetDataSource) : m_propertyDataSource;
}

void AddStylePropertyViewController::setPropertyCanAdd(bool canAdd)
{
    view();
    m_canAdd = canAdd;
    updateEnabled(m_candidateTextField->textField()->hasFocus());
}

void AddStylePropertyViewController::updateEnabled(bool typing)
{
    // A refresh of the rules empties their selection for a moment; disabling
    // the field then would move the keyboard away and drop what the user
    // types. The field the user is in stays as it is until it loses focus.
    m_candidateTextField->setEnabled(m_canAdd || typing);
    m_propertyTypeList->setEnabled(m_canAdd);
    if (!m_canAdd)
        m_candidateTextField->textField()->setPlaceholderText(QStringLiteral("Select a rule to add declarations"));
    else
        m_candidateTextField->textField()->setPlaceholderText(placeholder());
}

bool AddStylePropertyViewController::eventFilter(QObject *watched, QEvent *event)
{
    // A menu of the field takes the focus only for a moment. The field is
    // left alone here: it may be losing the focus because it is being destroyed.
    if (watched == m_watchedTextField && event->type() == QEvent::FocusOut
        && static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason && !m_canAdd) {
        QTimer::singleShot(0, this, [this] {
            if (m_watchedTextField && !m_canAdd)
                updateEnabled(m_watchedTextField->hasFocus());
        });
    }
    return QObject::eventFilter(watched, event);
}

void AddStylePropertyViewController::changeType()
{
    setType(m_propertyTypeList->currentIndex());
    m_propertyDataSource->setPredicate(nullptr);
    m_snippetDataSource->setPredicate(nullptr);
    m_candidateTextField->clear();
    m_candidateTextField->textField()->setPlaceholderText(placeholder());
    m_candidates->setPredicate({});
    m_candidates->setSource(dataSource());
    m_selectedElements.clear();
    refreshList();
}

void AddStylePropertyViewController::refreshList()
{
    m_candidateTextField->setNeedsRefresh();
}

std::function<bool(const QVariant &)> AddStylePropertyViewController::predicate() const
{
    const QString typed = m_candidateTextField->textField()->text();
    // The completed part the field selected is not typed text.
    const QString prefix = m_candidateTextField->textField()->hasSelectedText()
                               ? typed.left(m_candidateTextField->textField()->selectionStart())
                               : typed;
    if (type() == 1)
        return [prefix](const QVariant &item) {
            return item.toMap().value(QStringLiteral("title")).toString().startsWith(prefix, Qt::CaseSensitive);
        };
    return [prefix](const QVariant &item) { return item.toString().startsWith(prefix, Qt::CaseSensitive); };
}

void AddStylePropertyViewController::outlineViewSelectionDidChange()
{
    const QVariant chosen = m_candidateTextField->objectForSelection();
    if (!chosen.isValid())
        return;
    m_selectedElements.clear();
    if (type() == 1) {
        for (const CSSPropertyPtr &property : CSSSnippetDataSource::propertiesFromSnippet(chosen.toMap()))
            m_selectedElements.append(QVariant::fromValue(property));
    } else {
        m_selectedElements.append(chosen.toString());
    }
}

QVariant AddStylePropertyViewController::decorationForItem(const QVariant &item, int role) const
{
    if (type() == 1) {
        if (role != Qt::ToolTipRole)
            return {};
        QStringList written;
        for (const CSSPropertyPtr &property : CSSSnippetDataSource::propertiesFromSnippet(item.toMap()))
            written << QStringLiteral("%1: %2").arg(property->property(), property->value());
        return written.join(u',');
    }
    const StyleDeclarationPtr rule = m_targetSelector ? m_targetSelector->styleDeclaration() : nullptr;
    if (!rule || (role != Qt::ForegroundRole && role != Qt::ToolTipRole))
        return {};
    const QString name = item.toString();
    const bool present = std::any_of(rule->properties().cbegin(), rule->properties().cend(), [&name](const CSSPropertyPtr &p) {
        return p->property() == name && !p->isRemoved();
    });
    if (!present)
        return {};
    if (role == Qt::ToolTipRole)
        return name + QStringLiteral(" has been already inserted.");
    return DesktopColors::isDark(m_view ? m_view->palette() : QPalette()) ? QColor(255, 120, 110) : QColor(200, 30, 30);
}

Result<CSSPropertyPtr> AddStylePropertyViewController::declarationFromText(const QString &text)
{
    const auto refused = [&text] {
        return Result<CSSPropertyPtr>::failure(
            QStringLiteral("\"%1\" is not one declaration. Type a name, or a name and its value, "
                           "for example \"color: #ff0000\".")
                .arg(text.trimmed()));
    };
    static const QRegularExpression identifier(QStringLiteral("^-{0,2}[A-Za-z_][A-Za-z0-9_-]*$"));
    const int colon = text.indexOf(u':');
    const QString name = (colon < 0 ? text : text.left(colon)).trimmed();
    if (!identifier.match(name).hasMatch())
        return refused();
    if (colon < 0)
        return Result<CSSPropertyPtr>(std::make_shared<CSSProperty>(name, QString()));
    // The value ends at a ";" outside quotes and brackets; only blanks may follow it.
    QString value = text.mid(colon + 1);
    QChar quote;
    int depth = 0;
    for (int i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (!quote.isNull()) {
            if (c == u'\\')
                ++i;
            else if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'(' || c == u'[') {
            ++depth;
        } else if (c == u')' || c == u']') {
            --depth;
        } else if (c == u'{' || c == u'}' || depth < 0) {
            return refused();
        } else if (c == u';' && depth == 0) {
            if (!value.mid(i + 1).trimmed().isEmpty())
                return refused();
            value.truncate(i);
            break;
        }
    }
    value = value.trimmed();
    if (value.isEmpty() || !quote.isNull() || depth != 0 || value.startsWith(u'!'))
        return refused();
    return Result<CSSPropertyPtr>(std::make_shared<CSSProperty>(name, value));
}

void AddStylePropertyViewController::commit()
{
    const QString typed = m_candidateTextField->textField()->text().trimmed();
    // Text with a ":" is one declaration typed whole; the list's row only names it.
    const bool typedWhole = type() == 0 && typed.contains(u':');
    if (!typedWhole && m_candidateTextField->objectForSelection().isValid()) {
        outlineViewSelectionDidChange();
    } else {
        if (type() != 0 || typed.isEmpty())
            return;
        const Result<CSSPropertyPtr> declaration = declarationFromText(typed);
        if (!declaration) {
            Alert alert;
            alert.setMessageText(QStringLiteral("The declaration could not be added."));
            alert.setInformativeText(declaration.error());
            alert.addButtonWithTitle(QStringLiteral("OK"));
            alert.runModal(m_view ? m_view->window() : nullptr);
            return;
        }
        // A name alone takes the panel's first value for it.
        m_selectedElements = {typedWhole ? QVariant::fromValue(declaration.value()) : QVariant(declaration.value()->property())};
    }
    if (m_cssOutlineDelegate && !m_selectedElements.isEmpty())
        m_cssOutlineDelegate->addStyleProperty(m_selectedElements);
}
