#include "ExWebView.h"

ExWebView::ExWebView(QWidget *parent) : WebView(parent) {}

ExWebView::~ExWebView() = default;
