#pragma once

#include "shared/protocol/targetcheck.h"
#include "shared/result.h"

#include <string>

// Moves a finished JPEG file to its target: for a new one never replacing a file that stands
// there, for a replacement in one step over the regular file there, so that the target is
// always either the old file or the new one. Unwritable when the file is not a whole JPEG
// stream, from its start-of-image marker to its end-of-image marker (a save cut short by a full
// disk); AlreadyExists when a new target appeared meanwhile, or a replaced one is no longer a
// regular file; Unwritable with the reason when the move fails.
Result<> PlaceJpeg(const std::string &from, const std::string &to, Placement placement);

// The folders above the target that are missing, made from the top down; Unwritable with the
// reason for one that cannot be made. Nothing that stands is touched.
Result<> MakeFoldersFor(const std::string &target);
