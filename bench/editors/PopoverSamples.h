#pragma once

#include <QList>
#include <QStringList>
#include <QString>

#include <utility>

// A property of each popover editor type with a value a designer may have written.
inline QList<std::pair<QString, QString>> popoverEditorSamples()
{
    // A box shadow of 20 layers.
    QStringList layers;
    for (int i = 0; i < 20; ++i)
        layers.append(QStringLiteral("%1px %2px %3px %4px rgba(%5, 40, 90, 0.3)").arg(i).arg(i + 1).arg(2 * i).arg(i % 3).arg(i * 12));
    layers.first().append(QStringLiteral(" inset"));
    // A gradient of 32 stops.
    QStringList stops;
    for (int i = 0; i < 32; ++i)
        stops.append(QStringLiteral("rgba(%1, %2, 200, 0.9) %3%").arg(i * 8).arg(255 - i * 8).arg(i * 3));
    return {
        {QStringLiteral("color"), QStringLiteral("rgba(138, 75, 8, 0.8)")},
        {QStringLiteral("font-size"), QStringLiteral("1.25em")},
        {QStringLiteral("animation-duration"), QStringLiteral("0.5s")},
        {QStringLiteral("opacity"), QStringLiteral("0.85")},
        {QStringLiteral("transform"), QStringLiteral("rotate(10deg) translate(4px, 2px) scale(1.5) skewx(3deg)")},
        {QStringLiteral("filter"), QStringLiteral("blur(2px) sepia(40%) contrast(1.2)")},
        {QStringLiteral("transform-origin"), QStringLiteral("left top")},
        {QStringLiteral("text-shadow"), QStringLiteral("1px 1px 2px rgba(0, 0, 0, 0.5), 0 0 1em darkblue")},
        {QStringLiteral("box-shadow"), layers.join(QStringLiteral(", "))},
        {QStringLiteral("background-image"),
         QStringLiteral("linear-gradient(to right, ") + stops.join(QStringLiteral(", ")) + QLatin1Char(')')},
    };
}
