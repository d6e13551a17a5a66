#pragma once

#include <QString>

// About 10,000 elements: sections of articles with headings, paragraphs with
// links and inline markup, lists, tables and forms; ids, classes and data
// attributes vary with the position.
inline QString pageHtml()
{
    QString html = QStringLiteral("<!DOCTYPE html><html lang=\"en\"><head><title>Bench</title>"
                                  "<meta charset=\"utf-8\"><link rel=\"stylesheet\" href=\"a.css\"></head><body>");
    int elements = 7;
    for (int s = 0; elements < 10000; ++s) {
        html += QStringLiteral("<section id=\"s%1\" class=\"section tone-%2\">").arg(s).arg(s % 5);
        html += QStringLiteral("<h2 class=\"title\">Section %1</h2>").arg(s);
        elements += 2;
        for (int a = 0; a < 4; ++a) {
            html += QStringLiteral("<article class=\"card%1\" data-index=\"%2\">")
                        .arg(a % 2 ? QStringLiteral(" wide") : QString())
                        .arg(a);
            html += QStringLiteral("<p>Text <a href=\"/p/%1/%2\" title=\"Link %2\">link</a> and <em>more</em> "
                                   "<span class=\"note\">note</span>.</p>")
                        .arg(s)
                        .arg(a);
            html += QStringLiteral("<ul class=\"items\"><li>one</li><li class=\"on\">two</li><li>three</li></ul>");
            elements += 9;
            if (a == 2) {
                html += QStringLiteral("<table><tbody><tr><td>1</td><td>2</td></tr><tr><td>3</td><td>4</td></tr>"
                                       "</tbody></table>");
                elements += 8;
            }
            if (a == 3) {
                html += QStringLiteral("<form><input type=\"text\" name=\"q%1\" required><input type=\"checkbox\" "
                                       "checked><button disabled>Go</button></form>")
                            .arg(s);
                elements += 4;
            }
            html += QStringLiteral("</article>");
        }
        html += QStringLiteral("</section>");
    }
    return html + QStringLiteral("</body></html>");
}
