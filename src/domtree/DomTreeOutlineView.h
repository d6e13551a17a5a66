#pragma once

#include "toolkit/OutlineViewEx.h"

// The outline of the DOM tree: an OutlineViewEx whose rows are measured
// again whenever its width changes, since a long row wraps.
class DomTreeOutlineView : public OutlineViewEx
{
    Q_OBJECT

public:
    explicit DomTreeOutlineView(QWidget *parent = nullptr);
    ~DomTreeOutlineView() override;

    // Every row's height may have changed.
    void updateHeight();

protected:
    void resizeEvent(QResizeEvent *event) override;
};
