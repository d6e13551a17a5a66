#pragma once

#include "platform/kit/PathCell.h"
#include "platform/kit/Shadow.h"

#include <QPointer>

class DOMNodeEx;
class File;
class PathControl;

// One component of a breadcrumb bar: the file breadcrumb ties it to a File,
// the DOM breadcrumb to a DOM tree row. Its text is set small and drawn with
// a soft light shadow below it. An image or address left unset is taken from
// the file when asked, so a tree of thousands of files builds its breadcrumbs
// without making an icon for each.
class PathComponentCell : public PathCell
{
public:
    PathComponentCell();
    ~PathComponentCell() override;

    PathControl *cell() const { return m_cell; }
    void setCell(PathControl *control) { m_cell = control; }
    File *file() const;
    void setFile(File *file);
    DOMNodeEx *node() const { return m_node; }
    void setNode(DOMNodeEx *node) { m_node = node; }

    QIcon image() const override;
    QUrl url() const override;

    // The one shadow every such cell draws its text with.
    static const Shadow &textShadow();

    void drawWithFrame(QPainter &painter, const QRect &frame, const QColor &textColor) const override;

private:
    PathControl *m_cell = nullptr; // Not owned.
    QPointer<File> m_file;
    DOMNodeEx *m_node = nullptr;   // Not owned.
};
