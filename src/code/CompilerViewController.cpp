#include "CompilerViewController.h"

#include "CodeView.h"
#include "CodeViewController.h"
#include "JSSyntax.h"
#include "PackageController.h"
#include "ProjectSetting.h"
#include "ValueCellView.h"

#include "platform/foundation/Log.h"
#include "platform/kit/Alert.h"
#include "toolkit/ExOutlineView.h"
#include "workspace/File.h"

#include <QDateTime>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTemporaryFile>
#include <QVBoxLayout>

namespace {

QPushButton *button(QWidget *parent, const QString &title, const char *icon, const QString &toolTip)
{
    auto *made = new QPushButton(QIcon::fromTheme(QString::fromLatin1(icon)), title, parent);
    made->setToolTip(toolTip);
    made->setAutoDefault(false);
    return made;
}

// Now, as the header and the console write it: "2026-03-04 05:06:07 +0000".
QString now()
{
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss +0000"));
}

} // namespace

CompilerViewController::CompilerViewController(QObject *parent)
    : QObject(parent)
    , m_packageController(new PackageController(this))
{
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        if (!m_task)
            return;
        m_timedOut = true;
        m_task->kill();
    });
}

CompilerViewController::~CompilerViewController()
{
    if (m_task) {
        m_task->disconnect(this);
        m_task->kill();
        m_task->waitForFinished(1000);
    }
    delete m_view.data();
}

void CompilerViewController::awakeFromNib()
{
    if (m_view)
        return;
    m_view = new QWidget;
    m_view->setObjectName(QStringLiteral("compilerView"));
    auto *layout = new QVBoxLayout(m_view);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *splitter = new QSplitter(Qt::Vertical, m_view);
    splitter->setChildrenCollapsible(false);
    layout->addWidget(splitter);

    // The options and the package tree with its buttons.
    auto *top = new QWidget(splitter);
    auto *topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(4, 4, 4, 4);
    topLayout->setSpacing(4);
    m_tableView = new QTableWidget(0, 2, top);
    m_tableView->setObjectName(QStringLiteral("compilerSettingTable"));
    m_tableView->setHorizontalHeaderLabels({QStringLiteral("Option"), QStringLiteral("Value")});
    m_tableView->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tableView->horizontalHeader()->setStretchLastSection(true);
    m_tableView->verticalHeader()->hide();
    m_tableView->verticalHeader()->setDefaultSectionSize(m_tableView->fontMetrics().height() + 8);
    m_tableView->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tableView->setSelectionMode(QAbstractItemView::NoSelection);
    m_tableView->setTabKeyNavigation(false);
    m_tableView->setFocusPolicy(Qt::NoFocus);
    topLayout->addWidget(m_tableView, 2);

    m_outlineView = new ExOutlineView(top);
    m_outlineView->setObjectName(QStringLiteral("packageOutline"));
    m_outlineView->setAccessibleName(QStringLiteral("Packages"));
    topLayout->addWidget(m_outlineView, 3);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    m_executeButton = button(top, QStringLiteral("Execute"), "media-playback-start",
                             QStringLiteral("Compress every package with the chosen compiler (Ctrl+B)"));
    auto *targetButton = button(top, QStringLiteral("Add Target"), "list-add", QStringLiteral("Add a target"));
    m_addPackageButton = button(top, QStringLiteral("Add Package"), "folder-new",
                                QStringLiteral("Add a package to the selected group or package"));
    auto *includeButton = button(top, QStringLiteral("Include"), "edit-copy",
                                 QStringLiteral("Show the script lines that include the selected package's files"));
    for (QPushButton *b : {m_executeButton.data(), targetButton, m_addPackageButton.data(), includeButton})
        buttons->addWidget(b);
    buttons->addStretch(1);
    topLayout->addLayout(buttons);
    connect(m_executeButton, &QPushButton::clicked, this, &CompilerViewController::execute);
    connect(targetButton, &QPushButton::clicked, this, &CompilerViewController::addTarget);
    connect(m_addPackageButton, &QPushButton::clicked, this, &CompilerViewController::addPackage);
    connect(includeButton, &QPushButton::clicked, this, &CompilerViewController::createIncludeFile);

    // An item's text, then the console.
    m_textView = new CodeView(splitter);
    m_textView->setObjectName(QStringLiteral("packageTextView"));
    m_textView->setAccessibleName(QStringLiteral("Package text"));
    auto *colorer = new JSSyntax(this);
    colorer->setTextView(m_textView);
    m_textView->setTextStorageDelegate(colorer);
    m_console = new QPlainTextEdit(splitter);
    m_console->setObjectName(QStringLiteral("compilerConsole"));
    m_console->setAccessibleName(QStringLiteral("Console"));
    m_console->setReadOnly(true);
    new CodeViewController(m_console);
    m_console->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    QFont consoleFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    consoleFont.setPointSizeF(CodeView::menloFont(11.0).pointSizeF());
    consoleFont.setBold(true);
    m_console->setFont(consoleFont);
    splitter->addWidget(top);
    splitter->addWidget(m_textView);
    splitter->addWidget(m_console);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setStretchFactor(2, 1);

    m_packageController->awakeFromNib(m_outlineView, m_textView);
    connect(m_packageController, &PackageController::selectionDidChange, this, &CompilerViewController::updateButtons);
    QWidget::setTabOrder(m_outlineView, m_executeButton);
    updateButtons();
}

