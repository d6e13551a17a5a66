#pragma once

#include "platform/kit/OutlineView.h"

// The outline view of the shell's lists: Delete (or forward delete), Space
// and Return go to its delegate as key equivalents before anything else.
class ExOutlineView : public OutlineView
{
    Q_OBJECT

public:
    explicit ExOutlineView(QWidget *parent = nullptr);
    ~ExOutlineView() override;

    // The item of the selected row, or null.
    void *selectedItem() const;

    // Answers whether the key went to the delegate.
    bool performKeyEquivalent(QKeyEvent *event);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
