#pragma once

#include "TestPrinters.h"

#include "stylesheet/StyleDeclaration.h"
#include "workspace/ProjectUtil.h"

#include <QStringList>
#include <QTemporaryDir>

#include <ostream>

// Makes a temporary folder the current project for the life of the object,
// with the settings of a new project; setOverrideCSS() changes them.
class CurrentProject
{
public:
    CurrentProject()
    {
        ProjectUtil::resetForTesting();
        ProjectUtil::setCurrentProjectPath(m_dir.path());
        ProjectUtil::getProjectConfig(m_dir.path());
    }
    ~CurrentProject() { ProjectUtil::resetForTesting(); }

    void setSetting(const QString &key, const QVariant &value)
    {
        QVariantMap config = ProjectUtil::getProjectConfig(m_dir.path());
        config.insert(key, value);
        ProjectUtil::saveProjectConfig(config, m_dir.path());
    }

private:
    QTemporaryDir m_dir;
};

// One line per item: type|selector|body or "nil"|location,length|line|inBraket|childIndex,
// with line breaks shown as "\n".
inline QString dumpItem(const StyleDeclaration &item)
{
    auto escaped = [](QString text) {
        return text.replace(u'\n', QStringLiteral("\\n"));
    };
    return QStringLiteral("%1|%2|%3|%4,%5|%6|%7|%8")
        .arg(item.type())
        .arg(escaped(item.getSelector()),
             item.hasBody() ? escaped(item.body()) : QStringLiteral("nil"))
        .arg(item.range().location)
        .arg(item.range().length)
        .arg(item.lineNumber())
        .arg(item.isInBraket() ? QStringLiteral("Y") : QStringLiteral("N"))
        .arg(item.childIndex());
}

inline QStringList dumpItems(const QList<StyleDeclarationPtr> &items)
{
    QStringList lines;
    for (const StyleDeclarationPtr &item : items)
        lines.append(dumpItem(*item));
    return lines;
}

// "name: value" of each property, with its vendor prefixes in brackets when it has a list.
inline QStringList dumpProperties(const StyleDeclaration &item)
{
    QStringList lines;
    for (const CSSPropertyPtr &property : item.properties()) {
        QString line = property->description();
        if (property->vendorPrefixes())
            line += QStringLiteral(" [%1]").arg(property->vendorPrefixes()->join(u','));
        lines.append(line);
    }
    return lines;
}
