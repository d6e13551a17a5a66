#include "DomNodeRowFormatter.h"

QString DomNodeRowFormatter::stringForObjectValue(const QVariant &value)
{
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

bool DomNodeRowFormatter::getObjectValue(QVariant *value, const QString &string)
{
    if (value)
        *value = string;
    return true;
}
