#pragma once

#include <functional>

// Runs one exiv2 parse or encode, catching whatever it throws and hearing what it logs: false
// when it threw or reported an error, which we take for damage. Warnings pass; nothing of
// either reaches stderr. The worker is single-threaded, and so is this.
bool RunCleanly(const std::function<bool()> &step);
