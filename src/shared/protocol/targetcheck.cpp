#include "shared/protocol/targetcheck.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace
{

bool Before(const timespec &a, const timespec &b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// The target is a regular file: older than its source, or up to date.
Result<Placement> UpdateOf(const struct stat &target, const std::string &source)
{
    struct stat status = {};
    if (stat(source.c_str(), &status) != 0)
        return Failure{wire::Status::Unreadable, std::strerror(errno)};
    if (Before(target.st_mtim, status.st_mtim))
        return Placement::Replace;
    return Failure{wire::Status::UpToDate, {}};
}

} // namespace

Result<Placement> PlacementAt(const std::string &target, const std::string &source, bool update)
{
    if (target.empty() || target[0] != '/' || target.find('\0') != std::string::npos)
        return Failure{wire::Status::Unwritable, "not an absolute file path"};
    struct stat status = {};
    if (lstat(target.c_str(), &status) != 0) {
        if (errno == ENOENT)
            return Placement::New;
        return Failure{wire::Status::Unwritable, std::strerror(errno)};
    }
    if (update && S_ISREG(status.st_mode))
        return UpdateOf(status, source);
    return Failure{wire::Status::AlreadyExists, {}};
}
