#include "ProjectSetting.h"

#include "platform/foundation/SettingsFile.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/PropertyList.h"
#include "platform/kit/Alert.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {

const QString kClass = QStringLiteral("$class");
const QString kRef = QStringLiteral("$ref");
const QString kObjects = QStringLiteral("$objects");

QVariantMap reference(int index)
{
    return {{kRef, index}};
}

// Writing: every package item reached from the roots, through children and
// live parent links, gets one place in the table.
class Encoder
{
public:
    int indexOf(PackItem *item)
    {
        auto found = m_index.constFind(item);
        if (found != m_index.cend())
            return *found;
        const int index = int(m_items.size());
        m_index.insert(item, index);
        m_items.append(item);
        return index;
    }

    QVariantList objects()
    {
        QVariantList table;
        // The table grows while it is written: links add items at its end.
        for (qsizetype i = 0; i < m_items.size(); ++i)
            table.append(encodeItem(*m_items.at(i)));
        return table;
    }

private:
    QVariantMap encodeItem(const PackItem &item)
    {
        QVariantMap map;
        map.insert(kClass, QStringLiteral("PackItem"));
        if (item.storedType())
            map.insert(QStringLiteral("type"), qint64(*item.storedType()));
        if (item.filePath())
            map.insert(QStringLiteral("filePath"), *item.filePath());
        if (const QList<PackItemPtr> *children = item.children()) {
            QVariantList refs;
            for (const PackItemPtr &child : *children)
                refs.append(reference(indexOf(child.get())));
            map.insert(QStringLiteral("children"), refs);
        }
        if (PackItemPtr parent = item.parent())
            map.insert(QStringLiteral("parent"), reference(indexOf(parent.get())));
        if (item.content())
            map.insert(QStringLiteral("content"), *item.content());
        if (item.contentUpdateDate())
            map.insert(QStringLiteral("contentUpdateDate"), *item.contentUpdateDate());
        return map;
    }

    QHash<PackItem *, int> m_index;
    QList<PackItem *> m_items;
};

QVariantMap encodeSetting(const CompileSetting &setting)
{
    QVariantMap map;
    map.insert(kClass, QStringLiteral("CompileSetting"));
    map.insert(QStringLiteral("label"), setting.label());
    map.insert(QStringLiteral("values"), setting.values());
    if (setting.selectedindex())
        map.insert(QStringLiteral("selectedindex"), qint64(*setting.selectedindex()));
    map.insert(QStringLiteral("excludeWithNoValue"), setting.excludeWithNoValue());
    return map;
}

// Reading: any value of the wrong kind makes the whole file damaged.
class Decoder
{
public:
    explicit Decoder(const QVariantList &objects) : m_objects(objects) {}

    bool failed() const { return !m_error.isEmpty(); }
    void forgetTree() { m_inTree.clear(); }
    QString error() const { return m_error; }
    void fail(const QString &message)
    {
        if (m_error.isEmpty())
            m_error = message;
    }

    bool makeItems()
    {
        for (const QVariant &object : m_objects) {
            if (object.typeId() != QMetaType::QVariantMap
                || object.toMap().value(kClass).toString() != QLatin1String("PackItem")) {
                fail(QStringLiteral("an entry of the item table is no PackItem"));
                return false;
            }
            m_items.append(PackItem::createWithoutChildren());
        }
        for (qsizetype i = 0; i < m_items.size() && !failed(); ++i)
            fillItem(*m_items.at(i), m_objects.at(i).toMap());
        return !failed();
    }

    PackItemPtr resolve(const QVariant &value)
    {
        if (value.typeId() != QMetaType::QVariantMap) {
            fail(QStringLiteral("a link is no reference"));
            return nullptr;
        }
        const QVariant index = value.toMap().value(kRef);
        if (index.typeId() != QMetaType::LongLong || index.toLongLong() < 0 || index.toLongLong() >= m_items.size()) {
            fail(QStringLiteral("a reference points outside the item table"));
            return nullptr;
        }
        return m_items.at(index.toLongLong());
    }

    std::optional<QList<PackItemPtr>> resolveList(const QVariant &value)
    {
        if (value.typeId() != QMetaType::QVariantList) {
            fail(QStringLiteral("a list of items is no list"));
            return std::nullopt;
        }
        QList<PackItemPtr> items;
        for (const QVariant &entry : value.toList()) {
            PackItemPtr item = resolve(entry);
            if (!item)
                return std::nullopt;
            items.append(item);
        }
        return items;
    }

    // Items owned by no tree (a damaged file, entries the tree does not
    // reach) let go of their children: a file may link items in a ring.
    ~Decoder()
    {
        for (const PackItemPtr &item : std::as_const(m_items)) {
            if (!m_inTree.contains(item.get()))
                item->setChildren(std::nullopt);
        }
    }

