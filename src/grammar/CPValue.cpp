#include "CPValue.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>

namespace CPValue {

static int tokenType()
{
    static const int id = qMetaTypeId<CPTokenPtr>();
    return id;
}

static int treeType()
{
    static const int id = qMetaTypeId<CPSyntaxTreePtr>();
    return id;
}

static int resultType()
{
    static const int id = qMetaTypeId<CPRHSItemResultPtr>();
    return id;
}

bool isToken(const QVariant &value)
{
    return value.typeId() == tokenType();
}

bool isSyntaxTree(const QVariant &value)
{
    return value.typeId() == treeType();
}

bool isRHSItemResult(const QVariant &value)
{
    return value.typeId() == resultType();
}

CPTokenPtr token(const QVariant &value)
{
    return isToken(value) ? *static_cast<const CPTokenPtr *>(value.constData()) : CPTokenPtr();
}

CPSyntaxTreePtr syntaxTree(const QVariant &value)
{
    return isSyntaxTree(value) ? *static_cast<const CPSyntaxTreePtr *>(value.constData()) : CPSyntaxTreePtr();
}

CPRHSItemResultPtr rhsItemResult(const QVariant &value)
{
    return isRHSItemResult(value) ? *static_cast<const CPRHSItemResultPtr *>(value.constData())
                                  : CPRHSItemResultPtr();
}

QVariant fromToken(const CPTokenPtr &token)
{
    return QVariant::fromValue(token);
}

QVariant fromSyntaxTree(const CPSyntaxTreePtr &tree)
{
    return QVariant::fromValue(tree);
}

QVariant fromRHSItemResult(const CPRHSItemResultPtr &result)
{
    return QVariant::fromValue(result);
}

bool isEqual(const QVariant &a, const QVariant &b)
{
    std::vector<std::pair<const QVariant *, const QVariant *>> pending{{&a, &b}};
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        const int type = x->typeId();
        if (type != y->typeId()) {
            if (type == tokenType() || type == treeType() || type == resultType() || type == QMetaType::QVariantList
                || y->typeId() == QMetaType::QVariantList)
                return false;
            if (*x != *y)
                return false;
            continue;
        }
        if (type == tokenType()) {
            const CPToken *p = static_cast<const CPTokenPtr *>(x->constData())->get();
            const CPToken *q = static_cast<const CPTokenPtr *>(y->constData())->get();
            if (p != q && (!p || !q || !p->isEqual(*q)))
                return false;
        } else if (type == treeType() || type == resultType()) {
            const QVariantList *left = nullptr;
            const QVariantList *right = nullptr;
            if (type == treeType()) {
                const CPSyntaxTree *p = static_cast<const CPSyntaxTreePtr *>(x->constData())->get();
                const CPSyntaxTree *q = static_cast<const CPSyntaxTreePtr *>(y->constData())->get();
                if (p == q)
                    continue;
                if (!p || !q || p->rule() != q->rule())
                    return false;
                left = &p->children();
                right = &q->children();
            } else {
                const CPRHSItemResult *p = static_cast<const CPRHSItemResultPtr *>(x->constData())->get();
                const CPRHSItemResult *q = static_cast<const CPRHSItemResultPtr *>(y->constData())->get();
                if (p == q)
                    continue;
                if (!p || !q || p->shouldCollapse != q->shouldCollapse || p->tagName != q->tagName)
                    return false;
                left = &p->contents;
                right = &q->contents;
            }
            if (left->size() != right->size())
                return false;
            for (qsizetype i = 0; i < left->size(); ++i)
                pending.emplace_back(&left->at(i), &right->at(i));
        } else if (type == QMetaType::QVariantList) {
            const QVariantList &left = *static_cast<const QVariantList *>(x->constData());
            const QVariantList &right = *static_cast<const QVariantList *>(y->constData());
            if (left.size() != right.size())
                return false;
            for (qsizetype i = 0; i < left.size(); ++i)
                pending.emplace_back(&left.at(i), &right.at(i));
        } else if (*x != *y) {
            return false;
        }
    }
    return true;
}

static QString scalarDescription(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QStringLiteral("(null)");
    case QMetaType::Nullptr:
        return QStringLiteral("<null>");
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    default:
        break;
    }
    if (value.canConvert<QString>())
        return value.toString();
    return QStringLiteral("<%1>").arg(QString::fromLatin1(value.metaType().name()));
}

