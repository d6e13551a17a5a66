#include "ProjectConfigView.h"

#include "PrefixBadge.h"
#include "VendarPrefixPropertyCell.h"

#include "foundation/StringValidator.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/Alert.h"
#include "platform/kit/OutlineView.h"
#include "platform/kit/TextField.h"
#include "stylesheet/WebCoreObjects.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int kIndent = 14;
constexpr int kPropertyListHeight = 200;
constexpr double kIgnoreTabInterval = 36.0;

QLabel *sectionTitle(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 0.9);
    label->setFont(font);
    return label;
}

QCheckBox *checkBox(const QString &title, const QString &tip, QWidget *parent)
{
    auto *box = new QCheckBox(title, parent);
    box->setToolTip(tip);
    return box;
}

} // namespace

ProjectConfigView::ProjectConfigView(QWidget *parent)
    : MainView(parent)
{
    setObjectName(QStringLiteral("projectConfigView"));
    buildControls();
    setUpIgnoreOption();
    setControlsEnabled(false);
    // The definition's names, with their folded forms for the filter.
    const QStringList names = WebCoreObjects::getStyleNames();
    m_propertyNames.reserve(size_t(names.size()));
    for (const QString &name : names)
        m_propertyNames.push_back({name, foldedForFilter(name)});
}

ProjectConfigView::~ProjectConfigView()
{
    // The address field loses the focus while the widgets below this view go:
    // that is no edit, and this view is no longer whole to take it.
    disconnect(m_webMainURL, nullptr, this, nullptr);
    m_vendarPrefixSettingOutline->setDataSource(nullptr);
}

// --- Building ------------------------------------------------------------------------------------

