#pragma once

// Where a worker writes a target's JPEG data before moving it into place: a hidden file beside
// the target, unique to one worker process. The app uses the same name to clean up after a
// worker it had to end in the middle of a save.

#include <cstdint>
#include <string>

// The target's folder, then "." + the target's file name + ".quillmere-<pid>.jpg". The ".jpg"
// ending makes DevIL write JPEG. A very long file name is shortened so the result still fits
// in a file name.
std::string TemporaryTargetFor(const std::string &target, std::int64_t pid);
