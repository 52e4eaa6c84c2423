#include "worker/colour/mattecheck.h"

#include "worker/colour/unitsample.h"

namespace
{

// Room for the rounding of a writer that matted in 8 bits.
constexpr float Tolerance = 2.0f / 255.0f;

} // namespace

MatteCheck::MatteCheck(const SampleLayout &layout)
    : m_layout(layout),
      m_checked(layout.colorMode == ColorMode::Lab ? 1 : ColourChannels(layout.colorMode)),
      m_channels(ColourChannels(layout.colorMode) + 1)
{
}

void MatteCheck::Feed(const void *samples, std::size_t pixels)
{
    if (m_unmatted || !m_layout.hasAlpha)
        return;
    const auto *pixel = static_cast<const unsigned char *>(samples);
    const std::size_t pixelBytes = std::size_t(m_channels) * BytesPerSample(m_layout.depth);
    const int alphaChannel = m_channels - 1;
    for (std::size_t i = 0; i < pixels; ++i, pixel += pixelBytes) {
        // Wholly clear pixels tell nothing: some writers leave them black.
        const float alpha = UnitSample(pixel, alphaChannel, m_layout.depth);
        if (alpha <= 0)
            continue;
        const float floor = 1 - alpha - Tolerance;
        for (int c = 0; c < m_checked; ++c) {
            if (UnitSample(pixel, c, m_layout.depth) < floor) {
                m_unmatted = true;
                return;
            }
        }
    }
}
