#pragma once

#include "CodeView.h"

#include <QPointer>
#include <QWidget>

// The line-number ruler beside a code view: the number of each line the view
// shows (a wrapped line counts once), right-aligned, in the view's font a
// little smaller, over a faint bar with a hairline at its edge. It widens
// with the number of digits.
class NoodleLineNumberView : public QWidget
{
    Q_OBJECT

public:
    explicit NoodleLineNumberView(QWidget *parent = nullptr);
    ~NoodleLineNumberView() override;

    CodeView *clientView() const { return m_clientView; }
    void setClientView(CodeView *view);

    // The width that holds the largest line number.
    int requiredThickness() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void updateThickness();

    QPointer<CodeView> m_clientView;
    QMetaObject::Connection m_updates;
    QMetaObject::Connection m_blocks;
};
