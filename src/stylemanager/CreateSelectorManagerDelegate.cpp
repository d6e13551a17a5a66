#include "CreateSelectorManagerDelegate.h"

#include "CreateKeyframeDelegate.h"
#include "CreateMediaQueryDelegate.h"
#include "CreateSelectorDelegate.h"

#include "cssrules/CSSCopyInfo.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/SegmentedControl.h"
#include "workspace/File.h"

#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const QStringList kTypeNames{QStringLiteral("Rule"), QStringLiteral("@media"), QStringLiteral("@keyframe")};

} // namespace

CreateSelectorManagerDelegate::CreateSelectorManagerDelegate(CSSOutlineDelegate *cssOutlineDelegate, QObject *parent)
    : QObject(parent), m_cssOutlineDelegate(cssOutlineDelegate)
{
    m_selectorDelegate = new CreateSelectorDelegate(cssOutlineDelegate, this);
    m_mediaDelegate = new CreateMediaQueryDelegate(cssOutlineDelegate, this);
    m_keyframeDelegate = new CreateKeyframeDelegate(cssOutlineDelegate, this);
    awakeFromNib();
}

CreateSelectorManagerDelegate::~CreateSelectorManagerDelegate()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    if (m_viewPanel)
        m_viewPanel->removeEventFilter(this);
    delete m_viewPanel.data();
}

void CreateSelectorManagerDelegate::awakeFromNib()
{
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("insertFileChanged"), nullptr,
                                                    [this](const Notification &n) { insertFileChanged(n); });
    for (CreateSelectorDelegate *tab : tabs()) {
        connect(tab, &CreateSelectorDelegate::okPressed, this, &CreateSelectorManagerDelegate::okStyleSheetManager);
        connect(tab, &CreateSelectorDelegate::cancelPressed, this, &CreateSelectorManagerDelegate::cancelStyleSheetManager);
    }
}

QList<CreateSelectorDelegate *> CreateSelectorManagerDelegate::tabs() const
{
    return {m_selectorDelegate, m_mediaDelegate, m_keyframeDelegate};
}

QDialog *CreateSelectorManagerDelegate::viewPanel()
{
    if (m_viewPanel)
        return m_viewPanel;
    auto *panel = new QDialog;
    m_viewPanel = panel;
    panel->setObjectName(QStringLiteral("createRuleDialog"));
    panel->setWindowTitle(QStringLiteral("New Rule"));
    auto *layout = new QVBoxLayout(panel);
    m_typeSelector = new SegmentedControl(panel);
    m_typeSelector->setObjectName(QStringLiteral("typeSelector"));
    m_typeSelector->setSegmentCount(int(kTypeNames.size()));
    for (int i = 0; i < kTypeNames.size(); ++i)
        m_typeSelector->setLabel(kTypeNames.at(i), i);
    m_typeSelector->setSelectedSegment(0);
    layout->addWidget(m_typeSelector, 0, Qt::AlignHCenter);
    connect(m_typeSelector, &SegmentedControl::activated, this, [this] { selectType(m_typeSelector->selectedSegment()); });
    // The same choice as a pop-up, kept in step; the segments are what is shown.
    m_typeSelectorButton = new QComboBox(panel);
    m_typeSelectorButton->addItems(kTypeNames);
    m_typeSelectorButton->hide();
    connect(m_typeSelectorButton, &QComboBox::activated, this, [this] { typeChange(); });
    m_tabView = new QStackedWidget(panel);
    m_tabView->setObjectName(QStringLiteral("tabView"));
    for (CreateSelectorDelegate *tab : tabs())
        m_tabView->addWidget(tab->view());
    layout->addWidget(m_tabView, 1);
    panel->resize(460, 420);
    // Escape cancels through reject(); Return is the shown tab's OK.
    connect(panel, &QDialog::rejected, this, [this] { cancelStyleSheetManager(); });
    panel->installEventFilter(this);
    return panel;
}

