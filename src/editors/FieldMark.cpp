#include "FieldMark.h"

#include "platform/kit/DesktopColors.h"

#include <QLineEdit>
#include <QVariant>

namespace FieldMark {

namespace {

const char *const kRefused = "quillmarkRefused";
const char *const kToolTip = "quillmarkToolTip";

} // namespace

void setRefused(QLineEdit *field, const QString &reason)
{
    if (!field)
        return;
    if (!isRefused(field)) {
        field->setProperty(kToolTip, field->toolTip());
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, DesktopColors::adapted(QColor(255, 222, 222), palette));
        palette.setColor(QPalette::Text, DesktopColors::adapted(QColor(150, 0, 0), palette));
        field->setPalette(palette);
        field->setProperty(kRefused, true);
    }
    field->setToolTip(reason);
}

void clear(QLineEdit *field)
{
    if (!field || !isRefused(field))
        return;
    field->setPalette(QPalette());
    field->setToolTip(field->property(kToolTip).toString());
    field->setProperty(kRefused, QVariant());
    field->setProperty(kToolTip, QVariant());
}

bool isRefused(const QLineEdit *field)
{
    return field && field->property(kRefused).toBool();
}

} // namespace FieldMark
