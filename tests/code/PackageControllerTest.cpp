#include "ScriptPackageTestSupport.h"

#include "code/CodeView.h"
#include "code/PackageController.h"
#include "code/ProjectSetting.h"
#include "toolkit/ExOutlineView.h"
#include "toolkit/FileDragPasteboard.h"

#include <QMimeData>

#include <gtest/gtest.h>

namespace {

// The package editor over saved settings with one target whose script group
// holds a package; drops are made as the outline makes them.
struct Editor
{
    Editor()
    {
        setting = ProjectSetting::openForProject(project.path()).setting;
        controller.awakeFromNib(&outline, &text);
        controller.setProjectSetting(setting.get());
        controller.addTarget();
        target = setting->packages().first();
        scripts = target->childAtIndex(0);
        select(scripts.get());
        controller.addPackage();
        package = scripts->childAtIndex(0);
    }

    void select(PackItem *item) { outline.selectRowIndexes({outline.rowForItem(item)}, false); }

    Qt::DropAction validate(const QMimeData &mime, PackItem *item, int index = -1)
    {
        DraggingInfo info;
        info.pasteboard = &mime;
        return controller.validateDrop(&outline, info, item, index);
    }
    bool drop(const QMimeData &mime, PackItem *item, int index = -1)
    {
        DraggingInfo info;
        info.pasteboard = &mime;
        return controller.acceptDrop(&outline, info, item, index);
    }
    static std::unique_ptr<QMimeData> desktopFiles(const QStringList &paths)
    {
        auto mime = std::make_unique<QMimeData>();
        FileDragPasteboard::setFileNames(mime.get(), paths);
        return mime;
    }
    std::unique_ptr<QMimeData> dragged(const QList<PackItem *> &items)
    {
        auto mime = std::make_unique<QMimeData>();
        QList<void *> list(items.cbegin(), items.cend());
        controller.writeItems(&outline, list, mime.get());
        return mime;
    }
    QStringList childPaths(const PackItemPtr &item) const
    {
        QStringList paths;
        for (const PackItemPtr &child : *item->children())
            paths << child->filePath().value_or(QStringLiteral("-"));
        return paths;
    }
    QList<PackItemPtr> savedPackages() const
    {
        return ProjectSetting::decode(project.read(QStringLiteral(".kem"))).value()->packages();
    }

    ScriptProject project;
    std::unique_ptr<ProjectSetting> setting;
    ExOutlineView outline;
    CodeView text;
    PackageController controller;
    PackItemPtr target;
    PackItemPtr scripts;
    PackItemPtr package;
};

} // namespace

TEST(PackageController, DesktopScriptsAreImportedOnceInOrderAndOtherFilesSkipped)
{
    Editor editor;
    auto files = Editor::desktopFiles({"/p/a.js", "/p/b.JS", "/p/c.css"});
    EXPECT_EQ(editor.validate(*files, editor.package.get()), Qt::CopyAction);
    ASSERT_TRUE(editor.drop(*files, editor.package.get()));
    EXPECT_EQ(editor.childPaths(editor.package), QStringList({"/p/a.js", "/p/b.JS"}));
    EXPECT_EQ(editor.package->childAtIndex(0)->parent(), editor.package);
    ASSERT_TRUE(editor.drop(*Editor::desktopFiles({"/p/a.js"}), editor.package.get()));
    EXPECT_EQ(editor.package->numberOfChildren(), 2);

    // The file tree's drag carries its paths the same way.
    QMimeData tree;
    tree.setData(FileDragPasteboard::kInnerFileDragMove, FileDragPasteboard::archivePaths({"/p/d.js"}));
    ASSERT_TRUE(editor.drop(tree, editor.package.get()));
    EXPECT_EQ(editor.childPaths(editor.savedPackages().first()->childAtIndex(0)->childAtIndex(0)),
              QStringList({"/p/a.js", "/p/b.JS", "/p/d.js"}));
}

