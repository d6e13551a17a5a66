#pragma once

// The panels of the whole program that a live benchmark drives, found in the
// launched shell, and how many loads of a page the preview has completed.

#include "app/AppDelegate.h"
#include "app/MainInterface.h"
#include "app/ProjectDelegate.h"
#include "cssrules/CSSOutlineDelegate.h"
#include "domtree/DomTreeDelegate.h"
#include "preview/PreviewDelegate.h"

#include <QObject>

class ShellPanels
{
public:
    explicit ShellPanels(AppDelegate &delegate)
        : m_delegate(delegate)
    {
        m_projects = delegate.ui().projectController;
        m_preview = m_projects ? dynamic_cast<PreviewDelegate *>(m_projects->previewHalf()) : nullptr;
        m_tree = dynamic_cast<DomTreeDelegate *>(delegate.domTreeController());
        m_rules = dynamic_cast<CSSOutlineDelegate *>(delegate.cssOutlineDelegate());
        if (m_preview)
            QObject::connect(m_preview, &PreviewDelegate::loadCompleted, m_preview, [this] { ++m_loads; });
    }
    ShellPanels(const ShellPanels &) = delete;
    ShellPanels &operator=(const ShellPanels &) = delete;

    bool isReady() const { return m_projects && m_preview && m_tree && m_rules; }

protected:
    AppDelegate &m_delegate;
    ProjectDelegate *m_projects = nullptr; // Not owned.
    PreviewDelegate *m_preview = nullptr;  // Not owned.
    DomTreeDelegate *m_tree = nullptr;     // Not owned.
    CSSOutlineDelegate *m_rules = nullptr; // Not owned.
    int m_loads = 0;
};
