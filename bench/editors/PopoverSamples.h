#pragma once

#include <QList>
#include <QString>

#include <utility>

// A property of each popover editor type with a value a designer may have written.
inline QList<std::pair<QString, QString>> popoverEditorSamples()
{
    return {
        {QStringLiteral("color"), QStringLiteral("rgba(138, 75, 8, 0.8)")},
        {QStringLiteral("font-size"), QStringLiteral("1.25em")},
        {QStringLiteral("animation-duration"), QStringLiteral("0.5s")},
        {QStringLiteral("opacity"), QStringLiteral("0.85")},
        {QStringLiteral("transform"), QStringLiteral("rotate(10deg) translate(4px, 2px) scale(1.5) skewx(3deg)")},
        {QStringLiteral("filter"), QStringLiteral("blur(2px) sepia(40%) contrast(1.2)")},
        {QStringLiteral("transform-origin"), QStringLiteral("left top")},
    };
}
