#include "worker/jpegfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Whether the two bytes at offset are the marker first, second.
bool MarkerAt(int fd, off_t offset, unsigned char first, unsigned char second)
{
    unsigned char bytes[2] = {};
    return pread(fd, bytes, 2, offset) == 2 && bytes[0] == first && bytes[1] == second;
}

// From the start-of-image marker to the end-of-image marker.
bool IsCompleteJpeg(const std::string &path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status = {};
    const bool complete = fstat(fd, &status) == 0 && status.st_size >= 4 &&
                          MarkerAt(fd, 0, 0xFF, 0xD8) &&
                          MarkerAt(fd, status.st_size - 2, 0xFF, 0xD9);
    close(fd);
    return complete;
}

Result<> MoveWithoutReplacing(const std::string &from, const std::string &to)
{
    int moved = renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
    // Some file systems (and older kernels) refuse the flag; a hard link never replaces either.
    if (moved != 0 && (errno == EINVAL || errno == ENOSYS)) {
        moved = link(from.c_str(), to.c_str());
        if (moved == 0)
            unlink(from.c_str());
    }
    if (moved == 0)
        return Done{};
    if (errno == EEXIST)
        return Failure{wire::Status::AlreadyExists, {}};
    return Failure{wire::Status::Unwritable, std::strerror(errno)};
}

} // namespace

Result<> PlaceJpeg(const std::string &from, const std::string &to)
{
    if (!IsCompleteJpeg(from))
        return Failure{wire::Status::Unwritable, "incomplete JPEG file"};
    return MoveWithoutReplacing(from, to);
}
