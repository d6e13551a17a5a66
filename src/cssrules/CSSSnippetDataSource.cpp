#include "CSSSnippetDataSource.h"

#include "stylesheet/StyleDeclaration.h"

namespace {

CSSSnippetDataSource::SnippetProvider &provider()
{
    static CSSSnippetDataSource::SnippetProvider instance;
    return instance;
}

} // namespace

CSSSnippetDataSource::CSSSnippetDataSource(QObject *parent) : LinearOutlineDataSource(parent)
{
    refresh();
}

void CSSSnippetDataSource::setSnippetProvider(SnippetProvider snippets)
{
    provider() = std::move(snippets);
}

QList<QVariantMap> CSSSnippetDataSource::snippetsInCategory()
{
    return provider() ? provider()() : QList<QVariantMap>();
}

QVariantList CSSSnippetDataSource::sourceList() const
{
    QVariantList locked;
    QVariantList own;
    for (const QVariantMap &snippet : snippetsInCategory()) {
        const QVariant flag = snippet.value(QStringLiteral("locked"));
        if (!flag.isValid())
            continue;
        if (flag.toInt() == 1)
            locked.append(snippet);
        else if (flag.toInt() == 0)
            own.append(snippet);
    }
    return locked + own;
}

QList<CSSPropertyPtr> CSSSnippetDataSource::propertiesFromSnippet(const QVariantMap &snippet)
{
    StyleDeclaration scratch;
    scratch.setType(RuleType::Style);
    scratch.setBody(snippet.value(QStringLiteral("content")).toString());
    return scratch.properties();
}

QString CSSSnippetDataSource::displayText(const QVariant &item) const
{
    return item.toMap().value(QStringLiteral("title")).toString();
}
