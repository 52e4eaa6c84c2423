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
    const std::optional<PsdHeader> header = ReadPsdHeader(path);
    if (header && header->width > 0 && header->height > 0 && TooLargeToRead(*header).empty())
        ReadPsdContents(path, *header);
    return 0;
}
