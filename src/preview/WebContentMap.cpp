#include "WebContentMap.h"

WebContentMap *WebContentMap::getInstance()
{
    static WebContentMap *s_instance = [] {
        auto *map = new WebContentMap;
        // A store a test installed first stays.
        if (!WebContentStore::shared())
            WebContentStore::setShared(map);
        return map;
    }();
    return s_instance;
}

QString WebContentMap::keyForURL(const QUrl &url)
{
    if (url.path().isEmpty())
        return {};
    return url.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo).toString(QUrl::FullyEncoded);
}

std::optional<QString> WebContentMap::contentWithURL(const QUrl &url) const
{
    const auto found = m_contentMap.constFind(keyForURL(url));
    if (found == m_contentMap.cend())
        return std::nullopt;
    return *found;
}

std::optional<QString> WebContentMap::savedContentWithURL(const QUrl &url) const
{
    const auto found = m_savedMap.constFind(keyForURL(url));
    if (found == m_savedMap.cend())
        return std::nullopt;
    return *found;
}

void WebContentMap::setContent(const QString &text, const QUrl &url)
{
    const QString key = keyForURL(url);
    if (!key.isEmpty())
        m_contentMap.insert(key, text);
}

void WebContentMap::setSaved(const QString &text, const QUrl &url)
{
    const QString key = keyForURL(url);
    if (!key.isEmpty())
        m_savedMap.insert(key, text);
}

void WebContentMap::removeContentWithURL(const QUrl &url)
{
    m_contentMap.remove(keyForURL(url));
}

void WebContentMap::clear()
{
    m_contentMap.clear();
    m_savedMap.clear();
}
