#include "DownloadLibView.h"

DownloadLibView::DownloadLibView(QWidget *parent) : WebView(parent, WebPage::BrowserContext::Own)
{
    setObjectName(QStringLiteral("downloadLibView"));
}

DownloadLibView::~DownloadLibView() = default;
