#include "WorkspaceTestSupport.h"

#include "app/EXWindow.h"
#include "app/views/MainView.h"
#include "domtree/DomTreeDelegate.h"
#include "editors/AttributeStyleEditorViewController.h"
#include "platform/kit/SegmentedControl.h"
#include "platform/kit/SplitView.h"
#include "toolkit/CandidateTextField.h"

#include <QDir>
#include <QAbstractItemView>
#include <QFormLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyleFactory>
#include <QToolButton>

#include <gtest/gtest.h>

namespace WindowLayoutsTest {

namespace {

// A pane of a layout and the least it needs to be of use.
struct Pane
{
    const char *name;
    QWidget *widget;
    QSize least;
};

std::string text(const QRect &rect)
{
    return QStringLiteral("%1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()).toStdString();
}

// A dark desktop: Fusion's shades of a dark button and window, light text.
QPalette darkPalette()
{
    QPalette palette(QColor(53, 55, 60), QColor(45, 47, 51));
    palette.setColor(QPalette::Base, QColor(32, 34, 37));
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, QColor(220, 222, 226));
    return palette;
}

// The first labelled editor of the style attribute pane's page shown.
QWidget *firstEditorRow(AttributeStyleEditorViewController *pane)
{
    auto *tabs = pane->view()->findChild<QStackedWidget *>(QStringLiteral("tabView"));
    auto *scroll = tabs ? qobject_cast<QScrollArea *>(tabs->currentWidget()) : nullptr;
    auto *form = scroll && scroll->widget() ? qobject_cast<QFormLayout *>(scroll->widget()->layout()) : nullptr;
    for (int row = 0; form && row < form->rowCount(); ++row) {
        QLayoutItem *label = form->itemAt(row, QFormLayout::LabelRole);
        QLayoutItem *field = form->itemAt(row, QFormLayout::FieldRole);
        if (label && field && field->widget())
            return field->widget();
    }
    return nullptr;
}

// The main window with a page, its tree and an element selected, in both
// layouts at the sizes of a small and a large screen.
class WindowLayouts : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        TestUtil::writeFile(path("site/index.html"),
                            "<!DOCTYPE html><html><head><link rel=stylesheet href=css/main.css></head>"
                            "<body><p id=p style='margin: 0'>hello</p></body></html>");
        remember({path("site")});
        launch();
        tree = dynamic_cast<DomTreeDelegate *>(delegate->domTreeController());
        ASSERT_TRUE(tree);
        delegate->ui().window->show();
        delegate->ui().cssInspector->show();
        File *page = node("site/index.html");
        ASSERT_TRUE(page);
        select(page);
        controller()->doubleClick();
        ASSERT_TRUE(TestUtil::waitUntil([&] { return tree->document() && !tree->domNodeList().isEmpty(); }, 15000));
        tree->selectNode(tree->document()->getElementById(QStringLiteral("p")));
        TestUtil::spin(200);
    }

    MainInterface &ui() { return delegate->ui(); }

    // Lays the windows out for a screen of that size and waits until they stand still.
    void layOut(bool docked, const QSize &size)
    {
        const QRect screen(QPoint(0, 0), size);
        if (docked)
            delegate->layoutTwocolumns(screen);
        else
            delegate->layoutHover(screen);
        const QRect window = docked ? delegate->dockedMainWindowFrame(screen) : delegate->hoverMainWindowFrame(screen);
        const QRect panel = docked ? delegate->dockedInspectorFrame(screen) : delegate->hoverInspectorFrame(screen);
        ASSERT_TRUE(TestUtil::waitUntil([&] {
            return ui().window->geometry() == window && ui().cssInspector->geometry() == panel;
        }, 5000)) << "window " << text(ui().window->geometry()) << " for " << text(window) << ", panel "
                   << text(ui().cssInspector->geometry()) << " for " << text(panel);
        TestUtil::spin(300);
    }

    QRect onScreen(const QWidget *widget) const
    {
        return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    }

