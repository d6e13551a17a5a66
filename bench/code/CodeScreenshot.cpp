// A code view offscreen, as the file viewer builds it, with a page of a small
// site open, its find bar showing a search, written to the path given
// ("code.png" by default). "dark" as the second argument gives the desktop a
// dark palette; "css" or "js" as the third opens the style sheet or the script,
// "min" a minified style sheet whose rules stand on one long line.
//
//   code_screenshot [OUTPUT.png] [light|dark] [html|css|js|min]

#include "app/FileViewController.h"
#include "code/CodeView.h"
#include "code/TextFinder.h"
#include "workspace/File.h"

#include "../ScreenPicture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPalette>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>


int main(int argc, char *argv[])
{
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("code.png");
    const bool dark = argc > 2 && qstrcmp(argv[2], "dark") == 0;
    const QString kind = argc > 3 ? QString::fromLatin1(argv[3]) : QStringLiteral("html");
    QTemporaryDir home;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString site = home.filePath(QStringLiteral("site"));
    writeProjectFile(site + QStringLiteral("/index.html"),
          "<!DOCTYPE html>\n<html>\n<head>\n  <meta charset=\"utf-8\">\n  <title>Lighthouse Bakery</title>\n"
          "  <link rel=\"stylesheet\" href=\"css/site.css\">\n</head>\n<body>\n  <!-- The masthead -->\n"
          "  <header class=\"top\">\n    <h1>Lighthouse Bakery</h1>\n"
          "    <nav><a href=\"menu.html\">Menu</a> <a href=\"about.html\">About</a></nav>\n  </header>\n"
          "  <main>\n    <p class=\"lead\" title=\"/about/history\">Bread baked before dawn, every day.</p>\n"
          "    <img src=\"images/loaf.png\" alt=\"A loaf\" width=\"320\">\n  </main>\n"
          "  <script src=\"js/app.js\"></script>\n</body>\n</html>\n");
    writeProjectFile(site + QStringLiteral("/css/site.css"),
          "/* Lighthouse Bakery */\n@import url(\"print.css\");\n\nbody {\n    margin: 0;\n"
          "    font-family: Georgia, serif;\n    color: #2b2b2b;\n}\n\n.top a:hover {\n    color: #8a6d3b !important;\n"
          "    padding: 1.5em 2em;\n}\n\n@media (max-width: 600px) {\n    .top { flex-direction: column; }\n}\n");
    writeProjectFile(site + QStringLiteral("/js/app.js"),
          "// Marks the lead paragraph.\nvar lead = document.querySelector('.lead');\nfunction mark(node, fresh) {\n"
          "    if (fresh === true) {\n        node.title = \"Fresh \" + 3 + ' loaves';\n    } else {\n"
          "        return null;\n    }\n}\n/* Called once. */\nmark(lead, true);\n");

    QByteArray minified = "/*! minified */\n";
    for (int i = 0; minified.size() < 12000; ++i) {
        minified += ".btn-" + QByteArray::number(i) + ":hover{color:#1a2b3c;padding:" + QByteArray::number(i % 9)
                    + "px 2em;font-family:\"Helvetica Neue\",Arial}@media (min-width:576px){.col-"
                    + QByteArray::number(i) + "{flex:0 0 auto;width:50%}}";
    }
    writeProjectFile(site + QStringLiteral("/css/min.css"), minified + "\n");

    QApplication application(argc, argv);
    if (dark) {
        application.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        application.setPalette(darkPalette());
    }
    QWidget pane;
    // The minified sheet's first cut of its long line, some 30 rows down, in view.
    pane.resize(720, kind == QLatin1String("min") ? 760 : 420);
    FileViewController viewer(&pane);
    File root(site, true, nullptr);
    const QString name = kind == QLatin1String("min") ? QStringLiteral("min.css")
        : kind == QLatin1String("css")                ? QStringLiteral("site.css")
        : kind == QLatin1String("js")                 ? QStringLiteral("app.js")
                                                      : QStringLiteral("index.html");
    viewer.viewFile(FileViewController::searchDirectory(name, root.children()));
    pane.show();
    CodeView *view = viewer.mainCodeView();
    if (!view)
        return 1;
    view->setFocus();
    view->textFinder()->performAction(TextFinder::ShowFindInterface);
    view->textFinder()->setSearchString(QStringLiteral("lead"));

    QTimer::singleShot(800, &application, [&] {
        const bool written = pane.grab().save(output);
        std::fprintf(stderr, "%s %s\n", written ? "wrote" : "could not write", qPrintable(output));
        application.exit(written ? 0 : 1);
    });
    return application.exec();
}
