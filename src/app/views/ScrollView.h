#pragma once

#include <QScrollArea>

class NoodleLineNumberView;

// The scroll view of the code view: no border, a vertical scroller and no
// horizontal one, growing with its parent. It holds the code view's
// line-number ruler.
class ScrollView : public QScrollArea
{
    Q_OBJECT

public:
    explicit ScrollView(QWidget *parent = nullptr);
    ~ScrollView() override;

    NoodleLineNumberView *lineNumberView() const { return m_lineNumberView; }
    void setLineNumberView(NoodleLineNumberView *view) { m_lineNumberView = view; }

private:
    NoodleLineNumberView *m_lineNumberView = nullptr; // Not owned.
};
