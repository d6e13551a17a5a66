#pragma once

#include <QScrollArea>

class RBLClipView;

// A scroll view whose clip view is an RBLClipView.
class RBLScrollView : public QScrollArea
{
    Q_OBJECT

public:
    explicit RBLScrollView(QWidget *parent = nullptr);
    ~RBLScrollView() override;

    RBLClipView *clipView() const;
    // Installs a new clip view, keeping the document view.
    void swapClipView();
};
