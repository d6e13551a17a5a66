#include "WebPreferences.h"

void WebPreferences::setJavaScriptEnabled(bool enabled)
{
    if (m_javaScript == enabled)
        return;
    m_javaScript = enabled;
    if (m_changed)
        m_changed();
}
