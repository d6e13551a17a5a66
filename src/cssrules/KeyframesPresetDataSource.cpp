#include "KeyframesPresetDataSource.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "stylesheet/StringKeyframes.h"
#include "stylesheet/StyleSheetParser.h"
#include "workspace/File.h"

#include <QFile>

namespace {

struct Presets
{
    std::unique_ptr<File> file;
    QList<StyleDeclarationPtr> defs;
};

Presets &presets()
{
    static Presets s_presets = [] {
        Presets loaded;
        const QString path = Bundle::pathForResource(QStringLiteral("animate"), QStringLiteral("css"));
        QFile resource(path);
        if (path.isEmpty() || !resource.open(QIODevice::ReadOnly)) {
            QM_ERROR(QStringLiteral("The keyframe presets (animate.css) could not be read"));
            return loaded;
        }
        loaded.file = std::make_unique<File>(path, false, nullptr);
        loaded.defs = StyleSheetParser::parseStyleSheet(QString::fromUtf8(resource.readAll()), loaded.file.get());
        loaded.file->setStyleDeclarations(loaded.defs);
        return loaded;
    }();
    return s_presets;
}

} // namespace

KeyframesPresetDataSource::KeyframesPresetDataSource(QObject *parent) : LinearOutlineDataSource(parent)
{
    refresh();
}

const QList<StyleDeclarationPtr> &KeyframesPresetDataSource::animationDefs()
{
    return presets().defs;
}

File *KeyframesPresetDataSource::animationFile()
{
    return presets().file.get();
}

QVariantList KeyframesPresetDataSource::sourceList() const
{
    QVariantList rules;
    for (const StyleDeclarationPtr &rule : animationDefs()) {
        if (rule->type() == RuleType::Keyframes && rule->selector().startsWith(QLatin1String("@-webkit")))
            rules.append(QVariant::fromValue(rule));
    }
    return rules;
}

QString KeyframesPresetDataSource::displayText(const QVariant &item) const
{
    const StyleDeclarationPtr rule = item.value<StyleDeclarationPtr>();
    return rule ? StringKeyframes::animationName(rule->selector()).value_or(rule->selector()) : QString();
}
