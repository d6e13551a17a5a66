#pragma once

#include <QPushButton>

// A flat button whose width follows its title, growing or shrinking to the
// left: its right edge stays where it was.
class StyleFileRelationButton : public QPushButton
{
    Q_OBJECT

public:
    explicit StyleFileRelationButton(QWidget *parent = nullptr);
    ~StyleFileRelationButton() override;

    void setTitle(const QString &title);
    QString title() const { return text(); }
};
