#pragma once

#include <QIcon>
#include <QString>
#include <QToolButton>

// A flat tool button with a theme icon, or the fallback text where the theme
// has no such icon; the tip is also its accessible name. It takes the
// keyboard's focus like the editors' other controls.
inline QToolButton *iconButton(QWidget *parent, const char *icon, const QString &fallback, const QString &tip)
{
    auto *button = new QToolButton(parent);
    const QIcon themed = QIcon::fromTheme(QLatin1String(icon));
    if (themed.isNull())
        button->setText(fallback);
    else
        button->setIcon(themed);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}
