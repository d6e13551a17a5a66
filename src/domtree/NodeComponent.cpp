#include "NodeComponent.h"

#include "platform/foundation/Log.h"

#include <QFile>

QString NodeComponent::content() const
{
    QFile file(m_file);
    if (!file.open(QIODevice::ReadOnly)) {
        QM_INFO(QStringLiteral("the component %1 cannot be read: %2").arg(m_file, file.errorString()));
        return {};
    }
    return QString::fromUtf8(file.readAll());
}
