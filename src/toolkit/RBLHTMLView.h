#pragma once

#include <QTextBrowser>

// A small view of a fixed HTML page built from a style sheet and a body; a
// link clicked in it opens in the user's default application and the view
// keeps its page.
class RBLHTMLView : public QTextBrowser
{
    Q_OBJECT

public:
    explicit RBLHTMLView(QWidget *parent = nullptr);
    ~RBLHTMLView() override;

    QString CSS() const { return m_css; }
    void setCSS(const QString &css);
    QString HTML() const { return m_html; }
    void setHTML(const QString &html);

    // Builds the page again; nothing while there is no HTML.
    void reloadConstructedContent();
    // The page text for a style sheet and a body.
    static QString pageText(const QString &css, const QString &html);

    int loadCount() const { return m_loadCount; }

private:
    QString m_css;
    QString m_html;
    int m_loadCount = 0;
};
