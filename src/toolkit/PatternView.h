#pragma once

#include <QString>
#include <QWidget>

// A view painted with a repeating image over its bounds, anchored at its
// top-left corner, before (or instead of) drawing as a plain view.
class PatternView : public QWidget
{
    Q_OBJECT

public:
    enum class ThenDraw { Nothing, Inherited };

    PatternView(const QString &imageName, ThenDraw then, QWidget *parent = nullptr);
    ~PatternView() override;

    QString imageName() const { return m_imageName; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_imageName;
    ThenDraw m_then;
};
