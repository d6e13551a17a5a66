#pragma once

#include "BypassOperation.h"

// Ties the web address of every page, style sheet and script of a web
// project (its "webMainURL" with the file's path in the project) to the file
// itself, and the folder address of each "index.html" to that page, so that
// the preview shows the project's files in place of the site's. A project
// that is not a web project gets no tie.
class AutoBypassOperation final : public BypassOperation
{
public:
    explicit AutoBypassOperation(File *file) : BypassOperation(file) {}

    void main() override;
};
