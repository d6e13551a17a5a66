#pragma once

#include "interfaces/CSSOutlineDelegateInterface.h"

#include <QList>
#include <QWidget>

class File;

// The rules panel as the shell and the code assist ask it: its style sheets
// and the project's images; every other call does nothing.
class FakeRulesPanel : public CSSOutlineDelegateInterface
{
public:
    QWidget outline;
    QList<File *> files;
    QList<File *> images;
    QWidget *outlineView() override { return &outline; }
    QList<File *> styleFiles() override { return files; }
    void setProjectImages(const QList<File *> &list) override { images = list; }
    void setStyleFiles(const QList<File *> &list) override { files = list; }
    void refreshStyleFiles() override {}
    void setAndRefreshStyleFiles(const QList<File *> &list) override { files = list; }
    void updateRulesByElement(DOMNode *) override {}
    void selectFirstRuleOnceListed() override {}
    void reset() override {}
    void dropPageDocument(const QString &) override {}
    void resetWithProjectChange() override {}
    void resetCategorySelector() override {}
    void checkVendorPrefixSetting() override {}
    void setDisplaySelectorType(int) override {}
    void reloadRuleList(int) override {}
    void reload() override {}
};