    // Each item may stand once in the tree, below no descendant of itself.
    bool checkTree(const QList<PackItemPtr> &roots)
    {
        QSet<PackItem *> &seen = m_inTree;
        QList<PackItemPtr> pending = roots;
        while (!pending.isEmpty()) {
            PackItemPtr item = pending.takeLast();
            if (seen.contains(item.get())) {
                fail(QStringLiteral("an item stands twice in the tree"));
                seen.clear();
                return false;
            }
            seen.insert(item.get());
            if (const QList<PackItemPtr> *children = item->children())
                pending += *children;
        }
        return true;
    }

private:
    void fillItem(PackItem &item, const QVariantMap &map)
    {
        const QVariant type = map.value(QStringLiteral("type"));
        if (type.isValid()) {
            if (type.typeId() != QMetaType::LongLong)
                return fail(QStringLiteral("an item's type is no number"));
            item.setType(int(type.toLongLong()));
        }
        if (!readString(map, QStringLiteral("filePath"), [&item](QString s) { item.setFilePath(std::move(s)); }))
            return;
        if (!readString(map, QStringLiteral("content"), [&item](QString s) { item.setContent(std::move(s)); }))
            return;
        const QVariant date = map.value(QStringLiteral("contentUpdateDate"));
        if (date.isValid()) {
            if (date.typeId() != QMetaType::QDateTime)
                return fail(QStringLiteral("an item's date is no date"));
            item.setContentUpdateDate(date.toDateTime());
        }
        const QVariant children = map.value(QStringLiteral("children"));
        if (children.isValid()) {
            std::optional<QList<PackItemPtr>> list = resolveList(children);
            if (!list)
                return;
            item.setChildren(std::move(*list));
        }
        const QVariant parent = map.value(QStringLiteral("parent"));
        if (parent.isValid())
            item.setParent(resolve(parent));
    }

    template<typename Set>
    bool readString(const QVariantMap &map, const QString &key, Set set)
    {
        const QVariant value = map.value(key);
        if (!value.isValid())
            return true;
        if (value.typeId() != QMetaType::QString) {
            fail(QStringLiteral("\"%1\" is no text").arg(key));
            return false;
        }
        set(value.toString());
        return true;
    }

    QVariantList m_objects;
    QList<PackItemPtr> m_items;
    QSet<PackItem *> m_inTree;
    QString m_error;
};

Result<CompileSetting> decodeSetting(const QVariant &value)
{
    const QVariantMap map = value.toMap();
    if (value.typeId() != QMetaType::QVariantMap || map.value(kClass).toString() != QLatin1String("CompileSetting"))
        return Result<CompileSetting>::failure(QStringLiteral("an option is no CompileSetting"));
    const QVariant label = map.value(QStringLiteral("label"));
    const QVariant values = map.value(QStringLiteral("values"));
    const QVariant index = map.value(QStringLiteral("selectedindex"));
    const QVariant exclude = map.value(QStringLiteral("excludeWithNoValue"));
    if (label.typeId() != QMetaType::QString || values.typeId() != QMetaType::QVariantList
        || (index.isValid() && index.typeId() != QMetaType::LongLong)
        || (exclude.isValid() && exclude.typeId() != QMetaType::Bool && exclude.typeId() != QMetaType::LongLong))
        return Result<CompileSetting>::failure(QStringLiteral("an option has values of the wrong kind"));
    QStringList words;
    for (const QVariant &word : values.toList()) {
        if (word.typeId() != QMetaType::QString)
            return Result<CompileSetting>::failure(QStringLiteral("an option's value is no text"));
        words.append(word.toString());
    }
    return CompileSetting(label.toString(), words,
                          index.isValid() ? std::optional<int>(int(index.toLongLong())) : std::nullopt,
                          exclude.toBool());
}

Result<std::unique_ptr<CompilerInfo>> decodeCompiler(const QVariant &value)
{
    using R = Result<std::unique_ptr<CompilerInfo>>;
    const QVariantMap map = value.toMap();
    std::unique_ptr<CompilerInfo> compiler = CompilerInfo::createEmpty(map.value(kClass).toString());
    if (value.typeId() != QMetaType::QVariantMap || !compiler)
        return R::failure(QStringLiteral("the compiler is of no known class"));
    const QVariant options = map.value(QStringLiteral("options"));
    if (options.isValid()) {
        if (options.typeId() != QMetaType::QVariantList)
            return R::failure(QStringLiteral("the compiler's options are no list"));
        for (const QVariant &option : options.toList()) {
            Result<CompileSetting> setting = decodeSetting(option);
            if (!setting)
                return R::failure(setting.error());
            compiler->options().append(*setting);
        }
    }
    return R(std::move(compiler));
}

} // namespace

ProjectSetting::ProjectSetting() = default;
ProjectSetting::~ProjectSetting() = default;

QString ProjectSetting::settingsPathForProject(const QString &projectPath)
{
    return projectPath + QStringLiteral("/.kem");
}

QByteArray ProjectSetting::encode() const
{
    return PropertyList::toXml(encodeVariant());
}