void ProjectConfigView::buildControls()
{
    // Narrow enough for the project column beside a 1280 wide screen's
    // other panes.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 8, 5, 10);
    layout->setSpacing(3);
    auto indented = [layout](QWidget *control) {
        auto *row = new QHBoxLayout;
        row->setContentsMargins(kIndent, 0, 0, 0);
        row->addWidget(control);
        layout->addLayout(row);
    };

    layout->addWidget(sectionTitle(QStringLiteral("CSS"), this));
    m_overrideCSS = checkBox(QStringLiteral("Write edits to CSS files"),
                             QStringLiteral("Edits of CSS rules are written into the project's style sheets"), this);
    m_minifyCSS = checkBox(QStringLiteral("Minify"), QStringLiteral("Style sheets are written without spaces and line breaks"), this);
    layout->addWidget(m_overrideCSS);
    indented(m_minifyCSS);

    layout->addSpacing(6);
    layout->addWidget(sectionTitle(QStringLiteral("HTML"), this));
    m_overrideHTML = checkBox(QStringLiteral("Write edits to HTML files"),
                              QStringLiteral("Edits of the DOM tree are written into the project's pages"), this);
    m_minifyHTML = checkBox(QStringLiteral("Minify"), QStringLiteral("Pages are written without spaces and line breaks"), this);
    m_useIgnoreOption = checkBox(QStringLiteral("Use ignore rules"),
                                 QStringLiteral("Elements that match the ignore rules are left out of written pages"), this);
    layout->addWidget(m_overrideHTML);
    indented(m_minifyHTML);
    indented(m_useIgnoreOption);

    layout->addSpacing(6);
    layout->addWidget(sectionTitle(QStringLiteral("JavaScript"), this));
    m_formatJavaScript = checkBox(QStringLiteral("Format scripts"),
                                  QStringLiteral("Scripts inside written pages are indented"), this);
    layout->addWidget(m_formatJavaScript);

    layout->addSpacing(6);
    layout->addWidget(sectionTitle(QStringLiteral("Web Project"), this));
    m_webProject = checkBox(QStringLiteral("Copy of a web site"),
                            QStringLiteral("The project's files stand in for the files of a remote site"), this);
    m_webMainURL = new TextField(this);
    m_webMainURL->setObjectName(QStringLiteral("webMainURL"));
    m_webMainURL->setToolTip(QStringLiteral("The address of the site's main page"));
    layout->addWidget(m_webProject);
    indented(m_webMainURL);

    layout->addSpacing(6);
    layout->addWidget(sectionTitle(QStringLiteral("Vendor Prefixes"), this));
    m_prefixWebkit = checkBox(QStringLiteral("-webkit"), QStringLiteral("Copies with \"-webkit-\" (Safari and Chrome)"), this);
    m_prefixMoz = checkBox(QStringLiteral("-moz"), QStringLiteral("Copies with \"-moz-\" (Firefox)"), this);
    m_prefixO = checkBox(QStringLiteral("-o"), QStringLiteral("Copies with \"-o-\" (Opera)"), this);
    m_prefixMS = checkBox(QStringLiteral("-ms"), QStringLiteral("Copies with \"-ms-\" (Internet Explorer)"), this);
    m_prefixSafariImg = new PrefixBadge(QStringLiteral("S"), QColor(52, 120, 210), this);
    m_prefixChromeImg = new PrefixBadge(QStringLiteral("C"), QColor(64, 160, 90), this);
    m_prefixMozImg = new PrefixBadge(QStringLiteral("F"), QColor(226, 120, 40), this);
    m_prefixOImg = new PrefixBadge(QStringLiteral("O"), QColor(200, 50, 60), this);
    m_prefixMsImg = new PrefixBadge(QStringLiteral("IE"), QColor(40, 150, 170), this);
    auto *prefixes = new QGridLayout;
    prefixes->setContentsMargins(0, 0, 0, 0);
    prefixes->setHorizontalSpacing(2);
    prefixes->setVerticalSpacing(2);
    auto place = [prefixes](int row, int column, QCheckBox *box, QList<PrefixBadge *> badges) {
        auto *cell = new QHBoxLayout;
        cell->setSpacing(3);
        cell->addWidget(box);
        for (PrefixBadge *badge : badges) {
            badge->setToolTip(box->toolTip());
            cell->addWidget(badge);
        }
        cell->addStretch(1);
        prefixes->addLayout(cell, row, column);
    };
    place(0, 0, m_prefixWebkit, {m_prefixSafariImg, m_prefixChromeImg});
    place(0, 1, m_prefixMoz, {m_prefixMozImg});
    place(1, 0, m_prefixO, {m_prefixOImg});
    place(1, 1, m_prefixMS, {m_prefixMsImg});
    layout->addLayout(prefixes);

    layout->addSpacing(4);
    m_searchTextField = new TextField(this);
    m_searchTextField->setObjectName(QStringLiteral("searchTextField"));
    m_searchTextField->setPlaceholderText(QStringLiteral("Filter properties"));
    m_searchTextField->setClearButtonEnabled(true);
    m_searchTextField->addAction(QIcon::fromTheme(QStringLiteral("edit-find"), style()->standardIcon(QStyle::SP_FileDialogContentsView)),
                                 QLineEdit::LeadingPosition);
    layout->addWidget(m_searchTextField);

    m_vendarPrefixSettingOutline = new OutlineView(this);
    m_vendarPrefixSettingOutline->setObjectName(QStringLiteral("vendarPrefixSettingOutline"));
    m_vendarPrefixSettingOutline->setHeaderVisible(false);
    m_vendarPrefixSettingOutline->setRootIsDecorated(false);
    m_vendarPrefixSettingOutline->setIndentationPerLevel(0);
    m_vendarPrefixSettingOutline->setRowHeight(18);
    m_vendarPrefixSettingOutline->setFixedHeight(kPropertyListHeight);
    m_vendarPrefixSettingOutline->setToolTip(QStringLiteral("The properties that get vendor-prefixed copies"));
    m_propertyCell = new VendarPrefixPropertyCell(m_vendarPrefixSettingOutline);
    m_propertyCell->setAction([this](const QString &title) { checkChanged(title); });
    m_vendarPrefixSettingOutline->registerCell(QStringLiteral("VendarPrefixPropertyCell"), m_propertyCell);
    OutlineDelegate outlineDelegate;
    outlineDelegate.cellIdentifierForTableColumn = [](OutlineView *, int, void *) {
        return QStringLiteral("VendarPrefixPropertyCell");
    };
    m_vendarPrefixSettingOutline->setDelegate(std::move(outlineDelegate));
    m_vendarPrefixSettingOutline->setDataSource(this);
    layout->addWidget(m_vendarPrefixSettingOutline);

    // Each control's action writes the settings.
    for (QCheckBox *box : {m_overrideCSS, m_minifyCSS, m_overrideHTML, m_minifyHTML, m_useIgnoreOption,
                           m_formatJavaScript, m_webProject}) {
        connect(box, &QCheckBox::clicked, this, [this] { valueChange(); });
    }
    for (QCheckBox *box : {m_prefixWebkit, m_prefixMoz, m_prefixO, m_prefixMS})
        connect(box, &QCheckBox::clicked, this, [this] { changePrefixSetting(); });
    // The address is taken when its editing ends, when it changed.
    connect(m_webMainURL, &QLineEdit::editingFinished, this, [this] {
        if (m_project && m_webMainURL->text() != m_webURL)
            valueChange();
    });
    connect(m_searchTextField, &QLineEdit::textChanged, this, [this] { searchFieldChange(); });

    // Tab order follows the form from the top.
    QWidget *previous = nullptr;
    for (QWidget *control : std::initializer_list<QWidget *>{
             m_overrideCSS, m_minifyCSS, m_overrideHTML, m_minifyHTML, m_useIgnoreOption, m_formatJavaScript,
             m_webProject, m_webMainURL, m_prefixWebkit, m_prefixMoz, m_prefixO, m_prefixMS, m_searchTextField,
             m_vendarPrefixSettingOutline}) {
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }
}

