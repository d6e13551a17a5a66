// The code assist list under the caret of a code view, offscreen, written to
// the path given ("assist.png" by default): "css" lists properties in a style
// sheet, "value" the values after a property chosen with Return, "html" the
// tags after a typed "<d", "class" the class names of the page's style sheet
// with their jump buttons. "dark" gives the desktop a dark
// palette.
//
//   code_assist_screenshot [OUTPUT.png] [light|dark] [css|value|html|class]

#include "CodeAssistSetup.h"

#include "code/CodeView.h"
#include "toolkit/RBLPopoverWindow.h"
#include "workspace/File.h"

#include "../ScreenPicture.h"

#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("assist.png");
    const bool dark = argc > 2 && qstrcmp(argv[2], "dark") == 0;
    const QString kind = argc > 3 ? QString::fromLatin1(argv[3]) : QStringLiteral("css");
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString site = home.filePath(QStringLiteral("site"));
    writeProjectFile(site + QStringLiteral("/index.html"),
                     "<!DOCTYPE html>\n<html>\n<head>\n  <link rel=\"stylesheet\" href=\"site.css\">\n</head>\n"
                     "<body>\n  <header class=\"top\">\n    <h1>Lighthouse Bakery</h1>\n  </header>\n"
                     "  <p class=\"\">Bread baked before dawn.</p>\n  \n</body>\n</html>\n");
    writeProjectFile(site + QStringLiteral("/site.css"),
                     "body {\n    margin: 0;\n    col\n}\n\n.top {\n    padding: 1em;\n}\n\n.lead, .note {\n"
                     "    font-size: 1.2em;\n}\n\n.card .title {\n    font-weight: bold;\n}\n");

    QApplication application(argc, argv);
    if (dark)
        useDarkDesktop(application);
    QWidget pane;
    pane.resize(720, 420);
    FileViewController viewer(&pane);
    ReferenceView *popup = installCodeAssist(viewer);
    FakeRulesPanel sheets;
    popup->setCssOutlineDelegate(&sheets);
    File root(site, true, nullptr);
    File *page = FileViewController::searchDirectory(QStringLiteral("index.html"), root.children());
    File *sheet = FileViewController::searchDirectory(QStringLiteral("site.css"), root.children());
    sheets.files = {sheet};
    const bool inSheet = kind == QLatin1String("css") || kind == QLatin1String("value");
    viewer.viewFile(inSheet ? sheet : page);
    pane.show();
    CodeView *view = viewer.mainCodeView();
    if (!view || !QTest::qWaitForWindowActive(&pane))
        return 1;
    view->setFocus();

    const QString text = view->string();
    QTextCursor cursor = view->textCursor();
    if (inSheet) {
        cursor.setPosition(int(text.indexOf(QStringLiteral("col")) + 3));
        view->setTextCursor(cursor);
        QTest::keyClick(view, Qt::Key_Space, Qt::ShiftModifier);
        if (kind == QLatin1String("value"))
            QTest::keyClick(view, Qt::Key_Return);
    } else if (kind == QLatin1String("class")) {
        cursor.setPosition(int(text.indexOf(QStringLiteral("class=\"\"")) + 7));
        view->setTextCursor(cursor);
        QTest::keyClick(view, Qt::Key_Space, Qt::ShiftModifier);
    } else {
        cursor.setPosition(int(text.indexOf(QStringLiteral("  \n</body>")) + 2));
        view->setTextCursor(cursor);
        QTest::keyClicks(view, QStringLiteral("<d"));
    }

    QTimer::singleShot(600, &application, [&] {
        QImage picture = pane.grab().toImage();
        QPainter painter(&picture);
        RBLPopover *popover = viewer.popover();
        if (popover && popover->popoverWindow() && popover->popoverWindow()->isVisible()) {
            QWidget *window = popover->popoverWindow();
            painter.drawPixmap(pane.mapFromGlobal(window->geometry().topLeft()), window->grab());
        }
        painter.end();
        const bool written = picture.save(output);
        std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
        application.exit(written ? 0 : 1);
    });
    return application.exec();
}
