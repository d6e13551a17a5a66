#pragma once

#include "platform/web/engine/WebView.h"

// The library download browser's web view: a page of its own in a browser
// context of its own (its cookies and downloads apart from the preview's),
// outside everything that follows the preview's loads.
class DownloadLibView : public WebView
{
    Q_OBJECT

public:
    explicit DownloadLibView(QWidget *parent = nullptr);
    ~DownloadLibView() override;
};
