#pragma once

#include "workspace/WebContentStore.h"

#include <QHash>
#include <QString>
#include <QUrl>

#include <optional>

// The texts of the resources the preview loaded, for the web nodes of the
// file model: the current text of each (as edited here) and its last saved
// text (as loaded or saved), so that an edit of a remote resource survives
// loading its page again and the node tells whether it is modified.
//
// Keyed by scheme, host, port and path: the query and the fragment are left
// out, and an address without a path is not stored. One instance
// (getInstance()), installed as the file model's store when it is made; main
// thread only. A reload of the page in place empties it.
class WebContentMap : public WebContentStore
{
public:
    static WebContentMap *getInstance();

    std::optional<QString> contentWithURL(const QUrl &url) const override;
    std::optional<QString> savedContentWithURL(const QUrl &url) const override;
    void setContent(const QString &text, const QUrl &url) override;
    void setSaved(const QString &text, const QUrl &url) override;
    // Forgets the current text of the address.
    void removeContentWithURL(const QUrl &url);

    const QHash<QString, QString> &contentMap() const { return m_contentMap; }
    const QHash<QString, QString> &savedMap() const { return m_savedMap; }
    void clear();

    // The key of an address: empty when it has no path.
    static QString keyForURL(const QUrl &url);

private:
    WebContentMap() = default;

    QHash<QString, QString> m_contentMap;
    QHash<QString, QString> m_savedMap;
};