    // Where a widget can be seen: inside every ancestor up to its window.
    QRect visiblePart(const QWidget *widget) const
    {
        QRect seen = onScreen(widget);
        for (const QWidget *parent = widget->parentWidget(); parent; parent = parent->parentWidget()) {
            seen &= onScreen(parent);
            if (parent->isWindow())
                break;
        }
        return widget->isVisible() ? seen : QRect();
    }

    // The labels, buttons and segmented controls of the window whose text is
    // cut: narrower than it needs, or cut by the panes around it. Rows of
    // item views are the views' business.
    QStringList cutTexts(const QWidget *window)
    {
        QStringList cut;
        for (const QWidget *widget : window->findChildren<QWidget *>()) {
            // Not what a collapsed pane hides, nor the ruler's scale, which
            // runs on past the preview's edge.
            if (widget->window() != window || visiblePart(widget).isEmpty()
                || widget->parentWidget() == ui().rulerLabelView)
                continue;
            bool inItemView = false;
            for (const QWidget *parent = widget->parentWidget(); parent && !inItemView; parent = parent->parentWidget())
                inItemView = qobject_cast<const QAbstractItemView *>(parent);
            if (inItemView)
                continue;
            QString shown;
            if (const auto *label = qobject_cast<const QLabel *>(widget)) {
                if (!label->wordWrap() && !Qt::mightBeRichText(label->text()))
                    shown = label->text();
            } else if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
                const auto *tool = qobject_cast<const QToolButton *>(button);
                if (!tool || tool->toolButtonStyle() != Qt::ToolButtonIconOnly || tool->icon().isNull())
                    shown = button->text();
            } else if (const auto *segments = qobject_cast<const SegmentedControl *>(widget)) {
                for (int i = 0; i < segments->segmentCount(); ++i)
                    shown += segments->labelForSegment(i) + u' ';
                shown = shown.trimmed();
            }
            if (shown.isEmpty())
                continue;
            const int needed = widget->sizeHint().width();
            const int room = qMin(widget->width(), visiblePart(widget).width());
            if (room < needed)
                cut.append(QStringLiteral("\"%1\" (%2 of %3)").arg(shown).arg(room).arg(needed));
            // A control laid over it hides part of it too.
            const QObjectList &siblings = widget->parentWidget()->children();
            for (qsizetype i = siblings.indexOf(widget) + 1; i < siblings.size(); ++i) {
                const auto *above = qobject_cast<const QWidget *>(siblings[i]);
                if (above && above->isVisible() && !above->isWindow() && above->geometry().intersects(widget->geometry()))
                    cut.append(QStringLiteral("\"%1\" (under %2)").arg(shown, above->objectName()));
            }
        }
        return cut;
    }

    // The screen as the user sees it: the main window with the panel over it.
    QImage screenPicture(const QSize &size)
    {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::black);
        QPainter painter(&picture);
        painter.drawPixmap(ui().window->geometry().topLeft(), ui().window->grab());
        painter.drawPixmap(ui().cssInspector->geometry().topLeft(), ui().cssInspector->grab());
        return picture;
    }

    void checkLayout(bool docked, const QSize &size, const QString &shot)
    {
        SCOPED_TRACE(shot.toStdString());
        ASSERT_NO_FATAL_FAILURE(layOut(docked, size));
        const QRect screen(QPoint(0, 0), size);
        const QRect panel = ui().cssInspector->frameGeometry();
        const QRect preview = onScreen(ui().centerTopPane);
        EXPECT_FALSE(panel.intersects(preview)) << "the inspector covers the preview";
        EXPECT_FALSE(panel.intersects(ui().window->frameGeometry())) << "the inspector covers the main window";
        EXPECT_TRUE(screen.contains(ui().window->frameGeometry()));
        EXPECT_TRUE(screen.contains(panel));

        auto *styleAttribute = ui().window->findChild<AttributeStyleEditorViewController *>(QStringLiteral("styleAttributePanel"));
        ASSERT_TRUE(styleAttribute);
        auto *attributesPane = ui().attributePane->parentWidget();
        // The preview keeps 40% of a screen 800 high, 45% of one 1080 high.
        const int previewHeight = size.height() > 800 ? 486 : 320;
        std::vector<Pane> panes = {
            {"preview", ui().centerTopPane, {400, previewHeight}},
            {"file tree", ui().leftTopPane, {150, 150}},
            {"resources", ui().leftBottomPane, {120, 150}},
            {"code", ui().mainView, {250, 150}},
            {"right pane", ui().rightBottomPane, {240, 150}},
            {"DOM tree", ui().domTreeView, {200, 100}},
            {"attributes", attributesPane, {200, 90}},
            {"style attribute", ui().styleAttributePane->parentWidget(), {200, 80}},
            {"CSS rules", ui().cssRulesPane, {250, 200}},
        };
        if (docked)
            panes.push_back({"style sheets", ui().styleListPane, {250, 150}});
        for (const Pane &pane : panes) {
            const QSize seen = visiblePart(pane.widget).size();
            EXPECT_GE(seen.width(), pane.least.width()) << pane.name;
            EXPECT_GE(seen.height(), pane.least.height()) << pane.name;
        }
        // Every divider stands within the limits its panes' rules give it,
        // but for a collapsed pane's.
        for (SplitView *split : ui().splitViews()) {
            if (!split->isVisible())
                continue;
            for (int divider = 0; divider + 1 < split->count(); ++divider) {
                if (split->isSubviewCollapsed(split->widget(divider)) || split->isSubviewCollapsed(split->widget(divider + 1)))
                    continue;
                const int position = split->positionOfDividerAtIndex(divider);
                EXPECT_GE(position, delegate->constrainMinCoordinate(split, position, divider))
                    << split->objectName().toStdString() << " divider " << divider;
                EXPECT_LE(position, delegate->constrainMaxCoordinate(split, position, divider))
                    << split->objectName().toStdString() << " divider " << divider;
            }
        }
        // The attributes list has room for two rows.
        auto *attributes = ui().window->findChild<QAbstractItemView *>(QStringLiteral("domInfo"));
        ASSERT_TRUE(attributes);
        EXPECT_GE(visiblePart(attributes->viewport()).height(), 2 * 20);
        EXPECT_EQ(cutTexts(ui().window).join(QStringLiteral("; ")).toStdString(), "");
        EXPECT_EQ(cutTexts(ui().cssInspector).join(QStringLiteral("; ")).toStdString(), "");
        // The style attribute pane shows its first editor row whole.
        const QWidget *firstRow = firstEditorRow(styleAttribute);
        ASSERT_TRUE(firstRow) << "no editor row";
        EXPECT_EQ(visiblePart(firstRow), onScreen(firstRow)) << "the first editor row is cut off";
        // The add-declaration field is whole on the screen.
        auto *addField = ui().cssInspector->findChild<CandidateTextField *>(QStringLiteral("candidateTextField"));
        ASSERT_TRUE(addField);
        EXPECT_TRUE(screen.contains(onScreen(addField)));
        EXPECT_EQ(visiblePart(addField), onScreen(addField)) << "the add-declaration field is cut off";

        // Kept for a look, out of the folder the suite runs in.
        const QString folder = QDir::tempPath() + QStringLiteral("/quillmark-layout-shots");
        QDir().mkpath(folder);
        screenPicture(size).save(folder + u'/' + shot + QStringLiteral(".png"));
    }

    DomTreeDelegate *tree = nullptr;
};

} // namespace

TEST_F(WindowLayouts, EveryPaneIsUsableAndThePreviewUncoveredInEachLayoutAndSize)
{
    const QPalette light = QApplication::palette();
    for (const bool dark : {false, true}) {
        if (dark) {
            QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
            QApplication::setPalette(darkPalette());
        }
        for (const QSize size : {QSize(1280, 800), QSize(1920, 1080)}) {
            for (const bool docked : {true, false}) {
                checkLayout(docked, size,
                            QStringLiteral("%1-%2x%3-%4")
                                .arg(docked ? QStringLiteral("docked") : QStringLiteral("floating"))
                                .arg(size.width())
                                .arg(size.height())
                                .arg(dark ? QStringLiteral("dark") : QStringLiteral("light")));
            }
        }
    }
    QApplication::setPalette(light);
}

} // namespace WindowLayoutsTest
