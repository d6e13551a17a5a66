#include "WorkspaceTestSupport.h"

#include "app/views/PrefixBadge.h"
#include "app/views/ProjectConfigView.h"
#include "platform/foundation/Archiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/kit/OutlineView.h"
#include "platform/kit/TextField.h"
#include "stylesheet/WebCoreObjects.h"
#include "workspace/ProjectUtil.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTest>

namespace {

// The notifications of a change, in order, each with the address the
// settings file held when it came.
class Announcements
{
public:
    explicit Announcements(const QString &project)
    {
        for (const char *name : {"ProjectWebMainURLWillChange", "ProjectConfigChanged", "ProjectWebMainURLDidChanged"}) {
            NotificationCenter::defaultCenter().addObserver(&m_owner, QString::fromLatin1(name), nullptr,
                                                            [this, project](const Notification &n) {
                                                                names << n.name;
                                                                addresses << stored(project).value(QStringLiteral("webMainURL")).toString();
                                                            });
        }
    }
    static QVariantMap stored(const QString &project)
    {
        return Unarchiver::unarchiveObjectWithData(TestUtil::readFile(ProjectUtil::configPath(project)))
            .valueOr(QVariant())
            .toMap();
    }
    int count(const char *name) const { return int(names.count(QString::fromLatin1(name))); }

    QStringList names;
    QStringList addresses;

private:
    QObject m_owner;
};

// The panel over a project of its own, shown, with its settings file.
class ProjectConfigViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ProjectUtil::resetForTesting();
        QDir(dir.path()).mkpath(QStringLiteral("My Site"));
        project = dir.filePath(QStringLiteral("My Site"));
    }
    void TearDown() override { ProjectUtil::resetForTesting(); }

    // Opens the panel on the project, whose settings are the defaults
    // changed by `change`.
    void open(const std::function<void(QVariantMap &)> &change = {})
    {
        QVariantMap config = ProjectUtil::getProjectConfig(project);
        if (change) {
            change(config);
            ProjectUtil::saveProjectConfig(config, project);
        }
        root = std::make_unique<File>(project, true, nullptr);
        panel = std::make_unique<ProjectConfigView>();
        panel->resize(240, 700);
        panel->setProject(root.get());
        panel->reload();
        panel->show();
        QTest::qWait(1);
    }
    QVariantMap stored() const { return Announcements::stored(project); }

    // Clicks the row of the property list that shows the name.
    void clickRow(const QString &name)
    {
        OutlineView *list = panel->vendarPrefixSettingOutline();
        const int index = int(panel->allPropertyNames().indexOf(name));
        ASSERT_GE(index, 0);
        list->scrollRowToVisible(index);
        const QPoint point = list->rectOfRow(index).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, point);
    }

    QTemporaryDir dir;
    QString project;
    std::unique_ptr<File> root;
    std::unique_ptr<ProjectConfigView> panel;
};

TEST_F(ProjectConfigViewTest, TurningOverrideCSSOffUnticksMinifyAndEmptiesThePropertyList)
{
    open();
    panel->minifyCSS()->click();
    EXPECT_TRUE(stored().value(QStringLiteral("minifyCSS")).toBool());

    panel->overrideCSS()->click();
    EXPECT_FALSE(panel->minifyCSS()->isChecked());
    EXPECT_FALSE(panel->minifyCSS()->isEnabled());
    for (QCheckBox *box : {panel->prefixWebkit(), panel->prefixMoz(), panel->prefixO(), panel->prefixMS()})
        EXPECT_FALSE(box->isEnabled());
    EXPECT_FALSE(panel->searchTextField()->isEnabled());
    EXPECT_TRUE(panel->allPropertyNames().isEmpty());
    EXPECT_EQ(panel->vendarPrefixSettingOutline()->numberOfRows(), 0);
    EXPECT_FALSE(stored().value(QStringLiteral("overrideCSS")).toBool());
    EXPECT_FALSE(stored().value(QStringLiteral("minifyCSS")).toBool());

    panel->overrideCSS()->click();
    EXPECT_TRUE(panel->minifyCSS()->isEnabled());
    EXPECT_FALSE(panel->minifyCSS()->isChecked());
    EXPECT_TRUE(panel->prefixMoz()->isEnabled());
    EXPECT_EQ(panel->vendarPrefixSettingOutline()->numberOfRows(), WebCoreObjects::getStyleNames().size());
}

TEST_F(ProjectConfigViewTest, TurningOverrideHTMLOffKeepsTheIgnoreRuleBoxAsItWas)
{
    open();
    panel->minifyHTML()->click();
    panel->useIgnoreOption()->click();
    EXPECT_TRUE(stored().value(QStringLiteral("minifyHTML")).toBool());

    panel->overrideHTML()->click();
    EXPECT_FALSE(panel->minifyHTML()->isChecked());
    EXPECT_FALSE(panel->minifyHTML()->isEnabled());
    EXPECT_TRUE(panel->useIgnoreOption()->isChecked());
    EXPECT_TRUE(panel->useIgnoreOption()->isEnabled());
    const QVariantMap config = stored();
    EXPECT_FALSE(config.value(QStringLiteral("overrideHTML")).toBool());
    EXPECT_FALSE(config.value(QStringLiteral("minifyHTML")).toBool());
    // The box's state lives in the panel only.
    EXPECT_FALSE(config.contains(QStringLiteral("useIgnoreOption")));
}

