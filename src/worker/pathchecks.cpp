#include "worker/pathchecks.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

bool HasNul(const std::string &path)
{
    return path.find('\0') != std::string::npos;
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
