#pragma once

#include "shared/result.h"

#include <string>

// Moves a finished JPEG file to its target, never replacing a file that stands there. Unwritable
// when the file is not a whole JPEG stream, from its start-of-image marker to its end-of-image
// marker (a save cut short by a full disk); AlreadyExists when the target appeared meanwhile;
// Unwritable with the reason when the move fails.
Result<> PlaceJpeg(const std::string &from, const std::string &to);
