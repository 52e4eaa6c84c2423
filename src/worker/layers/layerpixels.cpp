#include "worker/layers/layerpixels.h"

#include "shared/psd/layerrecord.h"
#include "shared/psd/sectionreader.h"
#include "worker/layers/layerchannelrows.h"

#include <array>
#include <bit>

const LayerChannel *RenderedVectorMask(const LayerRecord &layer)
{
    const bool apart = layer.Channel(int(ChannelId::RealMask)) &&
                       (layer.vectorDensity < 255 || layer.realMask.density < 255);
    return layer.mask.fromVector && !apart ? layer.Channel(int(ChannelId::Mask)) : nullptr;
}

LayerPixels::LayerPixels(const std::string &path, const PsdHeader &header)
    : m_path(path), m_header(header), m_colours(ColourChannels(header.colorMode)),
      m_file(std::make_unique<SectionReader>(path))
{
}

LayerPixels::~LayerPixels() = default;

const unsigned char *LayerPixels::Row(const LayerChannel &channel, const LayerRect &rect,
                                      std::int64_t y)
{
    auto open = m_open.find(&channel);
    if (open == m_open.end()) {
        auto rows = std::make_unique<LayerChannelRows>(
            m_path, *m_file, channel, rect, m_header.depth, m_header.version == PsdVersion::Psb);
        open = m_open.emplace(&channel, Open{std::move(rows), rect.bottom}).first;
    }
    const unsigned char *row = open->second.rows->Row(std::uint32_t(y - rect.top));
    if (row == nullptr && m_damage.empty())
        m_damage = open->second.rows->Damage();
    return row;
}

float LayerPixels::Sample(const unsigned char *row, std::int64_t x) const
{
    // A table: a division per sample shows in the time of a large picture.
    static const std::array<float, 256> shares = [] {
        std::array<float, 256> table{};
        for (std::size_t i = 0; i < table.size(); ++i)
            table[i] = float(i) / 255.0f;
        return table;
    }();
    if (m_header.depth == 8)
        return shares[row[x]];
    if (m_header.depth == 16)
        return float(row[2 * x] << 8 | row[2 * x + 1]) / 65535.0f;
    const unsigned char *at = row + 4 * x;
    return std::bit_cast<float>(std::uint32_t(at[0]) << 24 | std::uint32_t(at[1]) << 16 |
                                std::uint32_t(at[2]) << 8 | at[3]);
}

// A row's colours and transparency: the layer's channels, or a fill's colour where it has none.
bool LayerPixels::Colours(const LayerRecord &layer, std::int64_t y, const PixelBand &band,
                          float *pixel)
{
    const LayerChannel *alpha = layer.Channel(int(ChannelId::Transparency));
    const bool fill = layer.FillsWithoutPixels();
    if (fill && layer.gradientFill.present) {
        GradientRows(layer).Row(y, band.left, band.width, pixel, band.stride);
        return true;
    }
    if (fill && layer.patternFill.pattern) {
        PatternRow(*layer.patternFill.pattern, y, band, pixel, m_colours);
        return true;
    }
    const std::int64_t from = band.left - layer.rect.left;
    for (int c = 0; c <= m_colours; ++c) {
        const LayerChannel *channel = fill ? nullptr : c < m_colours ? layer.Channel(c) : alpha;
        const unsigned char *row = channel ? Row(*channel, layer.rect, y) : nullptr;
        if (channel && row == nullptr)
            return false;
        const float plain = fill && c < m_colours ? layer.solidFill.shares[std::size_t(c)] : 1.0f;
        for (std::int64_t x = 0; x < band.width; ++x)
            pixel[x * band.stride + c] = row ? Sample(row, from + x) : plain;
    }
    return true;
}

void PatternRow(const Pattern &pattern, std::int64_t y, const PixelBand &band, float *pixel,
                int colours)
{
    const auto wrap = [](std::int64_t at, std::int64_t side) { return (at % side + side) % side; };
    const std::int64_t row = wrap(y, pattern.height) * pattern.width;
    for (std::int64_t x = 0; x < band.width; ++x) {
        const auto at = std::size_t(row + wrap(band.left + x, pattern.width));
        for (int c = 0; c < colours; ++c)
            pixel[x * band.stride + c] = float(pattern.channels[std::size_t(c)][at]) / 255.0f;
        pixel[x * band.stride + colours] = 1.0f;
    }
}

