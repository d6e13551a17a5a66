#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Keeps Tab inside a rule being edited in the style-inspector panel: while a
// selector of the style-sheet manager or a declaration of the rules panel is
// typed in, Tab neither ends the edit nor leaves the field. Elsewhere Tab moves
// the focus as usual.
class StyleManagerWindow : public QObject
{
    Q_OBJECT

public:
    // Watches the panel's key events; the filter goes with the panel.
    explicit StyleManagerWindow(QWidget *panel);
    ~StyleManagerWindow() override;

    // Whether a Tab for that widget is dropped.
    static bool isEditingRule(const QWidget *focus);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_panel;
};
