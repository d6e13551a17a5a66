#include "ViewUtils.h"

#include "platform/kit/PathControl.h"
#include "platform/kit/SegmentedControl.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace ViewUtils {

bool isControl(const QWidget *widget)
{
    return qobject_cast<const QAbstractButton *>(widget) || qobject_cast<const QLineEdit *>(widget)
        || qobject_cast<const QAbstractSlider *>(widget) || qobject_cast<const QAbstractSpinBox *>(widget)
        || qobject_cast<const QComboBox *>(widget) || qobject_cast<const QAbstractItemView *>(widget)
        || qobject_cast<const QTextEdit *>(widget) || qobject_cast<const QPlainTextEdit *>(widget)
        || qobject_cast<const QLabel *>(widget) || qobject_cast<const SegmentedControl *>(widget)
        || qobject_cast<const PathControl *>(widget);
}

void setSubViewsEnabled(QWidget *view, bool enabled)
{
    if (!view)
        return;
    const QList<QWidget *> children = view->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        if (isControl(child))
            child->setEnabled(enabled);
        setSubViewsEnabled(child, enabled);
        child->update();
    }
}

void disableSubViews(QWidget *view)
{
    setSubViewsEnabled(view, false);
}

void enableSubViews(QWidget *view)
{
    setSubViewsEnabled(view, true);
}

} // namespace ViewUtils
