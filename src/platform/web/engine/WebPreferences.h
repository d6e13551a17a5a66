#pragma once

#include <functional>

// The preview's preferences of one page. The page applies them to the
// browser whenever one changes (and to every frame target it attaches); what
// the browser has no switch for is only kept, as noted below.
class WebPreferences
{
public:
    explicit WebPreferences(std::function<void()> changed) : m_changed(std::move(changed)) {}

    // The page's own scripts; the preview bridge works either way.
    bool isJavaScriptEnabled() const { return m_javaScript; }
    void setJavaScriptEnabled(bool enabled);
    // Kept only: the browser opens the windows a page's script asks for.
    bool javaScriptCanOpenWindowsAutomatically() const { return m_openWindows; }
    void setJavaScriptCanOpenWindowsAutomatically(bool allowed) { m_openWindows = allowed; }
    // Kept only: the browser always loads images.
    bool loadsImagesAutomatically() const { return m_images; }
    void setLoadsImagesAutomatically(bool loads) { m_images = loads; }
    // Local pages may read the local files of their project (their own file:
    // style sheets), never others (WebFileAccess): the browser is started
    // that way, so this is kept only.
    bool allowFileAccessFromFileURLs() const { return m_fileAccess; }
    void setAllowFileAccessFromFileURLs(bool allowed) { m_fileAccess = allowed; }

private:
    std::function<void()> m_changed;
    bool m_javaScript = true;
    bool m_openWindows = true;
    bool m_images = true;
    bool m_fileAccess = true;
};
