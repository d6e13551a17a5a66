// The CSS rules panel offscreen over a live page of a small site: the rules
// of a paragraph in cascade order, one declaration selected and its value
// being typed. Writes the panel to the path given ("rules.png" by default);
// "dark" as the second argument gives the desktop a dark palette. With "add"
// as the third, the add-declaration popover beside the rule instead, "col"
// typed into its search field; with "rule", the add-rule popover; with
// "list", the value list opened under the colour being typed, the
// style-editor badge beside it; with "menu", the rule's context menu, "Add To
// Responsive" open; with "property", a declaration's context menu.
//
//   cssrules_screenshot [OUTPUT.png] [light|dark] [add|rule|list|menu|property]

#include "cssrules/AddDeclarationViewController.h"
#include "cssrules/AddSelectorViewController.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "interfaces/StyleEditorInterface.h"
#include "toolkit/SearchFieldEx.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/engine/ChromiumProcess.h"
#include "platform/web/engine/WebView.h"
#include "toolkit/OutlineViewEx.h"
#include "workspace/File.h"
#include "workspace/ProjectUtil.h"

#include "../BenchUtil.h"
#include "../OffscreenHome.h"
#include "../ScreenPicture.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// Colours have a popover editor: their rows show the badge.
class ColourEditorOnly : public StyleEditorInterface
{
public:
    QString typeByProp(const QString &property) const override
    {
        return property.endsWith(QLatin1String("color")) ? QStringLiteral("color") : QStringLiteral("noEditor");
    }
    bool isEditable(const QString &property) const override { return typeByProp(property) != QLatin1String("noEditor"); }
    void initializeEditorView(const QString &, const QString &) override {}
    QWidget *view() override { return &m_view; }

private:
    QWidget m_view;
};

} // namespace

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("rules.png");
    const bool dark = argc > 2 && qstrcmp(argv[2], "dark") == 0;
    const QByteArray popover = argc > 3 ? QByteArray(argv[3]) : QByteArray();
    QTemporaryDir home;
    useOffscreenHome(home);
    QApplication application(argc, argv);
    if (dark) {
        application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        application.setPalette(darkPalette());
    }
    const QString site = home.filePath(QStringLiteral("site"));
    writeProjectFile(site + QStringLiteral("/index.html"),
                     "<!DOCTYPE html>\n<html>\n<head>\n  <link rel=\"stylesheet\" href=\"css/site.css\">\n</head>\n<body>\n"
                     "  <main class=\"page\">\n    <p class=\"lead note\" id=\"lead\">Bread baked before dawn.</p>\n  </main>\n"
                     "</body>\n</html>\n");
    writeProjectFile(site + QStringLiteral("/css/site.css"),
                     "/* Lighthouse Bakery */\n@import url(\"base.css\");\n\np {\n    margin: 0 0 1em;\n    color: #2b2b2b;\n}\n\n"
                     ".page .lead {\n    font-size: 1.25rem;\n    color: #8a6d3b;\n}\n\n.note:hover {\n    color: teal;\n}\n\n"
                     "@media (min-width: 600px) {\n    .lead { letter-spacing: 0.02em; }\n}\n\n#lead {\n    padding: 4px 8px;\n}\n");
    writeProjectFile(site + QStringLiteral("/css/base.css"), "p {\n    line-height: 1.5;\n    color: black;\n}\n");
    ProjectUtil::getProjectConfig(site);
    ProjectUtil::setCurrentProjectPath(site);
    File root(site, true, nullptr);
    QList<File *> sheets;
    for (File *folder : root.children()) {
        if (folder->displayName() != QLatin1String("css"))
            continue;
        for (File *sheet : folder->children())
            sheets.append(sheet);
    }

    ChromiumProcess::instance().start();
    WebView page;
    page.resize(800, 600);
    page.show();
    page.webPage()->load(QUrl::fromLocalFile(site + QStringLiteral("/index.html")));
    waitUntil([&] { return page.framesShown() > 0 && page.mainFrameDocument(); });
    DOMDocument *document = page.mainFrameDocument();
    if (!document) {
        std::fprintf(stderr, "the page was not shown\n");
        return 1;
    }
    CSSOutlineDelegate panel;
    panel.awakeFromNib();
    panel.setStyleFiles(sheets);
    QWidget *view = panel.view();
    view->resize(380, 560);
    view->show();
    view->move(0, 0);
    page.lower();
    // The page's sheets may come with its first answer: the list is built again then.
    for (int pass = 0; pass < 2; ++pass) {
        QSignalSpy built(&panel, &CSSOutlineDelegate::rebuilt);
        panel.updateRulesByElement(document->getElementById(QStringLiteral("lead")));
        if (built.isEmpty())
            built.wait(5000);
    }
    OutlineViewEx *outline = panel.outline();
    ColourEditorOnly colourEditor;
    if (popover == "list")
        panel.setStyleEditor(&colourEditor);
    if (!popover.isEmpty() && popover != "list") {
        for (const CSSRulePtr &row : panel.rules()) {
            if (row->displayName() != QLatin1String(".page .lead"))
                continue;
            outline->selectRowIndexes({outline->rowForItem(row.get())}, false);
            if (popover == "menu" || popover == "property") {
                CSSRulePtr clicked = row;
                if (popover == "property")
                    clicked = row->children().value(0);
                const int index = outline->rowForItem(clicked.get());
                panel.showContextMenu(outline->rectOfRow(index).center(), false);
                if (popover == "menu") {
                    waitUntil([] { return false; }, 300);
                    // "Add To Responsive" open beside it.
                    if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                        for (QAction *item : menu->actions()) {
                            if (!item->menu())
                                continue;
                            menu->setActiveAction(item);
                            item->menu()->popup(menu->mapToGlobal(menu->actionGeometry(item).topRight()));
                        }
                    }
                }
            } else if (popover == "rule") {
                panel.showAddSelector();
                if (AddSelectorViewController *add = panel.addSelectorViewController())
                    QTest::keyClicks(add->textField(), QStringLiteral("p.lead, .page > p:hover, foo"));
            } else {
                panel.showAddDeclarationPopover(row);
                if (AddDeclarationViewController *add = panel.addDeclarationViewController())
                    QTest::keyClicks(add->searchTextField(), QStringLiteral("col"));
            }
        }
        waitUntil([] { return false; }, 600);
        if (popover == "menu" || popover == "property") {
            // The panel with its open menus laid over it where they stand.
            QImage picture(QSize(760, 560), QImage::Format_ARGB32);
            picture.fill(view->palette().color(QPalette::Window));
            QPainter painter(&picture);
            painter.drawPixmap(0, 0, view->grab());
            for (QWidget *top : QApplication::topLevelWidgets()) {
                if (qobject_cast<QMenu *>(top) && top->isVisible())
                    painter.drawPixmap(top->geometry().topLeft() - view->geometry().topLeft(), top->grab());
            }
            painter.end();
            const bool written = picture.save(output);
            std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
            return written ? 0 : 1;
        }
        const bool written = pictureOfScreen(QSize(820, 600)).save(output);
        std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
        return written ? 0 : 1;
    }
    for (const CSSRulePtr &row : panel.rules()) {
        if (row->displayName() != QLatin1String(".page .lead"))
            continue;
        for (const CSSRulePtr &child : row->children()) {
            if (child->propName() == QLatin1String("color")) {
                outline->setFocus();
                outline->selectRowIndexes({outline->rowForItem(child.get())}, false);
                outline->editColumn(0, outline->rowForItem(child.get()), true);
                auto *field = outline->findChild<QLineEdit *>(QStringLiteral("valueNameDisplay"));
                if (field && popover == "list") {
                    // Down opens the list; typing narrows it, Down again previews a value.
                    field->selectAll();
                    QTest::keyClicks(field, QStringLiteral("s"));
                    QTest::keyClick(field, Qt::Key_Down);
                    QTest::keyClick(field, Qt::Key_Down);
                    QTest::keyClick(field, Qt::Key_Down);
                } else if (field) {
                    QTest::keyClicks(field, QStringLiteral("#7a5c2e"));
                }
            }
        }
    }
    waitUntil([] { return false; }, 600);
    const bool written = view->grab().save(output);
    std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
    return written ? 0 : 1;
}