void ProjectConfigView::setUpIgnoreOption()
{
    m_ignoreOption = new QPlainTextEdit(this);
    m_ignoreOption->setObjectName(QStringLiteral("ignoreOption"));
    m_ignoreOption->hide();
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(10);
    m_ignoreOption->setFont(font);
    m_ignoreOption->setTabStopDistance(kIgnoreTabInterval);
    m_ignoreOption->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_ignoreOption->setPlaceholderText(QStringLiteral("selector {\n\tignore:true;\n}"));
    connect(m_ignoreOption, &QPlainTextEdit::textChanged, this, [this] { textDidChange(); });
}

bool ProjectConfigView::event(QEvent *event)
{
    // Put in its place, the panel shows the settings at once.
    if (event->type() == QEvent::ParentChange && parentWidget())
        reload();
    return MainView::event(event);
}

// --- Loading ------------------------------------------------------------------------------------

void ProjectConfigView::setProject(File *project)
{
    if (m_project)
        disconnect(m_project, nullptr, this, nullptr);
    m_project = project;
    // A project that goes leaves nothing to write to.
    if (project)
        connect(project, &QObject::destroyed, this, [this] { setControlsEnabled(false); });
}

void ProjectConfigView::setControlsEnabled(bool enabled)
{
    for (QObject *child : children()) {
        if (auto *control = qobject_cast<QWidget *>(child))
            control->setEnabled(enabled);
    }
    if (m_ignoreOption)
        m_ignoreOption->setEnabled(enabled);
}

void ProjectConfigView::reload()
{
    setControlsEnabled(m_project);
    if (!m_project)
        return;
    m_projectConfig = ProjectUtil::getProjectConfig(m_project->path());
    configToView();
}

QString ProjectConfigView::placeholderURL() const
{
    const QString name = m_project ? m_project->displayName() : QString();
    return kPlaceholderBaseURL + QString::fromLatin1(QUrl::toPercentEncoding(name));
}

QList<ProjectConfigView::PrefixControl> ProjectConfigView::prefixControls()
{
    return {{QLatin1String("-webkit"), m_prefixWebkit, {m_prefixSafariImg, m_prefixChromeImg}, &m_isPrefixWebkit},
            {QLatin1String("-moz"), m_prefixMoz, {m_prefixMozImg}, &m_isPrefixMoz},
            {QLatin1String("-o"), m_prefixO, {m_prefixOImg}, &m_isPrefixO},
            {QLatin1String("-ms"), m_prefixMS, {m_prefixMsImg}, &m_isPrefixMS}};
}

