#include "WebPreferences.h"

#include <QWebEngineSettings>

bool WebPreferences::isJavaScriptEnabled() const
{
    return m_settings->testAttribute(QWebEngineSettings::JavascriptEnabled);
}

void WebPreferences::setJavaScriptEnabled(bool enabled)
{
    m_settings->setAttribute(QWebEngineSettings::JavascriptEnabled, enabled);
}

bool WebPreferences::javaScriptCanOpenWindowsAutomatically() const
{
    return m_settings->testAttribute(QWebEngineSettings::JavascriptCanOpenWindows);
}

void WebPreferences::setJavaScriptCanOpenWindowsAutomatically(bool allowed)
{
    m_settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, allowed);
}

bool WebPreferences::loadsImagesAutomatically() const
{
    return m_settings->testAttribute(QWebEngineSettings::AutoLoadImages);
}

void WebPreferences::setLoadsImagesAutomatically(bool loads)
{
    m_settings->setAttribute(QWebEngineSettings::AutoLoadImages, loads);
}

bool WebPreferences::allowFileAccessFromFileURLs() const
{
    return m_settings->testAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls);
}

void WebPreferences::setAllowFileAccessFromFileURLs(bool allowed)
{
    m_settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, allowed);
}
