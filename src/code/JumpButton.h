#pragma once

#include "workspace/File.h"

#include <QPointer>

// The jump of a class row: the style sheet that defines the class and the
// row it was clicked on. The list cell draws the button and hands this out.
class JumpButton
{
public:
    JumpButton() = default;
    JumpButton(File *file, int index)
        : m_file(file)
        , m_index(index)
    {
    }

    File *file() const { return m_file; }
    void setFile(File *file) { m_file = file; }
    int index() const { return m_index; }
    void setIndex(int index) { m_index = index; }

private:
    QPointer<File> m_file;
    int m_index = -1;
};
