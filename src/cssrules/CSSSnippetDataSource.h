#pragma once

#include "LinearOutlineDataSource.h"

#include "stylesheet/CSSProperty.h"

#include <QList>
#include <QVariantMap>

// The snippets of category "CSS" of the snippet store, maps with "title",
// "content" and "locked": the locked ones (the program's own) first, then
// the user's, each group in store order. Until the snippet store is
// installed (setSnippetProvider()) there are none.
class CSSSnippetDataSource : public LinearOutlineDataSource
{
    Q_OBJECT

public:
    using SnippetProvider = std::function<QList<QVariantMap>()>;

    explicit CSSSnippetDataSource(QObject *parent = nullptr);
    QVariantList sourceList() const override;

    static void setSnippetProvider(SnippetProvider provider);
    // The store's "CSS" snippets in store order.
    static QList<QVariantMap> snippetsInCategory();
    // The declarations of a snippet's content.
    static QList<CSSPropertyPtr> propertiesFromSnippet(const QVariantMap &snippet);

protected:
    QString displayText(const QVariant &item) const override;
};
