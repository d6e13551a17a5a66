#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QUrl>

// What a page may read of the local disk: the files under its folders (the
// project it belongs to) and the program's own resources, nothing else. The
// browser lets local pages read each other (the bridge reads their sheets'
// rules), so every file: address outside the folders is refused: in the
// renderer for what a document, a worker or a shared worker loads
// (Network.setBlockedURLs with blockedUrls()), and by the page for the
// documents of frames, which that list does not cover (Fetch, refuses()).
// A path is inside a folder as it is written in the address; the folders
// are taken both as given and with their links resolved.
class WebFileAccess
{
public:
    WebFileAccess();
    ~WebFileAccess();
    WebFileAccess(const WebFileAccess &) = delete;
    WebFileAccess &operator=(const WebFileAccess &) = delete;

    // The page's folders; the program's resources are always readable.
    // Answers whether the readable folders changed.
    bool setFolders(const QStringList &folders);
    const QStringList &folders() const { return m_folders; }

    // Whether the page may load the address: anything but a file outside the folders.
    bool allows(const QUrl &url) const;
    // The parameters of Network.setBlockedURLs that refuse the rest.
    QJsonObject blockedUrls() const { return blockedUrlsOf(m_folders); }

    // The same for the folders of every page at once (a shared worker is any page's).
    static QJsonObject blockedUrlsOfEveryPage();
    static QJsonObject blockedUrlsOf(const QStringList &folders);
    // The pattern (URLPattern syntax) of everything under the folder.
    static QString urlPatternOfFolder(const QString &folder);
    // The Fetch pattern that holds back the documents of local frames.
    static QJsonObject documentPattern();
    // The folder of a local page, when nothing says which project it belongs to.
    static QStringList ownFolderOf(const QUrl &url);

private:
    QStringList m_folders; // as given and resolved, the resources among them
};
