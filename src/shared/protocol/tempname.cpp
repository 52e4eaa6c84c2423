#include "shared/protocol/tempname.h"

namespace
{

// The longest file name (one path component) Linux file systems take, in bytes.
constexpr std::size_t MaxNameBytes = 255;

} // namespace

std::string TemporaryTargetFor(const std::string &target, std::int64_t pid)
{
    const std::size_t slash = target.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::string suffix = ".quillmere-" + std::to_string(pid) + ".jpg";
    const std::size_t room = MaxNameBytes - 1 - suffix.size();
    return target.substr(0, nameStart) + "." + target.substr(nameStart, room) + suffix;
}
