#include "CreateSelectorDelegate.h"

#include "ControlSelectorValidator.h"
#include "InsertIndicatorOutlineView.h"

#include "cssrules/CSSCopyInfo.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "cssrules/CSSRule.h"
#include "cssrules/CSSSnippetDataSource.h"
#include "platform/web/cssom/DOMCSSRule.h"
#include "cssvalues/CSSSelectorValidator.h"
#include "platform/foundation/DelayedPerform.h"
#include "platform/foundation/NotificationCenter.h"
#include "stylesheet/StyleSheetParser.h"
#include "workspace/File.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kTitleRole = Qt::UserRole + 1;
const QString kIndent = QStringLiteral("    ");

} // namespace

CreateSelectorDelegate::CreateSelectorDelegate(CSSOutlineDelegate *cssOutlineDelegate, QObject *parent)
    : QObject(parent), m_cssOutlineDelegate(cssOutlineDelegate)
{
}

CreateSelectorDelegate::~CreateSelectorDelegate()
{
    NotificationCenter::defaultCenter().removeObserver(this);
    DelayedPerform::cancelAll(this);
    delete m_view.data();
}

QWidget *CreateSelectorDelegate::view()
{
    if (m_view)
        return m_view;
    auto *page = new QWidget;
    m_view = page;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->addWidget(makeNameField(page));
    addExtraRows(page, layout);

    auto *targetRow = new QHBoxLayout;
    auto *targetLabel = new QLabel(QStringLiteral("Insert into:"), page);
    m_fileSelectListView = new QComboBox(page);
    m_fileSelectListView->setObjectName(QStringLiteral("fileSelectListView"));
    m_fileSelectListView->setMinimumContentsLength(24);
    targetLabel->setBuddy(m_fileSelectListView);
    targetRow->addWidget(targetLabel);
    targetRow->addWidget(m_fileSelectListView, 1);
    layout->addLayout(targetRow);
    connect(m_fileSelectListView, &QComboBox::activated, this, [this](int index) {
        const TargetItem item = m_targetItems.value(index);
        if (item.media)
            selectMediaGroup(item.media);
        else if (item.file)
            selectFileGroup(item.file);
    });

    auto *afterRow = new QHBoxLayout;
    auto *afterLabel = new QLabel(QStringLiteral("After:"), page);
    m_styleSelectListView = new QComboBox(page);
    m_styleSelectListView->setObjectName(QStringLiteral("styleSelectListView"));
    m_styleSelectListView->setMinimumContentsLength(24);
    afterLabel->setBuddy(m_styleSelectListView);
    afterRow->addWidget(afterLabel);
    afterRow->addWidget(m_styleSelectListView, 1);
    layout->addLayout(afterRow);
    connect(m_styleSelectListView, &QComboBox::activated, this, [this] { selectDec(); });

    m_styleListView = new InsertIndicatorOutlineView(page);
    m_styleListView->setObjectName(QStringLiteral("styleListView"));
    m_styleListView->hide();
    layout->addWidget(m_styleListView);

    auto *presetLabel = new QLabel(presetTitle(), page);
    layout->addWidget(presetLabel);
    m_presetList = new QListView(page);
    presetLabel->setBuddy(m_presetList);
    m_presetList->setObjectName(QStringLiteral("presetList"));
    m_presetList->setAccessibleName(QStringLiteral("Presets"));
    m_presetList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_presetSource = makePresetSource();
    m_presetList->setModel(m_presetSource);
    layout->addWidget(m_presetList, 1);

    m_openSourceSwitch = new QCheckBox(QStringLiteral("Open the source after creating"), page);
    m_openSourceSwitch->setObjectName(QStringLiteral("openSourceSwitch"));
    layout->addWidget(m_openSourceSwitch);

    auto *bottom = new QHBoxLayout;
    m_validatorStatusIndicator = new QProgressBar(page);
    m_validatorStatusIndicator->setObjectName(QStringLiteral("validatorStatusIndicator"));
    m_validatorStatusIndicator->setMaximumWidth(60);
    m_validatorStatusIndicator->setTextVisible(false);
    m_validatorStatusLabel = new QLabel(QStringLiteral("Preparing Validation..."), page);
    m_validatorStatusLabel->setObjectName(QStringLiteral("validatorStatusLabel"));
    m_validatorStatusLabel->setForegroundRole(QPalette::PlaceholderText);
    bottom->addWidget(m_validatorStatusIndicator);
    bottom->addWidget(m_validatorStatusLabel);
    bottom->addStretch(1);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), page);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_okButton = new QPushButton(QStringLiteral("OK"), page);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    // The dialog presses the shown tab's OK on Return.
    m_okButton->setAutoDefault(false);
    m_cancelButton->setAutoDefault(false);
    m_okButton->setEnabled(false);
    bottom->addWidget(m_cancelButton);
    bottom->addWidget(m_okButton);
    layout->addLayout(bottom);
    connect(m_okButton, &QPushButton::clicked, this, [this] {
        if (isValid() && m_okButton->isEnabled())
            Q_EMIT okPressed();
    });
    connect(m_cancelButton, &QPushButton::clicked, this, &CreateSelectorDelegate::cancelPressed);

    if (takesPartInValidation()) {
        // Busy until the shared validator has its tables.
        NotificationCenter::defaultCenter().addObserver(this, CSSSelectorValidator::initializedNotificationName(), nullptr,
                                                        [this](const Notification &) { cssValidatorInitialized(); });
        if (CSSSelectorValidator::getInstance()->isReady())
            cssValidatorInitialized();
        else
            m_validatorStatusIndicator->setRange(0, 0);
    } else {
        m_validatorStatusIndicator->hide();
        m_validatorStatusLabel->hide();
    }
    connect(selectorNameInputView(), &QLineEdit::textChanged, this, [this] { controlTextDidChange(); });
    return page;
}

