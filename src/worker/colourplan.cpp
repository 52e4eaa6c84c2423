#include "worker/colourplan.h"

#include "worker/colour/mattecheck.h"

namespace
{

// Whether a matted composite, by the check of every row.
bool IsMatted(const SampleLayout &layout, std::uint32_t width, std::uint32_t height,
              const SampleRows &rows)
{
    MatteCheck check(layout);
    for (std::uint32_t y = 0; y < height && check.IsMatted(); ++y)
        check.Feed(rows(y), width);
    return check.IsMatted();
}

} // namespace

std::unique_ptr<ColourStep> ColourStepFor(const DecodePlan &plan, const SampleLayout &layout,
                                          std::uint32_t width, std::uint32_t height,
                                          const SampleRows &rows)
{
    const std::string profile =
        layout.colorMode == plan.header.colorMode ? plan.iccProfile : std::string();
    const bool decide = layout.hasAlpha && plan.backdrop == Backdrop::Decide;
    const bool matted = decide && IsMatted(layout, width, height, rows);
    const bool blend = plan.backdrop == Backdrop::Flatten || (decide && !matted);
    return std::make_unique<ColourStep>(layout, profile, blend, matted,
                                        std::uint64_t(width) * height);
}

Decoded DecodedBy(const ColourStep &step)
{
    return {step.Detail(), step.ThroughProfile()};
}
