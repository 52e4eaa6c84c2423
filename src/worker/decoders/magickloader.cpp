#include "worker/decoders/magickloader.h"

#include "worker/decoders/magickdecoder.h"

#include <climits>
#include <dlfcn.h>
#include <unistd.h>

namespace
{

// Beside the worker's own executable, in the build as when installed; "" when that is unknown.
std::string ModulePath()
{
    char executable[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", executable, sizeof executable);
    if (length <= 0 || length == ssize_t(sizeof executable))
        return {};
    const std::string path(executable, std::size_t(length));
    return path.substr(0, path.rfind('/') + 1) + MagickModuleName;
}

std::string LastError()
{
    const char *error = dlerror();
    return error ? error : "not found";
}

} // namespace

MagickLoader::MagickLoader(std::uint64_t addressSpaceBytes) : m_addressSpaceBytes(addressSpaceBytes)
{
}

// The module stays loaded: the decoder's code lives there.
MagickLoader::~MagickLoader() = default;

Result<Decoded> MagickLoader::LoadInto(const std::string &source, const DecodePlan &plan)
{
    if (!m_decoder && m_failure.empty())
        Open();
    if (!m_decoder)
        return Failure{wire::Status::Unreadable, m_failure};
    return m_decoder->LoadInto(source, plan);
}

void MagickLoader::Open()
{
    const std::string path = ModulePath();
    void *module = path.empty() ? nullptr : dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        m_failure = "cannot load the ImageMagick module: " + LastError();
        return;
    }
    const auto create = reinterpret_cast<decltype(&QuillmereNewMagickDecoder)>(
        dlsym(module, "QuillmereNewMagickDecoder"));
    if (!create) {
        m_failure = "broken ImageMagick module: " + LastError();
        return;
    }
    m_decoder.reset(create(m_addressSpaceBytes));
}
