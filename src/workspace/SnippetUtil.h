#pragma once

#include "stylesheet/CSSProperty.h"
#include "stylesheet/StyleDeclaration.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <optional>

// A snippet record: "title", "summary", "category" (one of categories()),
// "content" and "locked" (1 for a built-in CSS snippet, 0 for the user's).
// Records are shared: the store hands out its own, and whoever holds one may
// edit it in place and then call SnippetUtil::save().
using SnippetPtr = std::shared_ptr<QVariantMap>;

// The user's library of snippets with the built-in CSS snippets in front, kept
// in "Snippet.plist" under the application's data folder. The store is loaded
// on first use and lives for the run. The built-ins are made at every start
// from the resource "CSSSnippet.css" (one snippet per rule); those written to
// the file are never read back, so an edited built-in comes back unchanged.
// A file that cannot be read is moved aside (".bak") and logged, never
// overwritten; a failed write is logged and answered false. Main thread only.
class SnippetUtil
{
public:
    SnippetUtil() = delete;

    // "<data folder>/Quillmark/Snippet.plist", the folder made when missing;
    // empty when there is no data folder.
    static QString defaultDataPath();
    // The user's snippets as the file holds them (built-ins dropped); a
    // missing file is written empty first.
    static QList<SnippetPtr> read();
    // Puts the built-ins in front of the store, in the resource's order, and saves.
    static void setupDefaultSnippets();
    // The rules of the built-in resource, parsed once.
    static const QList<StyleDeclarationPtr> &snippetDefs();
    // Writes the whole store, atomically; false (and an ERROR line) when it
    // could not be written.
    static bool save();
    // Why the last save failed ("cannot write <path>: <reason>"); empty after
    // one that succeeded.
    static QString lastSaveError();
    // The store, loaded and seeded on the first call.
    static QList<SnippetPtr> &getSnippetData();

    static QList<SnippetPtr> snippetsInCategory(const QString &category);
    // The declarations of every rule of the snippet's content, in text order.
    static QList<CSSPropertyPtr> propertiesFromSnippet(const SnippetPtr &snippet);
    // "HTML", "CSS", "JS", "Other".
    static const QStringList &categories();
    static QList<SnippetPtr> allSnippets();
    // Both change the store in memory only. removeSnippet() takes out the
    // first record with the same keys and values; none, nothing changes.
    static void addSnippet(const SnippetPtr &snippet);
    static void removeSnippet(const SnippetPtr &snippet);
    // A user's snippet, added at the end and saved.
    static SnippetPtr createAndAddSnippetTitle(const QString &title, const QString &summary,
                                               const QString &category, const QString &content);
    // A user's snippet, not added.
    static SnippetPtr createSnippetTitle(const QString &title, const QString &summary,
                                         const QString &category, const QString &content);
    // The first snippet of that title in the category, or in any category
    // when none is given; null when there is none.
    static SnippetPtr snippetFromTitle(const QString &title, const std::optional<QString> &category = {});

    // Drops the store from memory, as the end of a run does; the next call
    // loads it again.
    static void unloadStore();

private:
    static QVariantMap storeDictionary();
};
