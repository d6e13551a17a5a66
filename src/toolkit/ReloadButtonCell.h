#pragma once

#include <QAction>

// The reload button shown in place of a search field's clear button: only the
// desktop's refresh symbol, without a border. Its owner connects triggered().
class ReloadButtonCell : public QAction
{
    Q_OBJECT

public:
    explicit ReloadButtonCell(QObject *parent = nullptr);
    ~ReloadButtonCell() override;
};
