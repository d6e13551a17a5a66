#include "ShellTestSupport.h"
#include "TestUtil.h"

#include "app/DesktopApplications.h"
#include "workspace/File.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Desktop folders of a temporary home: applications in the user's folder and
// in one system folder, and the user's added associations.
class DesktopApplicationsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_saved = {qgetenv("XDG_DATA_HOME"), qgetenv("XDG_DATA_DIRS"), qgetenv("XDG_CONFIG_HOME")};
        qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("user")).toLocal8Bit());
        // The desktop's own folders stay last: they hold the MIME database.
        qputenv("XDG_DATA_DIRS", home.filePath(QStringLiteral("system")).toLocal8Bit() + ":"
                                     + home.filePath(QStringLiteral(".Trash/old")).toLocal8Bit()
                                     + ":/usr/local/share:/usr/share");
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
        page = home.filePath(QStringLiteral("index.html"));
        TestUtil::writeFile(page, "<p>hi</p>");
    }
    void TearDown() override
    {
        qputenv("XDG_DATA_HOME", m_saved[0]);
        qputenv("XDG_DATA_DIRS", m_saved[1]);
        qputenv("XDG_CONFIG_HOME", m_saved[2]);
    }

    QString entry(const QString &folder, const QString &name, const QByteArray &text)
    {
        const QString path = home.filePath(folder + QStringLiteral("/applications/") + name);
        QDir().mkpath(QFileInfo(path).path());
        TestUtil::writeFile(path, "[Desktop Entry]\nType=Application\n" + text);
        return path;
    }

    QStringList names()
    {
        QStringList result;
        for (const DesktopApplication &application : DesktopApplications::applicationsForURL(QUrl::fromLocalFile(page))) {
            if (application.path.startsWith(home.path()))
                result << application.name;
        }
        result.sort(Qt::CaseInsensitive);
        return result;
    }

    QTemporaryDir home;
    QString page;

private:
    QList<QByteArray> m_saved;
};

TEST_F(DesktopApplicationsTest, FindsTheApplicationsOfTheTypeAndItsParents)
{
    entry(QStringLiteral("system"), QStringLiteral("browser.desktop"), "Name=Browser\nExec=browser %u\nMimeType=text/html;\n");
    entry(QStringLiteral("system"), QStringLiteral("editor.desktop"), "Name=Editor\nExec=editor %F\nMimeType=text/plain;\n");
    entry(QStringLiteral("system"), QStringLiteral("viewer.desktop"), "Name=Viewer\nExec=viewer %f\nMimeType=image/png;\n");
    entry(QStringLiteral("system"), QStringLiteral("link.desktop"), "Type=Link\nName=Link\nURL=x\nMimeType=text/html;\n");
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Browser"), QStringLiteral("Editor")}));
}

TEST_F(DesktopApplicationsTest, TheUsersEntryHidesTheSystemsAndHiddenEntriesDrop)
{
    entry(QStringLiteral("system"), QStringLiteral("browser.desktop"), "Name=Old Browser\nExec=browser %u\nMimeType=text/html;\n");
    entry(QStringLiteral("user"), QStringLiteral("browser.desktop"), "Name=My Browser\nExec=browser %u\nMimeType=text/html;\n");
    entry(QStringLiteral("system"), QStringLiteral("gone.desktop"), "Name=Gone\nHidden=true\nExec=gone\nMimeType=text/html;\n");
    EXPECT_EQ(names(), QStringList{QStringLiteral("My Browser")});
}

TEST_F(DesktopApplicationsTest, AddedAssociationsCount)
{
    entry(QStringLiteral("system"), QStringLiteral("tool.desktop"), "Name=Tool\nExec=tool %f\n");
    QDir().mkpath(home.filePath(QStringLiteral("config")));
    TestUtil::writeFile(home.filePath(QStringLiteral("config/mimeapps.list")),
                        "[Added Associations]\ntext/html=tool.desktop;\n");
    EXPECT_EQ(names(), QStringList{QStringLiteral("Tool")});
}