TEST_F(ProjectConfigViewTest, AWebProjectWithoutAnAddressTakesThePlaceholder)
{
    open();
    EXPECT_FALSE(panel->webMainURL()->isEnabled());
    panel->webProject()->click();
    const QString placeholder = QStringLiteral("http://localhost/My%20Site");
    EXPECT_EQ(panel->placeholderURL(), placeholder);
    EXPECT_EQ(panel->webMainURL()->text(), placeholder);
    EXPECT_TRUE(panel->webMainURL()->isEnabled());
    EXPECT_TRUE(stored().value(QStringLiteral("isWebProject")).toBool());
    EXPECT_EQ(stored().value(QStringLiteral("webMainURL")).toString(), placeholder);

    // An address typed is taken when its editing ends; one that is no
    // address gives way to the placeholder.
    panel->webMainURL()->setFocus();
    panel->webMainURL()->selectAll();
    QTest::keyClicks(panel->webMainURL(), QStringLiteral("https://example.org/site"));
    QTest::keyClick(panel->webMainURL(), Qt::Key_Return);
    EXPECT_EQ(stored().value(QStringLiteral("webMainURL")).toString(), QStringLiteral("https://example.org/site"));
    panel->webMainURL()->selectAll();
    QTest::keyClicks(panel->webMainURL(), QStringLiteral("example"));
    QTest::keyClick(panel->webMainURL(), Qt::Key_Return);
    EXPECT_EQ(stored().value(QStringLiteral("webMainURL")).toString(), placeholder);
}

TEST_F(ProjectConfigViewTest, UntickingAWebProjectClearsTheAddressAroundTheSave)
{
    open([](QVariantMap &config) {
        config.insert(QStringLiteral("isWebProject"), true);
        config.insert(QStringLiteral("webMainURL"), QStringLiteral("http://example.com/"));
    });
    EXPECT_EQ(panel->webMainURL()->text(), QStringLiteral("http://example.com/"));
    Announcements said(project);
    panel->webProject()->click();
    EXPECT_EQ(said.names, (QStringList{QStringLiteral("ProjectWebMainURLWillChange"), QStringLiteral("ProjectConfigChanged"),
                                       QStringLiteral("ProjectWebMainURLDidChanged")}));
    EXPECT_EQ(said.addresses, (QStringList{QStringLiteral("http://example.com/"), QString(), QString()}));
    EXPECT_FALSE(panel->webMainURL()->isEnabled());
    EXPECT_FALSE(stored().value(QStringLiteral("isWebProject")).toBool());
}

TEST_F(ProjectConfigViewTest, TheFirstChangeWithoutAStoredAddressPostsBothAddressNotifications)
{
    open();
    ASSERT_FALSE(stored().contains(QStringLiteral("webMainURL")));
    Announcements said(project);
    panel->formatJavaScript()->click();
    EXPECT_EQ(said.names, (QStringList{QStringLiteral("ProjectWebMainURLWillChange"), QStringLiteral("ProjectConfigChanged"),
                                       QStringLiteral("ProjectWebMainURLDidChanged")}));
    panel->formatJavaScript()->click();
    EXPECT_EQ(said.count("ProjectConfigChanged"), 2);
    EXPECT_EQ(said.count("ProjectWebMainURLWillChange"), 1);
    EXPECT_TRUE(stored().value(QStringLiteral("formatJavaScript")).toBool());
}

TEST_F(ProjectConfigViewTest, APrefixOfNoKnownBrowserStaysAsItWas)
{
    const QVariantMap odd{{QStringLiteral("prefix"), QStringLiteral("-khtml")}, {QStringLiteral("on"), true},
                          {QStringLiteral("note"), QStringLiteral("kept")}};
    open([&odd](QVariantMap &config) {
        QVariantList prefixes = config.value(QStringLiteral("vendarPrefix")).toList();
        prefixes.append(odd);
        config.insert(QStringLiteral("vendarPrefix"), prefixes);
    });
    EXPECT_DOUBLE_EQ(panel->prefixMozImg()->opacity(), 0.3);
    panel->prefixMoz()->click();
    EXPECT_DOUBLE_EQ(panel->prefixMozImg()->opacity(), 1.0);
    EXPECT_DOUBLE_EQ(panel->prefixOImg()->opacity(), 0.3);
    const QVariantList prefixes = stored().value(QStringLiteral("vendarPrefix")).toList();
    ASSERT_EQ(prefixes.size(), 5);
    EXPECT_EQ(prefixes[1].toMap().value(QStringLiteral("prefix")).toString(), QStringLiteral("-moz"));
    EXPECT_TRUE(prefixes[1].toMap().value(QStringLiteral("on")).toBool());
    EXPECT_EQ(prefixes[4].toMap(), odd);
}