QWidget *CreateSelectorDelegate::makeNameField(QWidget *page)
{
    m_nameField = new QLineEdit(page);
    m_nameField->setObjectName(QStringLiteral("selectorNameInputView"));
    m_nameField->setPlaceholderText(QStringLiteral("Selector, such as .class or #id"));
    m_nameField->setAccessibleName(QStringLiteral("Selector"));
    return m_nameField;
}

void CreateSelectorDelegate::addExtraRows(QWidget *, QVBoxLayout *) {}

QString CreateSelectorDelegate::presetTitle() const
{
    return QStringLiteral("Body from a snippet:");
}

LinearOutlineDataSource *CreateSelectorDelegate::makePresetSource()
{
    return new CSSSnippetDataSource(this);
}

// --- Modes ---------------------------------------------------------------------------------------

void CreateSelectorDelegate::setCreateSelectorMode(File *file)
{
    view();
    m_selectedDec = nullptr;
    m_copyInfo = nullptr;
    if (file)
        m_selectedFile = file;
    initFiles();
    enableOk(isValid());
}

void CreateSelectorDelegate::setCreateSelectorInMediaMode(const std::shared_ptr<CSSRule> &media)
{
    view();
    m_copyInfo = nullptr;
    if (media && media->styleDeclaration()) {
        m_selectedMedia = media->styleDeclaration();
        m_selectedFile = m_selectedMedia->parentFile();
    }
    initFiles();
    enableOk(isValid());
}

void CreateSelectorDelegate::setDuplicateMode(const std::shared_ptr<CSSCopyInfo> &copy)
{
    view();
    if (copy && !copy->declarations().isEmpty())
        m_selectedFile = copy->declarations().last()->parentFile();
    initFiles();
    if (copy && (copy->type() == RuleType::Style || copy->type() == RuleType::MediaStyle)) {
        m_copyInfo = copy;
        const QString selector = copy->cssRule() ? copy->cssRule()->selectorText()
                                 : copy->declarations().isEmpty() ? QString()
                                                                  : copy->declarations().first()->selector();
        selectorNameInputView()->setText(selector);
        validateSelector();
    } else {
        enableOk(isValid());
    }
}

void CreateSelectorDelegate::setSelectorName(const QString &name)
{
    view();
    selectorNameInputView()->setText(name);
}

// --- Results -------------------------------------------------------------------------------------

StyleDeclarationPtr CreateSelectorDelegate::afterAt() const
{
    return m_styleSelectListView ? m_decItems.value(m_styleSelectListView->currentIndex()) : nullptr;
}

int CreateSelectorDelegate::insertIndex() const
{
    const StyleDeclarationPtr after = afterAt();
    File *file = after ? after->parentFile() : nullptr;
    if (!file || !file->styleDeclarations())
        return -1;
    return int(file->styleDeclarations()->indexOf(after));
}

QString CreateSelectorDelegate::selectorName()
{
    QLineEdit *field = selectorNameInputView();
    const QString normalized = ControlSelectorValidator::normalizedSelector(field->text());
    if (normalized != field->text())
        field->setText(normalized);
    return field->text();
}

bool CreateSelectorDelegate::openSource() const
{
    return m_openSourceSwitch && m_openSourceSwitch->isChecked();
}

QString CreateSelectorDelegate::preset() const
{
    if (!m_presetList || !m_presetList->currentIndex().isValid())
        return {};
    const QVariantMap snippet = m_presetSource->itemAt(m_presetList->currentIndex().row()).toMap();
    QString body;
    for (const StyleDeclarationPtr &rule : StyleSheetParser::parseStyleSheet(snippet.value(QStringLiteral("content")).toString())) {
        for (const CSSPropertyPtr &property : rule->properties())
            body += QStringLiteral("%1:%2;").arg(property->property(), property->value());
    }
    return body;
}

