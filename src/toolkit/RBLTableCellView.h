#pragma once

#include <QWidget>

// A cell view told to get ready for reuse when it leaves its parent.
class RBLTableCellView : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;
    ~RBLTableCellView() override;

    virtual void prepareForReuse() {}

protected:
    void changeEvent(QEvent *event) override;
};
