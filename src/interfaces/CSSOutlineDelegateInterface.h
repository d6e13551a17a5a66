#pragma once

#include <QList>

class File;
class QWidget;

// What the shell asks of the CSS rules panel controller.
class CSSOutlineDelegateInterface
{
public:
    virtual ~CSSOutlineDelegateInterface() = default;

    // The rules outline.
    virtual QWidget *outlineView() = 0;
    // The style sheets of the previewed page.
    virtual QList<File *> styleFiles() = 0;
};
