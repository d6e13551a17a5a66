// The source search for DOM tree rows on a generated 1 MB page: searchCode
// for 100 element rows spread evenly over the page (sections, nested lists,
// tables with and without a written tbody), each timed alone.
//
//   code_search_bench

#include "code/CodeSearch.h"
#include "domtree/DOMNodeEx.h"
#include "domtree/DomNodeMap.h"
#include "platform/web/dom/DOMDocument.h"
#include "platform/web/dom/DOMElement.h"
#include "platform/web/html/HTMLParser.h"

#include "../BenchFigures.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

namespace {

QString generatedPage()
{
    QString page = QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n  <meta charset=\"utf-8\">\n"
                                  "  <title>Bench</title>\n</head>\n<body class=\"home\">\n");
    for (int i = 0; page.size() < 1024 * 1024; ++i) {
        page += QStringLiteral("  <!-- section %1 -->\n  <section id=\"s%1\" class=\"card\">\n"
                               "    <h2 class=\"title\">Section %1</h2>\n"
                               "    <p>Text of %1 with <a href=\"page%1.html\" onclick=\"go(%1.5)\">a link</a>.</p>\n"
                               "    <ul>\n      <li>one</li>\n      <li class=\"b\">two <em>%1</em></li>\n    </ul>\n")
                    .arg(i);
        page += i % 2 ? QStringLiteral("    <table><tr><td>%1</td><td>x</td></tr></table>\n").arg(i)
                      : QStringLiteral("    <table><tbody><tr><td>%1</td></tr></tbody></table>\n").arg(i);
        page += QStringLiteral("  </section>\n");
    }
    return page + QStringLiteral("</body>\n</html>\n");
}

void collect(DOMNodeEx *row, QList<DOMNodeEx *> &rows)
{
    if (row->node() && row->node()->isElement() && !row->isCloseNode())
        rows.append(row);
    for (const DOMNodeExPtr &child : row->children())
        collect(child.get(), rows);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString code = generatedPage();
    std::shared_ptr<DOMDocument> document = HTMLParser::parseDocument(code);
    DOMNodeExPtr root = DOMNodeEx::initWithNode(document->documentElement()->shared_from_this(), nullptr);
    QList<DOMNodeEx *> rows;
    collect(root.get(), rows);

    Figures figures;
    int found = 0;
    const int count = 100;
    for (int i = 0; i < count; ++i) {
        DOMNodeEx *row = rows.at(qsizetype(i) * (rows.size() - 1) / (count - 1));
        QElapsedTimer clock;
        clock.start();
        const Range range = CodeSearch::searchCode(code, row);
        figures.add(clock.nsecsElapsed() / 1e6);
        found += range.location != NotFound;
    }
    std::printf("page %lld characters, %lld element rows\n", qlonglong(code.size()), qlonglong(rows.size()));
    std::printf("searchCode, %d rows: %s; %d found\n", count, qPrintable(figures.text()), found);
    DomNodeMap::getInstance().clearMap();
    return 0;
}