void ProjectConfigView::configToView()
{
    if (!m_project)
        return;
    m_loading = true;
    const QVariantMap &config = m_projectConfig;
    m_isOverrideCSS = config.value(ProjectUtil::kOverrideCSS).toBool();
    m_isMinifyCSS = config.value(ProjectUtil::kMinifyCSS).toBool();
    m_isOverrideHTML = config.value(ProjectUtil::kOverrideHTML).toBool();
    m_isMinifyHTML = config.value(ProjectUtil::kMinifyHTML).toBool();
    m_isFormatJavaScript = config.value(ProjectUtil::kFormatJavaScript).toBool();
    m_isWebProject = config.value(ProjectUtil::kIsWebProject).toBool();
    m_ignoreOptionText = config.value(ProjectUtil::kIgnoreOption).toString();
    m_webURL = config.value(ProjectUtil::kWebMainURL).toString();
    m_webMainURL->setEnabled(!m_webURL.isEmpty());
    m_webMainURL->setPlaceholderText(placeholderURL());

    m_overrideCSS->setChecked(m_isOverrideCSS);
    m_minifyCSS->setChecked(m_isMinifyCSS);
    m_minifyCSS->setEnabled(m_isOverrideCSS);
    m_overrideHTML->setChecked(m_isOverrideHTML);
    m_minifyHTML->setChecked(m_isMinifyHTML);
    m_minifyHTML->setEnabled(m_isOverrideHTML);
    m_useIgnoreOption->setChecked(m_isUseIgnoreOption);
    m_formatJavaScript->setChecked(m_isFormatJavaScript);
    m_webProject->setChecked(m_isWebProject);
    if (config.contains(ProjectUtil::kIgnoreOption) && m_ignoreOption->toPlainText() != m_ignoreOptionText)
        m_ignoreOption->setPlainText(m_ignoreOptionText);
    m_webMainURL->setText(m_webURL);

    const QVariantList prefixes = config.value(ProjectUtil::kVendarPrefix).toList();
    QList<PrefixControl> controls = prefixControls();
    for (const QVariant &entry : prefixes) {
        const QVariantMap prefix = entry.toMap();
        for (PrefixControl &control : controls) {
            if (prefix.value(QStringLiteral("prefix")).toString() != control.prefix)
                continue;
            *control.flag = prefix.value(QStringLiteral("on")).toBool();
            control.box->setChecked(*control.flag);
            for (PrefixBadge *badge : std::as_const(control.badges))
                badge->setOpacity(*control.flag ? 1.0 : 0.3);
        }
    }
    const QVariantMap properties = config.value(ProjectUtil::kVendarPrefixProperties).toMap();
    m_prefixedProperties = QSet<QString>(properties.keyBegin(), properties.keyEnd());
    activateCSSEdit(m_isOverrideCSS);
    m_loading = false;
}

// --- Writing ------------------------------------------------------------------------------------

void ProjectConfigView::textDidChange()
{
    if (!m_loading)
        applyConfig();
}

void ProjectConfigView::applyConfig()
{
    if (!m_project)
        return;
    m_loading = true;
    m_isOverrideCSS = m_overrideCSS->isChecked();
    if (m_isOverrideCSS) {
        m_isMinifyCSS = m_minifyCSS->isChecked();
        m_minifyCSS->setEnabled(true);
    } else {
        m_isMinifyCSS = false;
        m_minifyCSS->setChecked(false);
        m_minifyCSS->setEnabled(false);
    }
    m_isOverrideHTML = m_overrideHTML->isChecked();
    if (m_isOverrideHTML) {
        m_isMinifyHTML = m_minifyHTML->isChecked();
        m_isUseIgnoreOption = m_useIgnoreOption->isChecked();
        m_minifyHTML->setEnabled(true);
        m_useIgnoreOption->setEnabled(true);
    } else {
        m_minifyHTML->setChecked(false);
        m_minifyHTML->setEnabled(false);
        m_isMinifyHTML = false;
    }
    m_ignoreOptionText = m_ignoreOption->toPlainText();

    m_isWebProject = m_webProject->isChecked();
    if (m_isWebProject) {
        m_webURL = m_webMainURL->text();
        if (!StringValidator::isValidURL(m_webURL)) {
            m_webMainURL->setText(m_webMainURL->placeholderText());
            m_webURL = m_webMainURL->text();
        }
        m_webMainURL->setEnabled(true);
    } else {
        m_webURL.clear();
        m_webMainURL->setText(QString());
        m_webMainURL->setEnabled(false);
    }

    QVariantList prefixes;
    const QList<PrefixControl> controls = prefixControls();
    for (const QVariant &entry : m_projectConfig.value(ProjectUtil::kVendarPrefix).toList()) {
        QVariantMap prefix = entry.toMap();
        for (const PrefixControl &control : controls) {
            if (prefix.value(QStringLiteral("prefix")).toString() != control.prefix)
                continue;
            *control.flag = control.box->isChecked();
            prefix.insert(QStringLiteral("on"), *control.flag);
            for (PrefixBadge *badge : control.badges)
                badge->setOpacity(*control.flag ? 1.0 : 0.3);
        }
        prefixes.append(prefix);
    }
    m_isFormatJavaScript = m_formatJavaScript->isChecked();

    const QVariant storedURL = m_projectConfig.value(ProjectUtil::kWebMainURL);
    const bool urlChanged = !storedURL.isValid() || storedURL.toString() != m_webURL;
    NotificationCenter &center = NotificationCenter::defaultCenter();
    if (urlChanged)
        center.postNotificationName(QStringLiteral("ProjectWebMainURLWillChange"), m_project.data());

    m_projectConfig.insert(ProjectUtil::kOverrideCSS, m_isOverrideCSS);
    m_projectConfig.insert(ProjectUtil::kMinifyCSS, m_isMinifyCSS);
    m_projectConfig.insert(ProjectUtil::kOverrideHTML, m_isOverrideHTML);
    m_projectConfig.insert(ProjectUtil::kMinifyHTML, m_isMinifyHTML);
    m_projectConfig.insert(ProjectUtil::kIgnoreOption, m_ignoreOptionText);
    m_projectConfig.insert(ProjectUtil::kFormatJavaScript, m_isFormatJavaScript);
    m_projectConfig.insert(ProjectUtil::kIsWebProject, m_isWebProject);
    m_projectConfig.insert(ProjectUtil::kWebMainURL, m_webURL);
    m_projectConfig.insert(ProjectUtil::kVendarPrefix, prefixes);

    activateCSSEdit(m_isOverrideCSS);
    m_loading = false;
    // The project may go while the notifications are delivered.
    QPointer<File> project = m_project;
    notifyChange();
    if (urlChanged && project)
        center.postNotificationName(QStringLiteral("ProjectWebMainURLDidChanged"), project.data());
}

