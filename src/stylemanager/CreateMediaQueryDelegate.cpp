#include "CreateMediaQueryDelegate.h"

#include "CandidateListAdapter.h"

#include "cssrules/CSSCopyInfo.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "cssrules/MediaRecommendDataSource.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "platform/kit/TextField.h"
#include "platform/kit/OutlineView.h"
#include "toolkit/CandidateTextField.h"
#include "workspace/File.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

const QString kTemplateHeading = QStringLiteral("Template MediaQuery");

} // namespace

CreateMediaQueryDelegate::CreateMediaQueryDelegate(CSSOutlineDelegate *cssOutlineDelegate, QObject *parent)
    : CreateSelectorDelegate(cssOutlineDelegate, parent)
{
}

CreateMediaQueryDelegate::~CreateMediaQueryDelegate()
{
    // The field's drop-down must not outlive its data source.
    delete m_view.data();
}

QWidget *CreateMediaQueryDelegate::makeNameField(QWidget *page)
{
    m_candidateField = new CandidateTextField(page);
    m_candidateField->setObjectName(QStringLiteral("selectorNameInputView"));
    m_candidateField->textField()->setPlaceholderText(QStringLiteral("@media only screen and (max-width: 768px)"));
    m_candidateField->textField()->setAccessibleName(QStringLiteral("Media Query"));
    m_candidates = std::make_unique<CandidateListAdapter>(dataSource());
    CandidateTextFieldDelegate delegate;
    delegate.dataSource = [this]() -> CandidateDataSource * { return m_candidates.get(); };
    m_candidateField->setDelegate(delegate);
    return m_candidateField;
}

void CreateMediaQueryDelegate::addExtraRows(QWidget *page, QVBoxLayout *layout)
{
    m_recommendedMediaQuerySelectList = new QComboBox(page);
    m_recommendedMediaQuerySelectList->setObjectName(QStringLiteral("recommendedMediaQuerySelectList"));
    m_recommendedMediaQuerySelectList->setAccessibleName(QStringLiteral("Templates"));
    layout->addWidget(m_recommendedMediaQuerySelectList);
    connect(m_recommendedMediaQuerySelectList, &QComboBox::activated, this, [this] { changeTemplateList(); });
    fillTemplateList();
}

QLineEdit *CreateMediaQueryDelegate::selectorNameInputView() const
{
    return m_candidateField ? m_candidateField->textField() : m_nameField;
}

MediaRecommendDataSource *CreateMediaQueryDelegate::dataSource()
{
    if (!m_dataSource)
        m_dataSource = new MediaRecommendDataSource(this);
    return m_dataSource;
}

QVariantList CreateMediaQueryDelegate::getTemplateMediaQueryList()
{
    QVariantList list{QVariantMap{{QStringLiteral("name"), kTemplateHeading}}};
    for (const QString &text : MediaRecommendDataSource::templates())
        list.append(QVariantMap{{QStringLiteral("name"), text}});
    return list;
}

void CreateMediaQueryDelegate::fillTemplateList()
{
    // The keyframe tab has no templates.
    if (!m_recommendedMediaQuerySelectList)
        return;
    m_recommendedMediaQuerySelectList->clear();
    for (const QVariant &entry : getTemplateMediaQueryList())
        m_recommendedMediaQuerySelectList->addItem(entry.toMap().value(QStringLiteral("name")).toString());
}

void CreateMediaQueryDelegate::setCreateSelectorMode(File *file)
{
    CreateSelectorDelegate::setCreateSelectorMode(file);
    fillTemplateList();
}

void CreateMediaQueryDelegate::setDuplicateMode(const std::shared_ptr<CSSCopyInfo> &copy)
{
    view();
    if (copy && copy->type() == RuleType::Media) {
        m_copyInfo = copy;
        if (!copy->declarations().isEmpty()) {
            m_selectedFile = copy->declarations().first()->parentFile();
            const QString condition = copy->cssRule() ? copy->cssRule()->conditionText()
                                                      : copy->declarations().first()->selector().mid(7).trimmed();
            selectorNameInputView()->setText(QStringLiteral("@media %1").arg(condition));
        }
    }
    fillTemplateList();
    initFiles();
}

int CreateMediaQueryDelegate::insertIndex() const
{
    const StyleDeclarationPtr after = afterAt();
    File *file = after ? after->parentFile() : nullptr;
    return file ? int(file->topLevelDeclarations().indexOf(after)) : -1;
}

void CreateMediaQueryDelegate::changeTemplateList()
{
    const QString title = m_recommendedMediaQuerySelectList->currentText();
    if (title != kTemplateHeading) {
        selectorNameInputView()->setText(title);
        enableOk(isValid());
    }
    m_fileSelectListView->setFocus(Qt::OtherFocusReason);
}

void CreateMediaQueryDelegate::initFileChooser()
{
    const QList<File *> files = m_cssOutlineDelegate ? m_cssOutlineDelegate->getLocalStyleSheets() : QList<File *>();
    m_fileSelectListView->clear();
    m_targetItems.clear();
    for (File *file : files)
        addTargetItem(file->displayName(), file, nullptr, 0);
    if (!files.isEmpty() && (!m_selectedFile || !files.contains(m_selectedFile.data())))
        m_selectedFile = files.first();
    m_selectedMedia = nullptr;
    if (m_selectedFile)
        setTitle(m_fileSelectListView, m_selectedFile->displayName());
}

void CreateMediaQueryDelegate::initFiles()
{
    view();
    initFileChooser();
    setStyleList();
}

void CreateMediaQueryDelegate::setStyleList()
{
    clearDecItems();
    const QList<StyleDeclarationPtr> blocks = m_selectedFile ? m_selectedFile->mediaDeclarations() : QList<StyleDeclarationPtr>();
    m_styleSelectListView->setEnabled(!blocks.isEmpty());
    for (const StyleDeclarationPtr &block : blocks) {
        if (!block->isRemoved())
            addDecItem(block->selector(), block);
    }
    showDecItem(m_selectedDec);
}

void CreateMediaQueryDelegate::controlTextDidChange()
{
    // A media query is no selector: it is never marked red.
    enableOk(isValid());
}

void CreateMediaQueryDelegate::cssValidatorInitialized()
{
    m_validatorStatusIndicator->setRange(0, 1);
    m_validatorStatusIndicator->hide();
    m_validatorStatusLabel->setText(QStringLiteral("Validation is Ready"));
    controlTextDidChange();
}

QString CreateMediaQueryDelegate::selectorName()
{
    return selectorNameInputView()->text();
}