QString description(const QVariant &value)
{
    // Work items: a value to describe, or a literal to append.
    struct Item {
        const QVariant *value;
        QString literal;
    };
    QString text;
    std::vector<Item> pending{{&value, {}}};
    auto pushList = [&pending](const QVariantList &list, const QString &open, const QString &separator,
                               const QString &close) {
        pending.push_back({nullptr, close});
        for (qsizetype i = list.size() - 1; i >= 0; --i) {
            pending.push_back({&list.at(i), {}});
            if (i > 0)
                pending.push_back({nullptr, separator});
        }
        pending.push_back({nullptr, open});
    };
    while (!pending.empty()) {
        Item item = std::move(pending.back());
        pending.pop_back();
        if (!item.value) {
            text += item.literal;
            continue;
        }
        const QVariant &v = *item.value;
        const int type = v.typeId();
        if (type == tokenType()) {
            const CPTokenPtr &t = *static_cast<const CPTokenPtr *>(v.constData());
            text += t ? t->description() : QStringLiteral("(null)");
        } else if (type == treeType()) {
            const CPSyntaxTree *tree = static_cast<const CPSyntaxTreePtr *>(v.constData())->get();
            if (!tree || tree->children().isEmpty())
                text += QLatin1Char(')');
            else
                pushList(tree->children(), QStringLiteral("("), QStringLiteral(" "), QStringLiteral(")"));
        } else if (type == resultType()) {
            const CPRHSItemResult *result = static_cast<const CPRHSItemResultPtr *>(v.constData())->get();
            if (result)
                pushList(result->contents, QStringLiteral("["), QStringLiteral(", "), QStringLiteral("]"));
        } else if (type == QMetaType::QVariantList) {
            pushList(*static_cast<const QVariantList *>(v.constData()), QStringLiteral("["), QStringLiteral(", "),
                     QStringLiteral("]"));
        } else if (type == QMetaType::QVariantMap) {
            const QVariantMap &map = *static_cast<const QVariantMap *>(v.constData());
            pending.push_back({nullptr, QStringLiteral("}")});
            const QList<QString> keys = map.keys();
            for (qsizetype i = keys.size() - 1; i >= 0; --i) {
                pending.push_back({&map.find(keys.at(i)).value(), {}});
                pending.push_back({nullptr, (i > 0 ? QStringLiteral(", ") : QString()) + keys.at(i)
                                                + QStringLiteral(": ")});
            }
            pending.push_back({nullptr, QStringLiteral("{")});
        } else {
            text += scalarDescription(v);
        }
    }
    return text;
}

QString describeNames(const QSet<QString> &names)
{
    QStringList sorted(names.cbegin(), names.cend());
    std::sort(sorted.begin(), sorted.end());
    for (QString &name : sorted)
        name = QLatin1Char('"') + name + QLatin1Char('"');
    return QLatin1Char('{') + sorted.join(QStringLiteral(", ")) + QLatin1Char('}');
}

QVariantList takeList(QVariant &value)
{
    if (value.typeId() != QMetaType::QVariantList)
        return {};
    QVariantList list = std::move(*static_cast<QVariantList *>(value.data()));
    value = QVariant();
    return list;
}

QVariantMap takeMap(QVariant &value)
{
    if (value.typeId() != QMetaType::QVariantMap)
        return {};
    QVariantMap map = std::move(*static_cast<QVariantMap *>(value.data()));
    value = QVariant();
    return map;
}

static void moveInto(std::vector<QVariant> &values, QVariantList &list)
{
    // A list shared with another holder is left to that holder.
    if (!list.isDetached())
        return;
    for (QVariant &element : list)
        values.push_back(std::move(element));
    list.clear();
}

static void moveInto(std::vector<QVariant> &values, QVariantMap &map)
{
    if (!map.isDetached())
        return;
    for (auto it = map.begin(); it != map.end(); ++it)
        values.push_back(std::move(it.value()));
    map.clear();
}

// The teardown running on this thread, if any.
static thread_local std::vector<QVariant> *t_running = nullptr;

static bool isContainer(const QVariant &value)
{
    const int type = value.typeId();
    return type == treeType() || type == resultType() || type == QMetaType::QVariantList
        || type == QMetaType::QVariantMap;
}

void disposeContents(QVariantList &list, QVariantMap &map)
{
    bool nested = !map.isEmpty() && map.isDetached();
    if (list.isDetached()) {
        for (const QVariant &value : std::as_const(list)) {
            if (isContainer(value)) {
                nested = true;
                break;
            }
        }
    }
    if (!nested)
        return;
    std::vector<QVariant> local;
    std::vector<QVariant> &values = t_running ? *t_running : local;
    moveInto(values, list);
    moveInto(values, map);
    if (!t_running)
        dispose(values);
}

void dispose(std::vector<QVariant> &values)
{
    if (t_running) {
        for (QVariant &value : values)
            t_running->push_back(std::move(value));
        values.clear();
        return;
    }
    t_running = &values;
    while (!values.empty()) {
        QVariant value = std::move(values.back());
        values.pop_back();
        // A variant whose storage is shared is still held elsewhere.
        if (!value.isDetached())
            continue;
        const int type = value.typeId();
        if (type == treeType()) {
            CPSyntaxTreePtr tree = std::move(*static_cast<CPSyntaxTreePtr *>(value.data()));
            value = QVariant();
            if (tree && tree.use_count() == 1) {
                moveInto(values, tree->children());
                moveInto(values, tree->tagValues());
            }
        } else if (type == resultType()) {
            CPRHSItemResultPtr result = std::move(*static_cast<CPRHSItemResultPtr *>(value.data()));
            value = QVariant();
            if (result && result.use_count() == 1) {
                moveInto(values, result->contents);
                moveInto(values, result->tagValues);
            }
        } else if (type == QMetaType::QVariantList) {
            QVariantList list = takeList(value);
            moveInto(values, list);
        } else if (type == QMetaType::QVariantMap) {
            QVariantMap map = takeMap(value);
            moveInto(values, map);
        }
    }
    t_running = nullptr;
}

void dispose(QVariant &&value)
{
    std::vector<QVariant> values;
    values.push_back(std::move(value));
    dispose(values);
}

} // namespace CPValue
