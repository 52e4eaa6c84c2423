#include "shared/psd/layerartboard.h"

#include "shared/psd/layerdescriptor.h"
#include "shared/psd/sectionreader.h"

#include <cmath>

namespace
{

// A side of the rectangle where it is a whole number of pixels within reach.
bool Side(const Descriptor &descriptor, const char *key, std::int32_t &side)
{
    const std::optional<double> value = descriptor.Number(std::string("artboardRect.") + key);
    if (!value || *value != std::floor(*value) || std::abs(*value) > (1 << 30))
        return false;
    side = std::int32_t(*value);
    return true;
}

} // namespace

Artboard ReadArtboard(SectionReader &reader, std::uint64_t end)
{
    Artboard artboard;
    artboard.present = true;
    const std::optional<Descriptor> descriptor = ReadBlockDescriptor(reader, end);
    artboard.readable = descriptor && Side(*descriptor, "Top ", artboard.top) &&
                        Side(*descriptor, "Left", artboard.left) &&
                        Side(*descriptor, "Btom", artboard.bottom) &&
                        Side(*descriptor, "Rght", artboard.right);
    if (!artboard.readable)
        return artboard;
    artboard.background = int(descriptor->Number("artboardBackgroundType").value_or(1));
    artboard.colour = ColourOf(*descriptor, "Clr ");
    return artboard;
}
