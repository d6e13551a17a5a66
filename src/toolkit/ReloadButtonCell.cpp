#include "ReloadButtonCell.h"

#include "platform/kit/NamedImage.h"

ReloadButtonCell::ReloadButtonCell(QObject *parent)
    : QAction(parent)
{
    setIcon(NamedImage::templateImage(QStringLiteral("view-refresh"), QStringLiteral("refresh")));
    setToolTip(QStringLiteral("Reload"));
}

ReloadButtonCell::~ReloadButtonCell() = default;
