#pragma once

#include "BypassOperation.h"

// Removes the ties of every page, style sheet and script of a project from
// the addresses its web settings give them (run before those settings
// change, so that the old addresses lose their ties).
class RemoveBypassOperation final : public BypassOperation
{
public:
    explicit RemoveBypassOperation(File *file) : BypassOperation(file) {}

    void main() override;
};
