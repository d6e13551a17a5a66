#include "BackgroundEditor.h"

BackgroundEditor::BackgroundEditor(QWidget *parent)
    : ColorEditor(parent)
{
}
