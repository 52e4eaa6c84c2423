#pragma once

// What the worker makes sure of the paths of a request before it touches either file.

#include "shared/result.h"

#include <string>

// The wire carries any bytes, but a path with a NUL in it names some other file.
bool HasNul(const std::string &path);

// Whatever stands at the target, even a dangling link, stays as it is: AlreadyExists. And
// nothing is written relative to wherever the worker happens to run: Unwritable.
Result<> CheckTarget(const std::string &target);

// Only a regular file: a pipe or a device could keep a decoder waiting or reading forever.
Result<> CheckSource(const std::string &source);
