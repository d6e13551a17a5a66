#include "FontRBLFallbackAdditions.h"

#include <QFontDatabase>

namespace FontRBLFallbackAdditions {

bool isInstalledFamily(const QString &name)
{
    return !name.isEmpty() && QFontDatabase::hasFamily(name);
}

std::optional<QFont> rbl_fontWithName(const QString &name, double size, const QStringList &fallbackNames)
{
    QStringList cascade;
    for (const QString &fallback : fallbackNames) {
        if (isInstalledFamily(fallback))
            cascade.append(fallback);
    }
    QStringList remaining = fallbackNames;
    QString current = name;
    for (;;) {
        if (isInstalledFamily(current)) {
            QStringList families{current};
            for (const QString &fallback : std::as_const(cascade)) {
                if (!families.contains(fallback, Qt::CaseInsensitive))
                    families.append(fallback);
            }
            QFont font(current);
            font.setFamilies(families);
            if (size > 0)
                font.setPointSizeF(size);
            return font;
        }
        if (remaining.isEmpty())
            return std::nullopt;
        // A name tried as the font is no fallback of a later one.
        if (!cascade.isEmpty() && cascade.first() == current)
            cascade.removeFirst();
        current = remaining.takeFirst();
    }
}

} // namespace FontRBLFallbackAdditions
