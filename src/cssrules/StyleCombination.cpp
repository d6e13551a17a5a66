#include "StyleCombination.h"

#include <algorithm>

const QMap<QString, QStringList> &StyleCombination::comboMap()
{
    static const QMap<QString, QStringList> map{
        {QStringLiteral("Metrix"), {"display", "position", "margin", "border", "padding"}},
        {QStringLiteral("Typographic Full"),
         {"color", "font-style", "font-variant", "font-weight", "font-size", "font-family", "letter-spacing", "line-height",
          "text-shadow", "text-align", "word-break"}},
        {QStringLiteral("Typographic Easy"), {"font-size", "font-family", "color"}},
        {QStringLiteral("Rect"), {"width", "height", "background-color", "border"}},
        {QStringLiteral("Rect Round"), {"width", "height", "background-color", "border", "border-radius"}},
        {QStringLiteral("Rect Gradation"), {"width", "height", "background-image", "border", "border-radius", "box-shadow"}},
        {QStringLiteral("Rect Shadow"), {"width", "height", "background-color", "border", "border-radius", "box-shadow"}},
        {QStringLiteral("Animation Easy"), {"animation-name", "animation-duration", "animation-iteration-count"}},
        {QStringLiteral("Animation Full"),
         {"animation-name", "animation-duration", "animation-delay", "animation-timing-function", "animation-iteration-count",
          "animation-direction", "animation-play-state", "animation-fill-mode"}},
        {QStringLiteral("Position"), {"position", "left", "top", "right", "bottom"}},
        {QStringLiteral("Dimension"), {"width", "height"}},
        {QStringLiteral("Background Image"),
         {"background-image", "background-repeat", "background-attachment", "background-position", "background-size"}},
    };
    return map;
}

QStringList StyleCombination::stylePropertiesByComboName(const QString &name)
{
    return comboMap().value(name);
}

QStringList StyleCombination::getStyleCombinations()
{
    QStringList names = comboMap().keys();
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) { return QString::localeAwareCompare(a, b) < 0; });
    return names;
}
