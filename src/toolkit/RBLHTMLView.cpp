#include "RBLHTMLView.h"

#include <QDesktopServices>
#include <QUrl>

RBLHTMLView::RBLHTMLView(QWidget *parent)
    : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setFrameShape(QFrame::NoFrame);
    viewport()->setAutoFillBackground(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(this, &QTextBrowser::anchorClicked, this,
            [](const QUrl &url) { QDesktopServices::openUrl(url); });
}

RBLHTMLView::~RBLHTMLView() = default;

void RBLHTMLView::setCSS(const QString &css)
{
    if (css == m_css && css.isNull() == m_css.isNull())
        return;
    m_css = css;
    reloadConstructedContent();
}

void RBLHTMLView::setHTML(const QString &html)
{
    if (html == m_html && html.isNull() == m_html.isNull())
        return;
    m_html = html;
    reloadConstructedContent();
}

QString RBLHTMLView::pageText(const QString &css, const QString &html)
{
    return QStringLiteral(
               "<!DOCTYPE html><style>     body {         font: 11px Lucida Grande, sans-serif;         "
               "color: #262626;         line-height: 16px;         vertical-align: baseline;         "
               "margin: 0px 0px 0px 0px;     }     a {         text-decoration: none;         "
               "color: #06C;     }     a:visited {         text-decoration: none;         "
               "color: #06C;     }     .error {         color: #911;     } %1</style> <body>%2</body> ")
        .arg(css, html);
}

void RBLHTMLView::reloadConstructedContent()
{
    if (m_html.isNull())
        return;
    ++m_loadCount;
    setHtml(pageText(m_css, m_html));
}
