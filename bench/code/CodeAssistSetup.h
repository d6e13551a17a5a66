#pragma once

// The code assist popup in its popover, given to a file viewer as the
// shell's composition point gives it, and the rules panel as the popup asks
// it: the page's style sheets.

#include "FakeRulesPanel.h"
#include "app/FileViewController.h"
#include "code/ReferenceView.h"
#include "interfaces/CSSOutlineDelegateInterface.h"
#include "platform/kit/ViewController.h"
#include "toolkit/RBLPopover.h"

inline ReferenceView *installCodeAssist(FileViewController &viewer)
{
    auto *popup = new ReferenceView;
    auto *controller = new ViewController(&viewer);
    controller->setView(popup);
    auto *popover = new RBLPopover(controller, &viewer);
    popover->setCanBecomeKey(false);
    popover->setAnimates(false);
    popup->setFileViewController(&viewer);
    viewer.setPopup(popup);
    viewer.setPopover(popover);
    return popup;
}
