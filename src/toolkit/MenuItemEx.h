#pragma once

#include <QAction>

class DOMNodeEx;
class File;

// A menu item that carries the object it acts on: a DOM tree row or a project
// file. Neither is owned; a menu lives no longer than the command it offers.
class MenuItemEx : public QAction
{
    Q_OBJECT

public:
    using QAction::QAction;
    ~MenuItemEx() override;

    DOMNodeEx *node() const { return m_node; }
    void setNode(DOMNodeEx *node) { m_node = node; }
    File *file() const { return m_file; }
    void setFile(File *file) { m_file = file; }

private:
    DOMNodeEx *m_node = nullptr; // Not owned.
    File *m_file = nullptr;      // Not owned.
};
