#include "worker/pathchecks.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

bool HasNul(const std::string &path)
{
    return path.find('\0') != std::string::npos;
}

Result<> CheckTarget(const std::string &target)
{
    if (target.empty() || target[0] != '/' || HasNul(target))
        return Failure{wire::Status::Unwritable, "not an absolute file path"};
    struct stat status = {};
    if (lstat(target.c_str(), &status) == 0)
        return Failure{wire::Status::AlreadyExists, {}};
    if (errno != ENOENT)
        return Failure{wire::Status::Unwritable, std::strerror(errno)};
    return Done{};
}

Result<> CheckSource(const std::string &source)
{
    if (source.empty() || HasNul(source))
        return Failure{wire::Status::Unreadable, "not a file path"};
    struct stat status = {};
    if (stat(source.c_str(), &status) != 0)
        return Failure{wire::Status::Unreadable, std::strerror(errno)};
    if (!S_ISREG(status.st_mode))
        return Failure{wire::Status::Unreadable, "not a regular file"};
    return Done{};
}
