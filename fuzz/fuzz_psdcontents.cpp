// The header check and the walk over the sections after it, which every file meets before any
// decoder, over a file of any bytes, as the worker's plan calls them: the sections only of a
// header within the size limits.
#include "memoryfile.h"
#include "shared/limits.h"
#include "shared/psd/psdcontents.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static MemoryFile file;
    const std::string &path = file.Hold(data, size);
    static_cast<void>(ReadPsdHeader(path).Then(CheckSizeToRead).Then([&](const PsdHeader &header) {
        return ReadPsdContents(path, header);
    }));
    return 0;
}
