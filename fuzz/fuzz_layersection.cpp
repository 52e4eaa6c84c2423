// The layer records, their channels' places and their tagged blocks, from a file of any bytes.
#include "memoryfile.h"
#include "shared/psd/layersection.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static MemoryFile file;
    static_cast<void>(ReadLayerSection(file.Hold(data, size)));
    return 0;
}