QVariant ProjectSetting::encodeVariant() const
{
    Encoder encoder;
    QVariantMap root;
    root.insert(kClass, QStringLiteral("ProjectSetting"));
    root.insert(QStringLiteral("path"), m_path);
    if (m_compilerInfo) {
        QVariantMap compiler;
        compiler.insert(kClass, m_compilerInfo->className());
        QVariantList options;
        for (const CompileSetting &setting : m_compilerInfo->options())
            options.append(encodeSetting(setting));
        compiler.insert(QStringLiteral("options"), options);
        root.insert(QStringLiteral("compilerInfo"), compiler);
    }
    QVariantList packages;
    for (const PackItemPtr &item : m_packages)
        packages.append(reference(encoder.indexOf(item.get())));
    root.insert(QStringLiteral("packages"), packages);
    root.insert(kObjects, encoder.objects());
    return root;
}

Result<std::unique_ptr<ProjectSetting>> ProjectSetting::decode(const QByteArray &bytes)
{
    using R = Result<std::unique_ptr<ProjectSetting>>;
    Result<QVariant> plist = PropertyList::fromXml(bytes);
    if (!plist)
        return R::failure(plist.error());
    const QVariantMap root = plist->toMap();
    if (plist->typeId() != QMetaType::QVariantMap || root.value(kClass).toString() != QLatin1String("ProjectSetting"))
        return R::failure(QStringLiteral("the file holds no ProjectSetting"));
    auto setting = std::make_unique<ProjectSetting>();
    const QVariant path = root.value(QStringLiteral("path"));
    if (path.isValid() && path.typeId() != QMetaType::QString)
        return R::failure(QStringLiteral("\"path\" is no text"));
    setting->m_path = path.toString();
    const QVariant compiler = root.value(QStringLiteral("compilerInfo"));
    if (compiler.isValid()) {
        Result<std::unique_ptr<CompilerInfo>> decoded = decodeCompiler(compiler);
        if (!decoded)
            return R::failure(decoded.error());
        setting->m_compilerInfo = std::move(decoded.value());
    }
    const QVariant objects = root.value(kObjects, QVariantList());
    if (objects.typeId() != QMetaType::QVariantList)
        return R::failure(QStringLiteral("the item table is no list"));
    Decoder decoder(objects.toList());
    if (decoder.makeItems()) {
        const QVariant packages = root.value(QStringLiteral("packages"), QVariantList());
        if (std::optional<QList<PackItemPtr>> roots = decoder.resolveList(packages); roots && decoder.checkTree(*roots))
            setting->m_packages = std::move(*roots);
    }
    if (decoder.failed()) {
        setting->m_packages.clear();
        decoder.forgetTree();
        return R::failure(decoder.error());
    }
    return R(std::move(setting));
}

Result<void> ProjectSetting::save() const
{
    if (m_path.isEmpty())
        return Result<void>::failure(QStringLiteral("The script package settings have no file to be saved in."));
    if (SettingsFile::isLeftAlone(m_path))
        return Result<void>::failure(SettingsFile::leftAloneError(m_path));
    Result<void> written = PropertyList::write(m_path, encodeVariant());
    if (!written)
        QM_ERROR(QStringLiteral("%1 could not be saved: %2").arg(m_path, written.error()));
    return written;
}

bool ProjectSetting::saveOrAlert(QWidget *parent) const
{
    const Result<void> saved = save();
    if (!saved) {
        Alert::runSaveFailure(QFileInfo(m_path).fileName(), saved.error(),
                              QStringLiteral("The change is kept until Quillmark quits, but the file keeps the old settings."),
                              parent);
    }
    return saved.isOk();
}

ProjectSetting::Opened ProjectSetting::openForProject(const QString &projectPath)
{
    Opened opened;
    const QString path = settingsPathForProject(projectPath);
    const QString what = QStringLiteral("The script package settings file");
    const QString instead = QStringLiteral("the Script Packages pane uses the default settings");
    const SettingsFile::Contents contents = SettingsFile::read(path);
    if (contents.state == SettingsFile::Contents::State::Read) {
        Result<std::unique_ptr<ProjectSetting>> read = decode(contents.bytes);
        if (read) {
            opened.setting = std::move(read.value());
            // A file copied from elsewhere names its old folder: this
            // project's own file is the one to save.
            opened.setting->m_path = path;
            if (!opened.setting->m_compilerInfo)
                opened.setting->m_compilerInfo = CompilerInfo::create(QStringLiteral("NoneCompilerInfo"));
            return opened;
        }
        opened.problem = SettingsFile::setAside(path, what, read.error(), instead);
    } else if (contents.state == SettingsFile::Contents::State::Unreadable) {
        opened.problem = SettingsFile::leaveAlone(path, what, contents.reason, instead);
    }
    opened.setting = std::make_unique<ProjectSetting>();
    opened.setting->m_path = path;
    opened.setting->m_compilerInfo = CompilerInfo::create(QStringLiteral("GoogleClosureCompilerInfo"));
    // A file left alone is not written over: its settings wait for the user.
    if (SettingsFile::isLeftAlone(path))
        return opened;
    if (Result<void> saved = opened.setting->save(); !saved && opened.problem.isEmpty())
        opened.problem = QStringLiteral("%1 could not be written: %2").arg(QDir::toNativeSeparators(path), saved.error());
    return opened;
}