TEST_F(ProjectConfigViewTest, TickingAndUntickingARowSavesTwiceAndLeavesTheListAsItWas)
{
    open();
    const QVariantMap before = stored().value(QStringLiteral("vendarPrefixProperties")).toMap();
    ASSERT_TRUE(before.contains(QStringLiteral("user-select")));
    QTest::keyClicks(panel->searchTextField(), QStringLiteral("user-s"));
    Announcements said(project);
    clickRow(QStringLiteral("user-select"));
    EXPECT_FALSE(stored().value(QStringLiteral("vendarPrefixProperties")).toMap().contains(QStringLiteral("user-select")));
    clickRow(QStringLiteral("user-select"));
    EXPECT_EQ(said.count("ProjectConfigChanged"), 2);
    EXPECT_EQ(stored().value(QStringLiteral("vendarPrefixProperties")).toMap(), before);
}

TEST_F(ProjectConfigViewTest, TheFilterKeepsNamesStartingWithTheTextInAnyCaseOrAccent)
{
    open();
    const int all = int(WebCoreObjects::getStyleNames().size());
    EXPECT_EQ(panel->allPropertyNames().size(), all);
    QTest::keyClicks(panel->searchTextField(), QStringLiteral("TrA"));
    const QStringList shown = panel->allPropertyNames();
    EXPECT_TRUE(shown.contains(QStringLiteral("transform")));
    EXPECT_TRUE(shown.contains(QStringLiteral("transition")));
    for (const QString &name : shown)
        EXPECT_TRUE(name.startsWith(QStringLiteral("tra"))) << name.toStdString();
    EXPECT_EQ(panel->vendarPrefixSettingOutline()->numberOfRows(), shown.size());

    panel->searchTextField()->setText(QStringLiteral("TRÄN"));
    EXPECT_EQ(panel->allPropertyNames(), QStringList(shown).filter(QRegularExpression(QStringLiteral("^tran"))));
    panel->searchTextField()->clear();
    EXPECT_EQ(panel->allPropertyNames().size(), all);
}

TEST_F(ProjectConfigViewTest, EveryKeystrokeInTheIgnoreRulesIsWritten)
{
    open();
    Announcements said(project);
    QPlainTextEdit *rules = panel->ignoreOption();
    rules->show();
    rules->moveCursor(QTextCursor::End);
    QTest::keyClicks(rules, QStringLiteral("p{}"));
    EXPECT_EQ(said.count("ProjectConfigChanged"), 3);
    EXPECT_TRUE(stored().value(QStringLiteral("ignoreOption")).toString().endsWith(QStringLiteral("p{}")));
    // Reading the settings again is no edit.
    panel->reload();
    EXPECT_EQ(said.count("ProjectConfigChanged"), 3);
}

TEST_F(ProjectConfigViewTest, WithoutAProjectNothingCanBeChanged)
{
    ProjectConfigView empty;
    EXPECT_FALSE(empty.overrideCSS()->isEnabled());
    EXPECT_FALSE(empty.ignoreOption()->isEnabled());
    empty.reload();
    EXPECT_FALSE(empty.overrideCSS()->isEnabled());

    open();
    EXPECT_TRUE(panel->overrideCSS()->isEnabled());
    EXPECT_TRUE(panel->ignoreOption()->isEnabled());
    // The project leaves the list: its settings are no more the panel's to write.
    root.reset();
    EXPECT_FALSE(panel->overrideCSS()->isEnabled());
    EXPECT_FALSE(panel->ignoreOption()->isEnabled());
}

class ProjectSettingsInTheWindow : public WorkspaceTest
{
};

TEST_F(ProjectSettingsInTheWindow, ThePanelFollowsTheProjectOfTheFileShown)
{
    remember({path("site"), path("other")});
    launch();
    ProjectConfigView *panel = viewer()->saveOption();
    ASSERT_NE(panel, nullptr);
    select(node("site/css/main.css"));
    ASSERT_NE(panel->project(), nullptr);
    EXPECT_EQ(panel->project()->path(), path("site"));
    panel->minifyCSS()->click();
    EXPECT_TRUE(Announcements::stored(path("site")).value(QStringLiteral("minifyCSS")).toBool());

    select(node("other/notes.txt"));
    EXPECT_EQ(panel->project()->path(), path("other"));
    EXPECT_FALSE(panel->minifyCSS()->isChecked());

    // The settings changed elsewhere (the DOM tree's ignore commands) show
    // when the panel is asked to load again.
    QVariantMap config = ProjectUtil::getProjectConfig(path("other"));
    config.insert(QStringLiteral("ignoreOption"), QStringLiteral("div{ignore:true;}"));
    ProjectUtil::saveProjectConfig(config, path("other"));
    controller()->reloadProjectConfigView();
    EXPECT_EQ(panel->ignoreOption()->toPlainText(), QStringLiteral("div{ignore:true;}"));
}

} // namespace
