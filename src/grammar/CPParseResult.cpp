#include "CPParseResult.h"

#include "CPRHSItemResult.h"
#include "CPSyntaxTree.h"
#include "CPValue.h"

#include <QHash>
#include <QMutex>

#include <deque>

namespace {

struct Registry {
    QMutex lock;
    std::deque<CPParseResult> types;
    QHash<QString, const CPParseResult *> byName;
};

Registry &registry()
{
    static Registry *instance = [] {
        auto *r = new Registry;
        r->types.emplace_back(QStringLiteral("CPRHSItemResult"), [](const CPSyntaxTreePtr &tree) {
            return tree ? CPValue::fromRHSItemResult(CPRHSItemResult::initWithSyntaxTree(*tree)) : QVariant();
        });
        r->byName.insert(r->types.back().name(), &r->types.back());
        return r;
    }();
    return *instance;
}

} // namespace

const CPParseResult *CPParseResult::registerType(const QString &name, Factory factory)
{
    Registry &r = registry();
    QMutexLocker locker(&r.lock);
    r.types.emplace_back(name, std::move(factory));
    r.byName.insert(name, &r.types.back());
    return &r.types.back();
}

const CPParseResult *CPParseResult::typeNamed(const QString &name)
{
    Registry &r = registry();
    QMutexLocker locker(&r.lock);
    return r.byName.value(name, nullptr);
}

const CPParseResult *CPParseResult::rhsItemResultType()
{
    Registry &r = registry();
    QMutexLocker locker(&r.lock);
    return &r.types.front();
}
