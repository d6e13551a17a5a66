#include "SnippetUtil.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/SettingsFile.h"
#include "stylesheet/StyleSheetParser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString kSnippets = QStringLiteral("snippets");
const QString kTitle = QStringLiteral("title");
const QString kSummary = QStringLiteral("summary");
const QString kCategory = QStringLiteral("category");
const QString kContent = QStringLiteral("content");
const QString kLocked = QStringLiteral("locked");

struct SnippetStore
{
    bool loaded = false;
    QList<SnippetPtr> snippets;
    QString lastSaveError;
};

SnippetStore &snippetStore()
{
    static SnippetStore s_store;
    return s_store;
}

SnippetPtr makeSnippet(const QString &title, const QString &summary, const QString &category,
                       const QString &content, qint64 locked)
{
    return std::make_shared<QVariantMap>(QVariantMap{{kTitle, title},
                                                     {kSummary, summary},
                                                     {kCategory, category},
                                                     {kContent, content},
                                                     {kLocked, locked}});
}

bool isLocked(const QVariantMap &snippet)
{
    return snippet.value(kLocked).toLongLong() != 0 || snippet.value(kLocked).toBool();
}

const QString kLibraryWhat = QStringLiteral("The snippet library");
const QString kLibraryInstead = QStringLiteral("the element palette has only the built-in snippets");

} // namespace

QString SnippetUtil::defaultDataPath()
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty())
        return {};
    const QString folder = data + QStringLiteral("/Quillmark");
    if (!QDir().mkpath(folder)) {
        QM_ERROR(QStringLiteral("The folder %1 for the snippet library could not be made").arg(folder));
        return {};
    }
    return folder + QStringLiteral("/Snippet.plist");
}

QVariantMap SnippetUtil::storeDictionary()
{
    QVariantList list;
    for (const SnippetPtr &snippet : std::as_const(snippetStore().snippets))
        list << *snippet;
    return {{kSnippets, list}};
}

QList<SnippetPtr> SnippetUtil::read()
{
    const QString path = defaultDataPath();
    if (path.isEmpty())
        return {};
    const SettingsFile::Contents contents = SettingsFile::read(path);
    if (contents.state == SettingsFile::Contents::State::Missing) {
        const Result<void> written = PropertyList::write(path, QVariantMap{{kSnippets, QVariantList()}});
        if (!written.isOk())
            QM_ERROR(QStringLiteral("The snippet library %1 could not be written: %2").arg(path, written.error()));
        return {};
    }
    if (contents.state == SettingsFile::Contents::State::Unreadable) {
        SettingsFile::leaveAlone(path, kLibraryWhat, contents.reason, kLibraryInstead);
        return {};
    }
    const Result<QVariant> loaded = PropertyList::fromXml(contents.bytes);
    const QVariant list = loaded.isOk() ? loaded.value().toMap().value(kSnippets) : QVariant();
    if (!loaded.isOk() || loaded.value().typeId() != QMetaType::QVariantMap
        || list.typeId() != QMetaType::QVariantList) {
        SettingsFile::setAside(path, kLibraryWhat, loaded.isOk() ? QStringLiteral("it holds no list of snippets")
                                                                 : loaded.error(),
                               kLibraryInstead);
        return {};
    }
    QList<SnippetPtr> snippets;
    for (const QVariant &entry : list.toList()) {
        if (entry.typeId() != QMetaType::QVariantMap) {
            QM_INFO(QStringLiteral("A snippet of %1 is no dictionary; it is left out").arg(path));
            continue;
        }
        const QVariantMap snippet = entry.toMap();
        if (!isLocked(snippet))
            snippets << std::make_shared<QVariantMap>(snippet);
    }
    return snippets;
}

const QList<StyleDeclarationPtr> &SnippetUtil::snippetDefs()
{
    static const QList<StyleDeclarationPtr> s_defs = [] {
        QList<StyleDeclarationPtr> rules;
        const QString path = Bundle::pathForResource(QStringLiteral("CSSSnippet"), QStringLiteral("css"));
        QFile file(path);
        if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
            QM_ERROR(QStringLiteral("The built-in snippets (CSSSnippet.css) could not be read"));
            return rules;
        }
        for (const StyleDeclarationPtr &item : StyleSheetParser::parseStyleSheet(QString::fromUtf8(file.readAll()))) {
            if (item->type() == RuleType::Style)
                rules << item;
        }
        return rules;
    }();
    return s_defs;
}