TEST(PackageController, FilesOnTheRootOrATargetAreRefused)
{
    Editor editor;
    auto files = Editor::desktopFiles({"/p/a.js"});
    EXPECT_EQ(editor.validate(*files, nullptr, 0), Qt::IgnoreAction);
    EXPECT_FALSE(editor.drop(*files, nullptr, 0));
    EXPECT_EQ(editor.validate(*files, editor.target.get()), Qt::IgnoreAction);
    EXPECT_FALSE(editor.drop(*files, editor.target.get()));
    EXPECT_EQ(editor.target->numberOfChildren(), 2);

    // A target dragged to the root, or a package into a package, is refused too.
    EXPECT_EQ(editor.validate(*editor.dragged({editor.target.get()}), nullptr, 1), Qt::IgnoreAction);
    editor.select(editor.scripts.get());
    editor.controller.addPackage();
    PackItemPtr other = editor.scripts->childAtIndex(1);
    EXPECT_EQ(editor.validate(*editor.dragged({other.get()}), editor.package.get()), Qt::IgnoreAction);
    EXPECT_FALSE(editor.drop(*editor.dragged({other.get()}), editor.package.get()));
    EXPECT_EQ(editor.scripts->numberOfChildren(), 2);
}

TEST(PackageController, ANestedPackageMovesToTheRootFromItsRealPlace)
{
    Editor editor;
    auto mime = editor.dragged({editor.package.get()});
    EXPECT_EQ(editor.validate(*mime, nullptr, 0), Qt::MoveAction);
    ASSERT_TRUE(editor.drop(*mime, nullptr, 0));
    ASSERT_EQ(editor.setting->packages().size(), 2);
    EXPECT_EQ(editor.setting->packages().at(0), editor.package);
    EXPECT_EQ(editor.setting->packages().at(1), editor.target);
    EXPECT_EQ(editor.scripts->numberOfChildren(), 0);
    EXPECT_EQ(editor.package->parent(), nullptr);

    // The same drag again finds the package gone from its recorded place.
    EXPECT_FALSE(editor.drop(*mime, nullptr, 2));
    EXPECT_EQ(editor.setting->packages().at(0), editor.package);
}

TEST(PackageController, AMovedItemTakesItsNewPackageAsParentAndAMoveIntoItselfIsRefused)
{
    Editor editor;
    // A style group (no package) dragged into the package.
    PackItemPtr styles = editor.target->childAtIndex(1);
    ASSERT_TRUE(editor.drop(*editor.dragged({styles.get()}), editor.package.get()));
    EXPECT_EQ(editor.package->childAtIndex(0), styles);
    EXPECT_EQ(styles->parent(), editor.package);
    EXPECT_EQ(editor.target->numberOfChildren(), 1);

    // The script group into the package inside it would hang the tree on itself.
    auto loop = editor.dragged({editor.scripts.get()});
    EXPECT_EQ(editor.validate(*loop, editor.package.get()), Qt::IgnoreAction);
    EXPECT_FALSE(editor.drop(*loop, editor.package.get()));
    EXPECT_EQ(editor.target->childAtIndex(0), editor.scripts);
}

TEST(PackageController, DeleteRemovesTargetsAndPackagesButNeverGroups)
{
    Editor editor;
    editor.select(editor.scripts.get());
    editor.controller.tableViewDidRecieveDeleteKey();
    EXPECT_EQ(editor.target->numberOfChildren(), 2);

    editor.select(editor.package.get());
    editor.controller.tableViewDidRecieveDeleteKey();
    EXPECT_EQ(editor.scripts->numberOfChildren(), 0);

    editor.select(editor.target.get());
    editor.controller.tableViewDidRecieveDeleteKey();
    EXPECT_TRUE(editor.setting->packages().isEmpty());
    EXPECT_TRUE(editor.savedPackages().isEmpty());
}

TEST(PackageController, TextTypedIntoTheViewBecomesTheSelectedItemsContent)
{
    Editor editor;
    editor.package->setContent(QStringLiteral("packed"));
    editor.select(editor.package.get());
    EXPECT_EQ(editor.text.string(), QStringLiteral("packed"));
    editor.text.moveCursor(QTextCursor::End);
    editor.text.insertPlainText(QStringLiteral("!"));
    EXPECT_EQ(editor.package->content(), QStringLiteral("packed!"));
    EXPECT_TRUE(editor.package->contentUpdateDate().has_value());
}
