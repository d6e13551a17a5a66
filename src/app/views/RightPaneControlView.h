#pragma once

#include <QWidget>

class QStackedWidget;
class SegmentedControl;

// A switcher of tabs: its segmented control picks the page of its tab view
// with the same index.
class RightPaneControlView : public QWidget
{
    Q_OBJECT

public:
    explicit RightPaneControlView(QWidget *parent = nullptr);
    ~RightPaneControlView() override;

    QStackedWidget *tabView() const { return m_tabView; }
    void setTabView(QStackedWidget *tabView) { m_tabView = tabView; }
    SegmentedControl *segmentedControl() const { return m_segmentedControl; }
    // Connects the control's action to changeTab().
    void setSegmentedControl(SegmentedControl *control);

    // Marks only the chosen segment selected and shows the tab of that index.
    void changeTab(SegmentedControl *sender);

private:
    QStackedWidget *m_tabView = nullptr;            // Not owned.
    SegmentedControl *m_segmentedControl = nullptr; // Not owned.
};