void CompilerViewController::setup(File *projectRoot)
{
    m_projectRoot = projectRoot;
    if (!projectRoot) {
        m_projectSetting.reset();
        m_packageController->setProjectSetting(nullptr);
        reloadOptions();
        updateButtons();
        return;
    }
    ProjectSetting::Opened opened = ProjectSetting::openForProject(projectRoot->path());
    m_projectSetting = std::move(opened.setting);
    if (!opened.problem.isEmpty())
        appendConsole(QStringLiteral("Error:\n%1\n").arg(opened.problem));
    reloadOptions();
    m_packageController->setProjectSetting(m_projectSetting.get());
    if (m_textView)
        m_textView->setString(QString());
    updateButtons();
}

void CompilerViewController::reloadOptions()
{
    if (!m_tableView)
        return;
    m_tableView->setRowCount(0);
    CompilerInfo *compiler = m_projectSetting ? m_projectSetting->compilerInfo() : nullptr;
    if (!compiler)
        return;
    const QList<CompileSetting> &options = compiler->options();
    m_tableView->setRowCount(int(options.size()));
    for (int row = 0; row < options.size(); ++row) {
        auto *label = new QTableWidgetItem(options.at(row).label());
        label->setFlags(Qt::ItemIsEnabled);
        m_tableView->setItem(row, 0, label);
        auto *cell = new ValueCellView(m_tableView);
        cell->setObjectValue(options.at(row));
        cell->setDelegate([this](const QString &category, const QString &title) { menuDidClose(category, title); });
        m_tableView->setCellWidget(row, 1, cell);
    }
}

void CompilerViewController::menuDidClose(const QString &category, const QString &title)
{
    QM_DEBUG(QStringLiteral("category:%1 選択値:%2").arg(category, title));
    if (!m_projectSetting)
        return;
    if (category == QLatin1String("Compiler")) {
        std::unique_ptr<CompilerInfo> compiler = CompilerInfo::getCompilerWithName(title);
        if (!compiler)
            return;
        m_projectSetting->setCompilerInfo(std::move(compiler));
        reloadOptions();
    } else {
        CompileSetting *setting =
            m_projectSetting->compilerInfo() ? m_projectSetting->compilerInfo()->getSettingWithCategory(category) : nullptr;
        if (!setting)
            return;
        const int index = setting->setSelectedIndexWithValue(title);
        if (index < 0)
            return;
        setting->setSelectedindex(index);
        reloadOptions();
    }
    m_projectSetting->saveOrAlert(view());
}

void CompilerViewController::addTarget()
{
    m_packageController->addTarget();
}

void CompilerViewController::addPackage()
{
    m_packageController->addPackage();
}

QString CompilerViewController::genIncludeFile() const
{
    PackItem *package = m_packageController->selectedItem();
    if (!package || !package->isPack())
        return {};
    QString text;
    for (const PackItemPtr &child : *package->children()) {
        text += QStringLiteral("document.write('<script type=\"text/javascript\" language=\"javascript\" src=\"")
                + QStringLiteral("file://") + child->filePath().value_or(QString()) + QStringLiteral("\"></script>')\n");
    }
    return text;
}

void CompilerViewController::createIncludeFile()
{
    const QString text = genIncludeFile();
    QM_DEBUG(text);
    Alert alert;
    alert.setMessageText(QStringLiteral("Copy to debug.js"));
    alert.addButtonWithTitle(QStringLiteral("OK"));
    alert.setInformativeText(text);
    alert.setAlertStyle(Alert::Style::Informational);
    alert.runModal(m_view ? m_view->window() : nullptr);
}

QString CompilerViewController::genConsoleResult(const PackItem &item)
{
    return QStringLiteral("%1 %2 %3")
        .arg(now(), item.filePath().value_or(QString()),
             item.isPack() ? QStringLiteral("Compile Succeeded.\n") : QStringLiteral("Syntax Check OK.\n"));
}

QString CompilerViewController::genHeader(const QString &compilerName, qint64 sourceSize, qint64 compressedSize)
{
    // The quotient in single precision, as the sizes were always compared.
    QString saved = QStringLiteral("n/a");
    if (sourceSize > 0) {
        const float quotient = float(compressedSize) / float(sourceSize);
        saved = QString::number(int(100.0 - 100.0 * double(quotient))) + QLatin1Char('%');
    }
    return QStringLiteral("// Compiler:%1\n").arg(compilerName)
           + QStringLiteral("// Original:%1 byte\n// Compression:%2 byte\n// Saved %3 off the original size\n")
                 .arg(sourceSize)
                 .arg(compressedSize)
                 .arg(saved)
           + QStringLiteral("// Date:%1\n").arg(now())
           + QStringLiteral("// Licence:Apache licence...\n");
}

void CompilerViewController::appendConsole(const QString &text)
{
    if (!m_console)
        return;
    m_console->moveCursor(QTextCursor::End);
    m_console->insertPlainText(text);
    m_console->ensureCursorVisible();
}

void CompilerViewController::updateButtons()
{
    if (m_executeButton)
        m_executeButton->setEnabled(m_projectSetting && !isRunning());
    if (m_addPackageButton) {
        PackItem *selected = m_packageController->selectedItem();
        m_addPackageButton->setEnabled(selected
                                       && (selected->isPack() || selected->type() == PackItem::ScriptGroup
                                           || selected->type() == PackItem::StyleGroup));
    }
}