bool CreateSelectorManagerDelegate::eventFilter(QObject *watched, QEvent *event)
{
    // The type first: while the panel is being destroyed, it is no longer a
    // QDialog to compare with.
    if (event->type() == QEvent::KeyPress && watched == m_viewPanel) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && key->modifiers() == Qt::NoModifier) {
            QPushButton *ok = targetDelegate() ? targetDelegate()->okButton() : nullptr;
            if (ok && ok->isEnabled())
                ok->click();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// --- Modes ---------------------------------------------------------------------------------------

void CreateSelectorManagerDelegate::selectType(int type)
{
    viewPanel();
    if (type < 0 || type >= m_tabView->count())
        return;
    m_tabView->setCurrentIndex(type);
    m_typeSelector->setSelectedSegment(type);
    m_typeSelectorButton->setCurrentIndex(type);
    if (m_viewPanel->isVisible())
        currentInput()->setFocus(Qt::OtherFocusReason);
}

void CreateSelectorManagerDelegate::typeChange()
{
    selectType(m_typeSelectorButton->currentIndex());
}

void CreateSelectorManagerDelegate::setCreateSelectorMode(File *file)
{
    selectType(0);
    for (CreateSelectorDelegate *tab : tabs())
        tab->setCreateSelectorMode(file);
}

void CreateSelectorManagerDelegate::setCreateSelectorInMediaMode(const std::shared_ptr<CSSRule> &media)
{
    viewPanel();
    for (CreateSelectorDelegate *tab : tabs())
        tab->setCreateSelectorInMediaMode(media);
}

void CreateSelectorManagerDelegate::setDuplicateMode(const std::shared_ptr<CSSCopyInfo> &copy)
{
    viewPanel();
    for (CreateSelectorDelegate *tab : tabs())
        tab->setDuplicateMode(copy);
    const int type = copy ? int(copy->type()) : 0;
    selectType(type == RuleType::Keyframes ? 2 : type == RuleType::Media ? 1 : 0);
}

void CreateSelectorManagerDelegate::setCreateKeyframeMode()
{
    setCreateSelectorMode(nullptr);
    selectType(2);
}

void CreateSelectorManagerDelegate::setSelectorName(const QString &name)
{
    m_selectorDelegate->setSelectorName(name);
}

void CreateSelectorManagerDelegate::prepareSelection(File *file)
{
    for (CreateSelectorDelegate *tab : tabs())
        tab->setSelectedFile(file);
}

void CreateSelectorManagerDelegate::prepareSelection(const std::shared_ptr<StyleDeclaration> &declaration)
{
    if (!declaration)
        return;
    if (declaration->type() == RuleType::Media)
        m_mediaDelegate->setSelectedFile(declaration->parentFile());
    else if (declaration->type() == RuleType::Keyframes)
        m_keyframeDelegate->setSelectedDec(declaration);
    else
        m_selectorDelegate->setSelectedDec(declaration);
}

void CreateSelectorManagerDelegate::present(QWidget *over)
{
    QDialog *panel = viewPanel();
    QWidget *window = over ? over->window() : nullptr;
    m_ownerWindow = window;
    if (window && panel->parentWidget() != window) {
        const QRect geometry = panel->geometry();
        panel->setParent(window, Qt::Sheet | Qt::Dialog);
        panel->resize(geometry.size());
    }
    panel->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    panel->show();
    panel->raise();
    panel->activateWindow();
    currentInput()->setFocus(Qt::OtherFocusReason);
}

// --- Results -------------------------------------------------------------------------------------

int CreateSelectorManagerDelegate::type() const
{
    return m_tabView ? m_tabView->currentIndex() : 0;
}

CreateSelectorDelegate *CreateSelectorManagerDelegate::targetDelegate() const
{
    switch (type()) {
    case 0:
        return m_selectorDelegate;
    case 1:
        return m_mediaDelegate;
    case 2:
        return m_keyframeDelegate;
    default:
        return nullptr;
    }
}

File *CreateSelectorManagerDelegate::selectedFile() const
{
    return targetDelegate() ? targetDelegate()->selectedFile() : nullptr;
}

QString CreateSelectorManagerDelegate::selectorName()
{
    return targetDelegate() ? targetDelegate()->selectorName() : QString();
}

std::shared_ptr<CSSCopyInfo> CreateSelectorManagerDelegate::cssCopyInfo() const
{
    return targetDelegate() ? targetDelegate()->cssCopyInfo() : nullptr;
}

bool CreateSelectorManagerDelegate::openSource() const
{
    return targetDelegate() && targetDelegate()->openSource();
}

QString CreateSelectorManagerDelegate::presetBody() const
{
    return targetDelegate() ? targetDelegate()->preset() : QString();
}

QList<QVariantMap> CreateSelectorManagerDelegate::presetKeyframes() const
{
    return targetDelegate() ? targetDelegate()->presetKeyframes() : QList<QVariantMap>();
}

std::shared_ptr<StyleDeclaration> CreateSelectorManagerDelegate::afterAt() const
{
    CreateSelectorDelegate *tab = targetDelegate();
    if (!tab)
        return nullptr;
    // A rule into a chosen @media block with no rule chosen goes first in it.
    if (const StyleDeclarationPtr after = tab->afterAt())
        return after;
    return tab->selectedMedia();
}

int CreateSelectorManagerDelegate::insertIndex() const
{
    return targetDelegate() ? targetDelegate()->insertIndex() : -1;
}

int CreateSelectorManagerDelegate::selectionState() const
{
    return targetDelegate() ? targetDelegate()->selectionState() : 1;
}

QLineEdit *CreateSelectorManagerDelegate::currentInput() const
{
    return targetDelegate() ? targetDelegate()->selectorNameInputView() : nullptr;
}

// --- Actions -------------------------------------------------------------------------------------

void CreateSelectorManagerDelegate::insertFileChanged(const Notification &notification)
{
    File *file = notification.userInfo.value(QStringLiteral("file")).value<File *>();
    for (CreateSelectorDelegate *tab : tabs()) {
        if (tab != notification.object)
            tab->setSelectedFile(file);
    }
}

void CreateSelectorManagerDelegate::changeFile(File *file)
{
    for (CreateSelectorDelegate *tab : tabs())
        tab->setSelectedFile(file);
}

void CreateSelectorManagerDelegate::endSheet(int returnCode)
{
    if (!m_viewPanel)
        return;
    // done() would come back here through rejected(): hide instead.
    m_viewPanel->setResult(returnCode);
    m_viewPanel->hide();
}

void CreateSelectorManagerDelegate::cancelStyleSheetManager()
{
    endSheet(0);
}

void CreateSelectorManagerDelegate::okStyleSheetManager()
{
    if (!m_cssOutlineDelegate)
        return;
    File *file = selectedFile();
    const bool duplicated = cssCopyInfo() != nullptr;
    if (!m_cssOutlineDelegate->doAddSelector())
        return;
    m_cssOutlineDelegate->doAfterAddSelector();
    if (QLineEdit *input = currentInput())
        input->clear();
    // The next use creates rather than duplicates.
    if (duplicated)
        setCreateSelectorMode(file);
}
