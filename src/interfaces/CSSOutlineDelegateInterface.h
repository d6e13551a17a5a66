#pragma once

#include <QList>

class File;
class QWidget;

// What the shell asks of the CSS rules panel. Implemented by the rules panel
// controller (src/cssrules); called by the shell (AppDelegate), which
// Controllers::install() hands the controller.
class CSSOutlineDelegateInterface
{
public:
    virtual ~CSSOutlineDelegateInterface() = default;

    // The rules outline.
    virtual QWidget *outlineView() = 0;
    // The style sheets of the previewed page.
    virtual QList<File *> styleFiles() = 0;
    // The image files of the project shown, offered as image values.
    virtual void setProjectImages(const QList<File *> &images) = 0;
};
