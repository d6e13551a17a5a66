#pragma once

#include <QWidget>

#include <memory>
#include <vector>

class PathCell;

// A breadcrumb bar (the kit's path control): its cells side by side with a
// separator between them. Where they do not fit, the first cells give way
// first, each down to its image (a cell without one to an ellipsis), then
// those between the first and the last leave the bar, then the first, so
// that the last one (the file or element the bar leads to) stays whole as
// long as it can; a cell cut short reads whole in its tool tip, and the
// whole path does where cells have left the bar. Clicking a cell, or Return or Space on the focused
// one (Left and Right move the focus), sends the action (activated()) with
// clickedPathComponentCell() set. Cells are shared with whoever made them.
class PathControl : public QWidget
{
    Q_OBJECT

public:
    explicit PathControl(QWidget *parent = nullptr);
    ~PathControl() override;

    void setPathComponentCells(std::vector<std::shared_ptr<PathCell>> cells);
    const std::vector<std::shared_ptr<PathCell>> &pathComponentCells() const { return m_cells; }
    // The cell of the action being sent, else null.
    PathCell *clickedPathComponentCell() const { return m_clicked; }

    // A null rectangle for a cell that has left the bar.
    QRect rectForCell(int index) const;
    int cellAt(const QPoint &point) const;
    // The title the cell shows at its place now: empty where only its
    // image is left.
    QString shownTitle(int index) const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void activated();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void sendAction(int index);
    // The cells' widths in the bar's width.
    QList<int> cellWidths() const;

    std::vector<std::shared_ptr<PathCell>> m_cells;
    PathCell *m_clicked = nullptr;
    int m_pressed = -1;
    int m_focused = -1;
};