const GradientFillRows &LayerPixels::GradientRows(const LayerRecord &layer)
{
    auto rows = m_gradients.find(&layer);
    if (rows == m_gradients.end()) {
        const GradientBox box = GradientBoxOf(layer, m_header.width, m_header.height);
        rows = m_gradients.try_emplace(&layer, layer.gradientFill, m_header.colorMode, box).first;
    }
    return rows->second;
}

bool LayerPixels::Fill(const LayerRecord &layer, PixelBand &band)
{
    for (std::int64_t y = band.top; y < band.Bottom(); ++y) {
        float *pixel = band.At(band.left, y);
        if (!Colours(layer, y, band, pixel))
            return false;
        std::vector<float> factors(std::size_t(band.width));
        if (!MaskRow(layer, y, band.left, band.width, factors.data()))
            return false;
        for (std::int64_t x = 0; x < band.width; ++x)
            pixel[x * band.stride + m_colours] *= factors[std::size_t(x)];
    }
    return true;
}

bool LayerPixels::MaskRow(const LayerRecord &layer, std::int64_t y, std::int64_t left,
                          std::int64_t width, float *factors)
{
    std::fill_n(factors, width, 1.0f);
    // A mask rendered from a vector mask holds the user's own mask multiplied in; a fill or
    // shape layer's pixels hold the vector mask already.
    const LayerChannel *rendered = RenderedVectorMask(layer);
    ApplyVectorMask(layer, y, left, width, factors);
    if (layer.mask.fromVector && (!rendered || layer.IsFillOrShape()))
        return ApplyMask(layer, layer.realMask, int(ChannelId::RealMask), y, left, width, factors);
    return ApplyMask(layer, layer.mask, int(ChannelId::Mask), y, left, width, factors) &&
           (rendered ||
            ApplyMask(layer, layer.realMask, int(ChannelId::RealMask), y, left, width, factors));
}

// Outside its rectangle a mask is its default colour; density lessens what it hides.
bool LayerPixels::ApplyMask(const LayerRecord &layer, const LayerMask &mask, int id, std::int64_t y,
                            std::int64_t left, std::int64_t width, float *factors)
{
    const LayerChannel *channel = layer.Channel(id);
    if (!mask.present || mask.disabled || channel == nullptr)
        return true;
    const LayerRect &rect = mask.rect;
    const bool inside = !rect.IsEmpty() && y >= rect.top && y < rect.bottom;
    const unsigned char *row = inside ? Row(*channel, rect, y) : nullptr;
    if (inside && row == nullptr)
        return false;
    const float density = float(mask.density) / 255.0f;
    const float outside = float(mask.defaultColor) / 255.0f;
    for (std::int64_t x = 0; x < width; ++x) {
        const std::int64_t at = left + x;
        const bool within = row && at >= rect.left && at < rect.right;
        const float value = within ? Sample(row, at - rect.left) : outside;
        factors[x] *= 1 - density * (1 - value);
    }
    return true;
}

// Drawn here where neither the layer's pixels nor a mask rendered from it hold it already.
void LayerPixels::ApplyVectorMask(const LayerRecord &layer, std::int64_t y, std::int64_t left,
                                  std::int64_t width, float *factors)
{
    const VectorMask &mask = layer.vectorMask;
    const bool rendered =
        RenderedVectorMask(layer) || (layer.IsFillOrShape() && !layer.FillsWithoutPixels());
    if (!mask.present || mask.disabled || rendered)
        return;
    auto paths = m_paths.find(&layer);
    if (paths == m_paths.end())
        paths = m_paths.try_emplace(&layer, mask, m_header.width, m_header.height).first;
    std::vector<float> shares(static_cast<std::size_t>(width));
    paths->second.Row(y, left, width, shares.data());
    const float density = float(layer.vectorDensity) / 255.0f;
    for (std::int64_t x = 0; x < width; ++x)
        factors[x] *= 1 - density * (1 - shares[std::size_t(x)]);
}

void LayerPixels::Passed(std::int64_t top)
{
    std::erase_if(m_open, [&](const auto &open) { return open.second.bottom <= top; });
}
