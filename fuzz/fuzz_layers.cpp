// The picture rebuilt from the layers of a file of any bytes that the plan gives the
// compositor: their channels' data read, blended and written as a JPEG file, then dropped.
#include "memoryfile.h"
#include "worker/decodeplan.h"
#include "worker/layers/layerconversion.h"

#include <filesystem>
#include <unistd.h>

namespace
{

// A larger picture costs the fuzzer time and reaches no other code.
constexpr std::uint64_t MaxPixels = 1 << 16;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static MemoryFile file;
    static const std::string jpeg = std::filesystem::temp_directory_path() /
                                    ("quillmere-fuzz-" + std::to_string(getpid()) + ".jpg");
    const std::string &path = file.Hold(data, size);
    const Result<DecodePlan> plan = PlanDecode(path);
    if (plan && plan->decoder == Decoder::Layers &&
        std::uint64_t(plan->header.width) * plan->header.height <= MaxPixels)
        static_cast<void>(ConvertFromLayers(path, jpeg, *plan, wire::DefaultQuality));
    unlink(jpeg.c_str());
    return 0;
}