bool CreateSelectorDelegate::isValid() const
{
    return !selectorNameInputView()->text().isEmpty() && m_fileSelectListView && m_fileSelectListView->currentIndex() >= 0
           && m_targetItems.value(m_fileSelectListView->currentIndex()).file;
}

// --- The choosers --------------------------------------------------------------------------------

QString CreateSelectorDelegate::titleOf(const QComboBox *chooser, int index)
{
    return chooser->itemData(index, kTitleRole).toString();
}

bool CreateSelectorDelegate::setTitle(QComboBox *chooser, const QString &title)
{
    for (int i = 0; i < chooser->count(); ++i) {
        if (titleOf(chooser, i) == title) {
            chooser->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

void CreateSelectorDelegate::addTargetItem(const QString &title, File *file, const StyleDeclarationPtr &media, int indent)
{
    if (m_fileSelectListView->count() > 0 && !media) {
        m_fileSelectListView->insertSeparator(m_fileSelectListView->count());
        m_targetItems.append(TargetItem());
    }
    m_fileSelectListView->addItem(kIndent.repeated(indent) + title);
    m_fileSelectListView->setItemData(m_fileSelectListView->count() - 1, title, kTitleRole);
    m_targetItems.append(TargetItem{file, media});
}

void CreateSelectorDelegate::addDecItem(const QString &title, const StyleDeclarationPtr &declaration)
{
    m_styleSelectListView->addItem(title.simplified().left(80));
    m_styleSelectListView->setItemData(m_styleSelectListView->count() - 1, title, kTitleRole);
    m_decItems.append(declaration);
}

void CreateSelectorDelegate::showDecItem(const StyleDeclarationPtr &declaration)
{
    const qsizetype index = declaration ? m_decItems.indexOf(declaration) : -1;
    if (index >= 0)
        m_styleSelectListView->setCurrentIndex(int(index));
}

void CreateSelectorDelegate::clearDecItems()
{
    m_styleSelectListView->clear();
    m_decItems.clear();
}

void CreateSelectorDelegate::fillDecItemsWithMedia(const StyleDeclarationPtr &media)
{
    clearDecItems();
    File *file = media ? media->parentFile() : nullptr;
    if (!file)
        return;
    for (const StyleDeclarationPtr &rule : file->getMediaChildren(*media))
        addDecItem(rule->selector(), rule);
}

void CreateSelectorDelegate::postInsertFileChanged()
{
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("insertFileChanged"), this,
                                                             {{QStringLiteral("file"), QVariant::fromValue(m_selectedFile.data())}});
}

void CreateSelectorDelegate::initFiles()
{
    view();
    const QList<File *> files = m_cssOutlineDelegate ? m_cssOutlineDelegate->getLocalStyleSheets() : QList<File *>();
    m_fileSelectListView->clear();
    m_targetItems.clear();
    for (File *file : files) {
        addTargetItem(file->displayName(), file, nullptr, 0);
        for (const StyleDeclarationPtr &media : file->mediaDeclarations()) {
            if (!media->isRemoved())
                addTargetItem(media->selector(), file, media, 1);
        }
    }
    if (!files.isEmpty() && (!m_selectedFile || !files.contains(m_selectedFile.data())))
        m_selectedFile = files.first();
    if (m_selectedMedia && !m_selectedMedia->isRemoved() && m_selectedMedia->parentFile() == m_selectedFile) {
        setTitle(m_fileSelectListView, m_selectedMedia->selector());
        // The block's rules once the chooser has settled.
        const StyleDeclarationPtr media = m_selectedMedia;
        DelayedPerform::perform(this, "selectMediaGroup", {}, 0.1, [this, media] {
            if (m_selectedMedia == media)
                selectMediaGroup(media);
        });
    } else if (m_selectedFile) {
        m_selectedMedia = nullptr;
        setTitle(m_fileSelectListView, m_selectedFile->displayName());
    }
    setStyleList();
    if (m_presetSource)
        m_presetSource->refresh();
}

QList<StyleDeclarationPtr> CreateSelectorDelegate::getDeclarationList(File *file)
{
    QList<StyleDeclarationPtr> list;
    if (!file)
        return list;
    if (!file->styleDeclarations())
        file->parseStyleSheet();
    for (const StyleDeclarationPtr &declaration : file->styleDeclarations().value_or(QList<StyleDeclarationPtr>())) {
        if (!declaration->isInBraket())
            list.append(declaration);
    }
    return list;
}

QList<StyleDeclarationPtr> CreateSelectorDelegate::getChildSelectorList(const StyleDeclarationPtr &declaration) const
{
    if (!declaration || !m_selectedFile)
        return {};
    if (declaration->selector() == QLatin1String("All"))
        return getDeclarationList(m_selectedFile);
    const QList<StyleDeclarationPtr> all = m_selectedFile->styleDeclarations().value_or(QList<StyleDeclarationPtr>());
    QList<StyleDeclarationPtr> children;
    for (qsizetype i = all.indexOf(declaration) + 1; i > 0 && i < all.size() && all.at(i)->isInBraket(); ++i)
        children.append(all.at(i));
    return children;
}

void CreateSelectorDelegate::setStyleList()
{
    clearDecItems();
    if (!m_selectedFile)
        return;
    for (const StyleDeclarationPtr &declaration : m_selectedFile->topLevelDeclarations()) {
        if (declaration->isRemoved() || declaration->type() == RuleType::Media || declaration->type() == RuleType::Keyframes)
            continue;
        const QString title = declaration->type() == RuleType::Comment ? declaration->getSelector() : declaration->selector();
        if (!title.isEmpty())
            addDecItem(title, declaration);
    }
    showDecItem(m_selectedDec);
}

void CreateSelectorDelegate::selectFileGroup(File *file)
{
    m_selectedFile = file;
    m_selectedMedia = nullptr;
    setStyleList();
    postInsertFileChanged();
}

void CreateSelectorDelegate::selectMediaGroup(const StyleDeclarationPtr &media)
{
    if (!media)
        return;
    m_selectedFile = media->parentFile();
    m_selectedMedia = media;
    postInsertFileChanged();
    fillDecItemsWithMedia(media);
}

void CreateSelectorDelegate::setSelectedFile(File *file)
{
    view();
    if (m_selectedFile && m_selectedDec && file != m_selectedFile)
        m_selectedDec = nullptr;
    m_selectedFile = file;
    setStyleList();
    m_selectedMedia = nullptr;
    if (file && !file->displayName().isEmpty())
        setTitle(m_fileSelectListView, file->displayName());
}

void CreateSelectorDelegate::setSelectedDec(const StyleDeclarationPtr &declaration)
{
    view();
    if (!declaration)
        return;
    File *file = declaration->parentFile();
    const int type = declaration->type();
    if (type == RuleType::Keyframes || type == RuleType::Keyframe) {
        const StyleDeclarationPtr keyframes = type == RuleType::Keyframe && file ? file->getMediaOwner(*declaration) : declaration;
        if (file && keyframes) {
            for (const StyleDeclarationPtr &twin : file->keyframesDeclarationsWithSameName(*keyframes)) {
                if (twin->selector().startsWith(QLatin1String("@keyframes"))) {
                    m_selectedDec = twin;
                    break;
                }
            }
        }
        setSelectedFile(file);
    } else if (type == RuleType::Media) {
        m_selectedFile = file;
        m_selectedMedia = declaration;
        setTitle(m_fileSelectListView, declaration->selector());
        fillDecItemsWithMedia(declaration);
    } else if (declaration->isInBraket() && file) {
        m_selectedFile = file;
        m_selectedDec = declaration;
        m_selectedMedia = file->getMediaOwner(*declaration);
        if (m_selectedMedia) {
            setTitle(m_fileSelectListView, m_selectedMedia->selector());
            fillDecItemsWithMedia(m_selectedMedia);
        }
        DelayedPerform::cancelAll(this);
        showDecItem(declaration);
    } else {
        m_selectedDec = declaration;
        setSelectedFile(file);
        showDecItem(declaration);
    }
}

void CreateSelectorDelegate::selectDec()
{
    m_selectedDec = afterAt();
}

void CreateSelectorDelegate::changeFile()
{
    const TargetItem item = m_targetItems.value(m_fileSelectListView->currentIndex());
    File *file = item.media ? item.media->parentFile() : item.file.data();
    if (!file)
        return;
    m_selectedFile = file;
    setStyleList();
    m_selectedMedia = nullptr;
    setTitle(m_fileSelectListView, file->displayName());
}

// --- Checking ------------------------------------------------------------------------------------

void CreateSelectorDelegate::enableOk(bool enabled)
{
    if (m_okButton)
        m_okButton->setEnabled(enabled);
}

void CreateSelectorDelegate::controlTextDidChange()
{
    validateSelector();
}

void CreateSelectorDelegate::validateSelector()
{
    const bool valid = ControlSelectorValidator::validateSelectorWithFormat(selectorNameInputView());
    enableOk(valid && isValid());
}

void CreateSelectorDelegate::cssValidatorInitialized()
{
    m_validatorStatusIndicator->setRange(0, 1);
    m_validatorStatusIndicator->setValue(1);
    m_validatorStatusIndicator->hide();
    m_validatorStatusLabel->setText(QStringLiteral("Validation is Ready"));
    if (!selectorNameInputView()->text().isEmpty())
        controlTextDidChange();
}
