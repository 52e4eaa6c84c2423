#include "worker/layers/artboard.h"

#include "worker/layers/documentcolour.h"

#include <algorithm>

// Lab's white depends on the depth, and its colours are not read: only a transparent
// background is drawn there.
bool DrawsArtboard(const Artboard &artboard, ColorMode mode)
{
    if (mode == ColorMode::Lab)
        return artboard.readable && artboard.background == int(ArtboardBackground::Transparent);
    switch (ArtboardBackground(artboard.background)) {
    case ArtboardBackground::White:
    case ArtboardBackground::Transparent:
        return artboard.readable;
    case ArtboardBackground::Colour:
        return artboard.readable && ColourInMode(artboard.colour, mode).has_value();
    default:
        return false;
    }
}

// White is the whole of each channel in every mode: CMYK as stored, without ink.
ArtboardPage::ArtboardPage(const Artboard &artboard, ColorMode mode) : m_artboard(artboard)
{
    const auto background = ArtboardBackground(artboard.background);
    if (background == ArtboardBackground::White)
        m_colour.assign(std::size_t(ColourChannels(mode)), 1.0f);
    else if (background == ArtboardBackground::Colour)
        m_colour = *ColourInMode(artboard.colour, mode);
    if (!m_colour.empty())
        m_colour.push_back(1.0f);
}

bool ArtboardPage::Within(std::int64_t x, std::int64_t y) const
{
    return x >= m_artboard.left && x < m_artboard.right && y >= m_artboard.top &&
           y < m_artboard.bottom;
}

void ArtboardPage::Background(PixelBand &band) const
{
    for (std::int64_t y = band.top; y < band.Bottom() && !m_colour.empty(); ++y) {
        for (std::int64_t x = band.left; x < band.Right(); ++x) {
            if (Within(x, y))
                std::copy(m_colour.cbegin(), m_colour.cend(), band.At(x, y));
        }
    }
}

void ArtboardPage::Clip(PixelBand &band) const
{
    for (std::int64_t y = band.top; y < band.Bottom(); ++y) {
        for (std::int64_t x = band.left; x < band.Right(); ++x) {
            if (!Within(x, y))
                band.At(x, y)[band.stride - 1] = 0;
        }
    }
}
