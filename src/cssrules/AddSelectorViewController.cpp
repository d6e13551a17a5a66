#include "AddSelectorViewController.h"

#include "CSSCopyInfo.h"

#include "platform/web/cssom/DOMCSSRule.h"
#include "stylesheet/StyleSheetParser.h"
#include "stylesheet/WebCoreObjects.h"
#include "workspace/File.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTextCharFormat>
#include <QVBoxLayout>

#include "platform/kit/DesktopColors.h"

namespace {

const QStringList kMediaQueries{
    QStringLiteral("@media only screen and (max-width: 320px)"),  QStringLiteral("@media only screen and (max-width: 480px)"),
    QStringLiteral("@media only screen and (max-width: 568px)"),  QStringLiteral("@media only screen and (max-width: 640px)"),
    QStringLiteral("@media only screen and (max-width: 720px)"),  QStringLiteral("@media only screen and (max-width: 768px)"),
    QStringLiteral("@media only screen and (max-width: 960px)"),  QStringLiteral("@media only screen and (max-width: 1024px)"),
    QStringLiteral("@media only screen and (max-width: 1136px)"), QStringLiteral("@media only screen and (min-width: 320px)"),
    QStringLiteral("@media only screen and (min-width: 480px)"),  QStringLiteral("@media only screen and (min-width: 568px)"),
    QStringLiteral("@media only screen and (min-width: 640px)"),  QStringLiteral("@media only screen and (min-width: 720px)"),
    QStringLiteral("@media only screen and (min-width: 768px)"),  QStringLiteral("@media only screen and (min-width: 960px)"),
    QStringLiteral("@media only screen and (min-width: 1024px)"), QStringLiteral("@media only screen and (min-width: 1136px)"),
};

bool isNameWord(const QString &word)
{
    return (word.size() >= 2 && (word.startsWith(u'#') || word.startsWith(u'.'))) || WebCoreObjects::getTagNames().contains(word);
}

bool isSelectorWord(const QString &word)
{
    if (word == QLatin1String("*") || word == QLatin1String(">") || word == QLatin1String("+") || word == QLatin1String("~"))
        return true;
    const qsizetype colon = word.indexOf(u':');
    if (colon < 0)
        return isNameWord(word);
    const QString head = word.left(colon);
    const bool headOk = (word.size() >= 2 && (word.startsWith(u'#') || word.startsWith(u'.')) && head.size() >= 2)
                        || WebCoreObjects::getTagNames().contains(head);
    return headOk && WebCoreObjects::pseudos().contains(word.mid(colon));
}

// A media query: "@media" and something, its brackets balanced.
bool isMediaQuery(const QString &text)
{
    const QString query = text.trimmed();
    if (!query.startsWith(QLatin1String("@media ")) || query.size() <= 7)
        return false;
    int depth = 0;
    for (const QChar c : query) {
        if (c == u'(')
            ++depth;
        else if (c == u')' && --depth < 0)
            return false;
        else if (c == u'{' || c == u'}' || c == u';')
            return false;
    }
    return depth == 0;
}

} // namespace

AddSelectorViewController::AddSelectorViewController(QObject *parent) : ViewController(parent) {}

AddSelectorViewController::~AddSelectorViewController() = default;

void AddSelectorViewController::setStyleFiles(const QList<File *> &files)
{
    m_styleFiles.clear();
    for (File *file : files)
        m_styleFiles.append(file);
}

// --- Checks ----------------------------------------------------------------------------------

QList<Range> AddSelectorViewController::selectorErrors(const QString &selector)
{
    QList<Range> errors;
    qsizetype position = 0;
    static const QRegularExpression separators(QStringLiteral("[, ]"));
    for (const QString &word : selector.split(separators)) {
        if (!word.isEmpty() && !isSelectorWord(word))
            errors.append({position, word.size()});
        position += word.size() + 1;
    }
    return errors;
}

bool AddSelectorViewController::isValidAnimationName(const QString &name)
{
    static const QRegularExpression identifier(QStringLiteral("^-?[_a-zA-Z][_a-zA-Z0-9-]*$"));
    return identifier.match(name).hasMatch() && name != QLatin1String("none");
}

bool AddSelectorViewController::isValidPercent(const QString &text)
{
    static const QRegularExpression percent(QStringLiteral("^\\s*(\\d{1,3}(\\.\\d+)?)\\s*%?\\s*$"));
    const QRegularExpressionMatch match = percent.match(text);
    return match.hasMatch() && match.captured(1).toDouble() <= 100;
}

