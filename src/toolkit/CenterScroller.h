#pragma once

#include <QScrollArea>

// The scroll view of the centre pane's preview.
class CenterScroller : public QScrollArea
{
    Q_OBJECT

public:
    explicit CenterScroller(QWidget *parent = nullptr);
    ~CenterScroller() override;

    // Puts the document view's origin at (10, 10).
    void adjustScrollInset();
};
