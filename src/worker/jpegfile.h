#pragma once

#include "shared/protocol/wireformat.h"

#include <string>

// Whether path holds a whole JPEG stream: it starts with the start-of-image marker and ends
// with the end-of-image marker, so a save cut short (a full disk) is caught.
bool IsCompleteJpeg(const std::string &path);

// Moves a finished file to its target without ever replacing a file that stands there.
// Ok, AlreadyExists when the target appeared meanwhile, or Unwritable with the reason.
wire::Response MoveWithoutReplacing(const std::string &from, const std::string &to);