void SnippetUtil::setupDefaultSnippets()
{
    const QList<StyleDeclarationPtr> &defs = snippetDefs();
    QList<SnippetPtr> &snippets = snippetStore().snippets;
    // Last to first, each at the front: they end in the resource's order.
    for (auto it = defs.crbegin(); it != defs.crend(); ++it) {
        const StyleDeclaration &rule = **it;
        snippets.prepend(makeSnippet(rule.selector(), rule.selector(), QStringLiteral("CSS"),
                                     QStringLiteral("%1{%2}").arg(rule.selector(), rule.body()), 1));
    }
    save();
}

bool SnippetUtil::save()
{
    const QString path = defaultDataPath();
    if (path.isEmpty())
        return false;
    const Result<void> written = SettingsFile::isLeftAlone(path)
                                     ? Result<void>::failure(SettingsFile::leftAloneError(path))
                                     : PropertyList::write(path, storeDictionary());
    if (!written.isOk()) {
        QM_ERROR(QStringLiteral("The snippet library %1 could not be written: %2").arg(path, written.error()));
        snippetStore().lastSaveError = written.error();
        return false;
    }
    snippetStore().lastSaveError.clear();
    return true;
}

QString SnippetUtil::lastSaveError()
{
    return snippetStore().lastSaveError;
}

QList<SnippetPtr> &SnippetUtil::getSnippetData()
{
    SnippetStore &s = snippetStore();
    if (!s.loaded) {
        s.loaded = true;
        s.snippets = read();
        setupDefaultSnippets();
    }
    return s.snippets;
}

void SnippetUtil::unloadStore()
{
    snippetStore() = SnippetStore();
}

QList<SnippetPtr> SnippetUtil::snippetsInCategory(const QString &category)
{
    QList<SnippetPtr> found;
    for (const SnippetPtr &snippet : std::as_const(getSnippetData())) {
        if (snippet->value(kCategory).toString() == category)
            found << snippet;
    }
    return found;
}

QList<CSSPropertyPtr> SnippetUtil::propertiesFromSnippet(const SnippetPtr &snippet)
{
    QList<CSSPropertyPtr> properties;
    if (!snippet)
        return properties;
    for (const StyleDeclarationPtr &rule : StyleSheetParser::parseStyleSheet(snippet->value(kContent).toString()))
        properties << rule->properties();
    return properties;
}

const QStringList &SnippetUtil::categories()
{
    static const QStringList s_categories = {QStringLiteral("HTML"), QStringLiteral("CSS"), QStringLiteral("JS"),
                                             QStringLiteral("Other")};
    return s_categories;
}

QList<SnippetPtr> SnippetUtil::allSnippets()
{
    return getSnippetData();
}

void SnippetUtil::addSnippet(const SnippetPtr &snippet)
{
    if (snippet)
        getSnippetData() << snippet;
}

void SnippetUtil::removeSnippet(const SnippetPtr &snippet)
{
    if (!snippet)
        return;
    QList<SnippetPtr> &snippets = getSnippetData();
    for (qsizetype i = 0; i < snippets.size(); ++i) {
        if (snippets.at(i) == snippet || *snippets.at(i) == *snippet) {
            snippets.removeAt(i);
            return;
        }
    }
}

SnippetPtr SnippetUtil::createAndAddSnippetTitle(const QString &title, const QString &summary,
                                                 const QString &category, const QString &content)
{
    SnippetPtr snippet = createSnippetTitle(title, summary, category, content);
    addSnippet(snippet);
    save();
    return snippet;
}

SnippetPtr SnippetUtil::createSnippetTitle(const QString &title, const QString &summary, const QString &category,
                                           const QString &content)
{
    return makeSnippet(title, summary, category, content, 0);
}

SnippetPtr SnippetUtil::snippetFromTitle(const QString &title, const std::optional<QString> &category)
{
    const QList<SnippetPtr> candidates = category ? snippetsInCategory(*category) : getSnippetData();
    for (const SnippetPtr &snippet : candidates) {
        if (snippet->value(kTitle).toString() == title)
            return snippet;
    }
    return {};
}
