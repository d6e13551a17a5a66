#pragma once

#include "workspace/File.h"

#include <QString>

// The node of a project tree at a path relative to its root ("css/a.css"),
// by display names; null when a part is missing.
inline File *fileAt(File *root, const QString &relative)
{
    File *node = root;
    for (const QString &part : relative.split(u'/')) {
        File *next = nullptr;
        for (File *child : node->children()) {
            if (child->displayName() == part)
                next = child;
        }
        if (!next)
            return nullptr;
        node = next;
    }
    return node;
}