QList<StyleDeclarationPtr> AddSelectorViewController::getDeclarationList(File *file)
{
    if (!file)
        return {};
    if (!file->styleDeclarations())
        file->parseStyleSheet();
    QList<StyleDeclarationPtr> list;
    for (const StyleDeclarationPtr &declaration : file->styleDeclarations().value_or(QList<StyleDeclarationPtr>())) {
        if (declaration->type() != RuleType::Comment && !declaration->isInBraket() && !declaration->isRemoved())
            list.append(declaration);
    }
    return list;
}

QVariantList AddSelectorViewController::getSelectorTypeList()
{
    const auto entries = [](const QStringList &names) {
        QVariantList list;
        for (const QString &name : names)
            list.append(QVariantMap{{QStringLiteral("name"), name}});
        return list;
    };
    return {
        QVariantMap{{QStringLiteral("name"), QStringLiteral("Tag")}, {QStringLiteral("selectors"), entries(WebCoreObjects::getPopulerTagNames())}},
        QVariantMap{{QStringLiteral("name"), QStringLiteral("Media Query")}, {QStringLiteral("selectors"), entries(kMediaQueries)}},
        QVariantMap{{QStringLiteral("name"), QStringLiteral("Keyframes")},
                    {QStringLiteral("selectors"), entries({QStringLiteral("@-webkit-keyframes name")})}},
    };
}

StyleDeclarationPtr AddSelectorViewController::selectedDeclaration() const
{
    return m_declarationList.value(m_selectedDeclarationIndex);
}

QList<QVariantMap> AddSelectorViewController::keyframes() const
{
    QList<QVariantMap> list{{{QStringLiteral("selector"), QStringLiteral("0%")}, {QStringLiteral("body"), QString()}}};
    const double percent = m_keyframePercent ? QString(m_keyframePercent->text()).remove(u'%').trimmed().toDouble() : 0;
    if (percent > 0 && percent < 100)
        list.append({{QStringLiteral("selector"), QString::number(percent) + u'%'}, {QStringLiteral("body"), QString()}});
    list.append({{QStringLiteral("selector"), QStringLiteral("100%")}, {QStringLiteral("body"), QString()}});
    return list;
}

QString AddSelectorViewController::copiedSelector() const
{
    if (!m_cssCopyInfo || !m_cssCopyInfo->cssRule() || m_cssCopyInfo->cssRule()->type() != DOMCSSRule::STYLE_RULE)
        return QString();
    if (!m_cssCopyInfo->declarations().isEmpty())
        return m_cssCopyInfo->declarations().first()->selector().trimmed();
    return m_cssCopyInfo->cssRule()->selectorText().trimmed();
}

bool AddSelectorViewController::isValid() const
{
    if (!m_selectedCSSFile || m_selectorName.trimmed().isEmpty())
        return false;
    if (m_copyMode && m_selectorName.trimmed().compare(copiedSelector(), Qt::CaseInsensitive) == 0)
        return false;
    switch (m_selectorType) {
    case MediaRule:
        return isMediaQuery(m_selectorName);
    case Keyframes:
        return isValidAnimationName(m_keyFrameName->text().trimmed()) && isValidPercent(m_keyframePercent->text());
    default:
        return selectorErrors(m_selectorName).isEmpty();
    }
}

// --- The view ----------------------------------------------------------------------------------

void AddSelectorViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("addSelectorView"));
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(10, 10, 10, 10);
    m_titleTextField = new QLabel(view);
    m_titleTextField->setObjectName(QStringLiteral("addSelectorTitle"));
    QFont bold = m_titleTextField->font();
    bold.setBold(true);
    m_titleTextField->setFont(bold);
    layout->addWidget(m_titleTextField);

    auto *kinds = new QHBoxLayout;
    m_selectorKindChanger = new QButtonGroup(view);
    const QStringList titles{QStringLiteral("Style Rule"), QStringLiteral("Media Rule"), QStringLiteral("Keyframes")};
    for (int kind = 0; kind < titles.size(); ++kind) {
        auto *button = new QRadioButton(titles.at(kind), view);
        m_selectorKindChanger->addButton(button, kind);
        m_kindButtons.append(button);
        kinds->addWidget(button);
    }
    m_selectorKindChanger->button(StyleRule)->setChecked(true);
    connect(m_selectorKindChanger, &QButtonGroup::idClicked, this, [this](int kind) { updateRecommendSelectorList(kind); });
    kinds->addStretch(1);
    layout->addLayout(kinds);

    auto *form = new QFormLayout;
    m_form = form;
    m_fileList = new QComboBox(view);
    m_fileList->setObjectName(QStringLiteral("fileListPopUpButton"));
    connect(m_fileList, &QComboBox::activated, this, [this] { fileChanged(); });
    form->addRow(QStringLiteral("Style sheet:"), m_fileList);
    m_declarations = new QComboBox(view);
    m_declarations->setObjectName(QStringLiteral("declarationPopUpButton"));
    m_declarations->setMaximumWidth(320);
    connect(m_declarations, &QComboBox::activated, this, [this](int index) { m_selectedDeclarationIndex = index - 1; });
    form->addRow(QStringLiteral("After:"), m_declarations);
    m_recommend = new QComboBox(view);
    m_recommend->setObjectName(QStringLiteral("recommendSelectorPopUpButton"));
    connect(m_recommend, &QComboBox::activated, this, [this](int index) {
        if (index <= 0)
            return;
        m_textField->setText(m_recommend->itemText(index));
        controlTextDidChange(m_textField);
        m_textField->setFocus();
    });
    form->addRow(QStringLiteral("Suggestions:"), m_recommend);
    m_textField = new QLineEdit(view);
    m_textField->setObjectName(QStringLiteral("addSelectorInput"));
    m_textField->setPlaceholderText(QStringLiteral("div, .class, #id, a:hover"));
    form->addRow(QStringLiteral("Selector:"), m_textField);

    m_keyframeInput = new QWidget(view);
    auto *keyframeRow = new QHBoxLayout(m_keyframeInput);
    keyframeRow->setContentsMargins(0, 0, 0, 0);
    m_keyFrameName = new QLineEdit(m_keyframeInput);
    m_keyFrameName->setObjectName(QStringLiteral("keyFrameName"));
    m_keyFrameName->setPlaceholderText(QStringLiteral("animation name"));
    m_keyframePercent = new QLineEdit(QStringLiteral("50%"), m_keyframeInput);
    m_keyframePercent->setObjectName(QStringLiteral("keyframePercent"));
    m_keyframePercent->setMaximumWidth(60);
    m_keyframePercent->setToolTip(QStringLiteral("A keyframe between 0% and 100%"));
    keyframeRow->addWidget(m_keyFrameName, 1);
    keyframeRow->addWidget(m_keyframePercent);
    form->addRow(QStringLiteral("Animation:"), m_keyframeInput);
    layout->addLayout(form);
    for (QLineEdit *field : {m_textField, m_keyFrameName, m_keyframePercent}) {
        connect(field, &QLineEdit::textEdited, this, [this, field] { controlTextDidChange(field); });
        field->installEventFilter(this);
    }

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), view);
    connect(cancel, &QPushButton::clicked, this, [this] { Q_EMIT cancelled(); });
    buttons->addWidget(cancel);
    m_okButton = new QPushButton(QIcon::fromTheme(QStringLiteral("list-add")), QStringLiteral("Add"), view);
    m_okButton->setObjectName(QStringLiteral("addSelectorOK"));
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, [this] {
        if (isValid())
            Q_EMIT confirmed();
    });
    buttons->addWidget(m_okButton);
    layout->addLayout(buttons);
    view->resize(380, 230);
    setView(view);
}

void AddSelectorViewController::updateRecommendSelectorList(int kind)
{
    view();
    m_selectorType = kind;
    m_selectorKindChanger->button(kind)->setChecked(true);
    const QVariantMap entry = getSelectorTypeList().value(kind).toMap();
    m_recommend->clear();
    m_recommend->addItem(kind == MediaRule ? QStringLiteral("Choose a query") : QStringLiteral("Choose a tag"));
    for (const QVariant &selector : entry.value(QStringLiteral("selectors")).toList())
        m_recommend->addItem(selector.toMap().value(QStringLiteral("name")).toString());
    const bool keyframes = kind == Keyframes;
    m_form->setRowVisible(m_recommend, !keyframes && !m_copyMode);
    m_form->setRowVisible(m_textField, !keyframes);
    m_form->setRowVisible(m_keyframeInput, keyframes);
    m_textField->setPlaceholderText(kind == MediaRule ? QStringLiteral("@media screen and (max-width: 600px)")
                                                      : QStringLiteral("div, .class, #id, a:hover"));
    if (keyframes)
        m_keyFrameName->setFocus();
    else
        m_textField->setFocus();
    validate();
}