TEST_F(DesktopApplicationsTest, ThePreviewApplicationsOfAFileLeaveTheTrashOutAndSortByName)
{
    entry(QStringLiteral("system"), QStringLiteral("zed.desktop"), "Name=zed\nExec=zed %f\nMimeType=text/html;\n");
    entry(QStringLiteral("system"), QStringLiteral("kde/web.desktop"), "Name=Web\nExec=web %u\nMimeType=text/html;\n");
    entry(QStringLiteral("system"), QStringLiteral("web.desktop"), "Name=Web\nExec=web2 %u\nMimeType=text/html;\n");
    entry(QStringLiteral(".Trash/old"), QStringLiteral("trashed.desktop"), "Name=Trashed\nExec=t %f\nMimeType=text/html;\n");
    entry(QStringLiteral("system"), QStringLiteral("atom.desktop"), "Name=atom\nExec=atom %f\nMimeType=text/html;\n");

    AppDelegate delegate;
    File file(page, false, nullptr);
    QStringList names;
    for (const DesktopApplication &application : delegate.getHTMLPreviewableApplications(&file)) {
        if (application.path.startsWith(home.path()))
            names << application.name;
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("atom"), QStringLiteral("Web"), QStringLiteral("Web"),
                                  QStringLiteral("zed")}));
    EXPECT_TRUE(delegate.getHTMLPreviewableApplications(nullptr).isEmpty());
}

TEST_F(DesktopApplicationsTest, TheCommandLineTakesTheFileWhereTheEntrySays)
{
    DesktopApplication application;
    application.name = QStringLiteral("Editor");
    application.path = QStringLiteral("/apps/editor.desktop");
    application.iconName = QStringLiteral("editor");
    const QUrl file = QUrl::fromLocalFile(QStringLiteral("/site/my page.html"));

    application.exec = QStringLiteral("editor --new-window %F");
    EXPECT_EQ(DesktopApplications::commandLine(application, file),
              (QStringList{QStringLiteral("editor"), QStringLiteral("--new-window"), QStringLiteral("/site/my page.html")}));
    application.exec = QStringLiteral("\"/opt/my editor/run\" %i --title=%c %u");
    EXPECT_EQ(DesktopApplications::commandLine(application, file),
              (QStringList{QStringLiteral("/opt/my editor/run"), QStringLiteral("--icon"), QStringLiteral("editor"),
                           QStringLiteral("--title=Editor"), QStringLiteral("file:///site/my%20page.html")}));
    // An entry that names no file gets it at the end; "%%" is a percent sign.
    application.exec = QStringLiteral("editor 100%% %d");
    EXPECT_EQ(DesktopApplications::commandLine(application, file),
              (QStringList{QStringLiteral("editor"), QStringLiteral("100%"), QStringLiteral("/site/my page.html")}));
}

TEST_F(DesktopApplicationsTest, OpensTheFileWithTheApplication)
{
    const QString out = home.filePath(QStringLiteral("opened.txt"));
    const QString script = home.filePath(QStringLiteral("open.sh"));
    TestUtil::writeFile(script, "#!/bin/sh\nprintf '%s' \"$1\" > \"" + out.toLocal8Bit() + "\"\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString path = entry(QStringLiteral("user"), QStringLiteral("opener.desktop"),
                               "Name=Opener\nExec=" + script.toLocal8Bit() + " %f\nMimeType=text/html;\n");
    const std::optional<DesktopApplication> application = DesktopApplications::applicationAtPath(path);
    ASSERT_TRUE(application);
    ASSERT_TRUE(DesktopApplications::openURLWithApplication(QUrl::fromLocalFile(page), *application));
    EXPECT_TRUE(TestUtil::waitUntil([&] { return TestUtil::readFile(out) == page.toLocal8Bit(); }, 5000));
    EXPECT_FALSE(DesktopApplications::applicationAtPath(home.filePath(QStringLiteral("missing.desktop"))));
}

} // namespace
