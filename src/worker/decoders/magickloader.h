#pragma once

#include "shared/result.h"
#include "worker/decoded.h"
#include "worker/decodeplan.h"

#include <cstdint>
#include <memory>
#include <string>

class MagickDecoder;

// Loads the ImageMagick module from beside the worker on first use, and hands files to it.
class MagickLoader
{
public:
    explicit MagickLoader(std::uint64_t addressSpaceBytes);
    ~MagickLoader();
    MagickLoader(const MagickLoader &) = delete;
    MagickLoader &operator=(const MagickLoader &) = delete;

    // As MagickDecoder::LoadInto; fails too when the module cannot be loaded.
    Result<Decoded> LoadInto(const std::string &source, const DecodePlan &plan);

private:
    void Open();

    std::uint64_t m_addressSpaceBytes;
    std::unique_ptr<MagickDecoder> m_decoder;
    std::string m_failure; // why the module could not be loaded, once that was tried
};