void AddSelectorViewController::popoverWillShow()
{
    view();
    m_titleTextField->setText(m_title);
    m_fileList->clear();
    QList<File *> files;
    for (const QPointer<File> &file : std::as_const(m_styleFiles)) {
        if (file)
            files.append(file);
    }
    for (File *file : files)
        m_fileList->addItem(file->displayName());
    if (!m_selectedCSSFile || !files.contains(m_selectedCSSFile.data())) {
        m_selectedCSSFile = files.value(0);
        for (File *file : files) {
            if (file->displayName() == m_styleSheetName) {
                m_selectedCSSFile = file;
                break;
            }
        }
    }
    m_fileList->setCurrentIndex(int(files.indexOf(m_selectedCSSFile.data())));
    m_fileList->setEnabled(files.size() > 1 && !m_copyMode);
    for (QWidget *button : std::as_const(m_kindButtons))
        button->setVisible(!m_copyMode);
    fileChanged();
    if (m_copyMode) {
        m_selectorType = StyleRule;
        m_textField->setText(copiedSelector());
        markErrors(m_textField, {});
    }
    updateRecommendSelectorList(m_selectorType);
    if (m_copyMode)
        m_textField->selectAll();
}

void AddSelectorViewController::fileChanged()
{
    QList<File *> files;
    for (const QPointer<File> &file : std::as_const(m_styleFiles)) {
        if (file)
            files.append(file);
    }
    if (m_fileList->currentIndex() >= 0)
        m_selectedCSSFile = files.value(m_fileList->currentIndex());
    m_declarationList = getDeclarationList(m_selectedCSSFile);
    m_declarations->clear();
    m_declarations->addItem(QStringLiteral("At the top of the style sheet"));
    for (const StyleDeclarationPtr &declaration : std::as_const(m_declarationList)) {
        m_declarations->addItem(declaration->selector().simplified().left(60));
        m_declarations->setItemData(m_declarations->count() - 1, declaration->cssText().left(400), Qt::ToolTipRole);
    }
    m_selectedDeclarationIndex = m_declarationList.isEmpty() ? -1 : 0;
    m_declarations->setCurrentIndex(m_selectedDeclarationIndex + 1);
    validate();
}

void AddSelectorViewController::controlTextDidChange(QLineEdit *field)
{
    if (field == m_textField) {
        const QList<Range> errors = m_selectorType == StyleRule ? selectorErrors(field->text()) : QList<Range>();
        markErrors(field, m_selectorType == MediaRule && !field->text().isEmpty() && !isMediaQuery(field->text())
                              ? QList<Range>{{0, field->text().size()}}
                              : errors);
    } else if (field == m_keyFrameName) {
        markErrors(field, field->text().isEmpty() || isValidAnimationName(field->text().trimmed())
                              ? QList<Range>()
                              : QList<Range>{{0, field->text().size()}});
    } else if (field == m_keyframePercent) {
        markErrors(field, isValidPercent(field->text()) ? QList<Range>() : QList<Range>{{0, field->text().size()}});
    }
    validate();
}

void AddSelectorViewController::validate()
{
    m_selectorName = m_selectorType == Keyframes ? QStringLiteral("@-webkit-keyframes ") + m_keyFrameName->text().trimmed()
                                                 : m_textField->text().trimmed();
    m_okButton->setEnabled(isValid());
}

void AddSelectorViewController::markErrors(QLineEdit *field, const QList<Range> &errors)
{
    QTextCharFormat red;
    red.setForeground(DesktopColors::isDark(field->palette()) ? QColor(255, 120, 110) : QColor(200, 30, 30));
    red.setFontUnderline(true);
    red.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    QList<QInputMethodEvent::Attribute> attributes;
    for (const Range &range : errors)
        attributes.append({QInputMethodEvent::TextFormat, int(range.location) - field->cursorPosition(), int(range.length), red});
    QInputMethodEvent event(QString(), attributes);
    QCoreApplication::sendEvent(field, &event);
    m_errorRanges.insert(field, errors);
}

bool AddSelectorViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (isValid())
                Q_EMIT confirmed();
            return true;
        }
        if (key == Qt::Key_Escape) {
            Q_EMIT cancelled();
            return true;
        }
    }
    return ViewController::eventFilter(watched, event);
}

void AddSelectorViewController::popoverDidClose()
{
    if (!isViewLoaded())
        return;
    m_textField->clear();
    m_keyFrameName->clear();
    markErrors(m_textField, {});
    m_selectorName.clear();
}
