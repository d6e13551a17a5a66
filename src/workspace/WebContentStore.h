#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The texts of the resources the preview loaded: the current text and the
// last saved text of each, keyed by the address's scheme, host, port and
// path (query and fragment are not part of the key, so a resource asked
// with another query is the same; one site's "/css/site.css" is never
// another's). The preview provides the store and
// installs it with setShared(); web nodes of the file model read and write
// their texts through it. Without a store web nodes keep their text to
// themselves and have no saved text.
class WebContentStore
{
public:
    virtual ~WebContentStore() = default;

    virtual std::optional<QString> contentWithURL(const QUrl &url) const = 0;
    virtual std::optional<QString> savedContentWithURL(const QUrl &url) const = 0;
    // Both do nothing for an address without a path.
    virtual void setContent(const QString &text, const QUrl &url) = 0;
    virtual void setSaved(const QString &text, const QUrl &url) = 0;

    // The installed store, or null. Not owned.
    static WebContentStore *shared();
    static void setShared(WebContentStore *store);
};
