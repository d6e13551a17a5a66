#pragma once

#include "CompileSetting.h"

#include <QMenu>
#include <QToolButton>

#include <functional>

// The pop-up menu of an option's values; category is the label of the
// option it offers values for ("Compiler" for the compiler row).
class Menu : public QMenu
{
    Q_OBJECT

public:
    explicit Menu(QWidget *parent = nullptr);

    QString category() const { return m_category; }
    void setCategory(const QString &category) { m_category = category; }

private:
    QString m_category;
};

// The value cell of the compile pane's option table: shows the chosen value
// and offers the others in its Menu. A choice goes to the delegate once the
// menu has closed.
class ValueCellView : public QToolButton
{
    Q_OBJECT

public:
    using Delegate = std::function<void(const QString &category, const QString &title)>;

    explicit ValueCellView(QWidget *parent = nullptr);

    const CompileSetting &objectValue() const { return m_setting; }
    void setObjectValue(const CompileSetting &setting);
    Menu *valueMenu() const { return m_menu; }
    void setDelegate(Delegate delegate) { m_delegate = std::move(delegate); }

private:
    CompileSetting m_setting;
    Menu *m_menu; // Owned (child).
    Delegate m_delegate;
};
