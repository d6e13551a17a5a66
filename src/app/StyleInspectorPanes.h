#pragma once

#include "interfaces/StyleInspectorInterface.h"

#include <QObject>
#include <QPointer>

class SplitView;

// The style inspector's two panes as the rules panel moves them: the
// style-sheet manager above, the rules outline below, in one split view.
class StyleInspectorPanes : public QObject, public StyleInspectorInterface
{
    Q_OBJECT

public:
    StyleInspectorPanes(SplitView *styleSplitView, QObject *parent);

    void showStyleSheetsManager() override;

private:
    QPointer<SplitView> m_styleSplitView;
};