void ProjectConfigView::notifyChange()
{
    if (!m_project)
        return;
    QString error;
    if (!ProjectUtil::saveProjectConfig(m_projectConfig, m_project->path(), &error)) {
        Alert::runSaveFailure(QFileInfo(ProjectUtil::configPath(m_project->path())).fileName(), error,
                              QStringLiteral("The new settings apply until Quillmark quits, but the file keeps the old ones."),
                              window());
    }
    NotificationCenter::defaultCenter().postNotificationName(QStringLiteral("ProjectConfigChanged"), this);
}

// --- The property list ----------------------------------------------------------------------------

void ProjectConfigView::activateCSSEdit(bool active)
{
    for (QCheckBox *box : {m_prefixWebkit, m_prefixMoz, m_prefixO, m_prefixMS})
        box->setEnabled(active);
    m_searchTextField->setEnabled(active);
    reloadPropertyList();
}

void ProjectConfigView::searchFieldChange()
{
    QM_DEBUG(m_searchTextField->text());
    reloadPropertyList();
}

QString ProjectConfigView::foldedForFilter(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
            || category == QChar::Mark_Enclosing)
            continue;
        folded.append(c);
    }
    return folded.toCaseFolded();
}

void ProjectConfigView::reloadPropertyList()
{
    QList<int> shown;
    if (m_isOverrideCSS) {
        const QString search = foldedForFilter(m_searchTextField->text());
        for (int i = 0; i < int(m_propertyNames.size()); ++i) {
            if (search.isEmpty() || m_propertyNames[size_t(i)].folded.startsWith(search))
                shown.append(i);
        }
    }
    // The same rows keep their place and scroll position; only their boxes
    // are drawn again.
    if (shown == m_shownProperties && m_vendarPrefixSettingOutline->numberOfRows() == shown.size()) {
        m_vendarPrefixSettingOutline->viewport()->update();
        return;
    }
    m_shownProperties = std::move(shown);
    m_vendarPrefixSettingOutline->reloadData();
}

QStringList ProjectConfigView::allPropertyNames() const
{
    QStringList names;
    names.reserve(m_shownProperties.size());
    for (int i : m_shownProperties)
        names.append(m_propertyNames[size_t(i)].name);
    return names;
}

void ProjectConfigView::checkChanged(const QString &propertyName)
{
    if (!m_project)
        return;
    QVariantMap properties = m_projectConfig.value(ProjectUtil::kVendarPrefixProperties).toMap();
    if (properties.contains(propertyName))
        properties.remove(propertyName);
    else
        properties.insert(propertyName, true);
    m_projectConfig.insert(ProjectUtil::kVendarPrefixProperties, properties);
    m_prefixedProperties = QSet<QString>(properties.keyBegin(), properties.keyEnd());
    applyConfig();
}

int ProjectConfigView::numberOfChildrenOfItem(OutlineView *, void *item)
{
    return item ? 0 : int(m_shownProperties.size());
}

void *ProjectConfigView::childOfItem(OutlineView *, int index, void *item)
{
    if (item || index < 0 || index >= m_shownProperties.size())
        return nullptr;
    return &m_propertyNames[size_t(m_shownProperties[index])];
}

bool ProjectConfigView::isItemExpandable(OutlineView *, void *)
{
    return false;
}

QVariant ProjectConfigView::objectValueForTableColumn(OutlineView *, int, void *item, int role)
{
    if (!item)
        return {};
    const QString &name = static_cast<const PropertyName *>(item)->name;
    switch (role) {
    case Qt::DisplayRole:
        return name;
    case Qt::CheckStateRole:
        return m_prefixedProperties.contains(name) ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}
