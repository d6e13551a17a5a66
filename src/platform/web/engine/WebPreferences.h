#pragma once

class QWebEngineSettings;

// The preview's preferences, over the engine's settings of its page. Only what
// the engine has is here; which preferences it lacks is noted where they are set.
class WebPreferences
{
public:
    explicit WebPreferences(QWebEngineSettings *settings) : m_settings(settings) {}

    // The page's own scripts; the preview bridge works either way.
    bool isJavaScriptEnabled() const;
    void setJavaScriptEnabled(bool enabled);
    bool javaScriptCanOpenWindowsAutomatically() const;
    void setJavaScriptCanOpenWindowsAutomatically(bool allowed);
    bool loadsImagesAutomatically() const;
    void setLoadsImagesAutomatically(bool loads);
    // Local pages may read other local files (their own file: style sheets).
    bool allowFileAccessFromFileURLs() const;
    void setAllowFileAccessFromFileURLs(bool allowed);

private:
    QWebEngineSettings *m_settings; // Not owned; the page's.
};
