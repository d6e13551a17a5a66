#pragma once

#include "LinearOutlineDataSource.h"

#include "stylesheet/StyleDeclaration.h"

#include <QList>

class File;

// The keyframe presets of the bundle ("animate.css"): its "@-webkit"
// keyframes rules, as StyleDeclarationPtr items. The resource is read and
// parsed once per process; every instance shares the result.
class KeyframesPresetDataSource : public LinearOutlineDataSource
{
    Q_OBJECT

public:
    explicit KeyframesPresetDataSource(QObject *parent = nullptr);
    QVariantList sourceList() const override;

    // Every parsed item of the resource; empty (with a log line) when it
    // cannot be read.
    static const QList<StyleDeclarationPtr> &animationDefs();
    // The file the presets were parsed into: its getMediaChildren() yields
    // a preset's keyframes. Null when the resource could not be read.
    static File *animationFile();

protected:
    QString displayText(const QVariant &item) const override;
};
