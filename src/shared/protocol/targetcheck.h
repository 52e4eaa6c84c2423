#pragma once

// What a conversion may do at its target: decided by the worker at the moment it would write,
// and by a dry run that only tells, so that both come to the same answer.

#include "shared/result.h"

#include <string>

enum class Placement {
    New,     // nothing stands there: the JPEG file goes there without replacing anything
    Replace, // updating: a regular file older than the source, to be replaced at once
};

// Whatever stands at the target, even a dangling link, stays as it is: AlreadyExists, unless
// update is asked and it is a regular file, which is replaced when it is older than the source
// and otherwise UpToDate. Unwritable for a target that is not an absolute path (nothing is
// written relative to wherever the process runs) or that the system cannot look at.
Result<Placement> PlacementAt(const std::string &target, const std::string &source, bool update);
