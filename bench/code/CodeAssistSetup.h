#pragma once

// The code assist popup in its popover, given to a file viewer as the
// shell's composition point gives it, and the rules panel as the popup asks
// it: the page's style sheets.

#include "app/FileViewController.h"
#include "code/ReferenceView.h"
#include "interfaces/CSSOutlineDelegateInterface.h"
#include "platform/kit/ViewController.h"
#include "toolkit/RBLPopover.h"

class StyleSheetsOfThePage : public CSSOutlineDelegateInterface
{
public:
    QWidget outline;
    QList<File *> files;
    QWidget *outlineView() override { return &outline; }
    QList<File *> styleFiles() override { return files; }
    void setProjectImages(const QList<File *> &) override {}
    void setStyleFiles(const QList<File *> &list) override { files = list; }
    void refreshStyleFiles() override {}
    void setAndRefreshStyleFiles(const QList<File *> &list) override { files = list; }
    void updateRulesByElement(DOMNode *) override {}
    void reset() override {}
    void resetWithProjectChange() override {}
    void resetCategorySelector() override {}
    void checkVendorPrefixSetting() override {}
    void setDisplaySelectorType(int) override {}
    void reloadRuleList(int) override {}
    void reload() override {}
};

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
